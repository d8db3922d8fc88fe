// Capturing one source of the sound server on libpulse's own thread (its threaded main loop),
// in the source's rate and up to two of its channels. A source that goes away ends the
// capture with a failure rather than moving it to another source: a recording must be of
// the radio or of nothing. The recorder's capture factory makes these.
#pragma once

#include "sound/Capture.h"

#include <memory>
#include <string>

struct pa_context;
struct pa_source_info;
struct pa_stream;
struct pa_threaded_mainloop;

namespace skedula {

class PulseCapture final : public Capture {
public:
    // Starts connecting and returns at once; the sink hears of the start or the failure.
    PulseCapture(std::string source, CaptureSink& sink);
    // Stops libpulse's thread first, so that the sink hears nothing more.
    ~PulseCapture() override;
    PulseCapture(const PulseCapture&) = delete;
    PulseCapture& operator=(const PulseCapture&) = delete;

    static std::unique_ptr<Capture> Make(const std::string& source, CaptureSink& sink);

private:
    static void ContextChanged(pa_context* context, void* self);
    static void SourceFound(pa_context* context, const pa_source_info* info, int eol, void* self);
    static void StreamChanged(pa_stream* stream, void* self);
    static void Readable(pa_stream* stream, std::size_t bytes, void* self);
    void Fail(int error);

    std::string source_;
    CaptureSink& sink_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::size_t frameBytes_ = 0;
    bool found_ = false;
    bool failed_ = false;
};

} // namespace skedula
