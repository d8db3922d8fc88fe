#include "app/Reconnector.h"

namespace skedula {

Reconnector::Reconnector(ReceiverLink& link, SwitchablePort& port, std::chrono::milliseconds bound,
                         std::chrono::milliseconds period)
    : link_(link), port_(port), bound_(bound) {
    timer_.setInterval(period);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (Due())
            Try();
    });
}

void Reconnector::WatchStarted() {
    watching_ = true;
    // Runs for the whole watch, so that switching the option on while the link is closed
    // also takes effect.
    timer_.start();
}

void Reconnector::WatchStopped() {
    watching_ = false;
    timer_.stop();
}

void Reconnector::BeforeTuning() {
    if (Due())
        Try();
}

bool Reconnector::Due() const {
    return watching_ && !link_.IsOpen() && Wanted && Wanted();
}

void Reconnector::Try() {
    // Every wait of the try (a lookup, a connect, a server's start, the exchanges of the open)
    // ends within one bound from now. A server that the try starts but that is not ready by
    // then goes on starting, and the next try finds it.
    RadioBackend* backend = port_.Backend();
    if (backend != nullptr)
        backend->LimitWaits(std::chrono::steady_clock::now() + bound_);
    const bool opened = link_.RetryConversation();
    if (backend != nullptr)
        backend->LimitWaits(std::nullopt);
    if (Tried)
        Tried(opened);
}

} // namespace skedula
