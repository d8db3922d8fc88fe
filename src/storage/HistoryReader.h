// The history window's questions to the history database: which entries were measured, with
// their last report; how many measurements and reports each has; the entry of the latest
// measurement; an entry's measurements from a day on, placed for the heat map; the whole
// measurements of a few days, or of one row. Read-only, on the thread that asks; the counts
// take a pass over the whole index, the rest only the rows they give.
#pragma once

#include "engine/WatchListener.h"
#include "storage/HistoryPoint.h"
#include "storage/Sqlite.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace skedula {

// A watch entry as the history knows it: its frequency and mode cells.
struct HistoryKey {
    std::string frequency;
    std::string mode;
    bool operator==(const HistoryKey&) const = default;
};

struct HistoryEntry {
    HistoryKey key;
    std::optional<std::string> lastReport; // the time of the latest report
};

struct HistoryCounts {
    HistoryKey key;
    long long measurements = 0;
    long long reports = 0;
};

class HistoryReader {
public:
    // Opens an existing database read-only. Throws Error "<path>: <German reason>"; a database
    // that is not there is Error too (see Exists).
    explicit HistoryReader(std::string path);

    static bool Exists(const std::string& path);

    // A database made a moment ago, or by another program, may not have it yet.
    bool HasTable();
    bool HasIndexes();
    // Ordered by frequency (as a number where it is one), then mode.
    std::vector<HistoryEntry> Entries();
    // Every entry's counts; a pass over the whole index (a third of a second for a year of the
    // most a list can measure), so the window asks for them away from its thread.
    std::vector<HistoryCounts> Counts();
    // The entry of the measurement written last; nothing in an empty table.
    std::optional<HistoryKey> LatestEntry();
    // The entry's measurements from the local day firstDay ("YYYY-MM-DD") on, placed, day by day
    // but not in time order within a day; rows whose time cannot be placed are left out. They
    // replace what points held, whose memory is used again. A sample whose S-unit is NULL counts
    // as no reading.
    void Points(const HistoryKey& key, const std::string& firstDay,
                std::vector<HistoryPoint>& points);
    // The entry's whole measurements of the local days firstDay to lastDay, in the order written.
    std::vector<Measurement> MeasurementsOfDays(const HistoryKey& key, const std::string& firstDay,
                                                const std::string& lastDay);
    // The measurement in the row with this id; nothing when there is none.
    std::optional<Measurement> MeasurementWithId(long long id);
    // Every measurement of the entry, in the order written, one at a time.
    void EachMeasurement(const HistoryKey& key, const std::function<void(const Measurement&)>& use);

private:
    // Runs the body, turning a failure into Error naming the file.
    template <typename Body> auto Asking(Body body);

    std::string path_;
    std::optional<SqliteConnection> db_;
};

} // namespace skedula
