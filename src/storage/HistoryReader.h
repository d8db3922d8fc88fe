// The history window's questions to the history database: which entries were measured, with
// their counts and last report; the entry of the latest measurement; an entry's measurements
// from a day on. Read-only, on the thread that asks.
#pragma once

#include "engine/WatchListener.h"
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
    long long measurements = 0;
    long long reports = 0;
    std::optional<std::string> lastReport; // the time of the latest report
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
    // The entry of the measurement written last; nothing in an empty table.
    std::optional<HistoryKey> LatestEntry();
    // The entry's measurements from the local day firstDay ("YYYY-MM-DD") on, day by day, in the
    // order they were written within a day. Rows are read as Skedula writes them; a sample
    // whose S-unit is NULL counts as no reading.
    std::vector<Measurement> Measurements(const HistoryKey& key, const std::string& firstDay);
    // Every measurement of the entry, in the order written, one at a time.
    void EachMeasurement(const HistoryKey& key, const std::function<void(const Measurement&)>& use);

private:
    // Runs the body, turning a failure into Error naming the file.
    template <typename Body> auto Asking(Body body);

    std::string path_;
    std::optional<SqliteConnection> db_;
};

} // namespace skedula
