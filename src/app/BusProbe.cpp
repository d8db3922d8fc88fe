#include "app/BusProbe.h"

#include "storage/UniqueFd.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace skedula {

namespace {

using Steady = std::chrono::steady_clock;

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string Unescaped(std::string_view value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 &&
            HexDigit(value[i + 2]) >= 0) {
            text += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
            i += 2;
        } else {
            text += value[i];
        }
    }
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t end = text.find(separator);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            return parts;
        text.remove_prefix(end + 1);
    }
}

int MillisecondsLeft(Steady::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Sends the NUL byte and "AUTH" that open every D-Bus conversation, and waits for the line
// with which a bus answers ("REJECTED EXTERNAL ...").
bool Answers(const BusSocket& socket, Steady::time_point deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = socket.abstract ? 1 : 0;
    if (socket.name.size() + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, socket.name.data(), socket.name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                               socket.name.size() + (socket.abstract ? 0 : 1));
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid())
        return false;
    // A unix socket connects at once or refuses; its backlog being full is "not now".
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0)
        return false;
    static constexpr char Hello[] = "\0AUTH\r\n";
    if (::send(fd.get(), Hello, sizeof Hello - 1, MSG_NOSIGNAL) != sizeof Hello - 1)
        return false;
    pollfd readable{fd.get(), POLLIN, 0};
    while (::poll(&readable, 1, MillisecondsLeft(deadline)) > 0) {
        char reply[256];
        const ssize_t n = ::recv(fd.get(), reply, sizeof reply, 0);
        if (n > 0)
            return true; // the start of its answer is enough
        if (n == 0 || (errno != EINTR && errno != EAGAIN))
            return false;
    }
    return false;
}

} // namespace

std::vector<BusSocket> UnixSockets(std::string_view address) {
    std::vector<BusSocket> sockets;
    for (std::string_view entry : Split(address, ';')) {
        const std::size_t colon = entry.find(':');
        if (colon == std::string_view::npos || entry.substr(0, colon) != "unix")
            continue;
        for (std::string_view pair : Split(entry.substr(colon + 1), ',')) {
            const std::size_t equals = pair.find('=');
            const std::string_view key = pair.substr(0, equals);
            if (equals == std::string_view::npos || (key != "path" && key != "abstract"))
                continue;
            sockets.push_back({Unescaped(pair.substr(equals + 1)), key == "abstract"});
        }
    }
    return sockets;
}

std::string SessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0')
        return {};
    const std::string path = std::string(runtime) + "/bus";
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode))
        return {};
    // Escaped as D-Bus addresses escape values: all but a few plain bytes as %xx.
    std::string address = "unix:path=";
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("-_/.\\*", c) != nullptr) {
            address += static_cast<char>(c);
        } else {
            static constexpr char Hex[] = "0123456789abcdef";
            address += '%';
            address += Hex[c >> 4];
            address += Hex[c & 15];
        }
    }
    return address;
}

BusAnswer AskBus(std::string_view address, std::chrono::milliseconds limit) {
    const std::vector<BusSocket> sockets = UnixSockets(address);
    if (sockets.empty())
        return BusAnswer::NotAsked;
    const Steady::time_point deadline = Steady::now() + limit;
    for (const BusSocket& socket : sockets)
        if (Answers(socket, deadline))
            return BusAnswer::Answers;
    return BusAnswer::Silent;
}

} // namespace skedula
