// The keeper of every measurement: a listener of the watch that appends each measured entry,
// reported or not, to the history database on a thread of its own, so that the tick never waits
// for the disk or for a second Skedula's lock. Measurements wait in order. A write that fails
// keeps its measurement waiting, and the next measurement tries again with it; a failure is
// told once, until a write succeeds again. The same thread builds missing indexes. The
// composition root owns it; the history window asks it about the indexes.
#pragma once

#include "engine/WatchListener.h"
#include "storage/HistoryIndexes.h"
#include "storage/HistoryStore.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>

namespace skedula {

struct HistoryLimits {
    // How long a write waits for a second Skedula's lock before it fails.
    std::chrono::milliseconds busyTimeout{5000};
    // Measurements kept while the database cannot be written; beyond, the oldest go. At the
    // most a list can measure (one entry each 10.5 s) this is more than a day.
    std::size_t mostWaiting = 10000;
};

class HistoryWriter final : public WatchListener, public HistoryIndexes {
public:
    // "<path>: <German message>". Called on the writer's thread, or on the watch's for
    // measurements lost to a full queue: whoever shows it must pass it to the GUI thread.
    using ErrorSink = std::function<void(const std::string& message)>;
    // A measurement is in the database, in the row with this id. Called on the writer's thread.
    using StoredSink = std::function<void(const Measurement&, long long id)>;

    HistoryWriter(std::string path, ErrorSink onError, StoredSink onStored = {},
                  HistoryLimits limits = {});
    // Finish().
    ~HistoryWriter() override;
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    const std::string& path() const { return path_; }

    // Off, measurements are not kept; those already waiting still go in. On by default.
    void setEnabled(bool enabled);
    bool enabled() const;

    // Never waits and never throws: the measurement joins the queue.
    void EntryMeasured(const Measurement& measurement) override;

    // An existing database is opened and its missing indexes built; none is made.
    void BuildIndexes() override;
    IndexStatus indexStatus() const override;

    // Measurements not yet in the database, the one being written included.
    std::size_t waiting() const;

    // Tries once more to write what waits, then ends the thread. Later measurements are not
    // kept. Call it before whatever the sinks reach goes away.
    void Finish();

private:
    void Run();
    // The row's id when the measurement is in the database; the failure when it is not.
    std::variant<long long, std::string> Write(const Measurement& measurement);
    void OpenStore();
    void BuildOnRequest();
    void SetIndexStatus(IndexStatus::State state, std::string failure = {});
    void Tell(const std::string& message);

    const std::string path_;
    const ErrorSink onError_;
    const StoredSink onStored_;
    const HistoryLimits limits_;

    // Only the writer's thread touches the store.
    std::optional<HistoryStore> store_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Measurement> queue_;
    bool enabled_ = true;
    bool mayTry_ = true; // false after a failure, until the next measurement comes
    // Measurements taken so far: one that came while a try was failing makes the next try.
    unsigned long arrivals_ = 0;
    bool failing_ = false;    // a failure was told, and no write succeeded since
    bool lossTold_ = false;   // measurements lost to a full queue were told
    bool buildAsked_ = false; // BuildIndexes waits for the thread
    bool stop_ = false;
    IndexStatus indexStatus_;
    std::thread thread_;
};

} // namespace skedula
