// Where a radio-control server listens: a host (an address or a name) and a TCP port. The
// radio choice names it, the conversation ports connect to it, and the texts for the listener
// (the status field's tooltip, "Testen") show it.
#pragma once

#include <cstdint>
#include <string>

namespace skedula {

struct Endpoint {
    std::string host;
    std::uint16_t port = 0;

    bool operator==(const Endpoint&) const = default;
};

// "127.0.0.1:4532".
inline std::string HostAndPort(const Endpoint& endpoint) {
    return endpoint.host + ":" + std::to_string(endpoint.port);
}

} // namespace skedula
