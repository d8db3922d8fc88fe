// The moments of the watch that the features beyond the log listen to (the report file, the
// history, the recorder, the notification and the report command): an entry was tuned, an
// entry was measured, the watch stopped. The engine announces each moment once, to every
// listener in the order the composition root attached them; it knows none of them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace skedula {

// One S-meter sample as it was read.
struct Sample {
    int sUnit = 0;                 // the S-unit the sample step read
    std::optional<double> levelDb; // dB relative to S9 behind it, where the radio gave a level
};

// A queue entry at its tuning step: the cells it was tuned with.
struct TunedEntry {
    std::string frequency;
    std::string mode;
};

// A queue entry after its third sample, reported or not, also when its evaluation failed.
struct Measurement {
    std::string time; // ISO 8601 with the offset at the third sample, "2026-12-07T14:30:10+01:00"
    // The queue entry's cells, as queued.
    std::string frequency;
    std::string mode;
    std::string alarm;
    std::optional<int> threshold; // nothing: the threshold cell could not be read
    // What the radio reported at the third sample.
    std::string radioFrequency;
    std::string radioMode;
    // Nothing where a sample had no reading (the S-meter text was empty or not readable).
    std::array<std::optional<Sample>, 3> samples;
    bool reported = false;
    // The six lines the log got (the first one empty); none when not reported.
    std::vector<std::string> reportLines;
    // The absolute path the report's recording will have; nothing without one.
    std::optional<std::string> recording;
};

// A listener never throws for its own failures: it reports them itself (a box once, until a
// success in between) and leaves the others and the tick alone. One that takes time does its
// work away from the tick.
class WatchListener {
public:
    virtual ~WatchListener() = default;
    virtual void EntryTuned(const TunedEntry&) {}
    // Asked for a reported entry before EntryMeasured: the path its recording will have, which
    // the measurement then carries to every listener. The first listener with an answer names it.
    virtual std::optional<std::string> RecordingFor(const Measurement&) { return std::nullopt; }
    virtual void EntryMeasured(const Measurement&) {}
    // Stop was pressed: an entry under way is dropped.
    virtual void WatchStopped() {}
};

} // namespace skedula
