// The "Liste" menu: the two file dialogs, loading and saving through them, also while the
// watch runs, and the errors of the list file.
#include "DialogDriver.h"
#include "FileDialogAnswer.h"
#include "WindowRig.h"
#include "fakes/ModalBoxWatcher.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;
using uitest::DialogDriver;
using uitest::FileDialogAnswer;
using uitest::WindowRig;

void Choose(QAction* item) {
    item->trigger();
    QCoreApplication::processEvents(); // the handler, with its dialog, runs from the loop
}

QStringList ShownFilters(QFileDialog* dialog) {
    QStringList shown;
    if (auto* types = dialog->findChild<QComboBox*>("fileTypeCombo"))
        for (int i = 0; i < types->count(); ++i)
            shown << types->itemText(i);
    return shown;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ListMenu, TheDialogsAreDesignedAsTheMenuNeedsThem) {
    WindowRig rig;
    struct Design {
        ListFileDialog* dialog;
        QString title;
        QFileDialog::AcceptMode mode;
        QString suffix; // the load dialog adds it itself, see below
    };
    const Design designs[] = {
        {rig.form().OpenDialog.get(), "Liste laden ...", QFileDialog::AcceptOpen, ""},
        {rig.form().SaveDialog.get(), "Liste speichern ...", QFileDialog::AcceptSave, "txt"},
    };
    for (const Design& d : designs) {
        QFileDialog* dialog = d.dialog->dialog();
        EXPECT_EQ(dialog->windowTitle(), d.title);
        EXPECT_EQ(dialog->acceptMode(), d.mode);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile); // the file need not exist
        EXPECT_EQ(dialog->defaultSuffix(), d.suffix);
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(ShownFilters(dialog), QStringList({"Skedula (*.txt)", "Alle Dateien (*.*)"}));
        EXPECT_EQ(d.dialog->selectedFilter(), "Skedula (*.txt)");
    }
}

TEST(ListMenu, SavingAndLoadingGoThroughTheDialogs) {
    QTemporaryDir folder;
    ModalBoxWatcher watcher;
    WindowRig rig;
    rig.entry(1, "14:30", "14230000", "USB", "S5", "alarm.wav");

    FileDialogAnswer answer{folder.filePath("schedule")}; // typed without an extension
    Choose(rig.form().Speicherm1);
    EXPECT_EQ(answer.title, "Liste speichern ...");
    const QByteArray saved = ReadAll(folder.filePath("schedule.txt"));
    EXPECT_TRUE(saved.startsWith("14:30\r\n14230000\r\nUSB\r\nS5\r\nalarm.wav\r\n"));
    EXPECT_EQ(saved.count("\r\n"), 55);

    rig.entry(1, "", "", "", "", "");
    answer.name = folder.filePath("schedule.txt");
    Choose(rig.form().Laden1);
    EXPECT_EQ(answer.title, "Liste laden ...");
    EXPECT_EQ(rig.engine.ListeSG.cell(0, 1), "14:30");
    EXPECT_EQ(rig.engine.ListeSG.cell(4, 1), "alarm.wav");
    EXPECT_EQ(rig.form().ListeSG->model()->index(0, 4).data().toString(), "alarm.wav");
    for (const auto& box : watcher.boxes())
        ADD_FAILURE() << box.text.toStdString();
}

TEST(ListMenu, LoadingTakesAnExistingNameAsTypedAndAddsTxtToAnyOther) {
    QTemporaryDir folder;
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write("plan", "06:00\r\n");
    write("schedule.txt", "07:00\r\n");
    ModalBoxWatcher watcher;
    WindowRig rig;
    const std::pair<QString, std::string> typed[] = {{"plan", "06:00"}, {"schedule", "07:00"}};
    for (const auto& [name, loaded] : typed) {
        FileDialogAnswer answer{folder.filePath(name)};
        Choose(rig.form().Laden1);
        EXPECT_EQ(rig.engine.ListeSG.cell(0, 1), loaded) << name.toStdString();
    }
    EXPECT_TRUE(watcher.boxes().empty());
}

TEST(ListMenu, EachDialogOpensWithItsOwnLastAcceptedNameAndFilter) {
    QTemporaryDir folder;
    ModalBoxWatcher watcher;
    QFile(folder.filePath("plan")).open(QIODevice::WriteOnly);
    WindowRig rig;

    FileDialogAnswer answer{folder.filePath("typed-then-cancelled"), "Alle Dateien (*.*)"};
    answer.cancel = true;
    Choose(rig.form().Laden1);
    Choose(rig.form().Laden1);
    EXPECT_EQ(answer.shownName, QString()) << "a cancelled name came back";
    EXPECT_EQ(answer.shownFilter, "Skedula (*.txt)") << "a cancelled filter came back";

    answer.name = folder.filePath("plan");
    answer.cancel = false;
    Choose(rig.form().Laden1);
    EXPECT_EQ(rig.form().OpenDialog->selectedFilter(), "Alle Dateien (*.*)");

    answer.name = folder.filePath("typed-then-cancelled");
    answer.filter = "Skedula (*.txt)";
    answer.cancel = true;
    Choose(rig.form().Laden1);
    answer.name.clear(); // look, then cancel
    answer.filter.clear();
    Choose(rig.form().Laden1);
    EXPECT_EQ(answer.shownName, "plan");
    EXPECT_EQ(answer.shownFilter, "Alle Dateien (*.*)");
    // "All files" shows names without a dot too.
    auto* files = rig.form().OpenDialog->dialog()->findChild<QFileSystemModel*>();
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->nameFilters(), QStringList({"*"}));

    Choose(rig.form().Speicherm1); // the save dialog remembers nothing of the open dialog
    EXPECT_TRUE(answer.shownName.isEmpty());
    EXPECT_EQ(answer.shownFilter, "Skedula (*.txt)");
}

TEST(ListMenu, AcceptingWhileTheCompletionListShowsClosesTheList) {
    QTemporaryDir folder;
    for (const char* name : {"plan-a.txt", "plan-b.txt"}) {
        QFile list(folder.filePath(name));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("06:00\r\n");
    }
    ModalBoxWatcher watcher;
    WindowRig rig;
    rig.form().show();
    QElapsedTimer shown;
    DialogDriver<QFileDialog> typist([&](QFileDialog* d) {
        auto* nameEdit = d->findChild<QLineEdit*>("fileNameEdit");
        if (!shown.isValid()) {
            shown.start();
            d->setDirectory(folder.path());
            QApplication::setActiveWindow(d);
            nameEdit->setFocus();
            QTest::keyClicks(nameEdit, "plan-a.txt"); // the list shows once the folder is read
            return false;
        }
        QWidget* list = QApplication::activePopupWidget();
        if (list == nullptr && shown.elapsed() < 5000)
            return false;
        if (list == nullptr) {
            ADD_FAILURE() << "no completion list came up";
            d->reject();
        } else {
            QTest::keyClick(list, Qt::Key_Return); // it has the keyboard while it shows
        }
        return true;
    });
    Choose(rig.form().Laden1);
    EXPECT_EQ(rig.engine.ListeSG.cell(0, 1), "06:00");
    QTest::qWait(100);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_TRUE(!window->isVisible() || window == &rig.form())
            << window->metaObject()->className() << " still shows";
}

TEST(ListMenu, SavingOverAFileAsksFirst) {
    QTemporaryDir folder;
    const QString path = folder.filePath("old.txt");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("keep me\r\n");
    }
    WindowRig rig;
    rig.entry(1, "12:00");

    for (const auto answerYes : {false, true}) {
        QString question;
        DialogDriver<QMessageBox> box([&](QMessageBox* b) {
            question = b->text();
            b->button(answerYes ? QMessageBox::Yes : QMessageBox::No)->click();
            return true;
        });
        FileDialogAnswer answer{path};
        // The dialog stays open after "No": cancel it the second time it is seen.
        DialogDriver<QFileDialog> cancel([&](QFileDialog* d) {
            if (!question.isEmpty() && !answerYes)
                d->reject();
            return !question.isEmpty();
        });
        Choose(rig.form().Speicherm1);
        EXPECT_TRUE(question.contains("old.txt")) << question.toStdString();
        EXPECT_EQ(ReadAll(path).startsWith("12:00\r\n"), answerYes);
    }
}

TEST(ListMenu, LoadingWhileTheWatchRunsCountsFromTheNextMinute) {
    QTemporaryDir folder;
    const QString path = folder.filePath("new.txt");
    {
        QFile list(path);
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("14:3?\r\n3630000\r\nLSB\r\nS3\r\n\r\n");
    }
    WindowRig rig;
    rig.entry(1, "14:30", "14230000", "USB");
    rig.clock.set(14, 29, 59, 500);
    rig.engine.StartBtnClick();
    rig.tick(); // 14:30: the queue holds the old entry

    FileDialogAnswer answer{path};
    Choose(rig.form().Laden1);
    EXPECT_EQ(rig.engine.ListeSG.cell(1, 1), "3630000"); // changed at once, though not editable
    EXPECT_EQ(rig.form().ListeSG->model()->index(0, 1).data().toString(), "3630000");
    EXPECT_FALSE(rig.form().ListeSG->editing());
    EXPECT_EQ(rig.engine.SchlangeSG.cell(0, 1), "14230000"); // the queue keeps its copies

    rig.clock.set(14, 30, 59, 500);
    rig.tick(); // 14:31
    EXPECT_EQ(rig.engine.SchlangeSG.cell(0, 1), "3630000");
    EXPECT_EQ(rig.form().SchlangeSG->model()->index(0, 0).data().toString(), "3630000");
}

TEST(ListMenu, TicksGoOnWhileAFileDialogIsOpen) {
    WindowRig rig;
    rig.engine.StartBtnClick();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        rig.tick();
    });
    ticker.start(1);
    int ticksWhenOpened = -1;
    DialogDriver<QFileDialog> waiter([&](QFileDialog* d) {
        if (ticksWhenOpened < 0)
            ticksWhenOpened = ticks;
        if (ticks < ticksWhenOpened + 5)
            return false;
        d->reject();
        return true;
    });
    Choose(rig.form().Laden1);
    ticker.stop();
    ASSERT_GE(ticksWhenOpened, 0);
    EXPECT_GE(ticks, ticksWhenOpened + 5);
    EXPECT_EQ(rig.form().ZeitLabel->text(), "12:00"); // the watch ran behind the dialog
}

TEST(ListMenu, AListFileErrorIsReportedAndTheListKeepsItsCells) {
    QTemporaryDir folder;
    WindowRig rig;
    rig.entry(1, "14:30");
    const std::pair<QAction*, QString> attempts[] = {
        {rig.form().Laden1, "missing.txt"},
        {rig.form().Speicherm1, "no-such-folder/list.txt"},
    };
    const QString messages[] = {"Datei nicht gefunden.",
                                QString::fromUtf8("Ungültiger Dateiname.")};
    for (int i = 0; i < 2; ++i) {
        ModalBoxWatcher watcher; // one each: a box may reuse the address of the one before
        FileDialogAnswer answer{folder.filePath(attempts[i].second)};
        Choose(attempts[i].first);
        ASSERT_EQ(watcher.boxes().size(), 1u) << i;
        EXPECT_EQ(watcher.boxes()[0].caption, "Skedula");
        EXPECT_EQ(watcher.boxes()[0].text, messages[i]);
        EXPECT_EQ(rig.engine.ListeSG.cell(0, 1), "14:30");
    }
}

} // namespace
} // namespace skedula
