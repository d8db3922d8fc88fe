#include "fakes/EngineRig.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

using fakes::EngineRig;

std::vector<std::string> QueueRow(const WatchEngine& e, int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < 4; ++c)
        cells.push_back(e.SchlangeSG.cell(c, row));
    return cells;
}

TEST(FormCreate, SetsHeadersFieldsAndMinute) {
    EngineRig rig;
    const WatchEngine& e = rig.engine;
    EXPECT_EQ(e.ListeSG.cell(0, 0), "Zeit [hh:nn]");
    EXPECT_EQ(e.ListeSG.cell(4, 0), "Alarm [WAV-Datei oder MP3-Datei]");
    EXPECT_EQ(QueueRow(e, 0), (std::vector<std::string>{"Frequenz [Hz]", "Mode", "Schwelle [S?]",
                                                        "Alarm [WAV-Datei oder MP3-Datei]"}));
    EXPECT_EQ(e.ListeSG.rowCount(), 11);
    EXPECT_EQ(e.SchlangeSG.rowCount(), 2);
    EXPECT_EQ(e.ZeitLabel(), "00:00");
    EXPECT_EQ(rig.view.minute, "00:00");
    EXPECT_EQ(e.stepCounter(), -1);
    EXPECT_EQ(e.QueuePos, 0);
    EXPECT_EQ(e.QueueCount, 0);
    EXPECT_TRUE(e.listEditing());
    EXPECT_EQ(rig.timer.interval(), 0);
}

TEST(BuildQueue, CopiesDueEntriesInListOrderSkippingEmptyPatterns) {
    EngineRig rig;
    rig.entry(1, "14:3?", "1000", "AM", "S1", "a.wav");
    rig.entry(2, "", "2000", "FM", "S2", "b.wav"); // inactive, whatever else it holds
    rig.entry(3, "15", "3000");                    // another hour
    rig.entry(4, "?", "4000", "USB", "S4", "d.mp3");
    rig.entry(10, "14:30", "", "", "", "");                     // due, with empty cells
    rig.entry(11, "1?:30", "11000", "LSB", "S9", "hidden.wav"); // the hidden row counts too
    rig.clock.set(14, 30);
    ASSERT_TRUE(rig.engine.MinuteCheck());

    const WatchEngine& e = rig.engine;
    EXPECT_EQ(e.QueueCount, 4);
    EXPECT_EQ(e.QueuePos, 0);
    EXPECT_EQ(e.SchlangeSG.rowCount(), 5);
    EXPECT_EQ(QueueRow(e, 1), (std::vector<std::string>{"1000", "AM", "S1", "a.wav"}));
    EXPECT_EQ(QueueRow(e, 2), (std::vector<std::string>{"4000", "USB", "S4", "d.mp3"}));
    EXPECT_EQ(QueueRow(e, 3), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(QueueRow(e, 4), (std::vector<std::string>{"11000", "LSB", "S9", "hidden.wav"}));
    EXPECT_EQ(rig.view.minute, "14:30");
}

TEST(BuildQueue, ShowsAtLeastTwoRowsAndClearsTheOldQueue) {
    EngineRig rig;
    for (int r = 1; r <= 11; ++r)
        rig.entry(r, "14:30", std::to_string(r));
    rig.clock.set(14, 30);
    rig.engine.MinuteCheck();
    ASSERT_EQ(rig.engine.QueueCount, 11);
    EXPECT_EQ(rig.engine.SchlangeSG.rowCount(), 12);

    rig.clock.set(14, 31); // nothing due
    ASSERT_TRUE(rig.engine.MinuteCheck());
    EXPECT_EQ(rig.engine.QueueCount, 0);
    EXPECT_EQ(rig.engine.SchlangeSG.rowCount(), 2);
    for (int r = 1; r <= 11; ++r)
        EXPECT_EQ(QueueRow(rig.engine, r), (std::vector<std::string>{"", "", "", ""})) << r;
}

TEST(MinuteCheck, OnlyTheFirstTickOfAMinuteRebuilds) {
    EngineRig rig;
    rig.entry(1, "14:3");
    rig.clock.set(14, 30, 0);
    EXPECT_TRUE(rig.engine.MinuteCheck());
    rig.engine.QueuePos = 1; // the entry was measured
    rig.clock.set(14, 30, 59);
    EXPECT_FALSE(rig.engine.MinuteCheck());
    EXPECT_EQ(rig.engine.QueuePos, 1);
    rig.clock.set(14, 31, 0); // due again in the next minute
    EXPECT_TRUE(rig.engine.MinuteCheck());
    EXPECT_EQ(rig.engine.QueuePos, 0);
    EXPECT_EQ(rig.engine.QueueCount, 1);
}

TEST(MinuteCheck, TheFirstTickBuildsAQueueAlsoAtMidnight) {
    EngineRig rig;
    rig.entry(1, "00:00");
    rig.clock.set(0, 0, 10);
    EXPECT_TRUE(rig.engine.MinuteCheck());
    EXPECT_EQ(rig.engine.QueueCount, 1);
    EXPECT_EQ(rig.engine.ZeitLabel(), "00:00");
    EXPECT_FALSE(rig.engine.MinuteCheck());
}

TEST(MinuteCheck, UsesTheClocksSeparator) {
    EngineRig rig;
    rig.entry(1, "12:05");
    rig.entry(2, "12.05", "2");
    rig.clock.separator = ".";
    rig.clock.set(12, 5);
    rig.engine.MinuteCheck();
    EXPECT_EQ(rig.engine.ZeitLabel(), "12.05");
    EXPECT_EQ(rig.engine.QueueCount, 1);
    EXPECT_EQ(rig.engine.SchlangeSG.cell(0, 1), "2");
}

TEST(CellGrid, KeepsHiddenRowsAndAnnouncesWrites) {
    CellGrid grid(5, 11);
    std::vector<std::pair<int, int>> announced;
    grid.onCellChanged = [&](int c, int r) { announced.emplace_back(c, r); };
    EXPECT_EQ(grid.cell(4, 500), "");
    grid.setCell(2, 11, "hidden");
    grid.setCell(2, 11, "hidden");
    grid.setCell(0, 1, "");
    EXPECT_EQ(grid.cell(2, 11), "hidden");
    EXPECT_EQ(announced, (std::vector<std::pair<int, int>>{{2, 11}, {2, 11}, {0, 1}}));
    EXPECT_THROW(grid.setCell(5, 1, "x"), std::out_of_range);
    EXPECT_THROW((void)grid.cell(-1, 1), std::out_of_range);
}

} // namespace
} // namespace skedula
