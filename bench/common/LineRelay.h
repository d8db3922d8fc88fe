// A loopback relay for the benchmarks: passes the bytes of one client at a time to a server
// and back unchanged, on a thread of its own, and notes when each line passes either way, so
// that a benchmark can tell when a command reached the server and when its answer left.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace skedula::bench {

class LineRelay {
public:
    struct Passage {
        std::string line;
        bool toServer;
        std::chrono::steady_clock::time_point at;
    };

    explicit LineRelay(std::uint16_t serverPort);
    ~LineRelay();
    LineRelay(const LineRelay&) = delete;
    LineRelay& operator=(const LineRelay&) = delete;

    std::uint16_t Port() const { return port_; }
    std::vector<Passage> Passages();
    // Waits until the lines passed so far satisfy the condition; false after the limit.
    bool WaitFor(const std::function<bool(const std::vector<Passage>&)>& condition,
                 std::chrono::milliseconds limit);

private:
    void Run();
    void Relay(int client, int server);
    void Note(std::string& partial, const char* bytes, std::size_t size, bool toServer);

    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::uint16_t serverPort_;
    std::mutex mutex_;
    std::condition_variable passed_;
    std::vector<Passage> passages_;
    std::thread thread_;
};

} // namespace skedula::bench
