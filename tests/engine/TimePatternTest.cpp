#include "engine/TimePattern.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

struct PatternCase {
    const char* pattern;
    const char* minute;
    bool matches;
};

class MatchTimePatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(MatchTimePatternTest, MatchesCharacterByCharacter) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(MatchTimePattern(c.pattern, c.minute), c.matches)
        << "pattern '" << c.pattern << "' minute '" << c.minute << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Table, MatchTimePatternTest,
    ::testing::Values(
        // Short patterns match as prefixes.
        PatternCase{"1", "10:00", true}, PatternCase{"1", "19:59", true},
        PatternCase{"1", "09:59", false}, PatternCase{"1", "20:00", false},
        PatternCase{"12", "12:59", true}, PatternCase{"12", "13:00", false},
        PatternCase{"?", "00:00", true}, PatternCase{"?", "23:59", true},
        // Five characters: position by position.
        PatternCase{"12:?5", "12:05", true}, PatternCase{"12:?5", "12:55", true},
        PatternCase{"12:?5", "12:06", false}, PatternCase{"??:00", "07:00", true},
        PatternCase{"??:00", "07:01", false}, PatternCase{"??:??", "23:59", true},
        PatternCase{"1?:30", "14:30", true}, PatternCase{"1?:30", "24:30", false},
        // Past the fifth character only "?" can match.
        PatternCase{"12:05?", "12:05", true}, PatternCase{"12:05???", "12:05", true},
        PatternCase{"12:050", "12:05", false}, PatternCase{"12:05 ", "12:05", false},
        // A blank is an ordinary character; the comparison is case-sensitive.
        PatternCase{" 12:05", "12:05", false}, PatternCase{"12 05", "12:05", false},
        PatternCase{"a", "A", false}, PatternCase{"A", "A", true},
        // Another time separator in the minute text.
        PatternCase{"12:05", "12.05", false}, PatternCase{"12.05", "12.05", true},
        PatternCase{"12?05", "12.05", true}));

} // namespace
} // namespace skedula
