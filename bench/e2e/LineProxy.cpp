#include "LineProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
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
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

} // namespace

LineProxy::LineProxy(std::uint16_t upstreamPort) : upstreamPort_(upstreamPort) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 4);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

LineProxy::~LineProxy() {
    stop_ = true;
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
}

std::vector<std::chrono::steady_clock::time_point> LineProxy::tuneArrivals() const {
    std::lock_guard lock(mutex_);
    return arrivals_;
}

void LineProxy::run() {
    while (!stop_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, 100) <= 0)
            continue;
        const int client = accept(listener_, nullptr, nullptr);
        if (client < 0)
            continue;
        const int server = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in upstream = Loopback(upstreamPort_);
        if (connect(server, reinterpret_cast<sockaddr*>(&upstream), sizeof upstream) == 0) {
            NoDelay(client);
            NoDelay(server);
            relay(client, server);
        }
        close(server);
        close(client);
    }
}

void LineProxy::relay(int client, int server) {
    std::string line;
    char buffer[4096];
    while (!stop_) {
        pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (poll(fds, 2, 100) <= 0)
            continue;
        for (int side = 0; side < 2; ++side) {
            if ((fds[side].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
                continue;
            const ssize_t n = read(fds[side].fd, buffer, sizeof buffer);
            if (n <= 0)
                return;
            const auto now = std::chrono::steady_clock::now();
            if (side == 0) {
                for (ssize_t i = 0; i < n; ++i) {
                    if (buffer[i] != '\n') {
                        line += buffer[i];
                        continue;
                    }
                    if (line.rfind("+F ", 0) == 0) {
                        std::lock_guard lock(mutex_);
                        arrivals_.push_back(now);
                    }
                    line.clear();
                }
            }
            const int to = side == 0 ? server : client;
            for (ssize_t sent = 0; sent < n;) {
                const ssize_t w = write(to, buffer + sent, static_cast<std::size_t>(n - sent));
                if (w <= 0)
                    return;
                sent += w;
            }
        }
    }
}

} // namespace skedula::bench
