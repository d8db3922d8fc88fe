// Cuts the byte stream from a line-protocol radio-control server (rigctld, gqrx) into lines.
// Used by the conversation ports' common part; whatever the server sends (garbage, pieces,
// no line ends at all) it yields lines and never grows without bound.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skedula::wire {

struct Line {
    std::string text; // without its "\n", and without a "\r" before it
    // No reply of these servers is this long: the line is reported once, with no text, and
    // skipped up to its end, so that it neither fills memory nor glues onto the next reply.
    bool overlong = false;
};

class LineReader {
public:
    static constexpr std::size_t MaxLineLength = 1024;

    // Takes bytes as they arrive; returns the lines they complete, in order.
    std::vector<Line> Feed(std::string_view bytes);
    // Forgets a line in progress (the connection was replaced).
    void Reset();

private:
    std::string partial_;
    bool skipping_ = false;
};

} // namespace skedula::wire
