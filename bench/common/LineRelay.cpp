#include "common/LineRelay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace skedula::bench {

namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void NoDelay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool SendAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

LineRelay::LineRelay(std::uint16_t serverPort) : serverPort_(serverPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
    thread_ = std::thread([this] { Run(); });
}

LineRelay::~LineRelay() {
    const char stop = 'x';
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &stop, 1);
    thread_.join();
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

std::vector<LineRelay::Passage> LineRelay::Passages() {
    std::lock_guard lock(mutex_);
    return passages_;
}

bool LineRelay::WaitFor(const std::function<bool(const std::vector<Passage>&)>& condition,
                        std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return passed_.wait_for(lock, limit, [&] { return condition(passages_); });
}

void LineRelay::Run() {
    while (true) {
        pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {listener_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            continue;
        }
        if (fds[0].revents != 0) {
            return;
        }
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in address = Loopback(serverPort_);
        if (::connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            NoDelay(client);
            NoDelay(server);
            Relay(client, server);
        }
        ::close(server);
        ::close(client);
    }
}

void LineRelay::Relay(int client, int server) {
    std::string fromClient;
    std::string fromServer;
    char bytes[65536];
    while (true) {
        pollfd fds[3] = {{wakeRead_, POLLIN, 0}, {client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            continue;
        }
        if (fds[0].revents != 0) {
            return; // the wake byte stays for Run to see
        }
        for (int side = 1; side <= 2; ++side) {
            if (fds[side].revents == 0) {
                continue;
            }
            const int from = side == 1 ? client : server;
            const int to = side == 1 ? server : client;
            const ssize_t n = ::recv(from, bytes, sizeof bytes, 0);
            if (n <= 0 || !SendAll(to, bytes, static_cast<std::size_t>(n))) {
                return;
            }
            Note(side == 1 ? fromClient : fromServer, bytes, static_cast<std::size_t>(n),
                 side == 1);
        }
    }
}

void LineRelay::Note(std::string& partial, const char* bytes, std::size_t size, bool toServer) {
    const auto now = std::chrono::steady_clock::now();
    partial.append(bytes, size);
    std::lock_guard lock(mutex_);
    std::size_t end;
    while ((end = partial.find('\n')) != std::string::npos) {
        passages_.push_back({partial.substr(0, end), toServer, now});
        partial.erase(0, end + 1);
    }
    passed_.notify_all();
}

} // namespace skedula::bench
