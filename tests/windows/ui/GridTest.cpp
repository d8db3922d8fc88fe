// The string grids of the main window: where cells stand, and how the watch list is selected
// and edited in place by mouse and keyboard, with real input under Wine.
#include "FormRig.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

using uitest::FormRig;

TEST(GridGeometry, PlacesCellsAndFindsThemAgainWhenScrolled) {
    GridGeometry list({85, 79, 73, 91, 268}, 16);
    list.setClientSize(629, 197); // 633 x 201 inside the sunken border
    list.setRowCount(11);
    struct {
        GridCell cell;
        PixelRect rect;
    } cases[] = {{{0, 0}, {0, 0, 85, 16}},
                 {{1, 0}, {86, 0, 165, 16}},
                 {{4, 1}, {86 + 80 + 74 + 92, 17, 86 + 80 + 74 + 92 + 268, 33}},
                 {{0, 10}, {0, 170, 85, 186}}};
    for (const auto& c : cases) {
        const std::optional<PixelRect> rect = list.cellRect(c.cell);
        ASSERT_TRUE(rect) << c.cell.column << "," << c.cell.row;
        EXPECT_EQ(rect->left, c.rect.left);
        EXPECT_EQ(rect->top, c.rect.top);
        EXPECT_EQ(rect->right, c.rect.right);
        EXPECT_EQ(rect->bottom, c.rect.bottom);
        EXPECT_EQ(list.cellAt(rect->left, rect->top), c.cell);
        EXPECT_EQ(list.cellAt(rect->right, rect->bottom), c.cell); // its lines belong to it
    }
    EXPECT_FALSE(list.cellRect({0, 11})); // the hidden row
    EXPECT_FALSE(list.cellAt(10, 188));   // below the last row
    EXPECT_FALSE(list.cellAt(620, 5));    // right of the last column
    EXPECT_EQ(list.totalHeight(), 187);
    EXPECT_EQ(list.maxTopRow(), 1);

    // The queue shows its header and four whole rows; a longer queue scrolls by rows, the
    // header staying on top.
    GridGeometry queue({124, 117, 115, 239}, 16);
    queue.setClientSize(612, 93);
    queue.setRowCount(7);
    EXPECT_EQ(queue.fullyVisibleRows(), 4);
    EXPECT_EQ(queue.maxTopRow(), 3);
    queue.setTopRow(3);
    EXPECT_FALSE(queue.cellRect({0, 2}));
    EXPECT_EQ(queue.cellRect({0, 3})->top, 17);
    EXPECT_EQ(queue.cellAt(5, 5), (GridCell{0, 0}));
    EXPECT_EQ(queue.cellAt(5, 20), (GridCell{0, 3}));

    // Columns scroll whole when the client area is narrower than the grid.
    list.setClientSize(300, 197);
    EXPECT_EQ(list.fullyVisibleColumns(), 3);
    EXPECT_EQ(list.maxLeftColumn(), 4);
    list.setLeftColumn(2);
    EXPECT_FALSE(list.cellRect({1, 1}));
    EXPECT_EQ(list.cellRect({2, 1})->left, 0);
}

class ListGrid : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Show();
        grid = rig.form().ListeSG.get();
    }
    void Click(int column, int row) {
        const POINT p = FormRig::InCell(*grid, column, row);
        uitest::ClickAt(grid->handle(), p.x, p.y);
        rig.Settle();
    }
    std::string Cell(int column, int row) { return rig.engine().ListeSG.cell(column, row); }

    FormRig rig;
    StringGrid* grid = nullptr;
};

TEST_F(ListGrid, AClickSelectsTypingOpensTheEditorAndReturnCommits) {
    Click(1, 3);
    EXPECT_EQ(grid->current(), (GridCell{1, 3}));
    EXPECT_EQ(grid->selection(), (GridRect{1, 3, 1, 3}));
    EXPECT_EQ(grid->editor(), nullptr); // a click alone opens nothing
    EXPECT_EQ(::GetFocus(), grid->handle());

    uitest::TypeText("71");
    rig.Settle();
    ASSERT_NE(grid->editor(), nullptr);
    EXPECT_EQ(Cell(1, 3), "71"); // the cell follows every change
    uitest::TypeText("00000");
    uitest::PressKey(VK_RETURN);
    rig.Settle();
    EXPECT_EQ(grid->editor(), nullptr);
    EXPECT_EQ(Cell(1, 3), "7100000");
    EXPECT_EQ(::GetFocus(), grid->handle());

    // Typing into a cell that holds text replaces it; the header row never opens.
    uitest::TypeText("x");
    uitest::PressKey(VK_RETURN);
    rig.Settle();
    EXPECT_EQ(Cell(1, 3), "x");
    Click(1, 0);
    EXPECT_EQ(grid->current(), (GridCell{1, 3}));
    EXPECT_EQ(Cell(1, 0), "Frequenz [Hz]");
}

TEST_F(ListGrid, F2EditsTheTextItHoldsAndEscapeRestoresIt) {
    rig.entry(2, "14:30");
    Click(0, 2);
    uitest::PressKey(VK_F2);
    rig.Settle();
    ASSERT_NE(grid->editor(), nullptr);
    uitest::PressKey(VK_BACK);
    uitest::TypeText("5");
    rig.Settle();
    EXPECT_EQ(Cell(0, 2), "14:35");
    uitest::PressKey(VK_ESCAPE);
    rig.Settle();
    EXPECT_EQ(grid->editor(), nullptr);
    EXPECT_EQ(Cell(0, 2), "14:30");

    // A click on the cell that has the focus opens it too; Tab leaves the grid, keeping the
    // text.
    Click(0, 2);
    ASSERT_NE(grid->editor(), nullptr);
    uitest::TypeText("!");
    uitest::PressKey(VK_TAB);
    rig.Settle();
    EXPECT_EQ(grid->editor(), nullptr);
    EXPECT_EQ(Cell(0, 2), "14:30!");
    EXPECT_EQ(::GetFocus(), rig.form().SchlangeSG->handle());
}

TEST_F(ListGrid, NothingOpensWhileTheWatchRunsAndStartKeepsWhatWasTyped) {
    Click(2, 1);
    uitest::TypeText("US");
    rig.Settle();
    ASSERT_NE(grid->editor(), nullptr);
    rig.form().StartBtnClick();
    EXPECT_EQ(grid->editor(), nullptr);
    EXPECT_EQ(Cell(2, 1), "US");

    uitest::BringToFront(rig.window());
    ::SetFocus(grid->handle());
    uitest::PressKey(VK_F2);
    uitest::TypeText("B");
    const POINT p = FormRig::InCell(*grid, 2, 1);
    uitest::DoubleClickAt(grid->handle(), p.x, p.y);
    rig.Settle();
    EXPECT_EQ(grid->editor(), nullptr);
    EXPECT_EQ(Cell(2, 1), "US");
    // Cells can still be selected.
    Click(3, 4);
    EXPECT_EQ(grid->current(), (GridCell{3, 4}));

    rig.form().StopBtnClick();
    ::SetFocus(grid->handle());
    uitest::TypeText("S5");
    uitest::PressKey(VK_RETURN);
    rig.Settle();
    EXPECT_EQ(Cell(3, 4), "S5");
}

TEST_F(ListGrid, SelectsABlockWhereTheQueueSelectsOneCell) {
    Click(1, 2);
    const POINT corner = FormRig::InCell(*grid, 3, 5);
    ::SendMessageA(grid->handle(), WM_KEYDOWN, VK_DOWN, 0); // keys move the one cell
    EXPECT_EQ(grid->selection(), (GridRect{1, 3, 1, 3}));
    uitest::MoveTo(grid->handle(), corner.x, corner.y);
    ::SendMessageA(grid->handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                   MAKELPARAM(FormRig::InCell(*grid, 1, 2).x, FormRig::InCell(*grid, 1, 2).y));
    ::SendMessageA(grid->handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(corner.x, corner.y));
    ::SendMessageA(grid->handle(), WM_LBUTTONUP, 0, MAKELPARAM(corner.x, corner.y));
    EXPECT_EQ(grid->selection(), (GridRect{1, 2, 3, 5}));
    EXPECT_EQ(::GetCapture(), nullptr);

    StringGrid* queue = rig.form().SchlangeSG.get();
    rig.engine().SchlangeSG.setRowCount(4);
    const POINT start = FormRig::InCell(*queue, 0, 1);
    const POINT end = FormRig::InCell(*queue, 2, 3);
    ::SendMessageA(queue->handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    ::SendMessageA(queue->handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(end.x, end.y));
    ::SendMessageA(queue->handle(), WM_LBUTTONUP, 0, MAKELPARAM(end.x, end.y));
    EXPECT_EQ(queue->selection(), (GridRect{0, 1, 0, 1}));
    // The queue never edits.
    uitest::TypeText("9");
    uitest::PressKey(VK_F2);
    rig.Settle();
    EXPECT_EQ(queue->editor(), nullptr);
    EXPECT_EQ(rig.engine().SchlangeSG.cell(0, 1), "");
}

TEST_F(ListGrid, TheHiddenRowIsNeverShownOrReachedAndNoScrollBarIsNeeded) {
    rig.engine().ListeSG.setCell(0, 11, "??:??"); // as a list file of 55 lines writes it
    EXPECT_FALSE(grid->cellRect({0, 11}));
    Click(0, 9);
    for (int i = 0; i < 3; ++i)
        ::SendMessageA(grid->handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(grid->current(), (GridCell{0, 10}));
    EXPECT_EQ(grid->topRow(), 1);
    for (int bar : {SB_VERT, SB_HORZ}) {
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(::GetScrollBarInfo(grid->handle(),
                                       bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &info));
        EXPECT_TRUE(info.rgstate[0] & STATE_SYSTEM_INVISIBLE) << bar;
    }
}

TEST_F(ListGrid, TheQueueScrollsOnlyByTheUserAndItsHighlightNeitherScrollsNorTakesTheFocus) {
    StringGrid* queue = rig.form().SchlangeSG.get();
    const auto verticalBarShown = [queue] {
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        ::GetScrollBarInfo(queue->handle(), OBJID_VSCROLL, &info);
        return !(info.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    };
    rig.engine().SchlangeSG.setRowCount(5); // four entries fit
    EXPECT_FALSE(verticalBarShown());
    rig.engine().SchlangeSG.setRowCount(7);
    EXPECT_TRUE(verticalBarShown());

    Click(0, 1); // the list has the focus
    rig.form().selectQueueRow(6);
    EXPECT_EQ(queue->selection(), (GridRect{0, 6, 3, 6}));
    EXPECT_EQ(queue->topRow(), 1);
    EXPECT_EQ(::GetFocus(), grid->handle());

    ::SendMessageA(queue->handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    ::SendMessageA(queue->handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    ::SendMessageA(queue->handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(queue->topRow(), 3); // the last rows fill the grid
    rig.engine().SchlangeSG.setRowCount(2);
    EXPECT_EQ(queue->topRow(), 1);
    EXPECT_FALSE(verticalBarShown());
}

TEST_F(ListGrid, ALoadedCellKeepsItsBytesUntilItIsChanged) {
    // "Störung" as a list saved on Linux holds it (UTF-8): shown in the ANSI code page.
    rig.engine().ListeSG.setCell(4, 1, "St\xc3\xb6rung.wav");
    Click(4, 1);
    uitest::PressKey(VK_F2);
    rig.Settle();
    ASSERT_NE(grid->editor(), nullptr);
    EXPECT_EQ(WindowText(grid->editor()), "St\xf6rung.wav");
    uitest::PressKey(VK_RETURN);
    rig.Settle();
    EXPECT_EQ(Cell(4, 1), "St\xc3\xb6rung.wav");

    uitest::PressKey(VK_F2);
    uitest::PressKey(VK_BACK);
    uitest::PressKey(VK_RETURN);
    rig.Settle();
    EXPECT_EQ(Cell(4, 1), "St\xf6rung.wa");
}

} // namespace
} // namespace skedula
