#include "engine/Error.h"
#include "fakes/EngineRig.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace skedula {
namespace {

using fakes::EngineRig;

std::vector<std::optional<int>> Units(const Measurement& m) {
    std::vector<std::optional<int>> units;
    for (const std::optional<Sample>& sample : m.samples)
        units.push_back(sample ? std::optional(sample->sUnit) : std::nullopt);
    return units;
}

// Every entry measured is told, reported or not, with the queue's cells, the radio's texts at
// the third sample, the samples with their levels and the time of the third sample.
TEST(WatchListener, HearsEveryTuningAndEveryMeasurementReportedOrNot) {
    EngineRig rig;
    rig.entry(1, "14:30", "7100000", "AM", "S5", "a.wav");
    rig.entry(2, "14:30", "9650000", "USB", "S8");
    rig.link.followTuning = true;
    rig.link.sMeter = "S7";
    rig.link.sMeterLevel = -12.0;
    rig.startBefore(14, 30);
    rig.runTicks(42);

    ASSERT_EQ(rig.listener.tuned.size(), 2u);
    EXPECT_EQ(rig.listener.tuned[1].frequency + " " + rig.listener.tuned[1].mode, "9650000 USB");
    ASSERT_EQ(rig.listener.measured.size(), 2u);
    const Measurement& first = rig.listener.measured[0];
    EXPECT_TRUE(first.reported);
    EXPECT_EQ(first.time, "2026-12-07T14:30:10+01:00");
    EXPECT_EQ(first.alarm, "a.wav");
    EXPECT_EQ(first.threshold, 5);
    EXPECT_EQ(first.samples[1]->levelDb, -12.0);
    EXPECT_EQ(first.reportLines, (std::vector<std::string>{"", "14:30:10", "7100000 AM", "S7 >= S5",
                                                           "S7 >= S5", "S7 >= S5"}));
    const Measurement& second = rig.listener.measured[1];
    EXPECT_FALSE(second.reported);
    EXPECT_TRUE(second.reportLines.empty());
    EXPECT_EQ(second.frequency + " " + second.radioFrequency + " " + second.radioMode,
              "9650000 9650000 USB");
    EXPECT_EQ(Units(second), (std::vector<std::optional<int>>{7, 7, 7}));
    rig.engine.StopBtnClick();
    EXPECT_EQ(rig.listener.stops, 1);
}

// A sample taken while the S-meter text was empty (no link, a failed query) is no reading, and
// an entry with such a sample is never reported, not even against S0. With a reading at every
// sample S0 reports as ever.
TEST(WatchListener, ASampleWithoutAReadingIsNeverReported) {
    struct Case {
        const char* name;
        std::vector<std::string> texts; // the S-meter text at the three sample steps
        const char* threshold;
        bool reported;
        std::vector<std::optional<int>> units;
    };
    const Case cases[] = {
        {"closed link", {"", "", ""}, "S0", false, {std::nullopt, std::nullopt, std::nullopt}},
        {"one failed query", {"S9", "", "S9"}, "S5", false, {9, std::nullopt, 9}},
        {"readings at S0", {"S0", "S0", "S0"}, "S0", true, {0, 0, 0}},
        {"one character", {"S", "S", "S"}, "", true, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.entry(1, "14:30", "7100000", "AM", c.threshold);
        rig.startBefore(14, 30);
        rig.runTicks(21, [&](int tick) {
            if (tick == 10 || tick == 15 || tick == 20)
                rig.link.sMeter = c.texts[static_cast<std::size_t>((tick - 10) / 5)];
        });
        ASSERT_EQ(rig.listener.measured.size(), 1u) << c.name;
        EXPECT_EQ(rig.listener.measured[0].reported, c.reported) << c.name;
        EXPECT_EQ(Units(rig.listener.measured[0]), c.units) << c.name;
        EXPECT_EQ(rig.log.lines.size(), c.reported ? 6u : 0u) << c.name;
    }
}

// A threshold cell that cannot be read is still a measurement, told without a threshold and
// not reported; the conversion error is shown as ever. A sample that cannot be converted is no
// reading of this entry, so the old value it keeps never reaches a report.
TEST(WatchListener, FailedEvaluationsAreToldAndUnreadableSamplesAreNoReadings) {
    EngineRig rig;
    rig.entry(1, "14:30", "7100000", "AM", "S?");
    rig.entry(2, "14:30", "7200000", "AM", "S1");
    rig.link.sMeter = "S9";
    rig.startBefore(14, 30);
    rig.runTicks(42, [&](int tick) { rig.link.sMeter = tick == 36 ? "S " : "S9"; });

    EXPECT_EQ(rig.reported, (std::vector<std::string>{"'?' ist kein gültiger Integerwert",
                                                      "' ' ist kein gültiger Integerwert"}));
    ASSERT_EQ(rig.listener.measured.size(), 2u);
    EXPECT_EQ(rig.listener.measured[0].threshold, std::nullopt);
    EXPECT_FALSE(rig.listener.measured[0].reported);
    EXPECT_EQ(Units(rig.listener.measured[0]), (std::vector<std::optional<int>>{9, 9, 9}));
    EXPECT_EQ(Units(rig.listener.measured[1]),
              (std::vector<std::optional<int>>{9, std::nullopt, 9}));
    EXPECT_FALSE(rig.listener.measured[1].reported);
    EXPECT_TRUE(rig.log.lines.empty());
}

// The recording's name reaches every listener with the measurement; a listener that throws
// costs neither the others nor the alarm, and its error is shown after the tick.
class Throwing : public WatchListener {
public:
    void EntryMeasured(const Measurement&) override { throw Error("kaputt"); }
};

TEST(WatchListener, ARecordingIsNamedOnceAndAThrowingListenerStopsNothing) {
    Throwing throwing;
    fakes::FakeListener after;
    EngineRig rig(throwing);
    rig.engine.Listen(after);
    rig.listener.recording = "/data/a.flac";
    rig.entry(1, "14:30", "7100000", "AM", "S5", "a.wav");
    rig.link.sMeter = "S7";
    rig.startBefore(14, 30);
    rig.runTicks(21);

    ASSERT_EQ(after.reported().size(), 1u);
    EXPECT_EQ(after.reported()[0].recording, "/data/a.flac");
    EXPECT_EQ(rig.alarm.calls.back(), "Play");
    EXPECT_EQ(rig.reported, std::vector<std::string>{"kaputt"});
    EXPECT_EQ(rig.engine.stepCounter(), -1);
}

} // namespace
} // namespace skedula
