// An unattended watch whose alarm file is gone: the reports, the report file and the watch go
// on, and the box that tells of the missing file is not stacked once per report.
#include "WindowRig.h"
#include "app/QtStepTimer.h"
#include "fakes/EventLoop.h"
#include "fakes/ModalBoxWatcher.h"
#include "sound/AlarmPlayer.h"
#include "storage/ReportWriter.h"
#include "storage/TestFiles.h"

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace skedula {
namespace {

int ReportsIn(const QPlainTextEdit& memo) {
    return memo.toPlainText().count("S7 >= S5") / 3;
}

TEST(AlarmBox, AMissingAlarmFileIsBoxedOnceWhileItsBoxIsOpen) {
    QTemporaryDir folder;
    const std::string gone = QDir(folder.path()).filePath("weg/alarm.wav").toStdString();
    const std::string alsoGone = QDir(folder.path()).filePath("auch-weg.wav").toStdString();
    const std::string reportFile = QDir(folder.path()).filePath("berichte.csv").toStdString();

    // The engine on a fake clock, ticked fast through the real step timer's catch point, so
    // that each failing alarm reaches the real error box after its tick.
    fakes::FakeClock clock;
    fakes::FakeStepTimer engineTimer;
    fakes::FakeReceiver link;
    AlarmPlayer player;
    TSkedulaForm form;
    WatchEngine engine({clock, engineTimer, link, player, form, form});
    form.attach(engine, link);
    ReportWriter reports(reportFile, [](const std::string& message) { ADD_FAILURE() << message; });
    engine.Listen(reports);
    QtStepTimer ticks;
    ticks.onTick = [&] {
        clock.advanceMilliseconds(500);
        engine.TimerTimer();
    };
    link.sMeter = "S7";
    link.followTuning = true;
    const std::string alarms[] = {gone, gone, gone, alsoGone};
    for (int row = 1; row <= 4; ++row) {
        const std::string cells[] = {"12:00", std::to_string(7100000 + row * 5000), "AM", "S5",
                                     alarms[row - 1]};
        for (int column = 0; column < 5; ++column)
            engine.ListeSG.setCell(column, row, cells[column]);
    }

    // The boxes stay open until all four entries have been reported.
    fakes::ModalBoxWatcher boxes([&] { return ReportsIn(*form.Memo) == 4; });
    clock.set(11, 59, 59, 500);
    engine.StartBtnClick();
    ticks.setInterval(2);
    ASSERT_TRUE(test::WaitUntil([&] {
        return ReportsIn(*form.Memo) == 4 && QApplication::activeModalWidget() == nullptr;
    }));
    ticks.setInterval(0);
    engine.StopBtnClick();
    test::RunPendingEvents();

    ASSERT_EQ(boxes.boxes().size(), 2u);
    QStringList texts;
    for (const fakes::ModalBoxWatcher::Box& box : boxes.boxes())
        texts << box.text;
    texts.sort();
    EXPECT_EQ(texts,
              QStringList({QString::fromStdString("Alarmdatei '" + alsoGone + "' nicht gefunden."),
                           QString::fromStdString("Alarmdatei '" + gone + "' nicht gefunden.")}));
    const QStringList log = form.Memo->toPlainText().split('\n');
    ASSERT_EQ(log.size(), 24);
    for (int report = 0; report < 4; ++report)
        EXPECT_EQ(log[report * 6 + 2], QString("%1 AM").arg(7100000 + (report + 1) * 5000));
    EXPECT_EQ(QString::fromStdString(test::ReadFile(reportFile)).count("\r\n"), 5)
        << "the header and four reports";
}

} // namespace
} // namespace skedula
