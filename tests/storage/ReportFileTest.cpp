#include "storage/ReportFile.h"

#include "ChildProcess.h"
#include "TestFiles.h"
#include "engine/Error.h"
#include "fakes/EngineRig.h"
#include "fakes/EnvScope.h"
#include "storage/ReportLine.h"
#include "storage/ReportWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

namespace skedula {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

const std::string kHeader(kReportHeader);
constexpr std::time_t k20261207At133010Utc = 1796650210;

// Sets TZ for one scope, as a user who changes the time zone while the watch runs.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone) : zone_("TZ", zone) {}

private:
    struct ReadZoneAgain {
        ~ReadZoneAgain() { ::tzset(); }
    } readAgain_; // last to go: once TZ is back
    test::EnvScope zone_;
};

std::string AppendError(const std::string& path, const std::string& line) {
    try {
        AppendToReportFile(path, line);
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

// Each zone is set without calling tzset: the formatting must notice the change itself.
TEST(ReportLine, TheTimeIsLocalWithItsOffsetInTheZoneOfTheMoment) {
    const struct {
        const char* zone;
        std::time_t when;
        const char* text;
    } cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", k20261207At133010Utc, "2026-12-07T14:30:10+01:00"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", k20261207At133010Utc - 160 * 86400,
         "2026-06-30T15:30:10+02:00"},
        {"UTC0", k20261207At133010Utc, "2026-12-07T13:30:10+00:00"},
        {"<-0330>3:30", k20261207At133010Utc, "2026-12-07T10:00:10-03:30"},
        {"<+0545>-5:45", k20261207At133010Utc, "2026-12-07T19:15:10+05:45"},
    };
    for (const auto& c : cases) {
        ZoneScope zone(c.zone);
        EXPECT_EQ(LocalIsoTime(c.when), c.text) << c.zone;
    }
}

TEST(ReportLine, FieldsAreQuotedWhereTheyMustBeAndShownAsTheWindowShowsThem) {
    const struct {
        std::string cell;
        std::string field;
    } cases[] = {
        {"/home/hörer/Alarm 1.wav", "/home/hörer/Alarm 1.wav"},
        {"", ""},
        {"a;b", "\"a;b\""},
        {"sagt \"hallo\"", "\"sagt \"\"hallo\"\"\""},
        {"zwei\r\nZeilen", "\"zwei\r\nZeilen\""},
        {"nur\nLF", "\"nur\nLF\""},
        {"H\xF6rer\x80.wav", "H\xC3\xB6rer\xE2\x82\xAC.wav"},         // Windows-1252
        {"\xE4;\x93x\x94", "\"\xC3\xA4;\xE2\x80\x9Cx\xE2\x80\x9D\""}, // converted, then quoted
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvField(c.cell), c.field) << c.cell;
}

TEST(ReportLine, OneLineHoldsTheReportsFieldsInTheHeadersOrder) {
    ZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(kHeader, "Zeit;Frequenz;Mode;S1;S2;S3;Schwelle;Alarm\r\n");
    EXPECT_EQ(FormatReportLine({"7100000", "AM", 7, 6, 9, 5, "/tmp/a;b.wav"}, k20261207At133010Utc),
              "2026-12-07T14:30:10+01:00;7100000;AM;7;6;9;5;\"/tmp/a;b.wav\"\r\n");
}

TEST(ReportFile, TheHeaderComesOnceAndEachReportIsALineOfItsOwn) {
    TempFolder home;
    const std::string path = home / "new/Skedula/berichte.csv";
    AppendToReportFile(path, "one\r\n");
    AppendToReportFile(path, "two\r\n");
    EXPECT_EQ(ReadFile(path), kHeader + "one\r\ntwo\r\n");
    struct stat folder {};
    ASSERT_EQ(::stat((home / "new").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);

    // A file the user emptied starts again with the header; a line cut short by a power cut
    // is ended so that it does not swallow the next.
    WriteFile(path, "");
    AppendToReportFile(path, "three\r\n");
    EXPECT_EQ(ReadFile(path), kHeader + "three\r\n");
    WriteFile(path, kHeader + "cut sh");
    AppendToReportFile(path, "four\r\n");
    EXPECT_EQ(ReadFile(path), kHeader + "cut sh\r\nfour\r\n");
}

TEST(ReportFile, WhatCannotBeWrittenIsToldInTheListFilesWords) {
    TempFolder home;
    WriteFile(home / "file", "");
    ::mkdir((home / "folder.csv").c_str(), 0700);
    EXPECT_EQ(AppendError(home / "file/Skedula/berichte.csv", "x\r\n"), "Ungültiger Dateiname");
    EXPECT_EQ(AppendError(home / "folder.csv", "x\r\n"), "E/A-Fehler 21");
    EXPECT_EQ(AppendError("/proc/skedula/berichte.csv", "x\r\n"), "Datei nicht gefunden");
}

// Fills a scratch disk so that the report file cannot grow, then makes room again.
TEST(ReportFile, AFullDiskLosesOnlyThatReportAndTheNextOneIsWrittenWhenThereIsRoom) {
    const test::ChildReport child = test::RunOnScratchMount(64 * 1024, [](const std::string& dir) {
        const std::string path = dir + "/Skedula/berichte.csv";
        AppendToReportFile(path, "first\r\n");
        std::string filler(4096, 'f');
        while (AppendError(dir + "/filler", filler) == "no error") {
        }
        const std::string full = AppendError(path, std::string(8192, 'x') + "\r\n");
        const std::string afterFull = ReadFile(path);
        std::filesystem::remove(dir + "/filler");
        const std::string roomAgain = AppendError(path, "second\r\n");
        return full + " | " + std::to_string(afterFull.size()) + " | " + roomAgain + " | " +
               ReadFile(path);
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    const std::string before = kHeader + "first\r\n";
    EXPECT_EQ(child.report, "Zu wenig Speicherplatz | " + std::to_string(before.size()) +
                                " | no error | " + before + "second\r\n");
}

// A night's watch on a full disk: one box, every report still in the log with its alarm, and
// the first report after room was made is in the file.
TEST(ReportWriter, AFullDiskGivesOneBoxAndTheWatchGoesOn) {
    const test::ChildReport child = test::RunOnScratchMount(64 * 1024, [](const std::string& dir) {
        ZoneScope zone("UTC0");
        std::vector<std::string> boxes;
        ReportWriter writer(
            dir + "/Skedula/berichte.csv", [&](const std::string& m) { boxes.push_back(m); },
            [] { return k20261207At133010Utc; });
        fakes::EngineRig rig(writer);
        for (int row = 1; row <= 3; ++row)
            rig.entry(row, "14:30", std::to_string(row), "AM", "S5", "alarm.wav");
        rig.link.followTuning = true;
        rig.link.sMeter = "S7";
        rig.startBefore(14, 30);

        while (AppendError(dir + "/filler", std::string(4096, 'f')) == "no error") {
        }
        rig.runTicks(42);
        std::filesystem::remove(dir + "/filler");
        rig.runTicks(21);

        std::string plays;
        for (const std::string& call : rig.alarm.calls)
            plays += call == "Play" ? "P" : "";
        std::string report;
        for (const std::string& box : boxes)
            report += box.substr(dir.size()) + " | ";
        return report + std::to_string(rig.log.lines.size()) + " lines " + plays + " | " +
               ReadFile(dir + "/Skedula/berichte.csv");
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "/Skedula/berichte.csv: Zu wenig Speicherplatz | 18 lines PPP | " +
                                kHeader + "2026-12-07T13:30:10+00:00;3;AM;7;7;7;5;alarm.wav\r\n");
}

// The writer's promise to the watch: one box for a failure however many reports it costs, and
// a new box only after a report was written in between. Off, it writes nothing.
TEST(ReportWriter, ToldOncePerFailureAndTriesAgainWithEveryReport) {
    TempFolder home;
    const std::string blocker = home / "Skedula";
    const std::string path = blocker + "/berichte.csv";
    std::vector<std::string> boxes;
    ReportWriter writer(
        path, [&](const std::string& message) { boxes.push_back(message); },
        [] { return k20261207At133010Utc; });
    ZoneScope zone("UTC0");
    const AlarmReport report{"7100000", "AM", 7, 7, 7, 5, ""};
    const std::string line = "2026-12-07T13:30:10+00:00;7100000;AM;7;7;7;5;\r\n";

    WriteFile(blocker, ""); // a file where the folder should be
    writer.keepReport(report);
    writer.keepReport(report);
    EXPECT_EQ(boxes, std::vector<std::string>{path + ": Ungültiger Dateiname"});

    std::filesystem::remove(blocker);
    writer.keepReport(report);
    EXPECT_EQ(ReadFile(path), kHeader + line);

    std::filesystem::remove_all(blocker);
    WriteFile(blocker, "");
    writer.keepReport(report);
    EXPECT_EQ(boxes.size(), 2u);

    std::filesystem::remove(blocker);
    writer.setEnabled(false);
    writer.keepReport(report);
    EXPECT_FALSE(std::filesystem::exists(blocker));
    EXPECT_EQ(boxes.size(), 2u);
}

} // namespace
} // namespace skedula
