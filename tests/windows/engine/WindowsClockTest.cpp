#include "windows/engine/WindowsClock.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace skedula {
namespace {

TEST(WindowsClock, FormatsClockTextsAndIsoTimeWithItsOffset) {
    LocalMoment moment;
    moment.year = 2026;
    moment.month = 3;
    moment.day = 9;
    moment.hour = 7;
    moment.minute = 5;
    moment.second = 4;
    EXPECT_EQ(ClockText(moment, ":", false), "07:05");
    EXPECT_EQ(ClockText(moment, ".", true), "07.05.04");

    struct {
        int offset;
        const char* text;
    } cases[] = {{0, "2026-03-09T07:05:04+00:00"},
                 {60, "2026-03-09T07:05:04+01:00"},
                 {-210, "2026-03-09T07:05:04-03:30"},
                 {345, "2026-03-09T07:05:04+05:45"},
                 {-30, "2026-03-09T07:05:04-00:30"}};
    for (const auto& c : cases) {
        moment.offsetMinutes = c.offset;
        EXPECT_EQ(IsoTimeText(moment), c.text) << c.offset;
    }
}

// The separator the user chose in the regional settings of this test run's private prefix.
class RegionalSeparator : public ::testing::Test {
protected:
    void SetUp() override {
        char old[16] = {};
        ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, old, sizeof old);
        saved_ = old;
    }
    void TearDown() override {
        ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, saved_.c_str());
    }
    std::string saved_;
};

TEST_F(RegionalSeparator, ComesFromTheUsersTimeFormat) {
    ASSERT_TRUE(::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, "HH.mm.ss"));
    EXPECT_EQ(RegionalTimeSeparator(), ".");
    const WindowsClock clock;
    const std::string minute = clock.minuteText();
    ASSERT_EQ(minute.size(), 5u);
    EXPECT_EQ(minute[2], '.');
}

} // namespace
} // namespace skedula
