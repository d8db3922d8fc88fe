#include "fakes/FakeRigctldServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace skedula {

namespace {

constexpr auto ChunkPause = std::chrono::milliseconds(20);

int BoundLoopbackSocket(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("bind");
    }
    port = ntohs(address.sin_port);
    return fd;
}

void WriteAll(int fd, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + written, bytes.size() - written, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

void CloseWithReset(int fd) {
    const linger abortive{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    ::close(fd);
}

struct Client {
    int fd;
    std::string buffer;
};

} // namespace

FakeRigctldServer::FakeRigctldServer() {
    listenFd_ = BoundLoopbackSocket(port_);
    int pipeFds[2];
    if (::listen(listenFd_, 8) != 0 || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("listen");
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    thread_ = std::thread([this] { Run(); });
}

FakeRigctldServer::~FakeRigctldServer() {
    Command('x');
    thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void FakeRigctldServer::SetScript(Script script) {
    std::lock_guard lock(mutex_);
    script_ = std::move(script);
}

void FakeRigctldServer::SetFrequency(const std::string& hertz) {
    std::lock_guard lock(mutex_);
    frequency_ = hertz;
}

void FakeRigctldServer::SetMode(const std::string& mode) {
    std::lock_guard lock(mutex_);
    mode_ = mode;
}

void FakeRigctldServer::SetStrength(int dbOverS9) {
    std::lock_guard lock(mutex_);
    strength_ = dbOverS9;
}

std::vector<std::string> FakeRigctldServer::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::size_t FakeRigctldServer::Connections() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

void FakeRigctldServer::Quit(bool reset) {
    Command(reset ? 'r' : 'q');
}

void FakeRigctldServer::Command(char command) {
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &command, 1);
}

FakeRigctldServer::Answer FakeRigctldServer::Respond(const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
    if (script_) {
        if (std::optional<Answer> scripted = script_(line)) {
            return *scripted;
        }
    }
    if (line == "+f") {
        return {{"get_freq:\nFrequency: " + frequency_ + "\nRPRT 0\n"}};
    }
    if (line == "+m") {
        return {{"get_mode:\nMode: " + mode_ + "\nPassband: 2400\nRPRT 0\n"}};
    }
    if (line == "+l STRENGTH") {
        return {{"get_level: STRENGTH\n" + std::to_string(strength_) + "\nRPRT 0\n"}};
    }
    if (line.rfind("+F ", 0) == 0) {
        frequency_ = line.substr(3);
        return {{"set_freq: " + frequency_ + "\nRPRT 0\n"}};
    }
    if (line.rfind("+M ", 0) == 0 && line.size() > 5 && line.substr(line.size() - 2) == " 0") {
        mode_ = line.substr(3, line.size() - 5);
        return {{"set_mode: " + mode_ + " 0\nRPRT 0\n"}};
    }
    return {{"RPRT -1\n"}};
}

void FakeRigctldServer::Run() {
    std::vector<Client> clients;
    bool listening = true;
    auto closeAll = [&](bool reset) {
        for (const Client& client : clients) {
            reset ? CloseWithReset(client.fd) : static_cast<void>(::close(client.fd));
        }
        clients.clear();
    };
    while (true) {
        std::vector<pollfd> fds{{wakeRead_, POLLIN, 0}};
        if (listening) {
            fds.push_back({listenFd_, POLLIN, 0});
        }
        for (const Client& client : clients) {
            fds.push_back({client.fd, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            continue;
        }
        if (fds[0].revents & POLLIN) {
            char command = 'x';
            [[maybe_unused]] const ssize_t n = ::read(wakeRead_, &command, 1);
            closeAll(command == 'r');
            if (listening) {
                ::close(listenFd_);
                listening = false;
            }
            if (command == 'x') {
                return;
            }
            continue;
        }
        std::size_t next = 1;
        if (listening) {
            if (fds[1].revents & POLLIN) {
                const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) {
                    clients.push_back({fd, {}});
                    std::lock_guard lock(mutex_);
                    ++connections_;
                }
            }
            next = 2;
        }
        std::vector<Client> kept;
        for (std::size_t i = next; i < fds.size(); ++i) {
            Client client = clients[i - next];
            bool open = true;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                char bytes[4096];
                const ssize_t n = ::recv(client.fd, bytes, sizeof bytes, 0);
                if (n <= 0) {
                    open = false;
                } else {
                    client.buffer.append(bytes, static_cast<std::size_t>(n));
                }
                std::size_t end;
                while (open && (end = client.buffer.find('\n')) != std::string::npos) {
                    const std::string line = client.buffer.substr(0, end);
                    client.buffer.erase(0, end + 1);
                    const Answer answer = Respond(line);
                    for (std::size_t c = 0; c < answer.chunks.size(); ++c) {
                        if (c > 0) {
                            std::this_thread::sleep_for(ChunkPause);
                        }
                        WriteAll(client.fd, answer.chunks[c]);
                    }
                    open = !answer.closeAfter;
                }
            }
            if (open) {
                kept.push_back(std::move(client));
            } else {
                ::close(client.fd);
            }
        }
        // A client accepted in this round was not polled yet.
        for (std::size_t i = fds.size() - next; i < clients.size(); ++i) {
            kept.push_back(std::move(clients[i]));
        }
        clients = std::move(kept);
    }
}

SilentServer::SilentServer() {
    fd_ = BoundLoopbackSocket(port_);
    ::listen(fd_, 8);
}

SilentServer::~SilentServer() {
    ::close(fd_);
}

} // namespace skedula
