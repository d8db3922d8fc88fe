#include "sound/PulseCapture.h"

#include "sound/SoundServer.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <vector>

namespace skedula {

namespace {

// libpulse hands audio over in pieces about this long: short enough that a recording is
// complete soon after its end, long enough that the capture wakes the program rarely.
constexpr pa_usec_t PieceMicroseconds = 100 * 1000;

} // namespace

PulseCapture::PulseCapture(std::string source, CaptureSink& sink)
    : source_(std::move(source)), sink_(sink) {
    loop_ = pa_threaded_mainloop_new();
    if (loop_ == nullptr) {
        Fail(PA_ERR_INTERNAL);
        return;
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Skedula");
    if (context_ == nullptr) {
        Fail(PA_ERR_INTERNAL);
        return;
    }
    pa_context_set_state_callback(context_, &PulseCapture::ContextChanged, this);
    // Never starts a sound server of its own: the desktop's is the one to record from.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        Fail(pa_context_errno(context_));
        return;
    }
    if (pa_threaded_mainloop_start(loop_) < 0)
        Fail(PA_ERR_INTERNAL);
}

PulseCapture::~PulseCapture() {
    if (loop_ != nullptr)
        pa_threaded_mainloop_stop(loop_);
    // The loop's thread has ended: nothing runs a callback any more, and none is wanted for
    // the disconnects below.
    if (stream_ != nullptr) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    if (loop_ != nullptr)
        pa_threaded_mainloop_free(loop_);
}

std::unique_ptr<Capture> PulseCapture::Make(const std::string& source, CaptureSink& sink) {
    return std::make_unique<PulseCapture>(source, sink);
}

void PulseCapture::Fail(int error) {
    if (failed_)
        return;
    failed_ = true;
    sink_.CaptureFailed(SoundServerReason(error));
}

void PulseCapture::ContextChanged(pa_context* context, void* self) {
    auto& capture = *static_cast<PulseCapture*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        pa_operation* operation = pa_context_get_source_info_by_name(
            context, capture.source_.c_str(), &PulseCapture::SourceFound, self);
        if (operation == nullptr)
            capture.Fail(pa_context_errno(context));
        else
            pa_operation_unref(operation);
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: {
        const int error = pa_context_errno(context);
        // Once the capture ran, a lost server is a broken connection, whatever libpulse says.
        capture.Fail(capture.stream_ != nullptr || error == PA_OK ? PA_ERR_CONNECTIONTERMINATED
                                                                  : error);
        break;
    }
    default:
        break;
    }
}

void PulseCapture::SourceFound(pa_context* context, const pa_source_info* info, int eol,
                               void* self) {
    auto& capture = *static_cast<PulseCapture*>(self);
    if (eol != 0 || info == nullptr) {
        // The end of the answer; without the source before it, there is none by that name.
        if (!capture.found_)
            capture.Fail(eol < 0 ? pa_context_errno(context) : PA_ERR_NOENTITY);
        return;
    }
    capture.found_ = true;
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = info->sample_spec.rate;
    spec.channels = static_cast<std::uint8_t>(std::clamp<int>(info->sample_spec.channels, 1, 2));
    pa_channel_map map{};
    pa_channel_map_init_auto(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
    capture.frameBytes_ = pa_frame_size(&spec);
    capture.stream_ = pa_stream_new(context, "Skedula", &spec, &map);
    if (capture.stream_ == nullptr) {
        capture.Fail(pa_context_errno(context));
        return;
    }
    pa_stream_set_state_callback(capture.stream_, &PulseCapture::StreamChanged, self);
    pa_stream_set_read_callback(capture.stream_, &PulseCapture::Readable, self);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(PieceMicroseconds, &spec));
    // Not moved to another source when this one goes: that ends the capture instead.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_DONT_MOVE | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_record(capture.stream_, capture.source_.c_str(), &attributes, flags) < 0)
        capture.Fail(pa_context_errno(context));
}

void PulseCapture::StreamChanged(pa_stream* stream, void* self) {
    auto& capture = *static_cast<PulseCapture*>(self);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY: {
        const pa_sample_spec* spec = pa_stream_get_sample_spec(stream);
        capture.sink_.CaptureStarted({static_cast<int>(spec->rate), spec->channels});
        break;
    }
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED: {
        // A source that went away kills the stream; a dying server takes the context along.
        const int error = pa_context_errno(pa_stream_get_context(stream));
        capture.Fail(error == PA_OK ? PA_ERR_KILLED : error);
        break;
    }
    default:
        break;
    }
}

void PulseCapture::Readable(pa_stream* stream, std::size_t, void* self) {
    auto& capture = *static_cast<PulseCapture*>(self);
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0) {
        if (pa_stream_peek(stream, &data, &bytes) < 0) {
            capture.Fail(pa_context_errno(pa_stream_get_context(stream)));
            return;
        }
        if (bytes == 0)
            return;
        const std::size_t frames = bytes / capture.frameBytes_;
        if (data != nullptr) {
            capture.sink_.CaptureAudio(static_cast<const std::int16_t*>(data), frames);
        } else {
            // A hole in the source's audio: silence keeps the recording's time true.
            const std::vector<std::int16_t> silence(bytes / sizeof(std::int16_t), 0);
            capture.sink_.CaptureAudio(silence.data(), frames);
        }
        pa_stream_drop(stream);
    }
}

} // namespace skedula
