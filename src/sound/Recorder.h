// The recorder: a listener of the watch that keeps the receiver's audio around each report.
// It captures the chosen source from each entry's tuning; when the entry is reported, that
// capture and what follows for "Nachlauf" seconds, or until the next tuning, becomes a FLAC
// file; an entry that is not reported keeps nothing. Capturing, encoding and writing run on
// threads of their own, so that no tick waits for sound; a failure is told once, until a
// success in between. The composition root owns it.
#pragma once

#include "engine/WatchListener.h"
#include "sound/Capture.h"
#include "sound/RecordingChoice.h"
#include "sound/RecordingName.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace skedula {

class FlacRecording;

class Recorder final : public WatchListener {
public:
    // Called on the recorder's own thread with "<file or source>: <German reason>".
    using ErrorSink = std::function<void(const std::string& message)>;

    Recorder(CaptureFactory captures, ErrorSink onError);
    // A recording under way ends with what was captured.
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Followed from the next tuning; no source records nothing. Not checked here.
    void setChoice(const RecordingChoice& choice) { choice_ = choice; }
    const RecordingChoice& choice() const { return choice_; }

    void EntryTuned(const TunedEntry& entry) override;
    // A free name in the folder ("-2", "-3" for one that exists or is being written), when a
    // source is chosen and the entry's capture has audio or may still deliver it.
    std::optional<std::string> RecordingFor(const Measurement& measurement) override;
    void EntryMeasured(const Measurement& measurement) override;
    void WatchStopped() override;

private:
    // What the recorder's thread is told, by the window's thread and by the captures.
    struct Event {
        enum class Kind { Tuned, Keep, Drop, Stop, Started, Audio, Failed };
        explicit Event(Kind what) : kind(what) {}

        Kind kind;
        std::uint64_t capture = 0; // the capture that sent it
        std::optional<std::string> source;
        std::string path;
        RecordingTags tags;
        int afterSeconds = 0;
        CaptureFormat format;
        std::vector<std::int16_t> audio;
        std::string reason;
    };
    class Link;

    void Post(Event event);
    void Run();
    void Handle(Event& event);
    // The worker's steps, on the recorder's thread.
    void OpenWindow(const std::optional<std::string>& source);
    void Keep(const std::string& path, const RecordingTags& tags, int afterSeconds);
    void CloseWindow();
    // Nothing to capture for: the capture ends soon, unless the next tuning follows.
    void LingerIfIdle();
    void Take(const std::vector<std::int16_t>& audio);
    void CaptureEnded(const std::string& reason);
    void StartCapture(const std::string& source);
    void StopCapture();
    void FinishRecording();
    void AbandonRecording(std::string path, const std::string& why);
    void TellSource(const std::string& reason);
    void TellFile(const std::string& path, const std::string& reason);
    void Release(const std::string& path);
    // What the window's side may know: a tuning handled, whether the window can record.
    void Share(bool tuned = false);
    std::optional<std::chrono::steady_clock::time_point> NextDeadline() const;
    void Timeouts();

    CaptureFactory captures_;
    ErrorSink onError_;
    RecordingChoice choice_;
    std::optional<std::string> named_; // the name given to the entry being measured

    // Shared between the window's thread, the captures' threads and the recorder's thread.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Event> events_;
    std::size_t queuedSamples_ = 0;
    bool quit_ = false;
    int tunesWaiting_ = 0;       // tunings posted and not yet handled
    bool windowUsable_ = false;  // the handled window has audio or a live capture
    std::set<std::string> busy_; // names given and not yet written or given up

    // The recorder's thread alone.
    std::unique_ptr<Capture> capture_;
    std::uint64_t captureId_ = 0;
    std::string captureSource_;
    std::optional<CaptureFormat> format_;
    bool captureAlive_ = false;
    std::optional<std::chrono::steady_clock::time_point> lingerUntil_;
    bool windowOpen_ = false;
    std::deque<std::vector<std::int16_t>> window_;
    std::int64_t windowFrames_ = 0;
    std::unique_ptr<FlacRecording> recording_;
    std::int64_t framesToGo_ = 0;
    std::chrono::steady_clock::time_point recordingDeadline_;
    bool sourceFailing_ = false;
    bool fileFailing_ = false;

    std::thread thread_; // last: starts once everything above is there
};

} // namespace skedula
