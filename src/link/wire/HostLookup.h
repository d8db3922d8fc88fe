// Finding a radio-control server's host without letting a resolver hold the window: the
// system's resolver may wait seconds for a DNS or mDNS server that does not answer (a computer
// offline, a "raspberrypi.local" nobody announces). The line conversations look the host up
// here when they connect; tests hand in a resolver that never answers.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>

namespace skedula::wire {

// Blocks until it knows the host's addresses; empty when there are none. Runs on a thread of
// its own, so it must not touch anything of the caller's.
using Resolver = std::function<QList<QHostAddress>(const QString& host)>;

// The system's resolver (Qt's QHostInfo::fromName).
Resolver SystemResolver();

// The host's addresses: an address as it is, at once; a name as the resolver finds it by the
// deadline. Empty when it finds none, or none in time: the lookup then goes on alone on its
// thread, and what it finds is dropped.
QList<QHostAddress> LookUp(const QString& host, const Resolver& resolver,
                           std::chrono::steady_clock::time_point deadline);

} // namespace skedula::wire
