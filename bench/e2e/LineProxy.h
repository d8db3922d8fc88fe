// A loopback relay between Skedula and rigctld on a thread of its own: it passes every byte
// on unchanged and notes when each tuning command ("+F ...") arrives from Skedula.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace skedula::bench {

class LineProxy {
public:
    explicit LineProxy(std::uint16_t upstreamPort);
    ~LineProxy();

    std::uint16_t port() const { return port_; }
    std::vector<std::chrono::steady_clock::time_point> tuneArrivals() const;

private:
    void run();
    void relay(int client, int server);

    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::uint16_t upstreamPort_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::chrono::steady_clock::time_point> arrivals_;
    std::thread thread_;
};

} // namespace skedula::bench
