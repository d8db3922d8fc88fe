// A stand-in for a line-protocol radio-control server (rigctld, gqrx) in the link's tests:
// listens on a free loopback port in a thread of its own, answers each line as the derived
// fake or the test's script says, records every line it takes, and can answer slowly, hang
// for a while, quit, reset or talk nonsense on demand, and read its input as rigctld or as
// gqrx does.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace skedula {

class FakeLineServer {
public:
    // Bytes to send for one line. Each chunk is written on its own, a little apart, so that
    // the reader sees a reply in pieces; closeAfter drops the connection once they are out.
    // No chunks: the line goes unanswered.
    struct Answer {
        std::vector<std::string> chunks;
        bool closeAfter = false;
        // Besides the line delay: a radio slow with this one line. The lines behind it wait.
        std::chrono::milliseconds delay{0};
    };
    // Consulted for every line before the fake's own answer; nothing lets the fake answer.
    using Script = std::function<std::optional<Answer>(const std::string& line)>;
    // A line as the server took it in hand to answer it.
    struct Taken {
        std::string line;
        std::chrono::steady_clock::time_point at;
    };

    virtual ~FakeLineServer();
    FakeLineServer(const FakeLineServer&) = delete;
    FakeLineServer& operator=(const FakeLineServer&) = delete;

    std::uint16_t Port() const { return port_; }

    void SetScript(Script script);
    // From now on every line is answered this long after the server took it, as a radio
    // that answers slowly; the lines behind it wait.
    void SetLineDelay(std::chrono::milliseconds delay);

    // Every line received so far, without its line end.
    std::vector<std::string> Lines() const;
    std::vector<Taken> TakenLines() const;
    // The most lines that ever waited behind the one being answered.
    std::size_t MostWaiting() const;
    std::size_t Connections() const;
    // The connections the server holds now; a client's close shows here once the server
    // has seen it.
    std::size_t OpenConnections() const;

    // Closes every connection and stops listening: EOF, or a reset when asked for.
    void Quit(bool reset = false);
    // Reads and answers nothing until Thaw, as a stopped process: connections stay open, and
    // new ones wait in the kernel's queue. Lines that came meanwhile are answered after. (Not
    // while a line's delay runs: that line would go unanswered.)
    void Freeze();
    void Thaw();

protected:
    // dropOlder: a new connection makes the server close the ones before it.
    // oneLinePerArrival: each arrival of data lets the server take one line only; the lines
    // that came with it wait for the next arrival.
    explicit FakeLineServer(bool dropOlder = false, bool oneLinePerArrival = false);
    // The fake's own answer, called with the lock held.
    virtual Answer Respond(const std::string& line) = 0;
    // Ends the server's thread; a derived fake calls it first in its destructor, so that no
    // line reaches a Respond that is gone.
    void Stop();

    mutable std::mutex mutex_;

private:
    struct Client {
        int fd;
        std::string buffer;
    };

    void Run();
    Answer Take(const std::string& line, std::size_t waiting);
    void Command(char command);
    // False when the server was woken to quit or stop.
    bool Pause(std::chrono::milliseconds pause);
    bool Serve(Client& client);

    bool dropOlder_;
    bool oneLinePerArrival_;
    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;

    Script script_;
    std::chrono::milliseconds lineDelay_{0};
    std::vector<std::string> lines_;
    std::vector<Taken> taken_;
    std::size_t mostWaiting_ = 0;
    std::size_t connections_ = 0;
    std::size_t openConnections_ = 0;
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
