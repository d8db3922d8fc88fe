// What the history window reads: the entries with their counts and last report, the entry of
// the latest measurement, an entry's days; and the CSV a listener exports.
#include "storage/HistoryReader.h"
#include "HistoryTestKit.h"
#include "TestFiles.h"
#include "engine/Error.h"
#include "storage/HistoryCsv.h"
#include "storage/HistoryPoint.h"
#include "storage/HistoryStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace skedula {
namespace {

Measurement Of(const std::string& frequency, const std::string& mode, const std::string& time,
               bool reported = false) {
    Measurement m = test::Measured(time, reported);
    m.frequency = frequency;
    m.mode = mode;
    return m;
}

TEST(HistoryReader, ListsTheEntriesWithTheirLastReportCountsThemAndReadsAnEntrysDays) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    {
        HistoryStore store(path, std::chrono::seconds(1));
        store.Append(Of("9650000", "AM", "2026-12-05T23:59:10+01:00", true));
        store.Append(Of("9650000", "AM", "2026-12-06T00:00:10+01:00"));
        store.Append(Of("14230000", "USB", "2026-12-06T06:00:10+01:00"));
        store.Append(Of("9650000", "AM", "2026-12-07T14:30:10+01:00", true));
        store.Append(Of("Kurzwelle", "AM", "2026-12-07T14:31:10+01:00"));
        store.Append(Of("9650000", "USB", "2026-12-07T14:32:10+01:00", true));
        store.Append(Of("14230000", "USB", "2026-12-07T14:33:10+01:00"));
        // Written by hand: an S-unit missing beside its level counts as no reading.
        SqliteConnection db(path, SqliteConnection::Access::ReadWriteCreate);
        db.Execute("INSERT INTO measurements (time, frequency, mode, s1, level1, reported) VALUES "
                   "('2026-12-07T15:00:00+01:00', '9650000', 'AM', NULL, -20.0, 0)");
    }
    HistoryReader reader(path);
    EXPECT_TRUE(reader.HasIndexes());
    std::vector<std::string> listed;
    for (const HistoryEntry& e : reader.Entries())
        listed.push_back(e.key.frequency + " " + e.key.mode + " " + e.lastReport.value_or("-"));
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "9650000 AM 2026-12-07T14:30:10+01:00",
                          "9650000 USB 2026-12-07T14:32:10+01:00",
                          "14230000 USB -",
                          "Kurzwelle AM -",
                      }));
    std::vector<std::string> counted;
    for (const HistoryCounts& c : reader.Counts())
        counted.push_back(c.key.frequency + " " + c.key.mode + " " +
                          std::to_string(c.measurements) + " " + std::to_string(c.reports));
    std::sort(counted.begin(), counted.end());
    EXPECT_EQ(counted, (std::vector<std::string>{"14230000 USB 2 0", "9650000 AM 4 2",
                                                 "9650000 USB 1 1", "Kurzwelle AM 1 0"}));
    EXPECT_EQ(reader.LatestEntry(), (HistoryKey{"9650000", "AM"}));

    // Placed day by day, not in time order within a day; the hand-written row has no reading.
    std::vector<HistoryPoint> points(7);
    reader.Points({"9650000", "AM"}, "2026-12-06", points);
    std::sort(points.begin(), points.end(), [](const HistoryPoint& a, const HistoryPoint& b) {
        return std::tie(a.day, a.minuteOfDay) < std::tie(b.day, b.minuteOfDay);
    });
    std::vector<std::string> placed;
    for (const HistoryPoint& p : points)
        placed.push_back(std::to_string(p.day) + " " + std::to_string(p.minuteOfDay) + " " +
                         std::to_string(p.second) + " " +
                         (p.lowestDb ? std::to_string(*p.lowestDb) : "-") + " " +
                         (p.threshold ? std::to_string(*p.threshold) : "-") +
                         (p.reported ? " gemeldet" : ""));
    EXPECT_EQ(placed, (std::vector<std::string>{"2461381 0 10 -17.500000 5",
                                                "2461382 870 10 -17.500000 5 gemeldet",
                                                "2461382 900 0 - -"}));
    const std::optional<Measurement> report = reader.MeasurementWithId(points[1].id);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->time, "2026-12-07T14:30:10+01:00");
    EXPECT_EQ(report->radioFrequency, "7100000");
    EXPECT_FALSE(reader.MeasurementWithId(4711).has_value());
    reader.Points({"9650000", "AM"}, "2026-12-08", points);
    EXPECT_TRUE(points.empty());

    std::vector<std::string> times;
    for (const Measurement& m :
         reader.MeasurementsOfDays({"9650000", "AM"}, "2026-12-05", "2026-12-06"))
        times.push_back(m.time);
    EXPECT_EQ(times,
              (std::vector<std::string>{"2026-12-05T23:59:10+01:00", "2026-12-06T00:00:10+01:00"}));
}

// The value that colours a measurement: its lowest sample by S-unit, then by level, as a level;
// the lower edge of the S-unit where there is no level; nothing without a reading.
TEST(HistoryPoint, TheLowestSampleDecidesAndATimeMustBePlaceable) {
    const auto lowest = [](std::array<std::optional<Sample>, 3> samples) {
        const std::optional<double> db = LowestDb(samples);
        return db ? std::to_string(*db) : "-";
    };
    EXPECT_EQ(lowest({Sample{7, -12.0}, Sample{6, -13.0}, Sample{9, 20.0}}), "-13.000000");
    EXPECT_EQ(lowest({Sample{7, -7.0}, Sample{7, -11.5}, Sample{7, -9.0}}), "-11.500000");
    EXPECT_EQ(lowest({Sample{5, {}}, Sample{5, -20.0}, Sample{8, {}}}), "-24.000000");
    EXPECT_EQ(lowest({Sample{9, 10.0}, std::nullopt, Sample{9, 10.0}}), "-");

    EXPECT_EQ(ParseStoredTime("2026-12-07T14:30:10-03:30")->day, 2461382);
    EXPECT_EQ(ParseStoredTime("2026-12-07T14:30:10")->minuteOfDay, 870);
    for (const char* bad : {"", "2026-12-07", "2026-12-07 14:30:10", "2026-13-07T14:30:10",
                            "2026-12-07T24:00:00", "gestern"})
        EXPECT_FALSE(ParseStoredTime(bad).has_value()) << bad;
}

TEST(HistoryReader, AnEmptyTableHasNoLatestEntryAndAMissingDatabaseIsNamed) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    EXPECT_FALSE(HistoryReader::Exists(path));
    try {
        HistoryReader missing(path);
        ADD_FAILURE() << "opened a database that is not there";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), path + ": Datei nicht gefunden");
    }
    { SqliteConnection empty(path, SqliteConnection::Access::ReadWriteCreate); }
    EXPECT_FALSE(HistoryReader(path).HasTable());
    { HistoryStore store(path, std::chrono::seconds(1)); }
    HistoryReader reader(path);
    EXPECT_TRUE(reader.HasTable());
    EXPECT_FALSE(reader.LatestEntry().has_value());
    EXPECT_TRUE(reader.Entries().empty());
}

TEST(HistoryCsv, EveryMeasurementOfTheEntryAsASpreadsheetReadsIt) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    {
        HistoryStore store(path, std::chrono::seconds(1));
        Measurement reported = Of("9650000", "AM", "2026-12-07T14:30:10+01:00", true);
        reported.recording = "/home/hörer/a;b.flac";
        reported.samples[1]->levelDb = 0.5;
        store.Append(reported);
        store.Append(Of("7100000", "AM", "2026-12-07T14:30:20+01:00"));
        Measurement none = Of("9650000", "AM", "2026-12-07T14:31:10+01:00");
        none.samples = {};
        none.threshold.reset();
        none.radioMode = "A\"M";
        store.Append(none);
    }
    HistoryReader reader(path);
    const std::string file = home / "export.csv";
    ExportHistoryCsv(reader, {"9650000", "AM"}, file);
    EXPECT_EQ(test::ReadFile(file),
              std::string(kHistoryCsvHeader) +
                  "2026-12-07T14:30:10+01:00;9650000;AM;5;7100000;AM;7;7;6;-12;0,5;-17,5;1;"
                  "\"/home/hörer/a;b.flac\"\r\n"
                  "2026-12-07T14:31:10+01:00;9650000;AM;;7100000;\"A\"\"M\";;;;;;;0;\r\n");

    try {
        ExportHistoryCsv(reader, {"9650000", "AM"}, home / "fehlt/export.csv");
        ADD_FAILURE() << "wrote into a folder that is not there";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), home / "fehlt/export.csv" + ": Ungültiger Dateiname");
    }
}

} // namespace
} // namespace skedula
