#include "engine/Error.h"
#include "fakes/EngineRig.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace skedula {
namespace {

using fakes::EngineRig;
using Effects = std::map<int, std::string>;
using Lines = std::vector<std::string>;

// Puts one entry into the queue as if its three samples had just been taken.
void Measured(EngineRig& rig, const std::string& threshold, const std::string& alarmFile,
              int sample1, int sample2, int sample3) {
    rig.engine.SchlangeSG.setCell(0, 1, "7100000");
    rig.engine.SchlangeSG.setCell(1, 1, "AM");
    rig.engine.SchlangeSG.setCell(2, 1, threshold);
    rig.engine.SchlangeSG.setCell(3, 1, alarmFile);
    rig.engine.QueuePos = 0;
    rig.engine.QueueCount = 1;
    rig.engine.Sample1 = sample1;
    rig.engine.Sample2 = sample2;
    rig.engine.Sample3 = sample3;
    rig.engine.Readings = {Sample{sample1, {}}, Sample{sample2, {}}, Sample{sample3, {}}};
}

const Lines kAlarmCalls = {"Close", "FileName a.wav", "Open", "Play"};

TEST(EvaluateEntry, ReportIsSixLinesByteForByte) {
    struct Case {
        const char* separator;
        int hour, minute, second;
        const char* frequency;
        const char* mode;
        int samples[3];
        const char* threshold;
        Lines report;
    };
    const Case cases[] = {
        {":",
         14,
         30,
         10,
         "14230000",
         "USB",
         {7, 6, 9},
         "S5",
         {"", "14:30:10", "14230000 USB", "S7 >= S5", "S6 >= S5", "S9 >= S5"}},
        {".",
         9,
         5,
         3,
         "7100000",
         "AM",
         {9, 9, 9},
         "S9",
         {"", "09.05.03", "7100000 AM", "S9 >= S9", "S9 >= S9", "S9 >= S9"}},
        // Before any delivery both item texts are empty: line 3 is a single blank.
        {":",
         0,
         0,
         0,
         "",
         "",
         {0, 3, 0},
         "",
         {"", "00:00:00", " ", "S0 >= S0", "S3 >= S0", "S0 >= S0"}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.clock.separator = c.separator;
        rig.clock.set(c.hour, c.minute, c.second);
        rig.link.frequency = c.frequency;
        rig.link.mode = c.mode;
        Measured(rig, c.threshold, "", c.samples[0], c.samples[1], c.samples[2]);
        rig.engine.EvaluateEntry();
        EXPECT_EQ(rig.log.lines, c.report) << c.threshold;
    }
}

TEST(EvaluateEntry, ASampleShortOfTheThresholdShowsAndPlaysNothing) {
    struct Case {
        const char* threshold;
        int samples[3];
        bool reported;
    };
    const Case cases[] = {
        {"S5", {4, 9, 9}, false}, {"S5", {9, 4, 9}, false}, {"S5", {9, 9, 4}, false},
        {"S5", {0, 0, 0}, false}, {"S5", {5, 5, 5}, true},  {"S9", {9, 9, 9}, true},
        {"S9", {9, 9, 8}, false},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        Measured(rig, c.threshold, "a.wav", c.samples[0], c.samples[1], c.samples[2]);
        rig.engine.EvaluateEntry();
        const std::string label = std::string(c.threshold) + " " + std::to_string(c.samples[0]) +
                                  std::to_string(c.samples[1]) + std::to_string(c.samples[2]);
        EXPECT_EQ(rig.log.lines.size(), c.reported ? 6u : 0u) << label;
        EXPECT_EQ(rig.alarm.calls, c.reported ? kAlarmCalls : Lines{}) << label;
    }
}

TEST(EvaluateEntry, ThresholdIsTheSecondCharacterOfTheCell) {
    struct Case {
        const char* cell;
        std::optional<int> threshold; // the threshold in a report; none: no report
        const char* error;
    };
    const Case cases[] = {
        {"S5", 5, nullptr},
        {"s5", 5, nullptr},
        {"55", 5, nullptr},
        {"S10", 1, nullptr},
        {"S", 0, nullptr},
        {"", 0, nullptr},
        {" 5", 5, nullptr},
        {"S6", std::nullopt, nullptr}, // above the samples
        {"S?", std::nullopt, "'?' ist kein gültiger Integerwert"},
        {"S-", std::nullopt, "'-' ist kein gültiger Integerwert"},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        Measured(rig, c.cell, "a.wav", 5, 5, 5);
        try {
            rig.engine.EvaluateEntry();
            EXPECT_EQ(c.error, nullptr) << "'" << c.cell << "' converted";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), c.error) << c.cell;
        }
        if (c.threshold) {
            const std::string line = "S5 >= S" + std::to_string(*c.threshold);
            ASSERT_EQ(rig.log.lines.size(), 6u) << c.cell;
            EXPECT_EQ(Lines(rig.log.lines.begin() + 3, rig.log.lines.end()), Lines(3, line))
                << c.cell;
            EXPECT_EQ(rig.alarm.calls, kAlarmCalls) << c.cell;
        } else {
            EXPECT_TRUE(rig.log.lines.empty()) << c.cell;
            EXPECT_TRUE(rig.alarm.calls.empty()) << c.cell;
        }
    }
}

TEST(EvaluateEntry, AlarmCellIsHandedToThePlayerUnchanged) {
    EngineRig rig;
    Measured(rig, "S5", "", 9, 9, 9);
    rig.engine.EvaluateEntry();
    EXPECT_EQ(rig.log.lines.size(), 6u);
    EXPECT_TRUE(rig.alarm.calls.empty());

    Measured(rig, "S5", " /home/hörer/Alarm 1.WAV", 9, 9, 9);
    rig.engine.EvaluateEntry();
    EXPECT_EQ(rig.log.lines.size(), 12u);
    EXPECT_EQ(rig.alarm.calls,
              (Lines{"Close", "FileName  /home/hörer/Alarm 1.WAV", "Open", "Play"}));
}

TEST(EvaluateEntry, TheSecondPassingEntryClosesTheFirstSound) {
    EngineRig rig;
    rig.entry(1, "14:30", "1", "AM", "S5", "a.wav");
    rig.entry(2, "14:30", "2", "FM", "S5", "b.mp3");
    rig.link.followTuning = true;
    rig.link.sMeter = "S7";
    rig.startBefore(14, 30);

    EXPECT_EQ(rig.runTicks(21).rbegin()->second, "[S-meter][report 1 AM]");
    EXPECT_EQ(rig.alarm.calls, kAlarmCalls);
    EXPECT_EQ(rig.runTicks(21).rbegin()->second, "[S-meter][report 2 FM]");
    EXPECT_EQ(rig.alarm.calls, (Lines{"Close", "FileName a.wav", "Open", "Play", "Close",
                                      "FileName b.mp3", "Open", "Play"}));
}

// Entry 2 of three fails in one of the ways a tick can fail; entries 1 and 3 are sound.
struct ErrorCase {
    const char* name;
    const char* threshold;                // entry 2's threshold cell
    std::map<int, std::string> badSMeter; // S-meter text at these ticks of entry 2
    bool openFails;                       // entry 2's alarm file cannot be opened
    Effects entry2;                       // what ticks 21 to 41 do
    Lines report2;                        // the sample lines of entry 2's report, if any
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class ErrorPath : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorPath, IsReportedAndTheNextEntryIsStillMeasured) {
    const ErrorCase& c = GetParam();
    EngineRig rig;
    rig.entry(1, "14:30", "1", "AM", "S5", "one.wav");
    rig.entry(2, "14:30", "2", "AM", c.threshold, "two.wav");
    rig.entry(3, "14:30", "3", "AM", "S5", "three.wav");
    rig.link.followTuning = true;
    rig.link.sMeterAt = {{"1", "S7"}, {"3", "S6"}};
    rig.startBefore(14, 30);

    const Effects effects = rig.runTicks(63, [&](int tick) {
        rig.link.sMeter = c.badSMeter.contains(tick) ? c.badSMeter.at(tick) : "S8";
        rig.alarm.failOpenWith =
            c.openFails && tick == 41 ? "Alarmdatei 'two.wav' nicht gefunden" : "";
    });

    Effects expected = {{0, "[freq 1][mode AM]"},  {10, "[S-meter]"},
                        {15, "[S-meter]"},         {20, "[S-meter][report 1 AM]"},
                        {42, "[freq 3][mode AM]"}, {52, "[S-meter]"},
                        {57, "[S-meter]"},         {62, "[S-meter][report 3 AM]"}};
    expected.insert(c.entry2.begin(), c.entry2.end());
    EXPECT_EQ(effects, expected);
    EXPECT_EQ(rig.reported.size(), 1u);

    Lines log = {"", "14:30:10", "1 AM", "S7 >= S5", "S7 >= S5", "S7 >= S5"};
    Lines alarm = {"Close", "FileName one.wav", "Open", "Play"};
    if (!c.report2.empty()) {
        log.insert(log.end(), {"", "14:30:20", "2 AM"});
        log.insert(log.end(), c.report2.begin(), c.report2.end());
        alarm.insert(alarm.end(), {"Close", "FileName two.wav", "Open"});
        if (!c.openFails)
            alarm.push_back("Play");
    }
    log.insert(log.end(), {"", "14:30:31", "3 AM", "S6 >= S5", "S6 >= S5", "S6 >= S5"});
    alarm.insert(alarm.end(), {"Close", "FileName three.wav", "Open", "Play"});
    EXPECT_EQ(rig.log.lines, log);
    EXPECT_EQ(rig.alarm.calls, alarm);
    EXPECT_EQ(rig.engine.QueuePos, 3);
    EXPECT_EQ(rig.engine.stepCounter(), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ErrorPath,
    ::testing::Values(
        // At step 10 and 15 the cycle goes on; the sample that failed is no reading, so the
        // entry is not reported on the previous entry's value.
        ErrorCase{"FirstSample",
                  "S5",
                  {{31, "S "}},
                  false,
                  {{21, "[freq 2][mode AM]"},
                   {31, "[S-meter][error ' ' ist kein gültiger Integerwert]"},
                   {36, "[S-meter]"},
                   {41, "[S-meter]"}},
                  {}},
        ErrorCase{"SecondSample",
                  "S5",
                  {{36, "S+"}},
                  false,
                  {{21, "[freq 2][mode AM]"},
                   {31, "[S-meter]"},
                   {36, "[S-meter][error '+' ist kein gültiger Integerwert]"},
                   {41, "[S-meter]"}},
                  {}},
        // At step 20 the entry ends all the same.
        ErrorCase{"ThirdSample",
                  "S5",
                  {{41, "Sx"}},
                  false,
                  {{21, "[freq 2][mode AM]"},
                   {31, "[S-meter]"},
                   {36, "[S-meter]"},
                   {41, "[S-meter][error 'x' ist kein gültiger Integerwert]"}},
                  {}},
        ErrorCase{"Threshold",
                  "S?",
                  {},
                  false,
                  {{21, "[freq 2][mode AM]"},
                   {31, "[S-meter]"},
                   {36, "[S-meter]"},
                   {41, "[S-meter][error '?' ist kein gültiger Integerwert]"}},
                  {}},
        // The report is in the log before the player fails.
        ErrorCase{"AlarmOpen",
                  "S5",
                  {},
                  true,
                  {{21, "[freq 2][mode AM]"},
                   {31, "[S-meter]"},
                   {36, "[S-meter]"},
                   {41, "[S-meter][report 2 AM][error Alarmdatei 'two.wav' nicht gefunden]"}},
                  {"S8 >= S5", "S8 >= S5", "S8 >= S5"}}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

} // namespace
} // namespace skedula
