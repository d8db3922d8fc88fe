// The recorder's own thread: the entry's window, the capture that fills it, the recording
// that keeps it, and the failures told once.
#include "sound/Recorder.h"

#include "engine/Error.h"
#include "sound/FlacRecording.h"

namespace skedula {

namespace {

using Clock = std::chrono::steady_clock;

// Beyond an entry's ten seconds, so that slow ticks never cut its start; the bound of what
// the window holds in memory.
constexpr int WindowSeconds = 30;
// The capture stays this long after a window that kept nothing: the next entry of the queue
// follows half a second later and records from its very tuning.
constexpr auto Linger = std::chrono::seconds(2);
// A source that stops delivering without failing still ends its recording this long after
// "Nachlauf".
constexpr auto Stall = std::chrono::seconds(2);

} // namespace

// One capture's sink: tags what it hears with the capture, so that a capture that was
// replaced cannot speak into the next one's window.
class Recorder::Link final : public CaptureSink {
public:
    Link(Recorder& recorder, std::uint64_t id) : recorder_(recorder), id_(id) {}

    void CaptureStarted(CaptureFormat format) override {
        Event event{Event::Kind::Started};
        event.format = format;
        Send(std::move(event));
    }
    void CaptureAudio(const std::int16_t* frames, std::size_t count) override {
        if (channels_ == 0)
            return; // no format yet: cannot be told apart
        Event event{Event::Kind::Audio};
        event.audio.assign(frames, frames + count * channels_);
        Send(std::move(event));
    }
    void CaptureFailed(const std::string& reason) override {
        Event event{Event::Kind::Failed};
        event.reason = reason;
        Send(std::move(event));
    }

private:
    void Send(Event event) {
        event.capture = id_;
        if (event.kind == Event::Kind::Started)
            channels_ = static_cast<std::size_t>(event.format.channels);
        recorder_.Post(std::move(event));
    }

    Recorder& recorder_;
    std::uint64_t id_;
    std::size_t channels_ = 0;
};

void Recorder::Handle(Event& event) {
    const bool fromCapture = event.kind == Event::Kind::Started ||
                             event.kind == Event::Kind::Audio || event.kind == Event::Kind::Failed;
    if (fromCapture && (!capture_ || event.capture != captureId_))
        return; // from a capture that is gone
    switch (event.kind) {
    case Event::Kind::Tuned:
        OpenWindow(event.source);
        Share(true);
        break;
    case Event::Kind::Keep:
        Keep(event.path, event.tags, event.afterSeconds);
        break;
    case Event::Kind::Drop:
        CloseWindow();
        break;
    case Event::Kind::Stop:
        if (recording_)
            FinishRecording();
        CloseWindow();
        StopCapture();
        break;
    case Event::Kind::Started:
        format_ = event.format;
        break;
    case Event::Kind::Audio:
        Take(event.audio);
        break;
    case Event::Kind::Failed:
        CaptureEnded(event.reason);
        break;
    }
}

void Recorder::Share(bool tuned) {
    const std::lock_guard lock(mutex_);
    if (tuned)
        --tunesWaiting_;
    windowUsable_ = windowOpen_ && (windowFrames_ > 0 || captureAlive_);
}

void Recorder::OpenWindow(const std::optional<std::string>& source) {
    // The next tuning ends the recording before it: its audio is another frequency's.
    if (recording_)
        FinishRecording();
    window_.clear();
    windowFrames_ = 0;
    lingerUntil_.reset();
    windowOpen_ = source.has_value();
    if (!source) {
        StopCapture();
        return;
    }
    // A live capture of the same source goes on, so that the window starts at once.
    if (!capture_ || !captureAlive_ || captureSource_ != *source) {
        StopCapture();
        StartCapture(*source);
    }
}

void Recorder::StartCapture(const std::string& source) {
    captureSource_ = source;
    captureAlive_ = true;
    format_.reset();
    ++captureId_;
    // The capture goes before its sink. Made on this thread and without the lock: a capture
    // that cannot begin tells so at once.
    struct Owned final : Capture {
        Owned(Recorder& recorder, std::uint64_t id) : link(recorder, id) {}
        Link link;
        std::unique_ptr<Capture> capture;
    };
    auto owned = std::make_unique<Owned>(*this, captureId_);
    owned->capture = captures_(source, owned->link);
    capture_ = std::move(owned);
}

void Recorder::StopCapture() {
    capture_.reset();
    captureAlive_ = false;
    format_.reset();
    lingerUntil_.reset();
}

void Recorder::CloseWindow() {
    windowOpen_ = false;
    window_.clear();
    windowFrames_ = 0;
    LingerIfIdle();
}

void Recorder::LingerIfIdle() {
    if (!windowOpen_ && !recording_ && capture_)
        lingerUntil_ = Clock::now() + Linger;
}

void Recorder::Keep(const std::string& path, const RecordingTags& tags, int afterSeconds) {
    // Nothing captured and nothing to come (the source failed before any audio): no file.
    if (!windowOpen_ || !format_ || (windowFrames_ == 0 && !captureAlive_)) {
        Release(path);
        CloseWindow();
        return;
    }
    try {
        recording_ = std::make_unique<FlacRecording>(path, *format_, tags);
        for (const std::vector<std::int16_t>& piece : window_)
            recording_->Write(piece.data(),
                              piece.size() / static_cast<std::size_t>(format_->channels));
    } catch (const Error& e) {
        AbandonRecording(path, e.what());
        CloseWindow();
        return;
    }
    windowOpen_ = false;
    window_.clear();
    windowFrames_ = 0;
    framesToGo_ = static_cast<std::int64_t>(afterSeconds) * format_->rate;
    recordingDeadline_ = Clock::now() + std::chrono::seconds(afterSeconds) + Stall;
    if (framesToGo_ == 0 || !captureAlive_)
        FinishRecording();
}

void Recorder::Take(const std::vector<std::int16_t>& audio) {
    if (!format_)
        return;
    // Audio from the source again: a later failure of it deserves a box of its own.
    sourceFailing_ = false;
    const auto channels = static_cast<std::size_t>(format_->channels);
    const auto frames = static_cast<std::int64_t>(audio.size() / channels);
    if (recording_) {
        const std::int64_t take = std::min(frames, framesToGo_);
        try {
            recording_->Write(audio.data(), static_cast<std::size_t>(take));
        } catch (const Error& e) {
            AbandonRecording(recording_->path(), e.what());
            return;
        }
        framesToGo_ -= take;
        if (framesToGo_ == 0)
            FinishRecording();
        return;
    }
    if (!windowOpen_)
        return;
    window_.push_back(audio);
    windowFrames_ += frames;
    const std::int64_t most = static_cast<std::int64_t>(WindowSeconds) * format_->rate;
    while (windowFrames_ > most && window_.size() > 1) {
        windowFrames_ -= static_cast<std::int64_t>(window_.front().size() / channels);
        window_.pop_front();
    }
}

void Recorder::CaptureEnded(const std::string& reason) {
    captureAlive_ = false;
    capture_.reset();
    Share(); // before the box: whoever hears of it finds the window as it now is
    TellSource(reason);
    // What was captured stays: a recording under way ends here, a window keeps its audio.
    if (recording_)
        FinishRecording();
}

void Recorder::FinishRecording() {
    const std::string path = recording_->path();
    try {
        recording_->Finish();
        fileFailing_ = false;
    } catch (const Error& e) {
        TellFile(path, e.what());
    }
    recording_.reset();
    Release(path);
    LingerIfIdle();
}

void Recorder::AbandonRecording(std::string path, const std::string& why) {
    TellFile(path, why);
    if (recording_)
        recording_->KeepWhatWasWritten();
    recording_.reset();
    Release(path);
    LingerIfIdle();
}

void Recorder::TellSource(const std::string& reason) {
    if (sourceFailing_)
        return;
    sourceFailing_ = true;
    if (onError_)
        onError_("Aufnahme von " + captureSource_ + ": " + reason);
}

void Recorder::TellFile(const std::string& path, const std::string& reason) {
    if (fileFailing_)
        return;
    fileFailing_ = true;
    if (onError_)
        onError_(path + ": " + reason);
}

std::optional<Clock::time_point> Recorder::NextDeadline() const {
    std::optional<Clock::time_point> next = lingerUntil_;
    if (recording_ && (!next || recordingDeadline_ < *next))
        next = recordingDeadline_;
    return next;
}

void Recorder::Timeouts() {
    const Clock::time_point now = Clock::now();
    if (recording_ && now >= recordingDeadline_)
        FinishRecording();
    if (lingerUntil_ && now >= *lingerUntil_ && !windowOpen_ && !recording_)
        StopCapture();
}

} // namespace skedula
