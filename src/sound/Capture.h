// Capturing a sound source: the recorder asks a capture factory for one capture per source and
// hears of it through a sink, on the capture's own thread. The sound server's capture
// implements it; the recorder's tests feed frames through a fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace skedula {

struct CaptureFormat {
    int rate = 0;     // frames per second, the source's own
    int channels = 0; // the source's own, at most two
};

// Called on the capture's thread (a capture that cannot even begin may fail inside the
// factory's call), never after the capture was destroyed. Audio comes as interleaved signed
// 16-bit frames; Failed comes at most once, and nothing follows it.
class CaptureSink {
public:
    virtual ~CaptureSink() = default;
    virtual void CaptureStarted(CaptureFormat format) = 0;
    virtual void CaptureAudio(const std::int16_t* frames, std::size_t count) = 0;
    // The German reason: the source is missing or went away, the server cannot be reached.
    virtual void CaptureFailed(const std::string& reason) = 0;
};

// Runs from its creation until it is destroyed; starting never waits for the sound server.
class Capture {
public:
    virtual ~Capture() = default;
};

// Starts capturing the source (the sound server's name for it) into the sink.
using CaptureFactory =
    std::function<std::unique_ptr<Capture>(const std::string& source, CaptureSink& sink)>;

} // namespace skedula
