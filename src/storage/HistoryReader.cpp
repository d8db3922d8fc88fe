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
        // Two passes over the indexes: all measurements, then the far fewer reports.
        std::map<std::pair<std::string, std::string>, HistoryEntry> found;
        SqliteStatement all = db_->Prepare(
            "SELECT frequency, mode, count(*) FROM measurements GROUP BY frequency, mode");
        while (all.Step()) {
            HistoryEntry& entry = found[{all.Text(0), all.Text(1)}];
            entry.key = {all.Text(0), all.Text(1)};
            entry.measurements = all.Integer(2).value_or(0);
        }
        SqliteStatement reports =
            db_->Prepare("SELECT frequency, mode, count(*), max(time) FROM measurements "
                         "WHERE reported = 1 GROUP BY frequency, mode");
        while (reports.Step()) {
            const auto it = found.find({reports.Text(0), reports.Text(1)});
            if (it == found.end())
                continue; // written between the two passes
            it->second.reports = reports.Integer(2).value_or(0);
            it->second.lastReport = reports.OptionalText(3);
        }
        std::vector<HistoryEntry> entries;
        for (auto& [key, entry] : found)
            entries.push_back(std::move(entry));
        std::sort(entries.begin(), entries.end(), [](const HistoryEntry& a, const HistoryEntry& b) {
            return Before(a.key, b.key);
        });
        return entries;
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

std::vector<Measurement> HistoryReader::Measurements(const HistoryKey& key,
                                                     const std::string& firstDay) {
    return Asking([&] {
        // The day said as the index says it, so that the index finds the range.
        SqliteStatement rows = db_->Prepare(
            "SELECT " + kRowColumns + " FROM measurements WHERE frequency = ?1 AND mode = ?2 AND " +
            std::string(kDayOfTime) + " >= CAST(julianday(?3) AS INTEGER)");
        rows.Bind(1, std::string_view(key.frequency));
        rows.Bind(2, std::string_view(key.mode));
        rows.Bind(3, std::string_view(firstDay));
        std::vector<Measurement> found;
        while (rows.Step())
            found.push_back(RowOf(rows));
        return found;
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
