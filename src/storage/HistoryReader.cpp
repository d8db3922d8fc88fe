#include "storage/HistoryReader.h"

#include "engine/Error.h"
#include "storage/HistoryStore.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <tuple>

namespace skedula {

namespace {

const std::string kRowColumns = "time, frequency, mode, threshold, radio_frequency, radio_mode, "
                                "s1, s2, s3, level1, level2, level3, reported, recording";

// The S-units from column units on, the levels from column levels on.
void ReadSamples(const SqliteStatement& row, int units, int levels, Measurement& m) {
    for (int i = 0; i < 3; ++i)
        if (const std::optional<long long> unit = row.Integer(units + i))
            m.samples[static_cast<std::size_t>(i)] =
                Sample{static_cast<int>(*unit), row.Real(levels + i)};
}

Measurement RowOf(const SqliteStatement& row) {
    Measurement m;
    m.time = row.Text(0);
    m.frequency = row.Text(1);
    m.mode = row.Text(2);
    if (const std::optional<long long> threshold = row.Integer(3))
        m.threshold = static_cast<int>(*threshold);
    m.radioFrequency = row.Text(4);
    m.radioMode = row.Text(5);
    for (int i = 0; i < 3; ++i)
        if (const std::optional<long long> unit = row.Integer(6 + i))
            m.samples[static_cast<std::size_t>(i)] =
                Sample{static_cast<int>(*unit), row.Real(9 + i)};
    m.reported = row.Integer(12).value_or(0) != 0;
    m.recording = row.OptionalText(13);
    return m;
}

// Frequencies that are whole numbers sort by value, before any other text.
bool Before(const HistoryKey& a, const HistoryKey& b) {
    const auto number = [](const std::string& text) -> std::optional<unsigned long long> {
        if (text.empty() || text.size() > 18 ||
            !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        return std::stoull(text);
    };
    const auto na = number(a.frequency), nb = number(b.frequency);
    if (na.has_value() != nb.has_value())
        return na.has_value();
    if (na && *na != *nb)
        return *na < *nb;
    return std::tie(a.frequency, a.mode) < std::tie(b.frequency, b.mode);
}

} // namespace

template <typename Body> auto HistoryReader::Asking(Body body) {
    try {
        return body();
    } catch (const Error& e) {
        throw Error(path_ + ": " + e.what());
    }
}

HistoryReader::HistoryReader(std::string path) : path_(std::move(path)) {
    Asking([this] {
        db_.emplace(path_, SqliteConnection::Access::ReadOnly);
        // A writer that is making the database, or switching it to its log, holds it a moment.
        db_->SetBusyTimeout(2000);
        // Pages read where the file lies in memory, without a copy each: a year's entry is
        // 130,000 rows for the heat map, on as many pages as all entries' rows of those days.
        db_->Execute("PRAGMA mmap_size = 1073741824");
    });
}

bool HistoryReader::Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool HistoryReader::HasTable() {
    return Asking([this] {
        return db_->Integer("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                            "name = 'measurements'") == 1;
    });
}

bool HistoryReader::HasIndexes() {
    return Asking([this] { return HasHistoryIndexes(*db_); });
}

std::vector<HistoryEntry> HistoryReader::Entries() {
    return Asking([this] {
        // Entry by entry along the index: a step to the next entry, one to its latest day with a
        // report and one to that day's latest report, however many rows each entry has.
        const std::string day(kDayOfTime);
        SqliteStatement firstEntry = db_->Prepare(
            "SELECT frequency, mode FROM measurements ORDER BY frequency, mode LIMIT 1");
        SqliteStatement nextMode = db_->Prepare(
            "SELECT frequency, mode FROM measurements WHERE frequency = ?1 AND mode > ?2 "
            "ORDER BY frequency, mode LIMIT 1");
        SqliteStatement nextFrequency =
            db_->Prepare("SELECT frequency, mode FROM measurements WHERE frequency > ?1 "
                         "ORDER BY frequency, mode LIMIT 1");
        SqliteStatement lastReportDay =
            db_->Prepare("SELECT " + day + " FROM measurements WHERE frequency = ?1 AND " +
                         "mode = ?2 AND reported = 1 ORDER BY " + day + " DESC LIMIT 1");
        SqliteStatement lastReport =
            db_->Prepare("SELECT max(time) FROM measurements WHERE frequency = ?1 AND mode = ?2 "
                         "AND " +
                         day + " = ?3 AND reported = 1");
        const auto bindKey = [](SqliteStatement& query, const HistoryKey& key) {
            query.Reset();
            query.Bind(1, std::string_view(key.frequency));
            query.Bind(2, std::string_view(key.mode));
        };

        std::vector<HistoryEntry> entries;
        std::optional<HistoryKey> key;
        if (firstEntry.Step())
            key = HistoryKey{firstEntry.Text(0), firstEntry.Text(1)};
        while (key) {
            HistoryEntry& entry = entries.emplace_back(HistoryEntry{*key, std::nullopt});
            bindKey(lastReportDay, *key);
            if (lastReportDay.Step()) {
                bindKey(lastReport, *key);
                lastReport.Bind(3, lastReportDay.Integer(0));
                if (lastReport.Step())
                    entry.lastReport = lastReport.OptionalText(0);
            }
            bindKey(nextMode, *key);
            nextFrequency.Reset();
            nextFrequency.Bind(1, std::string_view(key->frequency));
            if (nextMode.Step())
                key = HistoryKey{nextMode.Text(0), nextMode.Text(1)};
            else if (nextFrequency.Step())
                key = HistoryKey{nextFrequency.Text(0), nextFrequency.Text(1)};
            else
                key.reset();
        }
        std::sort(entries.begin(), entries.end(), [](const HistoryEntry& a, const HistoryEntry& b) {
            return Before(a.key, b.key);
        });
        return entries;
    });
}

std::vector<HistoryCounts> HistoryReader::Counts() {
    return Asking([this] {
        SqliteStatement counts =
            db_->Prepare("SELECT frequency, mode, count(*), sum(reported) FROM measurements "
                         "GROUP BY frequency, mode");
        std::vector<HistoryCounts> found;
        while (counts.Step())
            found.push_back({{counts.Text(0), counts.Text(1)},
                             counts.Integer(2).value_or(0),
                             counts.Integer(3).value_or(0)});
        return found;
    });
}

std::optional<HistoryKey> HistoryReader::LatestEntry() {
    return Asking([this]() -> std::optional<HistoryKey> {
        SqliteStatement latest =
            db_->Prepare("SELECT frequency, mode FROM measurements ORDER BY id DESC LIMIT 1");
        if (!latest.Step())
            return std::nullopt;
        return HistoryKey{latest.Text(0), latest.Text(1)};
    });
}

void HistoryReader::Points(const HistoryKey& key, const std::string& firstDay,
                           std::vector<HistoryPoint>& points) {
    Asking([&] {
        // The day said as the index says it, so that the index finds the range.
        const std::string where = " FROM measurements WHERE frequency = ?1 AND mode = ?2 AND " +
                                  std::string(kDayOfTime) + " >= CAST(julianday(?3) AS INTEGER)";
        SqliteStatement rows = db_->Prepare(
            "SELECT id, time, threshold, s1, s2, s3, level1, level2, level3, reported" + where);
        rows.Bind(1, std::string_view(key.frequency));
        rows.Bind(2, std::string_view(key.mode));
        rows.Bind(3, std::string_view(firstDay));
        points.clear();
        Measurement samples;
        while (rows.Step()) {
            const std::optional<StoredTime> at = ParseStoredTime(rows.TextView(1));
            if (!at)
                continue;
            samples.samples = {};
            ReadSamples(rows, 3, 6, samples);
            const std::optional<long long> threshold = rows.Integer(2);
            points.push_back(
                {rows.Integer(0).value_or(0), at->day, at->minuteOfDay, at->second,
                 LowestDb(samples.samples),
                 threshold ? std::optional<int>(static_cast<int>(*threshold)) : std::nullopt,
                 rows.Integer(9).value_or(0) != 0});
        }
    });
}

std::vector<Measurement> HistoryReader::MeasurementsOfDays(const HistoryKey& key,
                                                           const std::string& firstDay,
                                                           const std::string& lastDay) {
    return Asking([&] {
        const std::string day(kDayOfTime);
        SqliteStatement rows = db_->Prepare(
            "SELECT " + kRowColumns + " FROM measurements WHERE frequency = ?1 AND mode = ?2 AND " +
            day + " >= CAST(julianday(?3) AS INTEGER) AND " + day +
            " <= CAST(julianday(?4) AS INTEGER) ORDER BY id");
        rows.Bind(1, std::string_view(key.frequency));
        rows.Bind(2, std::string_view(key.mode));
        rows.Bind(3, std::string_view(firstDay));
        rows.Bind(4, std::string_view(lastDay));
        std::vector<Measurement> found;
        while (rows.Step())
            found.push_back(RowOf(rows));
        return found;
    });
}

std::optional<Measurement> HistoryReader::MeasurementWithId(long long id) {
    return Asking([&]() -> std::optional<Measurement> {
        SqliteStatement row =
            db_->Prepare("SELECT " + kRowColumns + " FROM measurements WHERE id = ?1");
        row.Bind(1, std::optional<long long>(id));
        if (!row.Step())
            return std::nullopt;
        return RowOf(row);
    });
}

void HistoryReader::EachMeasurement(const HistoryKey& key,
                                    const std::function<void(const Measurement&)>& use) {
    Asking([&] {
        SqliteStatement rows = db_->Prepare("SELECT " + kRowColumns +
                                            " FROM measurements WHERE frequency = ?1 AND "
                                            "mode = ?2 ORDER BY id");
        rows.Bind(1, std::string_view(key.frequency));
        rows.Bind(2, std::string_view(key.mode));
        while (rows.Step())
            use(RowOf(rows));
    });
}

} // namespace skedula
