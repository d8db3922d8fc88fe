#include "storage/ReportFile.h"

#include "TestFiles.h"
#include "engine/Error.h"
#include "engine/SystemClock.h"
#include "fakes/ChildProcess.h"
#include "fakes/EngineRig.h"
#include "fakes/EnvScope.h"
#include "storage/ReportLine.h"
#include "storage/ReportWriter.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <sys/stat.h>

namespace skedula {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kHeader(kReportHeader);
constexpr std::time_t k20261207At133010Utc = 1796650210;

// TZ for one scope; tzset once it is back, so that later tests see the old zone.
struct ZoneScope {
    explicit ZoneScope(const char* zone) : zone_("TZ", zone) {}
    struct ReadZoneAgain {
        ~ReadZoneAgain() { ::tzset(); }
    } readAgain_;
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

// The zone changes between the lines without a tzset of ours: the formatting must notice.
TEST(ReportLine, TimeWithTheOffsetOfTheMomentAndFieldsQuotedAsTheWindowShowsThem) {
    const struct {
        const char* zone;
        std::time_t when;
        const char* text;
    } times[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", k20261207At133010Utc, "2026-12-07T14:30:10+01:00"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", k20261207At133010Utc - 160 * 86400,
         "2026-06-30T15:30:10+02:00"},
        {"<-0330>3:30", k20261207At133010Utc, "2026-12-07T10:00:10-03:30"},
    };
    for (const auto& c : times) {
        ZoneScope zone(c.zone);
        EXPECT_EQ(LocalIsoTime(c.when), c.text) << c.zone;
    }

    Measurement m = fakes::ReportedMeasurement("1970-01-01T00:00:00+00:00");
    m.samples = {Sample{7, {}}, Sample{6, {}}, Sample{9, {}}};
    m.alarm = "/tmp/Hörer 1.wav";
    EXPECT_EQ(FormatReportLine(m),
              "1970-01-01T00:00:00+00:00;7100000;AM;7;6;9;5;/tmp/Hörer 1.wav;\r\n");
    m.recording = "/home/hörer/Aufnahmen;alt/2026-12-07T143010_7100000_AM.flac";
    EXPECT_EQ(FormatReportLine(m),
              "1970-01-01T00:00:00+00:00;7100000;AM;7;6;9;5;/tmp/Hörer 1.wav;"
              "\"/home/hörer/Aufnahmen;alt/2026-12-07T143010_7100000_AM.flac\"\r\n");
    m.recording.reset();
    m.radioFrequency = "a;b";
    m.radioMode = "sagt \"hi\"";
    m.samples = {Sample{0, {}}, Sample{0, {}}, Sample{0, {}}};
    m.threshold = 0;
    m.alarm = "zwei\r\nZeilen";
    EXPECT_EQ(FormatReportLine(m), "1970-01-01T00:00:00+00:00;\"a;b\";\"sagt \"\"hi\"\"\";0;0;0;0;"
                                   "\"zwei\r\nZeilen\";\r\n");
    EXPECT_EQ(CsvField("H\xF6rer\x80;.wav"), "\"H\xC3\xB6rer\xE2\x82\xAC;.wav\""); // Windows-1252
}

// A shared list's alarm cell "=HYPERLINK(...)" must stay text when the file is opened.
TEST(ReportLine, AFieldASpreadsheetWouldTakeForAFormulaGetsAnApostrophe) {
    const std::pair<std::string, std::string> fields[] = {
        {"=HYPERLINK(\"http://x\";\"y\")", "\"'=HYPERLINK(\"\"http://x\"\";\"\"y\"\")\""},
        {"+49", "'+49"},
        {"-3", "'-3"},
        {"@SUMME(A1)", "'@SUMME(A1)"},
        {"\tUSB", "'\tUSB"},
        {"\rAM", "\"'\rAM\""},
        {"\n=1", "\"\n=1\""}, // quoted, and no formula at its start
        {" =1", " =1"},
        {"'=1", "'=1"},
    };
    for (const auto& [bytes, field] : fields)
        EXPECT_EQ(CsvField(bytes), field) << bytes;

    Measurement m = fakes::ReportedMeasurement("1970-01-01T00:00:00+00:00");
    m.radioMode = "-USB";
    m.alarm = "=cmd|' /C calc'!A0";
    m.recording = "@home.flac";
    EXPECT_EQ(FormatReportLine(m), "1970-01-01T00:00:00+00:00;7100000;'-USB;7;7;7;5;"
                                   "'=cmd|' /C calc'!A0;'@home.flac\r\n");
}

TEST(ReportFile, TheHeaderComesOnceAndEachReportIsALineOfItsOwn) {
    test::TempFolder home;
    const std::string path = home / "new/Skedula/berichte.csv";
    AppendToReportFile(path, "one\r\n");
    AppendToReportFile(path, "two\r\n");
    EXPECT_EQ(ReadFile(path), kHeader + "one\r\ntwo\r\n");
    // A line cut short by a power cut is ended, so that it does not swallow the next.
    WriteFile(path, kHeader + "cut sh");
    AppendToReportFile(path, "three\r\n");
    EXPECT_EQ(ReadFile(path), kHeader + "cut sh\r\nthree\r\n");
}

// A file written before reports named their recordings gets the new header once, in a new
// file put in place of the old one; its lines stay as they were. Another first line is the
// listener's own and stays.
TEST(ReportFile, AnOldHeaderGainsTheRecordingColumnOnceWithEveryLineKept) {
    test::TempFolder home;
    const std::string path = home / "berichte.csv";
    const std::string old = std::string(kReportHeaderWithoutRecording) +
                            "2026-12-06T03:30:10+01:00;7100000;AM;7;7;7;5;\r\n"
                            "2026-12-06T03:31:10+01:00;\"a;b\";AM;9;9;9;5;alarm.wav\r\n";
    WriteFile(path, old);
    std::filesystem::permissions(path, std::filesystem::perms(0600));
    struct stat before {};
    ::stat(path.c_str(), &before);
    AppendToReportFile(path, "new\r\n");
    struct stat upgraded {};
    ::stat(path.c_str(), &upgraded);
    EXPECT_EQ(ReadFile(path),
              kHeader + old.substr(kReportHeaderWithoutRecording.size()) + "new\r\n");
    EXPECT_NE(upgraded.st_ino, before.st_ino) << "replaced whole, not rewritten in place";
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0600));
    AppendToReportFile(path, "newer\r\n");
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, upgraded.st_ino) << "once";

    const std::string own = "Zeit;Frequenz;Mode;S1;S2;S3;Schwelle;Alarm;Bemerkung\r\nx\r\n";
    WriteFile(path, own);
    AppendToReportFile(path, "new\r\n");
    EXPECT_EQ(ReadFile(path), own + "new\r\n");
}

// A line that fills the disk part-way is taken back whole; with room again the next one goes in.
TEST(ReportFile, AFullDiskLeavesNoCutLine) {
    const auto child = test::RunOnScratchMount(64 * 1024, [](const std::string& dir) {
        const std::string path = dir + "/berichte.csv";
        AppendToReportFile(path, "first\r\n");
        while (AppendError(dir + "/filler", std::string(4096, 'f')) == "no error") {
        }
        const std::string full = AppendError(path, std::string(8192, 'x') + "\r\n");
        std::filesystem::remove(dir + "/filler");
        const std::string roomAgain = AppendError(path, "second\r\n");
        return full + " | " + roomAgain + " | " + ReadFile(path);
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report,
              "Zu wenig Speicherplatz | no error | " + kHeader + "first\r\nsecond\r\n");
}

// A night's watch on a full disk: one box, every report still in the log with its alarm, and
// the first report after room was made is in the file.
TEST(ReportWriter, AFullDiskGivesOneBoxAndTheWatchGoesOn) {
    const auto child = test::RunOnScratchMount(64 * 1024, [](const std::string& dir) {
        std::vector<std::string> boxes;
        ReportWriter writer(dir + "/Skedula/berichte.csv",
                            [&](const std::string& m) { boxes.push_back(m); });
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

        std::string report;
        for (const std::string& box : boxes)
            report += box.substr(dir.size()) + " | ";
        for (const std::string& call : rig.alarm.calls)
            report += call == "Play" ? "P" : "";
        return report + " " + std::to_string(rig.log.lines.size()) + " | " +
               ReadFile(dir + "/Skedula/berichte.csv");
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "/Skedula/berichte.csv: Zu wenig Speicherplatz | PPP 18 | " + kHeader +
                                "2026-12-07T14:30:31+01:00;3;AM;7;7;7;5;alarm.wav;\r\n");
}

// One box per failure however many reports it costs, a new one only after a report was
// written in between; off, the writer writes nothing.
TEST(ReportWriter, ToldOncePerFailureAndTriesAgainWithEveryReport) {
    test::TempFolder home;
    const std::string blocker = home / "Skedula";
    std::vector<std::string> boxes;
    ReportWriter writer(blocker + "/berichte.csv",
                        [&](const std::string& message) { boxes.push_back(message); });
    const Measurement report = fakes::ReportedMeasurement();
    const auto block = [&](bool blocked) {
        std::filesystem::remove_all(blocker);
        if (blocked)
            WriteFile(blocker, ""); // a file where the folder should be
    };

    block(true);
    writer.EntryMeasured(report);
    writer.EntryMeasured(report);
    EXPECT_EQ(boxes, std::vector<std::string>{blocker + "/berichte.csv: Ungültiger Dateiname"});
    block(false);
    writer.EntryMeasured(report);
    EXPECT_EQ(ReadFile(blocker + "/berichte.csv").substr(0, kHeader.size()), kHeader);
    block(true);
    writer.EntryMeasured(report);
    EXPECT_EQ(boxes.size(), 2u);

    block(false);
    writer.setEnabled(false);
    writer.EntryMeasured(report);
    EXPECT_FALSE(std::filesystem::exists(blocker));
}

} // namespace
} // namespace skedula
