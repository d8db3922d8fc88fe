// Whether a session bus answers at all, asked before the desktop notifier hands its address to
// Qt: libdbus waits without end for a bus that takes the connection and never answers (measured:
// dbus-send still waited after 80 s), and a connection attempt stuck there would hold the
// program's exit. Only the unix sockets of an address are asked; the rest is left to libdbus.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace skedula {

// A unix socket of a D-Bus address: a path, or a name in the abstract namespace.
struct BusSocket {
    std::string name;
    bool abstract = false;
    bool operator==(const BusSocket&) const = default;
};

// The unix:path= and unix:abstract= sockets of an address ("a;b" lists several), their values
// unescaped (%2f); other transports are not among them.
std::vector<BusSocket> UnixSockets(std::string_view address);

// The session bus's address as libdbus finds it: DBUS_SESSION_BUS_ADDRESS, else the socket
// "bus" in XDG_RUNTIME_DIR; empty when there is neither (libdbus may then start a bus for an X
// display).
std::string SessionBusAddress();

enum class BusAnswer { Answers, Silent, NotAsked };

// Asks each unix socket of the address for the authentication mechanisms it takes, waiting at
// most limit in all: Answers when one replies with a line, Silent when none does (or none can
// be reached), NotAsked when the address has no unix socket.
BusAnswer AskBus(std::string_view address, std::chrono::milliseconds limit);

} // namespace skedula
