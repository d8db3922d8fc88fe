// The history writer and its store: every measured entry becomes one row as the watch measured
// it, in a table other programs can read; a failure is told once and costs no measurement while
// the program runs; a killed writer and a second writer leave every committed row intact.
#include "storage/HistoryWriter.h"
#include "HistoryTestKit.h"
#include "TestFiles.h"
#include "fakes/ChildProcess.h"
#include "fakes/EngineRig.h"
#include "storage/HistoryStore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/wait.h>

namespace skedula {
namespace {

using namespace std::chrono_literals;
using test::MinuteAfter;
using test::Rows;

const HistoryLimits kShortWait{200ms};

TEST(HistoryStore, ANewDatabaseHasTheTableAsPublishedItsIndexesTheLogAndTheMark) {
    test::TempFolder home;
    const std::string path = home / "neu/Skedula/verlauf.sqlite";
    { HistoryStore store(path, 5s); }

    SqliteConnection db(path, SqliteConnection::Access::ReadOnly);
    SqliteStatement columns =
        db.Prepare("SELECT name || ' ' || type || ' ' || \"notnull\" || ' ' || pk FROM "
                   "pragma_table_info('measurements') ORDER BY cid");
    std::vector<std::string> found;
    while (columns.Step())
        found.push_back(columns.Text(0));
    EXPECT_EQ(found, (std::vector<std::string>{
                         "id INTEGER 0 1", "time TEXT 1 0", "frequency TEXT 1 0", "mode TEXT 1 0",
                         "threshold INTEGER 0 0", "radio_frequency TEXT 0 0", "radio_mode TEXT 0 0",
                         "s1 INTEGER 0 0", "s2 INTEGER 0 0", "s3 INTEGER 0 0", "level1 REAL 0 0",
                         "level2 REAL 0 0", "level3 REAL 0 0", "reported INTEGER 1 0",
                         "recording TEXT 0 0"}));
    EXPECT_EQ(db.Integer("PRAGMA user_version"), kHistorySchemaVersion);
    SqliteStatement journal = db.Prepare("PRAGMA journal_mode");
    ASSERT_TRUE(journal.Step());
    EXPECT_EQ(journal.Text(0), "wal");
    EXPECT_TRUE(HasHistoryIndexes(db));
}

// The rows of one minute's queue: a report with its recording; an entry below its threshold; one
// whose S-meter gave no reading; one whose threshold cell is not readable (its evaluation failed).
TEST(HistoryWriter, EveryMeasuredEntryIsARowWithItsValuesAndNullsWhereThereWasNothing) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    test::Told told;
    HistoryWriter writer(path, told.Sink());
    fakes::EngineRig rig(writer);
    rig.entry(1, "14:30", "7100000", "AM", "S5");
    rig.entry(2, "14:30", "9650000", "AM", "S5");
    rig.entry(3, "14:30", "6070000", "AM", "S5");
    rig.entry(4, "14:30", "3630000", "LSB", "S?");
    rig.link.followTuning = true;
    rig.link.sMeterAt = {
        {"7100000", "S7"}, {"9650000", "S3"}, {"6070000", ""}, {"3630000", "S9+10dB"}};
    const std::map<std::string, double> levels = {
        {"7100000", -12}, {"9650000", -31.5}, {"6070000", -3}, {"3630000", 10}};
    rig.listener.recording = "/home/hörer/Aufnahmen/7100000.flac";
    rig.startBefore(14, 30);
    rig.runTicks(84, [&](int) {
        const auto level = levels.find(rig.link.frequency);
        rig.link.sMeterLevel = level != levels.end() ? std::optional(level->second) : std::nullopt;
    });

    ASSERT_TRUE(test::Drained(writer));
    EXPECT_EQ(Rows(path),
              (std::vector<std::string>{
                  "'2026-12-07T14:30:10+01:00'|'7100000'|'AM'|5|'7100000'|'AM'|7|7|7|-12.0|-12.0|"
                  "-12.0|1|'/home/hörer/Aufnahmen/7100000.flac'",
                  "'2026-12-07T14:30:20+01:00'|'9650000'|'AM'|5|'9650000'|'AM'|3|3|3|-31.5|-31.5|"
                  "-31.5|0|NULL",
                  "'2026-12-07T14:30:31+01:00'|'6070000'|'AM'|5|'6070000'|'AM'|NULL|NULL|NULL|"
                  "NULL|NULL|NULL|0|NULL",
                  "'2026-12-07T14:30:41+01:00'|'3630000'|'LSB'|NULL|'3630000'|'LSB'|9|9|9|10.0|"
                  "10.0|10.0|0|NULL",
              }));
    EXPECT_TRUE(told.Messages().empty());
    EXPECT_EQ(rig.reported, std::vector<std::string>{"'?' ist kein gültiger Integerwert"});
}

// A table that another program made, without Skedula's indexes and in the rollback journal, is
// taken as it is and completed; one that lacks a column Skedula writes is named.
TEST(HistoryWriter, ATableFromAnotherProgramGetsTheIndexesAndOneWithoutAColumnIsNamed) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    {
        SqliteConnection db(path, SqliteConnection::Access::ReadWriteCreate);
        db.Execute(std::string(kMeasurementsTable) +
                   ";\nINSERT INTO measurements (time, frequency, mode, reported) VALUES "
                   "('2026-01-02T03:04:05+01:00', '9650000', 'AM', 0)");
    }
    test::Told told;
    HistoryWriter writer(path, told.Sink());
    EXPECT_EQ(writer.indexStatus().state, IndexStatus::State::NotAsked);
    writer.BuildIndexes();
    for (int i = 0; i < 2000 && writer.indexStatus().state != IndexStatus::State::Ready; ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(writer.indexStatus().state, IndexStatus::State::Ready);
    writer.EntryMeasured(test::Measured(MinuteAfter(0)));
    ASSERT_TRUE(test::Drained(writer));
    {
        SqliteConnection db(path, SqliteConnection::Access::ReadOnly);
        EXPECT_TRUE(HasHistoryIndexes(db));
        EXPECT_EQ(db.Integer("PRAGMA user_version"), kHistorySchemaVersion);
        EXPECT_EQ(db.Integer("SELECT count(*) FROM measurements"), 2);
        SqliteStatement journal = db.Prepare("PRAGMA journal_mode");
        ASSERT_TRUE(journal.Step());
        EXPECT_EQ(journal.Text(0), "wal");
    }

    const std::string other = home / "andere.sqlite";
    {
        SqliteConnection db(other, SqliteConnection::Access::ReadWriteCreate);
        db.Execute("CREATE TABLE measurements (id INTEGER PRIMARY KEY, time TEXT, frequency TEXT, "
                   "mode TEXT, reported INTEGER)");
    }
    HistoryWriter second(other, told.Sink());
    second.EntryMeasured(test::Measured(MinuteAfter(0)));
    ASSERT_TRUE(told.WaitFor(1));
    EXPECT_EQ(
        told.Messages(),
        std::vector<std::string>{other + ": Der Tabelle measurements fehlt die Spalte threshold"});
}

// A file that is no database, and a damaged one: one box, and the measurements wait; the first
// write after the file was put right brings them all in, in order. A new failure after that is
// told again.
TEST(HistoryWriter, ACorruptDatabaseIsToldOnceUntilAWriteSucceedsAndLosesNothing) {
    test::TempFolder home;
    const auto garbage = [](const std::string& file) {
        test::WriteFile(file, std::string(8192, 'x'));
    };
    // A database whose table's page is overwritten.
    const auto damaged = [](const std::string& file) {
        {
            SqliteConnection db(file, SqliteConnection::Access::ReadWriteCreate);
            db.Execute(std::string(kMeasurementsTable) +
                       ";\nINSERT INTO measurements (time, frequency, mode, reported) VALUES "
                       "('2026-01-02T03:04:05+01:00', '9650000', 'AM', 0)");
        }
        std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
        bytes.seekp(4096);
        bytes << std::string(100, '\x07');
    };
    const struct {
        const char* name;
        std::function<void(const std::string&)> make;
        const char* reason;
    } cases[] = {{"garbage.sqlite", garbage, "Die Datei ist keine SQLite-Datenbank"},
                 {"damaged.sqlite", damaged, "Die Datenbank ist beschädigt"}};
    for (const auto& c : cases) {
        const std::string path = home / c.name;
        c.make(path);
        test::Told told;
        HistoryWriter writer(path, told.Sink(), {}, kShortWait);
        writer.EntryMeasured(test::Measured(MinuteAfter(0)));
        ASSERT_TRUE(told.WaitFor(1)) << c.name;
        writer.EntryMeasured(test::Measured(MinuteAfter(1)));
        std::filesystem::remove(path);
        writer.EntryMeasured(test::Measured(MinuteAfter(2)));
        ASSERT_TRUE(test::Drained(writer)) << c.name;
        const std::vector<std::string> rows = Rows(path);
        ASSERT_EQ(rows.size(), 3u) << c.name;
        EXPECT_EQ(rows[1].substr(1, 25), MinuteAfter(1));
        EXPECT_EQ(told.Messages(), std::vector<std::string>{path + ": " + c.reason});

        // Removed with its log while open, and a file that is no database put in its place.
        for (const char* side : {"", "-wal", "-shm"})
            std::filesystem::remove(path + side);
        garbage(path);
        writer.EntryMeasured(test::Measured(MinuteAfter(3)));
        ASSERT_TRUE(told.WaitFor(2)) << c.name;
        EXPECT_EQ(told.Messages()[1], path + ": Die Datei ist keine SQLite-Datenbank");
        EXPECT_EQ(writer.waiting(), 1u);
    }
}

// Measurements that find the database read-only wait for it; the box comes once.
TEST(HistoryWriter, AReadOnlyDatabaseIsToldOnceAndItsMeasurementsGoInOnceItIsWritable) {
    const auto child = test::RunOnScratchMount(4 << 20, [](const std::string& dir) {
        const std::string path = dir + "/Skedula/verlauf.sqlite";
        {
            HistoryStore store(path, 1s);
            store.Append(test::Measured(MinuteAfter(0)));
        }
        test::Told told;
        HistoryWriter writer(path, told.Sink(), {}, kShortWait);
        if (!test::RemountReadOnly(dir))
            throw test::ChildSkip{"cannot make the scratch mount read-only"};
        writer.EntryMeasured(test::Measured(MinuteAfter(1)));
        if (!told.WaitFor(1))
            return std::string("no box");
        writer.EntryMeasured(test::Measured(MinuteAfter(2)));
        std::this_thread::sleep_for(300ms); // its try, which must not tell again
        if (!test::RemountWritable(dir))
            throw test::ChildSkip{"cannot make the scratch mount writable again"};
        writer.EntryMeasured(test::Measured(MinuteAfter(3)));
        std::string report = test::Drained(writer) ? "" : "still waiting | ";
        for (const std::string& message : told.Messages())
            report += message.substr(dir.size()) + " | ";
        return report + std::to_string(Rows(path).size());
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "/Skedula/verlauf.sqlite: Dateizugriff verweigert | 4");
}

TEST(HistoryWriter, ASecondWritersLockBeyondTheWaitIsToldAndTheMeasurementGoesInAfterIt) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    { HistoryStore store(path, 1s); }
    test::Told told;
    HistoryWriter writer(path, told.Sink(), {}, kShortWait);
    {
        SqliteConnection other(path, SqliteConnection::Access::ReadWriteCreate);
        other.Execute("BEGIN IMMEDIATE");
        writer.EntryMeasured(test::Measured(MinuteAfter(0)));
        ASSERT_TRUE(told.WaitFor(1));
        other.Execute("ROLLBACK");
    }
    writer.EntryMeasured(test::Measured(MinuteAfter(1)));
    ASSERT_TRUE(test::Drained(writer));
    EXPECT_EQ(Rows(path).size(), 2u);
    EXPECT_EQ(
        told.Messages(),
        std::vector<std::string>{path + ": Die Datenbank ist von einem anderen Programm gesperrt"});
}

// Beyond the bound the oldest waiting measurements go, and that is told once; switched off, the
// writer takes none and makes no file.
TEST(HistoryWriter, KeepsTheNewestWithinItsBoundAndTakesNothingWhenSwitchedOff) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    test::WriteFile(path, "no database");
    test::Told told;
    HistoryWriter writer(path, told.Sink(), {}, {200ms, 2});
    for (int i = 0; i < 5; ++i)
        writer.EntryMeasured(test::Measured(MinuteAfter(i)));
    ASSERT_TRUE(told.WaitFor(2));
    EXPECT_EQ(writer.waiting(), 2u);
    std::filesystem::remove(path);
    writer.EntryMeasured(test::Measured(MinuteAfter(5)));
    ASSERT_TRUE(test::Drained(writer));
    ASSERT_EQ(Rows(path).size(), 2u);
    EXPECT_EQ(Rows(path)[0].substr(1, 25), MinuteAfter(4));
    const std::vector<std::string> messages = told.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].find("die ältesten") == std::string::npos,
              messages[1].find("die ältesten") != std::string::npos)
        << "one box for the failure, one for the loss";

    const std::string elsewhere = home / "aus/verlauf.sqlite";
    HistoryWriter off(elsewhere, told.Sink());
    off.setEnabled(false);
    off.EntryMeasured(test::Measured(MinuteAfter(0)));
    off.Finish();
    EXPECT_FALSE(std::filesystem::exists(home / "aus"));
}

// Two Skedulas at once, each in a process of its own and starting on no database: every
// measurement of both is kept.
TEST(HistoryWriter, TwoWritersInTwoProcessesKeepEveryMeasurement) {
    test::TempFolder home;
    const std::string path = home / "Skedula/verlauf.sqlite";
    constexpr int kEach = 150;
    const auto writeAll = [&](const std::string& frequency) {
        return test::Spawn([&path, frequency] {
            test::Told told;
            HistoryWriter writer(path, told.Sink());
            for (int i = 0; i < kEach; ++i) {
                Measurement m = test::Measured(MinuteAfter(i));
                m.frequency = frequency;
                writer.EntryMeasured(m);
            }
            test::Drained(writer);
            writer.Finish();
            for (const std::string& message : told.Messages())
                std::fprintf(stderr, "%s\n", message.c_str());
            return told.Messages().empty() && writer.waiting() == 0 ? 0 : 1;
        });
    };
    const pid_t first = writeAll("first");
    const pid_t second = writeAll("second");
    for (const pid_t child : {first, second}) {
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(test::Count(path, "SELECT count(*) FROM measurements WHERE frequency = 'first'"),
              kEach);
    EXPECT_EQ(test::Count(path, "SELECT count(*) FROM measurements WHERE frequency = 'second'"),
              kEach);
    EXPECT_EQ(test::IntegrityCheck(path), "ok");
}

// Killed while it writes: every measurement it had finished is there, at most the one under way
// is not, the database is intact, and the next writer goes on with it.
TEST(HistoryWriter, AWriterKilledWhileWritingLeavesAnIntactDatabaseWithEveryFinishedRow) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    int done[2];
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = test::Spawn([&] {
        ::close(done[0]);
        HistoryWriter writer(
            path, {}, [&](const Measurement&, long long) { (void)!::write(done[1], "+", 1); },
            {5s, 100000});
        for (int i = 0; i < 20000; ++i)
            writer.EntryMeasured(test::Measured(MinuteAfter(i)));
        for (;;)
            ::pause();
        return 0;
    });
    ::close(done[1]);
    long long finished = 0;
    char marks[64];
    while (finished < 200) {
        const ssize_t n = ::read(done[0], marks, sizeof marks);
        ASSERT_GT(n, 0);
        finished += n;
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    for (ssize_t n; (n = ::read(done[0], marks, sizeof marks)) > 0;)
        finished += n;
    ::close(done[0]);

    const long long rows = test::Count(path, "SELECT count(*) FROM measurements");
    EXPECT_GE(rows, finished);
    EXPECT_LE(rows, finished + 1);
    EXPECT_EQ(test::IntegrityCheck(path), "ok");
    HistoryWriter next(path, {});
    next.EntryMeasured(test::Measured(MinuteAfter(0)));
    ASSERT_TRUE(test::Drained(next));
    EXPECT_EQ(test::Count(path, "SELECT count(*) FROM measurements"), rows + 1);
}

} // namespace
} // namespace skedula
