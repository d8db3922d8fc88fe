// A rigctld stand-in for the backend's tests: listens on a free loopback port in a thread of
// its own, answers like rigctld's dummy rig unless the test scripts something else, records
// every line it receives, and can quit, reset, stall or talk nonsense on demand.
#pragma once

#include "fakes/FreePort.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace skedula {

class FakeRigctldServer {
public:
    // Bytes to send for one line. Each chunk is written on its own, a little apart, so that
    // the reader sees a reply in pieces; closeAfter drops the connection once they are out.
    struct Answer {
        std::vector<std::string> chunks;
        bool closeAfter = false;
    };
    // Consulted for every line before the dummy rig; nothing lets the rig answer.
    using Script = std::function<std::optional<Answer>(const std::string& line)>;

    FakeRigctldServer();
    ~FakeRigctldServer();
    FakeRigctldServer(const FakeRigctldServer&) = delete;
    FakeRigctldServer& operator=(const FakeRigctldServer&) = delete;

    std::uint16_t Port() const { return port_; }

    void SetScript(Script script);
    void SetFrequency(const std::string& hertz);
    void SetMode(const std::string& mode);
    void SetStrength(int dbOverS9);

    // Every line received so far, without its line end.
    std::vector<std::string> Lines() const;
    std::size_t Connections() const;

    // Closes every connection and stops listening: EOF, or a reset when asked for.
    void Quit(bool reset = false);

private:
    void Run();
    Answer Respond(const std::string& line);
    void Command(char command);

    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;

    mutable std::mutex mutex_;
    Script script_;
    std::string frequency_ = "14230000";
    std::string mode_ = "USB";
    int strength_ = -12;
    std::vector<std::string> lines_;
    std::size_t connections_ = 0;
};

// A socket bound to 127.0.0.1 that completes connects but never reads nor answers: the
// kernel accepts for it. Stands for a server that hangs.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    std::uint16_t Port() const { return port_; }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

} // namespace skedula
