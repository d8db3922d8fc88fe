// A server's reply to one line we wrote, as the line-protocol ports pass it between the part
// that recognises replies (per protocol) and the part that waits for them (shared).
#pragma once

#include <string>
#include <vector>

namespace skedula::wire {

struct Reply {
    // Result of a reply that ended without a report line or whose number was unreadable.
    static constexpr int Broken = -1000;

    std::string echoName;            // rigctld's echo ("get_freq"); empty where none comes
    std::vector<std::string> values; // the value lines
    int result = Broken;             // n of "RPRT n"; 0 for a plain value reply

    bool Succeeded() const { return result == 0; }
};

} // namespace skedula::wire
