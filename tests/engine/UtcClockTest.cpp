// Times in UTC: the clock's texts in a zone three hours east of UTC, a change that waits for the
// next minute, and a watch whose list is kept in UTC.
#include "engine/SystemClock.h"
#include "engine/WatchEngine.h"
#include "fakes/EngineFakes.h"
#include "fakes/EnvScope.h"

#include <gtest/gtest.h>

#include <ctime>

namespace skedula {
namespace {

constexpr const char* ThreeHoursEast = "<+03>-3";

// 2026-12-07, the given time of day in UTC, in milliseconds since the epoch.
long long UtcMilliseconds(int hour, int minute, int second, int milliseconds = 0) {
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 7;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return static_cast<long long>(::timegm(&time)) * 1000 + milliseconds;
}

class UtcClock : public ::testing::Test {
protected:
    test::EnvScope zone{"TZ", ThreeHoursEast};
    long long now = 0; // milliseconds since the epoch
    SystemClock::TimeSource source = [this] { return static_cast<std::time_t>(now / 1000); };
    std::vector<bool> told;

    void Listen(SystemClock& clock) {
        clock.onZoneChange = [this](bool utc) { told.push_back(utc); };
    }
};

TEST_F(UtcClock, TextsInUtcKeepTheSeparatorAndAChangeWaitsForTheNextMinute) {
    now = UtcMilliseconds(22, 30, 7); // 01:30 of the next day here
    SystemClock clock(".", source);
    Listen(clock);
    EXPECT_EQ(clock.isoTimeText(), "2026-12-08T01:30:07+03:00");

    clock.setUtc(true);
    now = UtcMilliseconds(22, 30, 59, 999);
    EXPECT_EQ(clock.timeText(), "01.30.59") << "the minute already read stays local";
    EXPECT_TRUE(told.empty());
    now = UtcMilliseconds(22, 31, 0);
    EXPECT_EQ(clock.minuteText(), "22.31");
    EXPECT_EQ(clock.timeText(), "22.31.00");
    EXPECT_EQ(clock.isoTimeText(), "2026-12-07T22:31:00+00:00");
    EXPECT_EQ(told, std::vector<bool>{true});
}

// A watch over the real clock in a zone with an offset, its list kept in UTC. The option is
// switched on in the middle of a minute whose local entry was measured: the UTC entry of that
// same minute is not measured in addition, and from the next minute the UTC entry is due, not
// the local one.
TEST_F(UtcClock, AWatchKeptInUtcQueuesTheUtcMinuteFromTheMinuteAfterTheChange) {
    SystemClock clock(":", source);
    fakes::FakeStepTimer timer;
    fakes::FakeReceiver link;
    fakes::FakeAlarm alarm;
    fakes::FakeLog log;
    fakes::FakeView view;
    fakes::FakeListener listener;
    WatchEngine engine({clock, timer, link, alarm, log, view});
    engine.Listen(listener);
    engine.FormCreate();
    link.sMeter = "S7";
    link.followTuning = true;
    const char* const entries[][2] = {
        {"12:05", "5000000"}, {"15:05", "6000000"}, {"12:06", "7100000"}, {"15:06", "9400000"}};
    for (int row = 1; row <= 4; ++row) {
        engine.ListeSG.setCell(0, row, entries[row - 1][0]);
        engine.ListeSG.setCell(1, row, entries[row - 1][1]);
        engine.ListeSG.setCell(2, row, "AM");
        engine.ListeSG.setCell(3, row, "S5");
    }
    const auto tickUntil = [&](long long until) {
        while (now < until) {
            now += 500;
            engine.TimerTimer();
        }
    };

    now = UtcMilliseconds(12, 5, 29, 500);
    engine.StartBtnClick();
    tickUntil(UtcMilliseconds(12, 5, 45));
    EXPECT_EQ(view.minute, "15:05");
    clock.setUtc(true); // "Zeiten in UTC" chosen
    tickUntil(UtcMilliseconds(12, 5, 59, 500));
    EXPECT_EQ(view.minute, "15:05");
    EXPECT_EQ(link.commands, (std::vector<std::string>{"freq 6000000", "mode AM"}));

    tickUntil(UtcMilliseconds(12, 6, 15));
    EXPECT_EQ(view.minute, "12:06");
    EXPECT_EQ(link.commands,
              (std::vector<std::string>{"freq 6000000", "mode AM", "freq 7100000", "mode AM"}));
    const std::vector<std::string> reports = {"",           "15:05:40", "6000000 AM", "S7 >= S5",
                                              "S7 >= S5",   "S7 >= S5", "",           "12:06:10",
                                              "7100000 AM", "S7 >= S5", "S7 >= S5",   "S7 >= S5"};
    EXPECT_EQ(log.lines, reports);
    ASSERT_EQ(listener.reported().size(), 2u);
    EXPECT_EQ(listener.reported()[0].time, "2026-12-07T15:05:40+03:00");
    EXPECT_EQ(listener.reported()[1].time, "2026-12-07T12:06:10+00:00");
    engine.StopBtnClick();
}

} // namespace
} // namespace skedula
