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
    ASSERT_EQ(rig.listener.reported().size(), 1u); // entry 2, S7 against S8, is not reported
    const Measurement kept = rig.listener.reported()[0];
    EXPECT_EQ(kept.radioFrequency + "|" + kept.radioMode + "|" + kept.alarm,
              "7100010|AMS|missing.wav");
    EXPECT_EQ((std::vector{kept.samples[0]->sUnit, kept.samples[1]->sUnit, kept.samples[2]->sUnit,
                           *kept.threshold}),
              (std::vector{7, 7, 7, 5}));
}

} // namespace
} // namespace skedula
