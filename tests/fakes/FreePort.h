// A loopback port that nothing listens on, at least right now, for a server to bind, and
// whether a server listens on one. Used by the tests and the benchmarks that start a real or
// a fake radio-control server.
#pragma once

#include <cstdint>
#include <optional>

namespace skedula {

std::uint16_t FreeLoopbackPort();

// True when a server accepts a connection on 127.0.0.1:port now. On loopback a connect is
// accepted or refused at once, so this never waits.
bool LoopbackAccepts(std::uint16_t port);

// The process that listens on the TCP port (on any address), as /proc shows it: for a test
// to stop a server that the program started. Nothing when no process of this user does.
std::optional<int> ListeningProcess(std::uint16_t port);

} // namespace skedula
