#include "link/wire/HostLookup.h"

#include <QHostInfo>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace skedula::wire {

namespace {

// What the lookup's thread and the caller share; it lives as long as either needs it.
struct Outcome {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    QList<QHostAddress> addresses;
};

} // namespace

Resolver SystemResolver() {
    return [](const QString& host) { return QHostInfo::fromName(host).addresses(); };
}

QList<QHostAddress> LookUp(const QString& host, const Resolver& resolver,
                           std::chrono::steady_clock::time_point deadline) {
    const QHostAddress address(host);
    if (!address.isNull())
        return {address};
    if (host.isEmpty() || !resolver)
        return {};
    const auto outcome = std::make_shared<Outcome>();
    // Detached: a resolver that never answers must not hold the caller, nor the program's
    // end. The thread keeps what it uses alive itself.
    std::thread([outcome, resolver, host] {
        QList<QHostAddress> found = resolver(host);
        const std::lock_guard lock(outcome->mutex);
        outcome->addresses = std::move(found);
        outcome->finished = true;
        outcome->done.notify_all();
    }).detach();
    // A millisecond early rather than late, as the exchanges end.
    std::unique_lock lock(outcome->mutex);
    if (!outcome->done.wait_until(lock, deadline - std::chrono::milliseconds(1),
                                  [&] { return outcome->finished; }))
        return {};
    return outcome->addresses;
}

} // namespace skedula::wire
