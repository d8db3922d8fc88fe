#include "sound/Recorder.h"

#include "sound/FlacRecording.h"

#include <filesystem>
#include <sys/stat.h>

namespace skedula {

namespace {

// Audio waiting for the recorder's thread, at most (a disk that hangs must not fill memory).
constexpr std::size_t MostQueuedSamples = 8 * 1024 * 1024;

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

Recorder::Recorder(CaptureFactory captures, ErrorSink onError)
    : captures_(std::move(captures)), onError_(std::move(onError)), thread_([this] { Run(); }) {}

Recorder::~Recorder() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void Recorder::Post(Event event) {
    {
        const std::lock_guard lock(mutex_);
        if (event.kind == Event::Kind::Audio) {
            if (queuedSamples_ + event.audio.size() > MostQueuedSamples)
                return;
            queuedSamples_ += event.audio.size();
        }
        if (event.kind == Event::Kind::Tuned)
            ++tunesWaiting_;
        events_.push_back(std::move(event));
    }
    wake_.notify_one();
}

// The window's side: quick, never waits for the recorder's thread.

void Recorder::EntryTuned(const TunedEntry&) {
    Event event{Event::Kind::Tuned};
    event.source = choice_.source;
    Post(std::move(event));
}

std::optional<std::string> Recorder::RecordingFor(const Measurement& measurement) {
    if (!choice_.source || named_)
        return std::nullopt;
    const std::lock_guard lock(mutex_);
    if (tunesWaiting_ == 0 && !windowUsable_)
        return std::nullopt;
    for (int copy = 1;; ++copy) {
        const std::string path =
            (std::filesystem::path(choice_.folder) / RecordingFileName(measurement, copy))
                .lexically_normal()
                .string();
        if (busy_.count(path) == 0 && !Exists(path)) {
            busy_.insert(path);
            named_ = path;
            return path;
        }
    }
}

void Recorder::EntryMeasured(const Measurement& measurement) {
    if (named_ && measurement.reported && measurement.recording == named_) {
        Event event{Event::Kind::Keep};
        event.path = *named_;
        event.tags = TagsFor(measurement);
        event.afterSeconds = choice_.afterSeconds;
        named_.reset();
        Post(std::move(event));
        return;
    }
    if (named_)
        Release(*named_);
    named_.reset();
    Post(Event{Event::Kind::Drop});
}

void Recorder::WatchStopped() {
    if (named_)
        Release(*named_);
    named_.reset();
    Post(Event{Event::Kind::Stop});
}

void Recorder::Release(const std::string& path) {
    const std::lock_guard lock(mutex_);
    busy_.erase(path);
}

// The recorder's thread.

void Recorder::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto deadline = NextDeadline();
        const auto ready = [this] { return quit_ || !events_.empty(); };
        if (deadline)
            wake_.wait_until(lock, *deadline, ready);
        else
            wake_.wait(lock, ready);
        std::deque<Event> events;
        events.swap(events_);
        queuedSamples_ = 0;
        const bool quit = quit_;
        lock.unlock();
        for (Event& event : events)
            Handle(event);
        Timeouts();
        if (quit) {
            // Ending the program ends a recording under way with what it has.
            if (recording_)
                FinishRecording();
            CloseWindow();
            StopCapture();
        }
        Share();
        if (quit)
            return;
        lock.lock();
    }
}

} // namespace skedula
