// The watch list's cells as the user sees and edits them: shown as UTF-8, or as Windows-1252
// when not valid UTF-8; an edit reaches the cell at every change; Start and Tab end an open
// edit.
#include "WindowRig.h"
#include "ui/CellText.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using uitest::WindowRig;

TEST(CellText, ShowsUtf8AsItIsAndAnythingElseAsWindows1252) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"USB", "USB"},
        {"Z\xC3\xBCrich.wav", "Z\xC3\xBCrich.wav"}, // valid UTF-8
        {"Z\xFCrich.wav", "Z\xC3\xBCrich.wav"},     // Windows-1252 ü
        {"\x80 5", "\xE2\x82\xAC 5"},               // the euro sign
        {"a\x81z", "a\xEF\xBF\xBDz"},               // undefined in the code page
        {"\xC3", "\xC3\x83"},                       // a UTF-8 sequence cut short
        {"\xE9t\xE9 \x96 hiver", "\xC3\xA9t\xC3\xA9 \xE2\x80\x93 hiver"}, // é and the en dash
    };
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(DisplayText(bytes), shown) << bytes;
}

class CellEditing : public ::testing::Test {
protected:
    void SetUp() override {
        rig.form().show();
        QApplication::setActiveWindow(&rig.form());
        QCoreApplication::processEvents();
    }

    QModelIndex cell(int column, int row) {
        return rig.form().ListeSG->model()->index(row - 1, column);
    }

    // Opens the in-place editor of a list cell; nullptr when the grid does not open one.
    QLineEdit* openEditor(int column, int row) {
        StringGrid* grid = rig.form().ListeSG;
        grid->setCurrentIndex(cell(column, row));
        grid->edit(cell(column, row));
        QCoreApplication::processEvents();
        for (QLineEdit* editor : grid->findChildren<QLineEdit*>())
            if (editor->isVisible())
                return editor;
        return nullptr;
    }

    WindowRig rig;
};

TEST_F(CellEditing, TheCellTakesTheEditedTextAtEveryChange) {
    QLineEdit* editor = openEditor(0, 1);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "14:3");
    EXPECT_EQ(rig.engine.ListeSG.cell(0, 1), "14:3"); // while the editor is still open
    QTest::keyClick(editor, Qt::Key_0);
    EXPECT_EQ(rig.engine.ListeSG.cell(0, 1), "14:30");

    // Typed in the middle: the cell's change must not send the cursor to the end.
    editor->setCursorPosition(2);
    QTest::keyClicks(editor, "ab");
    EXPECT_EQ(rig.engine.ListeSG.cell(0, 1), "14ab:30");
    EXPECT_EQ(editor->cursorPosition(), 4);
}

TEST_F(CellEditing, StartKeepsAnEditInProgressAndEndsIt) {
    QLineEdit* editor = openEditor(1, 2);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "7100000");
    rig.engine.StartBtnClick();
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.engine.ListeSG.cell(1, 2), "7100000");
    EXPECT_EQ(openEditor(1, 2), nullptr); // no cell opens while running

    rig.engine.StopBtnClick();
    editor = openEditor(1, 2);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "7100000");
}

TEST_F(CellEditing, LoadedBytesStayUntilTheUserChangesTheCell) {
    rig.engine.ListeSG.setCell(4, 1,
                               "Gl\xF6"
                               "ckchen.wav"); // a list written on Windows
    rig.engine.ListeSG.setCell(4, 2,
                               "Gl\xF6"
                               "ckchen.wav");
    EXPECT_EQ(cell(4, 1).data().toString(), QString::fromUtf8("Glöckchen.wav"));

    QLineEdit* editor = openEditor(4, 1);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QString::fromUtf8("Glöckchen.wav"));
    QTest::keyClick(editor, Qt::Key_Return); // opened and closed without a change
    QCoreApplication::processEvents();       // the editor hands its text over after the key
    EXPECT_EQ(rig.engine.ListeSG.cell(4, 1), "Gl\xF6"
                                             "ckchen.wav");

    editor = openEditor(4, 2);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(rig.engine.ListeSG.cell(4, 2), "Gl\xC3\xB6"
                                             "ckchen.wa"); // edited: now UTF-8
    EXPECT_EQ(rig.engine.ListeSG.cell(4, 1), "Gl\xF6"
                                             "ckchen.wav");
}

// A line break in a cell would shift every later cell of a saved list by a line.
TEST_F(CellEditing, ALineBreakNeverEntersACellHoweverTheTextArrives) {
    // Pasted with the line end it was copied with, through the editor's own paste.
    QGuiApplication::clipboard()->setText("7200000\r\n");
    QLineEdit* editor = openEditor(1, 1);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(rig.engine.ListeSG.cell(1, 1), "7200000");
    EXPECT_EQ(editor->text(), "7200000");
    QTest::keyClicks(editor, "0"); // the cursor stands where the pasted text ended
    EXPECT_EQ(rig.engine.ListeSG.cell(1, 1), "72000000");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.engine.ListeSG.cell(1, 1), "72000000");

    // Pasted into the middle of a cell: the blanks stay, only the line breaks go.
    QGuiApplication::clipboard()->setText("\nU\rS\r\nB \n");
    editor = openEditor(2, 1);
    ASSERT_NE(editor, nullptr);
    editor->setText("[]");
    editor->setCursorPosition(1);
    editor->paste();
    EXPECT_EQ(rig.engine.ListeSG.cell(2, 1), "[USB ]");
    EXPECT_EQ(editor->cursorPosition(), 5);

    // Dropped onto an open editor.
    editor = openEditor(0, 1);
    ASSERT_NE(editor, nullptr);
    QMimeData dropped;
    dropped.setText("14:30\n");
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(editor, &enter);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(editor, &drop);
    EXPECT_EQ(rig.engine.ListeSG.cell(0, 1), "14:30");

    // Handed to the grid by any other way.
    rig.form().ListeSG->model()->setData(cell(3, 1), "S\r\n5", Qt::EditRole);
    EXPECT_EQ(rig.engine.ListeSG.cell(3, 1), "S5");
}

TEST_F(CellEditing, TabEndsTheEditAndMovesToTheNextControl) {
    // Shift+Tab reaches a widget as Backtab.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QWidget* focusAfter;
    } keys[] = {{Qt::Key_Tab, Qt::NoModifier, rig.form().SchlangeSG},
                {Qt::Key_Backtab, Qt::ShiftModifier, rig.form().Memo}};
    for (const auto& key : keys) {
        QLineEdit* editor = openEditor(0, 1);
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, "12:00");
        QTest::keyClick(editor, key.key, key.modifiers);
        QCoreApplication::processEvents();
        EXPECT_EQ(rig.engine.ListeSG.cell(0, 1), "12:00");
        EXPECT_EQ(QApplication::focusWidget(), key.focusAfter);
        for (QLineEdit* open : rig.form().ListeSG->findChildren<QLineEdit*>())
            EXPECT_FALSE(open->isVisible()) << "a cell editor is open again";
        EXPECT_EQ(rig.form().ListeSG->currentIndex(), cell(0, 1));
    }
}

TEST_F(CellEditing, TheQueueIsNeverEdited) {
    StringGrid* queue = rig.form().SchlangeSG;
    const QModelIndex first = queue->model()->index(0, 0);
    queue->setCurrentIndex(first);
    queue->edit(first);
    QCoreApplication::processEvents();
    EXPECT_TRUE(queue->findChildren<QLineEdit*>().isEmpty() ||
                !queue->findChildren<QLineEdit*>().front()->isVisible());
    EXPECT_FALSE(queue->model()->flags(first) & Qt::ItemIsEditable);
}

} // namespace
} // namespace skedula
