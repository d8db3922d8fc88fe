#include "fakes/FakeLineServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace skedula {

namespace {

constexpr auto ChunkPause = std::chrono::milliseconds(20);
constexpr auto ArrivalLatency = std::chrono::milliseconds(5);

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

// Appends whatever has arrived without waiting; false when the peer closed.
bool Drain(int fd, std::string& buffer) {
    char bytes[4096];
    while (true) {
        const ssize_t n = ::recv(fd, bytes, sizeof bytes, MSG_DONTWAIT);
        if (n > 0) {
            buffer.append(bytes, static_cast<std::size_t>(n));
            continue;
        }
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

} // namespace

FakeLineServer::FakeLineServer(bool dropOlder, bool oneLinePerArrival)
    : dropOlder_(dropOlder), oneLinePerArrival_(oneLinePerArrival) {
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

FakeLineServer::~FakeLineServer() {
    Stop();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void FakeLineServer::Stop() {
    if (thread_.joinable()) {
        Command('x');
        thread_.join();
    }
}

void FakeLineServer::SetScript(Script script) {
    std::lock_guard lock(mutex_);
    script_ = std::move(script);
}

void FakeLineServer::SetLineDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    lineDelay_ = delay;
}

std::vector<std::string> FakeLineServer::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::vector<FakeLineServer::Taken> FakeLineServer::TakenLines() const {
    std::lock_guard lock(mutex_);
    return taken_;
}

std::size_t FakeLineServer::MostWaiting() const {
    std::lock_guard lock(mutex_);
    return mostWaiting_;
}

std::size_t FakeLineServer::Connections() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

std::size_t FakeLineServer::OpenConnections() const {
    std::lock_guard lock(mutex_);
    return openConnections_;
}

void FakeLineServer::Quit(bool reset) {
    Command(reset ? 'r' : 'q');
}

void FakeLineServer::Freeze() {
    Command('f');
}

void FakeLineServer::Thaw() {
    Command('t');
}

void FakeLineServer::Command(char command) {
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &command, 1);
}

bool FakeLineServer::Pause(std::chrono::milliseconds pause) {
    if (pause.count() <= 0) {
        return true;
    }
    pollfd wake{wakeRead_, POLLIN, 0};
    return ::poll(&wake, 1, static_cast<int>(pause.count())) == 0;
}

FakeLineServer::Answer FakeLineServer::Take(const std::string& line, std::size_t waiting) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
    taken_.push_back({line, std::chrono::steady_clock::now()});
    mostWaiting_ = std::max(mostWaiting_, waiting);
    if (script_) {
        if (std::optional<Answer> scripted = script_(line)) {
            return *scripted;
        }
    }
    return Respond(line);
}

bool FakeLineServer::Serve(Client& client) {
    if (oneLinePerArrival_) {
        // A program busy with its receiver comes to its socket a little late, so that lines
        // written close together arrive as one.
        std::this_thread::sleep_for(ArrivalLatency);
    }
    bool open = Drain(client.fd, client.buffer);
    std::size_t end;
    while ((end = client.buffer.find('\n')) != std::string::npos) {
        const std::string line = client.buffer.substr(0, end);
        client.buffer.erase(0, end + 1);
        const auto waiting =
            static_cast<std::size_t>(std::count(client.buffer.begin(), client.buffer.end(), '\n'));
        const Answer answer = Take(line, waiting);
        std::chrono::milliseconds delay;
        {
            std::lock_guard lock(mutex_);
            delay = lineDelay_ + answer.delay;
        }
        if (!Pause(delay)) {
            return true; // woken to quit: the main loop takes the command
        }
        for (std::size_t c = 0; c < answer.chunks.size(); ++c) {
            if (c > 0) {
                std::this_thread::sleep_for(ChunkPause);
            }
            WriteAll(client.fd, answer.chunks[c]);
        }
        if (answer.closeAfter) {
            return false;
        }
        if (oneLinePerArrival_) {
            return open;
        }
        // What arrived while this line was answered counts as waiting behind the next one.
        open = Drain(client.fd, client.buffer) && open;
    }
    return open;
}

void FakeLineServer::Run() {
    std::vector<Client> clients;
    bool listening = true;
    bool frozen = false;
    auto closeAll = [&](bool reset) {
        for (const Client& client : clients) {
            reset ? CloseWithReset(client.fd) : static_cast<void>(::close(client.fd));
        }
        clients.clear();
    };
    while (true) {
        {
            std::lock_guard lock(mutex_);
            openConnections_ = clients.size();
        }
        std::vector<pollfd> fds{{wakeRead_, POLLIN, 0}};
        if (listening && !frozen) {
            fds.push_back({listenFd_, POLLIN, 0});
        }
        for (const Client& client : clients) {
            if (!frozen) {
                fds.push_back({client.fd, POLLIN, 0});
            }
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            continue;
        }
        if (fds[0].revents & POLLIN) {
            char command = 'x';
            [[maybe_unused]] const ssize_t n = ::read(wakeRead_, &command, 1);
            if (command == 'f' || command == 't') {
                frozen = command == 'f';
                continue;
            }
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
        const std::size_t first = listening ? 2 : 1;
        std::vector<Client> kept;
        for (std::size_t i = first; i < fds.size(); ++i) {
            Client client = clients[i - first];
            const bool open =
                (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ? Serve(client) : true;
            if (open) {
                kept.push_back(std::move(client));
            } else {
                ::close(client.fd);
            }
        }
        clients = std::move(kept);
        if (listening && (fds[1].revents & POLLIN)) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                if (dropOlder_) {
                    closeAll(false);
                }
                clients.push_back({fd, {}});
                std::lock_guard lock(mutex_);
                ++connections_;
            }
        }
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
