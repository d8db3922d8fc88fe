// Assembles rigctld's replies of the extended protocol from its lines: an echo line
// ("get_freq:"), the value lines, and "RPRT n". Whatever the server sends (garbage, partial
// lines, replies cut short, no line ends at all) it yields replies and stays in step. The
// rigctld conversation feeds it the lines it reads.
#pragma once

#include "link/wire/LineReader.h"
#include "link/wire/Reply.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skedula::rigctld {

using wire::Reply;

class ReplyReader {
public:
    // Takes bytes as they arrive; returns the replies they complete, in order.
    std::vector<Reply> Feed(std::string_view bytes);
    // Takes one line; returns the reply it completes, if any.
    std::optional<Reply> Take(const wire::Line& line);
    // Forgets a reply in progress (the connection was replaced).
    void Reset();

    static constexpr std::size_t MaxLineLength = wire::LineReader::MaxLineLength;
    static constexpr std::size_t MaxValueLines = 8;

private:
    Reply Finish(int result);

    wire::LineReader lines_;
    bool inReply_ = false;
    Reply current_;
};

// The command name of an echo line ("set_freq: 7100000" -> "set_freq"), or empty when the
// line is not one. Echoes are lower-case names; value lines ("Frequency: 1") are not.
std::string_view EchoName(std::string_view line);

} // namespace skedula::rigctld
