// What the history window reads: the entries with their counts and last report, the entry of
// the latest measurement, an entry's days; and the CSV a listener exports.
#include "storage/HistoryReader.h"
#include "HistoryTestKit.h"
#include "TestFiles.h"
#include "engine/Error.h"
#include "storage/HistoryCsv.h"
#include "storage/HistoryStore.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

Measurement Of(const std::string& frequency, const std::string& mode, const std::string& time,
               bool reported = false) {
    Measurement m = test::Measured(time, reported);
    m.frequency = frequency;
    m.mode = mode;
    return m;
}

TEST(HistoryReader, ListsTheEntriesWithCountsAndLastReportAndReadsAnEntrysDays) {
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
        listed.push_back(e.key.frequency + " " + e.key.mode + " " + std::to_string(e.measurements) +
                         " " + std::to_string(e.reports) + " " + e.lastReport.value_or("-"));
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "9650000 AM 4 2 2026-12-07T14:30:10+01:00",
                          "9650000 USB 1 1 2026-12-07T14:32:10+01:00",
                          "14230000 USB 2 0 -",
                          "Kurzwelle AM 1 0 -",
                      }));
    EXPECT_EQ(reader.LatestEntry(), (HistoryKey{"9650000", "AM"}));

    const std::vector<Measurement> days = reader.Measurements({"9650000", "AM"}, "2026-12-06");
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[0].time, "2026-12-06T00:00:10+01:00");
    EXPECT_EQ(days[1].samples[2]->levelDb, -17.5);
    EXPECT_TRUE(days[1].reported);
    EXPECT_FALSE(days[2].samples[0].has_value());
    EXPECT_FALSE(days[2].threshold.has_value());
    EXPECT_TRUE(reader.Measurements({"9650000", "AM"}, "2026-12-08").empty());
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
