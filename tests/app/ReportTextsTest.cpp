// What a report gives away to a script and to the notification server: the SKEDULA_ variables,
// the standard input and the notification's texts, byte for byte.
#include "app/CommandEnvironment.h"
#include "app/NotificationText.h"
#include "fakes/EngineFakes.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

TEST(ReportTexts, TheVariablesAndInputKeepTheRadiosBytes) {
    Measurement m = fakes::ReportedMeasurement();
    m.radioFrequency = std::string("7\xE4\x01 1\0z", 7); // Windows-1252, a control byte, NUL
    m.radioMode = "";
    m.alarm = "/home/me/Töne/\"laut\" 'x'.wav";
    m.recording = "/home/me/Aufnahmen/a b.flac";
    m.samples[2] = Sample{9, 30.0};
    m.reportLines[2] = m.radioFrequency + " ";
    const std::vector<EnvironmentVariable> expected = {
        {"SKEDULA_ZEIT", "2026-12-07T14:30:10+01:00"},
        {"SKEDULA_FREQUENZ", "7\xE4\x01 1z"},
        {"SKEDULA_MODE", ""},
        {"SKEDULA_S1", "7"},
        {"SKEDULA_S2", "7"},
        {"SKEDULA_S3", "9"},
        {"SKEDULA_SCHWELLE", "5"},
        {"SKEDULA_ALARM", "/home/me/Töne/\"laut\" 'x'.wav"},
        {"SKEDULA_AUFNAHME", "/home/me/Aufnahmen/a b.flac"},
    };
    EXPECT_EQ(ReportVariables(m), expected);
    // The input has the lines exactly as the log got them, NUL included.
    EXPECT_EQ(ReportInput(m),
              "\n14:30:10\n" + m.radioFrequency + " \nS7 >= S5\nS7 >= S5\nS7 >= S5\n");

    m.recording.reset();
    m.threshold.reset();
    m.samples[0].reset();
    const std::vector<EnvironmentVariable> without = ReportVariables(m);
    EXPECT_EQ(without[3].second, "");
    EXPECT_EQ(without[6].second, "");
    EXPECT_EQ(without[8].second, "");
}

TEST(ReportTexts, TheNotificationShowsTheReportAsWrittenWithOrWithoutMarkup) {
    const std::vector<std::string> lines = {"",         "14:30:10", "7100000 AM",
                                            "S7 >= S5", "S9 >= S5", "S8 >= S5"};
    NotificationText plain = ReportNotification(lines, false);
    EXPECT_EQ(plain.summary, "Skedula: 7100000 AM");
    EXPECT_EQ(plain.body, "14:30:10\nS7 >= S5\nS9 >= S5\nS8 >= S5");
    EXPECT_EQ(ReportNotification(lines, true).body,
              "14:30:10\nS7 &gt;= S5\nS9 &gt;= S5\nS8 &gt;= S5");

    // Odd radio texts: Windows-1252 shown as the window shows it, no NUL (D-Bus has none), and
    // the summary is never markup.
    const std::vector<std::string> odd = {"", "14:30:10", std::string("<b>7\xE4\0&", 8),
                                          "S1 >= S0"};
    const NotificationText marked = ReportNotification(odd, true);
    EXPECT_EQ(marked.summary, "Skedula: <b>7ä&");
    EXPECT_EQ(marked.body, "14:30:10\nS1 &gt;= S0");
}

} // namespace
} // namespace skedula
