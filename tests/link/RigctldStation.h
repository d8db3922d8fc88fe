// The receiver link and its three items over a rigctld conversation, as the program wires
// them, for the tests of the rigctld port against stand-in servers; and the short bounds that
// keep a silent server from slowing those tests.
#pragma once

#include "link/AdvisedItem.h"
#include "link/ReceiverLink.h"
#include "link/rigctld/RigctldConversation.h"

#include <algorithm>
#include <string>
#include <vector>

namespace skedula::test {

using Lines = std::vector<std::string>;

// The real bounds are the defaults.
inline wire::Timings Fast() {
    using namespace std::chrono_literals;
    return {.exchange = 200ms, .pollInterval = 50ms};
}

// Records the link's events and the items' changes as "open", "close", "HRD_MODE=USB".
struct Station {
    RigctldConversation port;
    ReceiverLink link{port};
    AdvisedItem frequency{link, "HRD_FREQUENCY"};
    AdvisedItem mode{link, "HRD_MODE"};
    AdvisedItem sMeter{link, "HRD_SMETER"};
    Lines events;
    int closes = 0;

    explicit Station(std::uint16_t port, wire::Timings timings = Fast(),
                     wire::Resolver resolver = wire::SystemResolver(),
                     std::string host = "127.0.0.1")
        : port(Endpoint{std::move(host), port}, timings, std::move(resolver)) {
        link.SetServiceApplication({});
        link.OnOpen = [this] { events.push_back("open"); };
        link.OnClose = [this] {
            events.push_back("close");
            ++closes;
        };
        for (AdvisedItem* item : {&frequency, &mode, &sMeter}) {
            item->OnChange = [this, item] {
                events.push_back(item->DdeItem() + "=" + item->Text());
            };
        }
    }

    bool Start() {
        link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
        events.clear();
        return link.OpenConversation();
    }

    Lines Texts() const { return {frequency.Text(), mode.Text(), sMeter.Text()}; }
};

inline std::size_t Count(const Lines& lines, const std::string& line) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

} // namespace skedula::test
