// The highlight in the queue grid: row QueuePos + 1 across the four columns on every tick,
// without taking the focus or scrolling; nothing past the last row.
#include "WindowRig.h"

#include <QApplication>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using uitest::WindowRig;

// The highlighted grid rows (1 = first below the header), each with its number of cells.
std::map<int, int> Highlighted(StringGrid* grid) {
    std::map<int, int> rows;
    for (const QModelIndex& cell : grid->selectionModel()->selectedIndexes())
        ++rows[cell.row() + 1];
    return rows;
}

TEST(QueueHighlight, FollowsTheQueueOnEveryTick) {
    struct Case {
        const char* name;
        int entries; // due at 14:30
        int ticks;   // from the first tick of 14:30
        std::map<int, int> highlighted;
    };
    const Case cases[] = {
        {"empty queue: the empty row below the header", 0, 1, {{1, 4}}},
        {"first entry being measured", 2, 1, {{1, 4}}},
        {"first entry at its last step", 2, 21, {{1, 4}}},
        {"second entry", 2, 22, {{2, 4}}},
        {"finished queue: no row", 2, 43, {}},
        {"finished queue of one: no row", 1, 30, {}},
    };
    for (const Case& c : cases) {
        WindowRig rig;
        for (int e = 1; e <= c.entries; ++e)
            rig.entry(e, "14:30");
        rig.entry(c.entries + 1, "06:00"); // not due
        rig.clock.set(14, 29, 59, 500);
        rig.engine.StartBtnClick();
        for (int t = 0; t < c.ticks; ++t)
            rig.tick();
        EXPECT_EQ(Highlighted(rig.form().SchlangeSG), c.highlighted) << c.name;
    }
}

TEST(QueueHighlight, StaysAfterStop) {
    WindowRig rig;
    rig.entry(1, "14:30");
    rig.entry(2, "14:30");
    rig.clock.set(14, 29, 59, 500);
    rig.engine.StartBtnClick();
    for (int t = 0; t < 25; ++t)
        rig.tick();
    rig.engine.StopBtnClick();
    EXPECT_EQ(Highlighted(rig.form().SchlangeSG), (std::map<int, int>{{2, 4}}));
}

TEST(QueueHighlight, NeitherTakesTheFocusNorScrolls) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    form.show();
    QApplication::setActiveWindow(&form);
    form.Memo->setFocus(); // Start is disabled on the way, so it cannot keep the focus
    uitest::Settle();
    QWidget* focused = QApplication::focusWidget();

    for (int e = 1; e <= 5; ++e)
        rig.entry(e, "14:30");
    rig.clock.set(14, 29, 59, 500);
    rig.engine.StartBtnClick();
    for (int t = 0; t < 21 * 4 + 1; ++t) // the fifth entry is tuned: below the visible rows
        rig.tick();
    uitest::Settle();

    EXPECT_EQ(Highlighted(form.SchlangeSG), (std::map<int, int>{{5, 4}}));
    EXPECT_TRUE(form.SchlangeSG->verticalScrollBar()->isVisible());
    EXPECT_EQ(form.SchlangeSG->verticalScrollBar()->value(), 0);
    EXPECT_EQ(QApplication::focusWidget(), focused);
    EXPECT_FALSE(form.SchlangeSG->hasFocus());
}

} // namespace
} // namespace skedula
