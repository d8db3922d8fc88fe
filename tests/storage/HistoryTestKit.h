// Helpers for the history's tests: a database's rows as text (SQLite's quote(), so that NULL and
// numbers show as they are stored), a measurement made to order, a wait for the writer's thread,
// and a child process that runs on its own.
#pragma once

#include "engine/WatchListener.h"
#include "storage/HistoryWriter.h"
#include "storage/Sqlite.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace skedula::test {

// Every row, in the order written: "'2026-12-07T14:30:10+01:00'|'7100000'|...|NULL".
inline std::vector<std::string> Rows(const std::string& path) {
    SqliteConnection db(path, SqliteConnection::Access::ReadOnly);
    db.SetBusyTimeout(2000);
    SqliteStatement rows = db.Prepare(
        "SELECT quote(time) || '|' || quote(frequency) || '|' || quote(mode) || '|' || "
        "quote(threshold) || '|' || quote(radio_frequency) || '|' || quote(radio_mode) || '|' || "
        "quote(s1) || '|' || quote(s2) || '|' || quote(s3) || '|' || quote(level1) || '|' || "
        "quote(level2) || '|' || quote(level3) || '|' || quote(reported) || '|' || "
        "quote(recording) FROM measurements ORDER BY id");
    std::vector<std::string> found;
    while (rows.Step())
        found.push_back(rows.Text(0));
    return found;
}

inline long long Count(const std::string& path, const std::string& query) {
    SqliteConnection db(path, SqliteConnection::Access::ReadOnly);
    db.SetBusyTimeout(2000);
    return db.Integer(query);
}

inline std::string IntegrityCheck(const std::string& path) {
    SqliteConnection db(path, SqliteConnection::Access::ReadOnly);
    SqliteStatement check = db.Prepare("PRAGMA integrity_check");
    return check.Step() ? check.Text(0) : "no answer";
}

// A measurement of 7100000 AM at the given time: S7 S7 S6 at -12, -12 and -17.5 dB, threshold 5.
inline Measurement Measured(std::string time, bool reported = false) {
    Measurement m;
    m.time = std::move(time);
    m.frequency = m.radioFrequency = "7100000";
    m.mode = m.radioMode = "AM";
    m.threshold = 5;
    m.samples = {Sample{7, -12.0}, Sample{7, -12.0}, Sample{6, -17.5}};
    m.reported = reported;
    return m;
}

// "2026-12-07T14:30:10+01:00" and the n-th minute after it.
inline std::string MinuteAfter(int n) {
    const int minute = 14 * 60 + 30 + n;
    char text[40];
    std::snprintf(text, sizeof text, "2026-12-%02dT%02d:%02d:10+01:00", 7 + minute / 1440,
                  minute / 60 % 24, minute % 60);
    return text;
}

// Waits for the writer's thread to be done with what waits; the bound only stops a broken test.
inline bool Drained(const HistoryWriter& writer) {
    for (int i = 0; i < 2000 && writer.waiting() != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return writer.waiting() == 0;
}

// The boxes a writer would show, gathered from its thread.
class Told {
public:
    HistoryWriter::ErrorSink Sink() {
        return [this](const std::string& message) {
            const std::lock_guard lock(mutex_);
            messages_.push_back(message);
        };
    }
    std::vector<std::string> Messages() const {
        const std::lock_guard lock(mutex_);
        return messages_;
    }
    // Waits until there are this many; the bound only stops a broken test.
    bool WaitFor(std::size_t count) const {
        for (int i = 0; i < 2000 && Messages().size() < count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return Messages().size() >= count;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
};

// Runs body in a forked child, which ends with body's result as its exit code.
inline pid_t Spawn(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}

} // namespace skedula::test
