#include "engine/Error.h"
#include "fakes/EngineRig.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

// The report kept is the one the log shows: the radio's texts, not the queue cells; it is kept
// before the alarm opens, so that an alarm file that fails does not cost it.
TEST(KeepReport, EachLoggedReportIsKeptWithTheRadiosTextsBeforeTheAlarmOpens) {
    fakes::EngineRig rig;
    rig.entry(1, "14:30", "7100000", "AM", "S5", "missing.wav");
    rig.entry(2, "14:30", "7200000", "AM", "S8", "b.wav");
    rig.link.frequency = "7100010";
    rig.link.mode = "AMS";
    rig.link.sMeter = "S7";
    rig.alarm.failOpenWith = "Datei nicht gefunden";
    rig.startBefore(14, 30);
    rig.runTicks(42);

    EXPECT_EQ(rig.reported, std::vector<std::string>{"Datei nicht gefunden"});
    ASSERT_EQ(rig.reports.reports.size(), 1u); // entry 2, S7 against S8, is not reported
    const AlarmReport& kept = rig.reports.reports[0];
    EXPECT_EQ(kept.frequency + "|" + kept.mode + "|" + kept.alarmFile, "7100010|AMS|missing.wav");
    EXPECT_EQ((std::vector{kept.sample1, kept.sample2, kept.sample3, kept.threshold}),
              (std::vector{7, 7, 7, 5}));
}

} // namespace
} // namespace skedula
