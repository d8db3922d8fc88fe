// Opens the receiver link again by itself while the watch runs, when the listener wants that
// ("Verbindung selbst wiederherstellen"): after an open failed or the server ended the
// conversation, a try every period and one at each entry's tuning step, before its commands
// go out. A try holds the window no longer than one exchange bound, and one that fails shows
// nothing but its reason in the status field's tooltip. The composition root owns it; the link
// receiver port tells it when the watch starts and stops and when an entry is tuned.
#pragma once

#include "app/SwitchablePort.h"
#include "link/ReceiverLink.h"

#include <QTimer>

#include <chrono>
#include <functional>

namespace skedula {

class Reconnector {
public:
    // bound: the exchange bound, which a whole try keeps to; period: between two tries.
    Reconnector(ReceiverLink& link, SwitchablePort& port, std::chrono::milliseconds bound,
                std::chrono::milliseconds period);
    Reconnector(const Reconnector&) = delete;
    Reconnector& operator=(const Reconnector&) = delete;

    // Set by the composition: whether the listener wants it (the option), and what to do after
    // each try (the tooltip names the reason of a failure).
    std::function<bool()> Wanted;
    std::function<void(bool opened)> Tried;

    // Start has opened the link, or tried to.
    void WatchStarted();
    // Stop: no more tries.
    void WatchStopped();
    // An entry is about to be tuned.
    void BeforeTuning();

private:
    bool Due() const;
    void Try();

    ReceiverLink& link_;
    SwitchablePort& port_;
    std::chrono::milliseconds bound_;
    QTimer timer_;
    bool watching_ = false;
};

} // namespace skedula
