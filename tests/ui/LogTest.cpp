// The log: the reports appended line by line, the first line kept also when it is empty, a
// bounded number of lines, and the focus and keyboard selection of a read-only text.
#include "WindowRig.h"

#include <QApplication>
#include <QTextBlock>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using uitest::WindowRig;

QStringList Lines(QPlainTextEdit* memo) {
    QStringList lines;
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines;
}

TEST(Log, AReportAppearsLineByLineBelowTheEarlierOnes) {
    WindowRig rig;
    rig.entry(1, "14:30", "14230000", "USB", "S5");
    rig.link.followTuning = true;
    rig.link.sMeter = "S7";
    rig.clock.set(14, 29, 59, 500);
    rig.engine.StartBtnClick();
    for (int t = 0; t < 21; ++t)
        rig.tick();
    const QStringList first = {"", "14:30:10", "14230000 USB", "S7 >= S5", "S7 >= S5", "S7 >= S5"};
    EXPECT_EQ(Lines(rig.form().Memo), first);

    rig.form().appendLine("");
    rig.form().appendLine("S\xB0"); // not UTF-8: shown as Windows-1252
    EXPECT_EQ(Lines(rig.form().Memo), first + QStringList({"", QString::fromUtf8("S°")}));
}

TEST(Log, ShowsTheFocusAndSelectsWithShiftAndTheArrowKeys) {
    WindowRig rig;
    rig.form().show();
    QApplication::setActiveWindow(&rig.form());
    QPlainTextEdit* memo = rig.form().Memo;
    for (const char* line : {"", "14:30:10", "14230000 USB"})
        rig.form().appendLine(line);
    // No blinking: the caret then shows for as long as the log has the focus.
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);
    rig.form().StartBtn->setFocus();
    QCoreApplication::processEvents();
    const QImage withoutFocus = memo->viewport()->grab().toImage();
    memo->setFocus();
    QCoreApplication::processEvents();
    const QImage withFocus = memo->viewport()->grab().toImage();
    QApplication::setCursorFlashTime(flashTime);
    EXPECT_TRUE(withFocus != withoutFocus) << "the log looks the same with and without the focus";

    QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Down, Qt::ShiftModifier);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(memo, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(memo->textCursor().selectedText(), QString::fromUtf8("\u2029"
                                                                   "14:30"));
    EXPECT_EQ(memo->toPlainText(), "\n14:30:10\n14230000 USB"); // selecting changes nothing
}

TEST(Log, KeepsTheNewestLinesUpToItsBound) {
    WindowRig rig;
    QPlainTextEdit* memo = rig.form().Memo;
    memo->setMaximumBlockCount(12); // the bound of the program is larger; the rule is the same
    for (int report = 1; report <= 3; ++report) {
        rig.form().appendLine("");
        for (int line = 2; line <= 6; ++line)
            rig.form().appendLine(std::to_string(report) + "." + std::to_string(line));
    }
    const QStringList lines = Lines(memo);
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines.front(), "");
    EXPECT_EQ(lines[1], "2.2");
    EXPECT_EQ(lines.back(), "3.6");
}

} // namespace
} // namespace skedula
