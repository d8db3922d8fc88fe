#include "fakes/EngineRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace skedula {
namespace {

using Lines = std::vector<std::string>;

// A watch list for a whole day: each entry says, besides its cells, at which minutes it is due
// and how strong its own frequency comes in.
struct DayEntry {
    const char* pattern;
    bool (*due)(int hour, int minute);
    const char* frequency;
    const char* mode;
    int level; // the S-meter reads S<level> while this frequency is tuned
    const char* threshold;
    const char* alarm;
};

const DayEntry kDay[] = {
    {"?", [](int, int) { return true; }, "3500000", "LSB", 3, "S3", ""},
    {"??:?0", [](int, int m) { return m % 10 == 0; }, "7100000", "AM", 7, "S7", "ten.wav"},
    {"??:?5", [](int, int m) { return m % 10 == 5; }, "10100000", "CW", 1, "S1", ""},
    {"1", [](int h, int) { return h >= 10 && h <= 19; }, "14230000", "USB", 5, "S6", "x.wav"},
    {"??:0", [](int, int m) { return m < 10; }, "21000000", "FM", 9, "s9", "nine.mp3"},
    {"2?:??", [](int h, int) { return h >= 20; }, "28000000", "USB", 0, "S", ""},
    {"0?:?7", [](int h, int m) { return h < 10 && m % 10 == 7; }, "1800000", "AM", 8, "S8", ""},
    {"12:3?", [](int h, int m) { return h == 12 && m / 10 == 3; }, "5000000", "AM", 6, "S", ""},
    {"", [](int, int) { return false; }, "6000000", "AM", 2, "S2", "never.wav"},
    {"23:59", [](int h, int m) { return h == 23 && m == 59; }, "50100000", "FM", 4, "S4", ""},
    // Row 11 is not shown, but a loaded list can fill it and it is queued all the same.
    {"?0:0?", [](int h, int m) { return h % 10 == 0 && m < 10; }, "144300000", "FM", 2, "S2",
     "hidden.wav"},
};

std::string TimeText(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

// Compares two long event lists and names the first difference.
void ExpectSameEvents(const Lines& actual, const Lines& expected) {
    const auto [a, e] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (a != actual.end() || e != expected.end())
        ADD_FAILURE() << "first difference at event " << (a - actual.begin()) << ": got '"
                      << (a != actual.end() ? *a : "(none)") << "', expected '"
                      << (e != expected.end() ? *e : "(none)") << "'";
    EXPECT_EQ(actual.size(), expected.size());
}

// The fake clock is stepped 500 ms per tick from 12:00:00.0 through 11:59:59.5 of the next
// day. Every due entry must be tuned once in each of its minutes, in list order, 21 ticks
// apart from the first tick of the minute, and every report must show the frequency, mode and
// S-meter level of the entry that was tuned for it.
TEST(SimulatedDay, EveryDueEntryIsTunedOncePerMinuteAndReportsItsOwnReadings) {
    fakes::EngineRig rig;
    for (int row = 1; row <= 11; ++row) {
        const DayEntry& e = kDay[row - 1];
        rig.entry(row, e.pattern, e.frequency, e.mode, e.threshold, e.alarm);
        rig.link.sMeterAt[e.frequency] = "S" + std::to_string(e.level);
    }
    rig.link.followTuning = true;

    const int startSecond = 12 * 3600;
    const int ticksPerMinute = 120;
    const int minutes = 24 * 60;
    Lines expectedTunings, expectedReports, expectedAlarms;
    int mostDue = 0;
    for (int m = 0; m < minutes; ++m) {
        const int hour = (12 + m / 60) % 24, minute = m % 60;
        int due = 0;
        for (const DayEntry& e : kDay) {
            if (!e.due(hour, minute))
                continue;
            const int tuned = m * ticksPerMinute + 21 * due++;
            expectedTunings.push_back(std::to_string(tuned) + " freq " + e.frequency + " mode " +
                                      e.mode);
            const int threshold = e.threshold[1] ? e.threshold[1] - '0' : 0;
            if (e.level < threshold)
                continue;
            const std::string sample =
                "S" + std::to_string(e.level) + " >= S" + std::to_string(threshold);
            const int evaluated = tuned + 20;
            expectedReports.push_back(std::to_string(evaluated) + "|" +
                                      TimeText(startSecond + evaluated / 2) + "|" + e.frequency +
                                      " " + e.mode + "|" + sample + "|" + sample + "|" + sample);
            if (*e.alarm)
                expectedAlarms.insert(
                    expectedAlarms.end(),
                    {"Close", std::string("FileName ") + e.alarm, "Open", "Play"});
        }
        mostDue = std::max(mostDue, due);
    }
    ASSERT_EQ(mostDue, 5); // five fit into a minute; a sixth would run into the next

    rig.startBefore(12, 0);
    Lines tunings, reports;
    for (int tick = 0; tick < minutes * ticksPerMinute; ++tick) {
        const std::size_t commands = rig.link.commands.size();
        const std::size_t lines = rig.log.lines.size();
        rig.tick();
        if (rig.link.commands.size() != commands) {
            std::string tuning = std::to_string(tick);
            for (std::size_t c = commands; c < rig.link.commands.size(); ++c)
                tuning += " " + rig.link.commands[c];
            tunings.push_back(tuning);
        }
        if (rig.log.lines.size() != lines) {
            std::string report = std::to_string(tick);
            for (std::size_t l = lines; l < rig.log.lines.size(); ++l)
                report += (l == lines ? "" : "|") + rig.log.lines[l];
            reports.push_back(report);
        }
    }

    ExpectSameEvents(tunings, expectedTunings);
    ExpectSameEvents(reports, expectedReports);
    ExpectSameEvents(rig.alarm.calls, expectedAlarms);
    EXPECT_EQ(rig.clock.timeText(), "11:59:59");
}

} // namespace
} // namespace skedula
