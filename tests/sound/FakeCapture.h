// Captures that the test feeds by hand, for the recorder's tests: the factory records every
// capture the recorder asks for, and the test starts it, hands it frames or fails it from its
// own thread, as a sound server's thread would.
#pragma once

#include "sound/Capture.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace skedula::soundtest {

class FakeCaptures {
public:
    // With a reason: every capture fails inside the factory's call, as a missing source does.
    std::string failAtStart;

    CaptureFactory Factory();

    // Waits (at most two seconds) until the recorder has asked for this many captures.
    bool WaitForCaptures(std::size_t count);
    std::size_t Made() const;
    std::string SourceOf(std::size_t index) const;
    // Whether the latest capture is still there, that is not yet ended by the recorder.
    bool LatestAlive() const;

    // To the latest capture, if it is alive.
    void Start(int rate, int channels);
    void Deliver(const std::vector<std::int16_t>& interleaved, int channels);
    void Fail(const std::string& reason);

private:
    class One;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> sources_;
    One* latest_ = nullptr;
};

// Frames that tell their place: frame i of a channel holds (i * 7 + channel) % 30000.
std::vector<std::int16_t> CountingFrames(std::int64_t first, std::int64_t count, int channels);

} // namespace skedula::soundtest
