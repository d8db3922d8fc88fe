// A stored measurement as the history's pictures place it: the local day and minute it was
// stored with, its lowest sample (the value that decides a report) as dB relative to S9, its
// threshold and whether it was reported. The history reader makes them straight from the rows,
// the history window from a measurement just stored.
#pragma once

#include "engine/WatchListener.h"

#include <optional>
#include <string_view>

namespace skedula {

struct HistoryPoint {
    long long id = 0;    // the row's id, to read the whole measurement when it is wanted
    int day = 0;         // the Julian day of the local date it was stored with
    int minuteOfDay = 0; // of the local time it was stored with
    int second = 0;
    // Nothing when a sample had no reading.
    std::optional<double> lowestDb;
    std::optional<int> threshold;
    bool reported = false;
};

struct StoredTime {
    int day = 0; // Julian day
    int minuteOfDay = 0;
    int second = 0;
};

// Nothing for a text that does not begin "YYYY-MM-DDTHH:MM:SS".
std::optional<StoredTime> ParseStoredTime(std::string_view time);

// The lower edge of an S-unit, as rigctld's S-meter counts: S9 is 0 dB, S7 -12 dB.
double SUnitDb(int sUnit);
// A sample's level, or the lower edge of its S-unit where the radio gave no level.
double SampleDb(const Sample& sample);
// The lowest of three samples by S-unit, as the report decides, then by level; nothing when one
// had no reading.
std::optional<double> LowestDb(const std::array<std::optional<Sample>, 3>& samples);

// Nothing when its time cannot be placed.
std::optional<HistoryPoint> PointOf(const Measurement& measurement, long long id);

} // namespace skedula
