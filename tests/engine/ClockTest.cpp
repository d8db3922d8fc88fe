#include "engine/Error.h"
#include "engine/SUnit.h"
#include "engine/SystemClock.h"
#include "fakes/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

namespace skedula {
namespace {

TEST(TimeSeparator, IsTakenFromTheLocalesTimeFormat) {
    EXPECT_EQ(TimeSeparatorFromFormat("%H:%M:%S"), ":");
    EXPECT_EQ(TimeSeparatorFromFormat("%T"), ":");
    EXPECT_EQ(TimeSeparatorFromFormat("%H.%M.%S"), ".");
    EXPECT_EQ(TimeSeparatorFromFormat("%I:%M:%S %p"), ":");
    EXPECT_EQ(TimeSeparatorFromFormat("%Hh%M"), "h");
    EXPECT_EQ(TimeSeparatorFromFormat("%OH.%OM"), ".");
    EXPECT_EQ(TimeSeparatorFromFormat("%H\xe6\x97\xb6%M"), "\xe6\x97\xb6");
    EXPECT_EQ(TimeSeparatorFromFormat(""), ":");
    EXPECT_EQ(TimeSeparatorFromFormat("%H"), ":");
    EXPECT_EQ(TimeSeparatorFromFormat("%p %I"), ":");
}

TEST(SystemClock, FormatsTwoDigitFields) {
    SystemClock clock(".");
    EXPECT_TRUE(std::regex_match(clock.minuteText(), std::regex(R"(\d\d\.\d\d)")));
    EXPECT_TRUE(std::regex_match(clock.timeText(), std::regex(R"(\d\d\.\d\d\.\d\d)")));
}

int MinutesOfDay(const std::string& text) {
    return std::stoi(text.substr(0, 2)) * 60 + std::stoi(text.substr(3, 2));
}

TEST(SystemClock, AChangedTimeZoneCountsAtTheNextReading) {
    // In a child: the zone is the process's own, and the test process keeps its own.
    const test::ChildReport child = test::RunInChild([] {
        SystemClock clock(":");
        ::setenv("TZ", "UTC0", 1);
        const std::string utcMinute = clock.minuteText();
        const std::string utcTime = clock.timeText();
        ::setenv("TZ", "IST-5:30", 1); // 5 h 30 min east of UTC
        const std::string eastMinute = clock.minuteText();
        const std::string eastTime = clock.timeText();
        std::string report;
        for (const auto& [before, after] :
             {std::pair{utcMinute, eastMinute}, {utcTime, eastTime}}) {
            // The clock may pass a minute between the two readings.
            const int shift = (MinutesOfDay(after) - MinutesOfDay(before) + 1440) % 1440;
            report += (shift == 330 || shift == 331 ? "shifted" : before + " -> " + after) + ";";
        }
        return report;
    });
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "shifted;shifted;");
}

TEST(SUnitValue, TakesTheSecondCharacter) {
    EXPECT_EQ(SUnitValue(""), 0);
    EXPECT_EQ(SUnitValue("S"), 0);
    EXPECT_EQ(SUnitValue("S5"), 5);
    EXPECT_EQ(SUnitValue("s5"), 5);
    EXPECT_EQ(SUnitValue("55"), 5);
    EXPECT_EQ(SUnitValue("S10"), 1);
    EXPECT_EQ(SUnitValue("S9+20dB"), 9);
    EXPECT_EQ(SUnitValue(" 5"), 5);
    EXPECT_EQ(SUnitValue("\xc3\xa4"
                         "7"),
              7); // UTF-8 "ä7"
    EXPECT_EQ(SUnitValue("\xe4"
                         "7"),
              7); // Windows-1252 "ä7"
}

TEST(SUnitValue, NamesTheCharacterThatIsNoDigit) {
    const std::pair<const char*, const char*> cases[] = {
        {"S?", "'?' ist kein gültiger Integerwert"},
        {"S ", "' ' ist kein gültiger Integerwert"},
        {"S+", "'+' ist kein gültiger Integerwert"},
        {"SS9", "'S' ist kein gültiger Integerwert"},
        {"S\xc3\xbc", "'\xc3\xbc' ist kein gültiger Integerwert"}};
    for (const auto& [text, message] : cases) {
        try {
            SUnitValue(text);
            ADD_FAILURE() << text << " converted";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

} // namespace
} // namespace skedula
