#include "fakes/FreePort.h"

#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace skedula {

namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

} // namespace

std::uint16_t FreeLoopbackPort() {
    // Below the kernel's ephemeral range (32768 and up), so that no other program's bind to
    // port 0 or outgoing connect takes it between our check and the server's own bind.
    static std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> range(20000, 32000);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto port = static_cast<std::uint16_t>(range(random));
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in address = Loopback(port);
        const bool free =
            ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        if (free) {
            return port;
        }
    }
    throw std::runtime_error("no free loopback port");
}

std::optional<int> ListeningProcess(std::uint16_t port) {
    // The socket's inode from the kernel's tables, then the process holding it.
    std::set<std::string> sockets;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream file(table);
        std::string line;
        std::getline(file, line);
        while (std::getline(file, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
            fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
                timeout >> inode;
            const std::size_t colon = local.rfind(':');
            if (state == "0A" && colon != std::string::npos &&
                std::stoul(local.substr(colon + 1), nullptr, 16) == port)
                sockets.insert("socket:[" + inode + "]");
        }
    }
    std::error_code error;
    for (const auto& process : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = process.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        for (const auto& fd : std::filesystem::directory_iterator(process.path() / "fd", error)) {
            std::error_code unreadable;
            if (sockets.count(std::filesystem::read_symlink(fd.path(), unreadable).string()) != 0)
                return std::stoi(name);
        }
    }
    return std::nullopt;
}

bool LoopbackAccepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    const bool accepted =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return accepted;
}

} // namespace skedula
