// A loopback port that nothing listens on, at least right now, for a server to bind. Used by
// the tests and the benchmarks that start a real or a fake rigctld.
#pragma once

#include <cstdint>

namespace skedula {

std::uint16_t FreeLoopbackPort();

} // namespace skedula
