#include "engine/Error.h"
#include "fakes/EngineRig.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace skedula {
namespace {

using fakes::EngineRig;
using Effects = std::map<int, std::string>;

TEST(Sequencer, OneEntryTunesAtOnceSamplesAtTenFifteenTwentyThenIdles) {
    EngineRig rig;
    rig.entry(1, "14:30", "14230000", "USB", "S1");
    rig.link.followTuning = true;
    rig.clock.set(14, 29, 59, 700); // the first tick comes at 14:30:00.2
    rig.engine.StartBtnClick();

    std::vector<int> steps, rows;
    std::map<int, std::string> sampleTimes;
    const Effects effects = rig.runTicks(23, [&](int tick) {
        // A different reading at every tick shows which tick each sample was taken at.
        rig.link.sMeter = "S" + std::to_string(tick % 7);
        if (tick > 0) {
            steps.push_back(rig.engine.stepCounter());
            rows.push_back(rig.view.selectedRow);
        }
        if (tick == 11 || tick == 16 || tick == 21)
            sampleTimes[tick - 1] = rig.clock.timeText();
    });

    EXPECT_EQ(effects, (Effects{{0, "[freq 14230000][mode USB]"},
                                {10, "[S-meter]"},
                                {15, "[S-meter]"},
                                {20, "[S-meter][report 14230000 USB]"}}));
    // Nominally 5.0, 7.5 and 10.0 s after tuning.
    EXPECT_EQ(sampleTimes,
              (std::map<int, std::string>{{10, "14:30:05"}, {15, "14:30:07"}, {20, "14:30:10"}}));
    std::vector<int> expectedSteps;
    for (int step = 0; step < 20; ++step)
        expectedSteps.push_back(step);
    expectedSteps.push_back(-1);
    expectedSteps.push_back(-1);
    EXPECT_EQ(steps, expectedSteps);
    EXPECT_EQ(rig.log.lines, (std::vector<std::string>{"", "14:30:10", "14230000 USB", "S3 >= S1",
                                                       "S1 >= S1", "S6 >= S1"}));

    // Every tick selects the row under measurement, and the row past the last once idle.
    EXPECT_EQ(rig.view.selections, 23);
    EXPECT_EQ(std::vector<int>(rows.begin(), rows.begin() + 20), std::vector<int>(20, 1));
    EXPECT_EQ(rig.view.selectedRow, 2);
    EXPECT_EQ(rig.engine.QueuePos, 1);
    EXPECT_EQ(rig.engine.stepCounter(), -1);
}

TEST(Sequencer, TuningSendsTheCellsUnchangedFrequencyFirst) {
    EngineRig rig;
    rig.entry(1, "14:30", "", "");
    rig.entry(2, "14:30", " 14 230 000", "usb ");
    rig.entry(3, "14:30", "abc", "XYZ");
    rig.startBefore(14, 30);
    EXPECT_EQ(rig.runTicks(43), (Effects{{0, "[freq ][mode ]"},
                                         {10, "[S-meter]"},
                                         {15, "[S-meter]"},
                                         {20, "[S-meter]"},
                                         {21, "[freq  14 230 000][mode usb ]"},
                                         {31, "[S-meter]"},
                                         {36, "[S-meter]"},
                                         {41, "[S-meter]"},
                                         {42, "[freq abc][mode XYZ]"}}));
}

// An empty text is no reading at all (see the listener's tests); a short one reads S0.
TEST(Sequencer, ShortSMeterTextsReadAsZeroAndOnlyTheSecondCharacterCounts) {
    EngineRig rig;
    rig.entry(1, "14:30", "1", "AM", "S");
    rig.startBefore(14, 30);
    const std::map<int, std::string> readings = {{10, "x"}, {15, "S"}, {20, "S9+20dB"}};
    rig.runTicks(21, [&](int tick) {
        if (readings.contains(tick))
            rig.link.sMeter = readings.at(tick);
    });
    EXPECT_TRUE(rig.reported.empty());
    EXPECT_EQ(std::vector<std::string>(rig.log.lines.begin() + 3, rig.log.lines.end()),
              (std::vector<std::string>{"S0 >= S0", "S0 >= S0", "S9 >= S0"}));
}

// Six entries do not fit into a minute: the sixth is tuned 52.5 s after the first and the next
// minute's rebuild abandons it, so that the new queue's first entry is measured from its own
// tuning on.
TEST(Sequencer, SixthEntryIsAbandonedByTheNextMinutesRebuild) {
    EngineRig rig;
    for (int row = 1; row <= 6; ++row)
        rig.entry(row, "14:30", std::to_string(row), "AM", "S2");
    rig.entry(7, "14:31", "7", "AM", "S2");
    rig.link.followTuning = true;
    rig.link.sMeterAt = {{"6", "S9"}, {"7", "S2"}};
    rig.link.sMeter = "S5";
    rig.startBefore(14, 30);

    EXPECT_EQ(rig.runTicks(150), (Effects{{0, "[freq 1][mode AM]"},
                                          {10, "[S-meter]"},
                                          {15, "[S-meter]"},
                                          {20, "[S-meter][report 1 AM]"},
                                          {21, "[freq 2][mode AM]"},
                                          {31, "[S-meter]"},
                                          {36, "[S-meter]"},
                                          {41, "[S-meter][report 2 AM]"},
                                          {42, "[freq 3][mode AM]"},
                                          {52, "[S-meter]"},
                                          {57, "[S-meter]"},
                                          {62, "[S-meter][report 3 AM]"},
                                          {63, "[freq 4][mode AM]"},
                                          {73, "[S-meter]"},
                                          {78, "[S-meter]"},
                                          {83, "[S-meter][report 4 AM]"},
                                          {84, "[freq 5][mode AM]"},
                                          {94, "[S-meter]"},
                                          {99, "[S-meter]"},
                                          {104, "[S-meter][report 5 AM]"},
                                          {105, "[freq 6][mode AM]"},
                                          {115, "[S-meter]"},
                                          {120, "[freq 7][mode AM]"}, // 14:31:00.0
                                          {130, "[S-meter]"},
                                          {135, "[S-meter]"},
                                          {140, "[S-meter][report 7 AM]"}}));
    // The sixth entry's first sample (S9) does not leak into the seventh's evaluation.
    EXPECT_EQ(std::vector<std::string>(rig.log.lines.end() - 3, rig.log.lines.end()),
              (std::vector<std::string>{"S2 >= S2", "S2 >= S2", "S2 >= S2"}));
}

TEST(Sequencer, EntryAbandonedForAnEmptyMinuteDoesNotRunIntoALaterQueue) {
    EngineRig rig;
    for (int row = 1; row <= 6; ++row)
        rig.entry(row, "14:30", std::to_string(row), "AM", "S0");
    rig.entry(7, "14:32", "7", "AM", "S0");
    rig.link.followTuning = true;
    rig.link.sMeter = "S0";
    rig.startBefore(14, 30);

    Effects effects = rig.runTicks(261);
    EXPECT_EQ(effects.erase(105), 1u); // the sixth is tuned
    EXPECT_EQ(effects.erase(115), 1u); // and sampled once before 14:31
    while (!effects.empty() && effects.begin()->first < 105)
        effects.erase(effects.begin());
    EXPECT_EQ(effects, (Effects{{240, "[freq 7][mode AM]"}, // 14:32:00.0
                                {250, "[S-meter]"},
                                {255, "[S-meter]"},
                                {260, "[S-meter][report 7 AM]"}}));
}

TEST(Sequencer, StopDropsTheEntryAndAStartInTheSameMinuteWaitsForTheNext) {
    EngineRig rig;
    rig.entry(1, "14:3", "1"); // due every minute from 14:30 to 14:39
    rig.entry(2, "14:3", "2");
    rig.link.sMeter = "S9";
    rig.startBefore(14, 30);
    rig.runTicks(13); // tuned, one sample taken; now 14:30:06.0

    rig.engine.StopBtnClick();
    EXPECT_EQ(rig.timer.interval(), 0);
    EXPECT_FALSE(rig.view.running);
    EXPECT_TRUE(rig.engine.listEditing());
    EXPECT_EQ(rig.link.calls.back(), "CloseConversation");
    EXPECT_EQ(rig.engine.QueuePos, 2);
    EXPECT_EQ(rig.engine.QueueCount, 2);
    EXPECT_EQ(rig.engine.stepCounter(), -1);

    rig.clock.set(14, 30, 30); // no ticks while stopped
    rig.engine.StartBtnClick();
    // 14:30:30.5 to 14:31:00.0: nothing until the first tick of 14:31 rebuilds.
    EXPECT_EQ(rig.runTicks(60), (Effects{{59, "[freq 1][mode AM]"}}));
    EXPECT_EQ(rig.engine.ZeitLabel(), "14:31");
    EXPECT_TRUE(rig.log.lines.empty()); // the dropped entry was never evaluated
}

TEST(Sequencer, StartInALaterMinuteRebuildsAtTheFirstTick) {
    EngineRig rig;
    rig.entry(1, "14:3", "1");
    rig.startBefore(14, 30);
    rig.runTicks(13);
    rig.engine.StopBtnClick();

    rig.clock.set(14, 33, 20);
    rig.engine.StartBtnClick();
    EXPECT_EQ(rig.runTicks(1), (Effects{{0, "[freq 1][mode AM]"}}));
    EXPECT_EQ(rig.engine.ZeitLabel(), "14:33");
    EXPECT_EQ(rig.view.minute, "14:33");
    EXPECT_EQ(rig.engine.stepCounter(), 0);
}

// Fakes that write into one journal, so that the order of effects across ports shows.
struct Journal {
    std::vector<std::string> entries;
};

class JournalTimer : public fakes::FakeStepTimer {
public:
    explicit JournalTimer(Journal& journal) : journal_(journal) {}
    void setInterval(int ms) override {
        journal_.entries.push_back("interval " + std::to_string(ms));
        FakeStepTimer::setInterval(ms);
    }

private:
    Journal& journal_;
};

class JournalView : public fakes::FakeView {
public:
    explicit JournalView(Journal& journal) : journal_(journal) {}
    void showRunning(bool running) override {
        journal_.entries.push_back(running ? "buttons running" : "buttons stopped");
        FakeView::showRunning(running);
    }
    void showListEditing(bool editable) override {
        journal_.entries.push_back(editable ? "editing on" : "editing off");
        FakeView::showListEditing(editable);
    }

private:
    Journal& journal_;
};

class JournalReceiver : public fakes::FakeReceiver {
public:
    explicit JournalReceiver(Journal& journal) : journal_(journal) {}
    bool SetServiceTopic(const std::string& service, const std::string& topic) override {
        journal_.entries.push_back("SetServiceTopic " + service + " " + topic);
        return FakeReceiver::SetServiceTopic(service, topic);
    }
    bool OpenConversation() override {
        journal_.entries.push_back("OpenConversation");
        return FakeReceiver::OpenConversation();
    }
    void CloseConversation() override {
        journal_.entries.push_back("CloseConversation");
        FakeReceiver::CloseConversation();
    }

private:
    Journal& journal_;
};

struct JournalRig {
    Journal journal;
    fakes::FakeClock clock;
    JournalTimer timer{journal};
    JournalReceiver link{journal};
    fakes::FakeAlarm alarm;
    fakes::FakeLog log;
    JournalView view{journal};
    WatchEngine engine{{clock, timer, link, alarm, log, view}};

    JournalRig() {
        engine.FormCreate();
        journal.entries.clear();
    }
    std::vector<std::string> take() { return std::exchange(journal.entries, {}); }
};

TEST(StartStop, EffectsComeInOrderAndStartLeavesTheQueueAlone) {
    JournalRig rig;
    rig.engine.QueuePos = 3;
    rig.engine.QueueCount = 3;

    rig.engine.StartBtnClick();
    EXPECT_EQ(rig.take(), (std::vector<std::string>{
                              "interval 500", "buttons running", "editing off",
                              "SetServiceTopic HRD_RADIO_000 HRD_CAT", "OpenConversation"}));
    EXPECT_EQ(rig.timer.starts, 1);
    EXPECT_FALSE(rig.engine.listEditing());
    EXPECT_EQ(rig.engine.QueuePos, 3);
    EXPECT_EQ(rig.engine.QueueCount, 3);
    EXPECT_EQ(rig.engine.stepCounter(), -1);
    EXPECT_EQ(rig.engine.ZeitLabel(), "00:00");

    rig.engine.StopBtnClick();
    EXPECT_EQ(rig.take(), (std::vector<std::string>{"interval 0", "buttons stopped", "editing on",
                                                    "CloseConversation"}));
    EXPECT_TRUE(rig.engine.listEditing());
}

TEST(StartStop, RefusedTimerStopsStartAndTheNextStartTriesAgain) {
    JournalRig rig;
    rig.timer.refuse = true;

    try {
        rig.engine.StartBtnClick();
        ADD_FAILURE() << "Start went through without a timer";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Nicht genügend Timer verfügbar");
    }
    EXPECT_EQ(rig.take(), (std::vector<std::string>{"interval 500"}));
    EXPECT_TRUE(rig.engine.listEditing());
    EXPECT_FALSE(rig.view.running);
    EXPECT_TRUE(rig.link.calls.empty());
    EXPECT_EQ(rig.timer.interval(), 0);

    // A refused timer is not recorded, so a second Start asks again and fails again instead
    // of showing a watch that never ticks.
    EXPECT_THROW(rig.engine.StartBtnClick(), Error);
    EXPECT_EQ(rig.take(), (std::vector<std::string>{"interval 500"}));
    EXPECT_FALSE(rig.view.running);

    rig.timer.refuse = false;
    rig.engine.StartBtnClick();
    EXPECT_EQ(rig.timer.starts, 1);
    EXPECT_EQ(rig.timer.interval(), 500);
    EXPECT_EQ(rig.take(), (std::vector<std::string>{
                              "interval 500", "buttons running", "editing off",
                              "SetServiceTopic HRD_RADIO_000 HRD_CAT", "OpenConversation"}));
}

} // namespace
} // namespace skedula
