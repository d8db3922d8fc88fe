// Cuts the byte stream from rigctld into replies of the extended protocol: an echo line
// ("get_freq:"), the value lines, and "RPRT n". Whatever the server sends (garbage, partial
// lines, replies cut short, no line ends at all) it yields replies and stays in step.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skedula::rigctld {

struct Reply {
    // Result of a reply that ended without an "RPRT n" line or whose number was unreadable.
    static constexpr int Broken = -1000;

    std::string echoName;            // "get_freq" for "get_freq:"; empty when none came
    std::vector<std::string> values; // the lines between echo and RPRT
    int result = Broken;             // n of "RPRT n"

    bool Succeeded() const { return result == 0; }
};

class ReplyReader {
public:
    // Takes bytes as they arrive; returns the replies they complete, in order.
    std::vector<Reply> Feed(std::string_view bytes);
    // Forgets a reply in progress (the connection was replaced).
    void Reset();

    static constexpr std::size_t MaxLineLength = 1024;
    static constexpr std::size_t MaxValueLines = 8;

private:
    void TakeLine(std::string_view line, std::vector<Reply>& done);
    void Finish(int result, std::vector<Reply>& done);

    std::string partial_;
    bool skippingLongLine_ = false;
    bool inReply_ = false;
    Reply current_;
};

// The command name of an echo line ("set_freq: 7100000" -> "set_freq"), or empty when the
// line is not one. Echoes are lower-case names; value lines ("Frequency: 1") are not.
std::string_view EchoName(std::string_view line);

} // namespace skedula::rigctld
