// The options of an unattended watch as the program puts them together: the "Optionen" items,
// the autostart entry, the report file switch and [Watch] in the settings file.
#include "FileDialogAnswer.h"
#include "app/Composition.h"
#include "app/WatchSettings.h"
#include "fakes/EngineFakes.h"
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "fakes/ModalBoxWatcher.h"
#include "storage/HistoryStore.h"
#include "storage/HistoryTestKit.h"
#include "storage/ReportFile.h"
#include "storage/SettingsFile.h"
#include "storage/TestFiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;
using uitest::FileDialogAnswer;

LinkSettings Unreachable() {
    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Network; // never started
    settings.radio->port = FreeLoopbackPort();
    return settings;
}

void Choose(QAction* item) {
    item->trigger();
    QCoreApplication::processEvents(); // the handler, with its dialog, runs from the loop
}

// The private settings, autostart and report folders of this test program, emptied for every
// test; a folder for the lists.
class WatchOptionsTest : public ::testing::Test {
protected:
    WatchOptionsTest() { Clear(); }
    ~WatchOptionsTest() override { Clear(); }

    static void Clear() {
        for (const std::string& file :
             {SettingsFile::DefaultPath(), AutostartEntryPath(), ReportFilePath(), HistoryPath()})
            std::filesystem::remove_all(std::filesystem::path(file).parent_path());
    }
    static void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(
            std::filesystem::path(SettingsFile::DefaultPath()).parent_path());
        test::WriteFile(SettingsFile::DefaultPath(), text);
    }
    static std::optional<std::string> StoredLastList() {
        return ReadWatchSettings(SettingsFile().Load()).lastList;
    }
    static std::string Entry() { return test::ReadFile(AutostartEntryPath()); }
    std::string List(const char* name) const { return lists.filePath(name).toStdString(); }

    QTemporaryDir lists;
};

TEST_F(WatchOptionsTest, StartAtLoginAsksForAListFirstFollowsLaterSavesAndNamesAFailedWrite) {
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    program.engine().ListeSG.setCell(0, 1, "??:00");

    {
        FileDialogAnswer cancel{""};
        Choose(form.BeimAnmeldenstarten1);
        EXPECT_EQ(cancel.title, "Liste speichern ...");
    }
    EXPECT_FALSE(AutostartEntryExists(AutostartEntryPath())) << "cancelled, nothing is on";
    EXPECT_FALSE(form.BeimAnmeldenstarten1->isChecked());

    {
        FileDialogAnswer save{QString::fromStdString(List("nacht"))};
        Choose(form.BeimAnmeldenstarten1);
    }
    EXPECT_TRUE(form.BeimAnmeldenstarten1->isChecked());
    EXPECT_EQ(test::ReadFile(List("nacht.txt")).substr(0, 7), "??:00\r\n");
    EXPECT_EQ(Entry(), AutostartEntryText(ThisProgram(), List("nacht.txt")));
    EXPECT_EQ(StoredLastList(), List("nacht.txt"));

    {
        FileDialogAnswer save{QString::fromStdString(List("tag.txt"))};
        Choose(form.Speicherm1);
    }
    EXPECT_EQ(Entry(), AutostartEntryText(ThisProgram(), List("tag.txt")));

    // Removed by hand: the menu shows it when it opens; on again needs no dialog now.
    std::filesystem::remove(AutostartEntryPath());
    emit form.Optionen1->aboutToShow();
    EXPECT_FALSE(form.BeimAnmeldenstarten1->isChecked());
    {
        FileDialogAnswer none{""};
        Choose(form.BeimAnmeldenstarten1);
        EXPECT_EQ(none.driver.dialogsSeen(), 0);
    }
    EXPECT_EQ(Entry(), AutostartEntryText(ThisProgram(), List("tag.txt")));

    Choose(form.BeimAnmeldenstarten1);
    EXPECT_FALSE(AutostartEntryExists(AutostartEntryPath()));
    EXPECT_FALSE(form.BeimAnmeldenstarten1->isChecked());
    EXPECT_TRUE(boxes.boxes().empty());

    // An entry that cannot be written is told with its name, and the option stays off.
    const std::filesystem::path folder = std::filesystem::path(AutostartEntryPath()).parent_path();
    std::filesystem::remove_all(folder);
    test::WriteFile(folder.string(), "no folder");
    Choose(form.BeimAnmeldenstarten1);
    test::RunPendingEvents();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(
        boxes.boxes()[0].text.startsWith(QString::fromStdString(AutostartEntryPath() + ": ")))
        << boxes.boxes()[0].text.toStdString();
    EXPECT_FALSE(form.BeimAnmeldenstarten1->isChecked());
    form.close();
}

TEST_F(WatchOptionsTest, AnEntryTheDesktopSwitchedOffShowsOffAndOnlyItsExecFollowsTheList) {
    for (const char* name : {"a.txt", "b.txt"})
        test::WriteFile(List(name), "12:00\r\n");
    WriteSettings("[Watch]\nLastList=" + List("a.txt") + "\n");
    std::filesystem::create_directories(std::filesystem::path(AutostartEntryPath()).parent_path());
    const std::string entryForA = AutostartEntryText(ThisProgram(), List("a.txt"));
    test::WriteFile(AutostartEntryPath(), entryForA + "Hidden=true\n");

    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    TSkedulaForm& form = program.mainWindow();
    emit form.Optionen1->aboutToShow();
    EXPECT_FALSE(form.BeimAnmeldenstarten1->isChecked());
    {
        FileDialogAnswer load{QString::fromStdString(List("b.txt"))};
        Choose(form.Laden1);
    }
    const std::string entryForB = AutostartEntryText(ThisProgram(), List("b.txt"));
    EXPECT_EQ(Entry(), entryForB + "Hidden=true\n");

    Choose(form.BeimAnmeldenstarten1);
    EXPECT_EQ(Entry(), entryForB + "Hidden=false\n");
    EXPECT_TRUE(form.BeimAnmeldenstarten1->isChecked());
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

TEST_F(WatchOptionsTest, TheLastListIsTheOneLastLoadedOrSavedAndIsWrittenOnlyWhenItChanges) {
    for (const char* name : {"a.txt", "b.txt"})
        test::WriteFile(List(name), "12:00\r\n");
    ModalBoxWatcher boxes;
    const auto inode = [] {
        struct stat info {};
        ::stat(SettingsFile::DefaultPath().c_str(), &info);
        return info.st_ino;
    };
    {
        Composition program(Unreachable());
        TSkedulaForm& form = program.mainWindow();
        // Named relative to the folder the program starts in, as a command line may.
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(lists.path().toStdString());
        program.followStartRequest({"a.txt", false});
        program.showMainWindow();
        test::RunPendingEvents();
        std::filesystem::current_path(before);
        EXPECT_EQ(StoredLastList(), List("a.txt"));

        FileDialogAnswer answer{QString::fromStdString(List("b.txt"))};
        Choose(form.Laden1);
        EXPECT_EQ(StoredLastList(), List("b.txt"));
        const auto written = inode();
        Choose(form.Laden1);
        EXPECT_EQ(inode(), written) << "the same list again rewrote the file";

        answer.name = QString::fromStdString(List("fehlt.txt"));
        Choose(form.Laden1); // not found: a box, and the last list stays
        test::RunPendingEvents();
        EXPECT_EQ(StoredLastList(), List("b.txt"));

        answer.name = QString::fromStdString(List("c.txt"));
        Choose(form.Speicherm1);
        EXPECT_EQ(StoredLastList(), List("c.txt"));
        form.close();
    }
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Datei nicht gefunden.");
    Composition next(Unreachable());
    EXPECT_EQ(next.watchOptions().LastList(), List("c.txt"));
}

// Behind a folder link, "link/.." is not the folder that holds the link: cleaned by the letters,
// the path would name another file. A blank at the end of a name is part of it.
TEST_F(WatchOptionsTest, TheLastListIsKeptAsItWasNamed) {
    std::filesystem::create_directories(List("deep/inner"));
    std::filesystem::create_directory_symlink(List("deep/inner"), List("link"));
    const std::string throughLink = List("link") + "/../nacht.txt";
    const std::string withBlank = List("tag.txt ");
    test::WriteFile(List("deep/nacht.txt"), "12:00\r\n");
    test::WriteFile(withBlank, "13:00\r\n");
    {
        Composition program(Unreachable());
        program.followStartRequest({throughLink, false});
        test::RunPendingEvents();
        EXPECT_EQ(program.engine().ListeSG.cell(0, 1), "12:00");
        EXPECT_EQ(StoredLastList(), throughLink);
        program.watchOptions().SaveListAs = [] {
            ADD_FAILURE() << "the list was not found where it was named";
            return std::optional<std::string>();
        };
        program.watchOptions().SetStartAtLogin(true);
        EXPECT_NE(Entry().find(" --start " + throughLink + "\n"), std::string::npos) << Entry();

        program.watchOptions().ListFileUsed(withBlank);
        EXPECT_EQ(StoredLastList(), withBlank);
    }
    Composition next(Unreachable());
    EXPECT_EQ(next.watchOptions().LastList(), withBlank);
}

TEST_F(WatchOptionsTest, WithReportsInTheFileSwitchedOffNothingIsWrittenAndItStaysOff) {
    const Measurement report = fakes::ReportedMeasurement();
    {
        Composition program(Unreachable());
        TSkedulaForm& form = program.mainWindow();
        EXPECT_TRUE(form.BerichteinDateischreiben1->isChecked());
        Choose(form.BerichteinDateischreiben1);
        EXPECT_FALSE(form.BerichteinDateischreiben1->isChecked());
        program.reportWriter().EntryMeasured(report);
        EXPECT_FALSE(std::filesystem::exists(ReportFilePath()));
        EXPECT_EQ(SettingsFile().Load().Value("Watch", "ReportFile"), "false");
    }
    Composition program(Unreachable());
    EXPECT_FALSE(program.mainWindow().BerichteinDateischreiben1->isChecked());
    program.reportWriter().EntryMeasured(report);
    EXPECT_FALSE(std::filesystem::exists(ReportFilePath()));
}

TEST_F(WatchOptionsTest, AReportFileValueThatIsNotValidIsNamedOnceAndReportsStayOn) {
    const std::pair<const char*, bool> spellings[] = {
        {"true", true},   {"Yes", true}, {"ON", true},   {"1", true},  {"", true},
        {"false", false}, {"No", false}, {"off", false}, {"0", false},
    };
    for (const auto& [value, on] : spellings) {
        IniDocument document("[Watch]\nReportFile=" + std::string(value) + "\n");
        const WatchSettings read = ReadWatchSettings(document);
        EXPECT_EQ(read.reportFile, on) << value;
        EXPECT_TRUE(read.problems.empty()) << value;
    }

    WriteSettings("[Watch]\nReportFile=ja\n");
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    program.showMainWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); }));
    test::RunPendingEvents();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const QString text = boxes.boxes()[0].text;
    EXPECT_TRUE(text.contains(QString::fromStdString(SettingsFile::DefaultPath())))
        << text.toStdString();
    EXPECT_TRUE(text.contains("ReportFile=ja")) << text.toStdString();
    EXPECT_TRUE(program.mainWindow().BerichteinDateischreiben1->isChecked());
    EXPECT_TRUE(program.reportWriter().enabled());
    program.mainWindow().close();
}

// Off when absent; on, the clock read-out's caption says UTC. Before the watch has read the
// clock there is no minute to keep, so the change shows at once (the next minute's rule is the
// clock's, tested with the engine).
TEST_F(WatchOptionsTest, TimesInUtcAreKeptInTheFileAndTheReadOutSaysSo) {
    {
        Composition program(Unreachable());
        TSkedulaForm& form = program.mainWindow();
        EXPECT_FALSE(form.ZeiteninUTC1->isChecked());
        EXPECT_EQ(form.Label6->text(), "Zeit");
        Choose(form.ZeiteninUTC1);
        EXPECT_TRUE(form.ZeiteninUTC1->isChecked());
        EXPECT_TRUE(program.clock().utc());
        EXPECT_EQ(form.Label6->text(), "Zeit (UTC)");
        EXPECT_EQ(SettingsFile().Load().Value("Watch", "UTC"), "true");
        EXPECT_TRUE(program.clock().isoTimeText().ends_with("+00:00"));
    }
    {
        Composition program(Unreachable());
        TSkedulaForm& form = program.mainWindow();
        EXPECT_TRUE(form.ZeiteninUTC1->isChecked());
        EXPECT_EQ(form.Label6->text(), "Zeit (UTC)");
        Choose(form.ZeiteninUTC1);
        EXPECT_EQ(form.Label6->text(), "Zeit");
        EXPECT_EQ(SettingsFile().Load().Value("Watch", "UTC"), "false");
    }

    WriteSettings("[Watch]\nUTC=ja\n");
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    program.showMainWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); }));
    test::RunPendingEvents();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text.toStdString(),
              "Die Einstellungen der Überwachung in " + SettingsFile::DefaultPath() +
                  " sind ungültig:\n\nUTC=ja: weder true noch false\n\nDie Zeiten gelten in "
                  "Ortszeit, bis das unter Optionen > Zeiten in UTC eingeschaltet ist.");
    EXPECT_FALSE(program.mainWindow().ZeiteninUTC1->isChecked());
    EXPECT_FALSE(program.clock().utc());
    program.mainWindow().close();
}

// Off without a settings file; the item switches it and the file keeps it; a value that is
// not valid is named, with what it means, and leaves it off.
TEST_F(WatchOptionsTest, ReconnectingIsOffUntilSwitchedOnAndAValueNotValidIsNamed) {
    {
        Composition program(Unreachable());
        TSkedulaForm& form = program.mainWindow();
        EXPECT_FALSE(form.Verbindungselbstwiederherstellen1->isChecked());
        EXPECT_FALSE(program.watchOptions().Reconnect());
        Choose(form.Verbindungselbstwiederherstellen1);
        EXPECT_TRUE(form.Verbindungselbstwiederherstellen1->isChecked());
        EXPECT_EQ(SettingsFile().Load().Value("Watch", "Reconnect"), "true");
    }
    {
        Composition program(Unreachable());
        EXPECT_TRUE(program.mainWindow().Verbindungselbstwiederherstellen1->isChecked());
        Choose(program.mainWindow().Verbindungselbstwiederherstellen1);
        EXPECT_EQ(SettingsFile().Load().Value("Watch", "Reconnect"), "false");
    }
    EXPECT_TRUE(ReadWatchSettings(IniDocument("[Watch]\nReconnect=On\n")).reconnect);

    WriteSettings("[Watch]\nReconnect=immer\nReportFile=ja\n");
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    program.showMainWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); }));
    test::RunPendingEvents();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const std::string text = boxes.boxes()[0].text.toStdString();
    EXPECT_NE(text.find("Reconnect=immer: weder true noch false"), std::string::npos) << text;
    EXPECT_NE(text.find("ReportFile=ja: weder true noch false"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\nBerichte werden in die Datei geschrieben, bis das unter Optionen > "
                        "Berichte in Datei schreiben abgeschaltet ist.\n\nDie Verbindung wird "
                        "nicht selbst wiederhergestellt, bis das unter Optionen > Verbindung "
                        "selbst wiederherstellen eingeschaltet ist."),
              std::string::npos)
        << text;
    EXPECT_FALSE(program.mainWindow().Verbindungselbstwiederherstellen1->isChecked());
    program.mainWindow().close();
}

// "Verlauf speichern" switches only the history; the report file follows its own option.
TEST_F(WatchOptionsTest, WithTheHistorySwitchedOffNoMeasurementIsKeptAndItStaysOff) {
    const Measurement report = fakes::ReportedMeasurement();
    {
        Composition program(Unreachable());
        TSkedulaForm& form = program.mainWindow();
        EXPECT_TRUE(form.Verlaufspeichern1->isChecked());
        Choose(form.Verlaufspeichern1);
        EXPECT_FALSE(form.Verlaufspeichern1->isChecked());
        EXPECT_TRUE(form.BerichteinDateischreiben1->isChecked());
        program.reportWriter().EntryMeasured(report);
        program.historyWriter().EntryMeasured(report);
        program.historyWriter().Finish();
        EXPECT_TRUE(std::filesystem::exists(ReportFilePath()));
        EXPECT_FALSE(std::filesystem::exists(HistoryPath()));
        EXPECT_EQ(SettingsFile().Load().Value("Watch", "History"), "false");
    }
    {
        Composition program(Unreachable());
        EXPECT_FALSE(program.mainWindow().Verlaufspeichern1->isChecked());
        EXPECT_FALSE(program.historyWriter().enabled());
        Choose(program.mainWindow().Verlaufspeichern1);
        program.historyWriter().EntryMeasured(report);
        program.historyWriter().Finish();
    }
    EXPECT_EQ(test::Count(HistoryPath(), "SELECT count(*) FROM measurements"), 1);
    EXPECT_EQ(SettingsFile().Load().Value("Watch", "History"), "true");
}

TEST_F(WatchOptionsTest, AHistoryValueThatIsNotValidIsNamedAndTheHistoryStaysOn) {
    for (const auto& [value, on] : {std::pair{"no", false}, {"ON", true}, {"", true}})
        EXPECT_EQ(
            ReadWatchSettings(IniDocument("[Watch]\nHistory=" + std::string(value) + "\n")).history,
            on)
            << value;

    WriteSettings("[Watch]\nHistory=vielleicht\n");
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    program.showMainWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); }));
    const std::string text = boxes.boxes()[0].text.toStdString();
    EXPECT_NE(text.find("History=vielleicht"), std::string::npos) << text;
    EXPECT_NE(text.find("Verlauf speichern abgeschaltet"), std::string::npos) << text;
    EXPECT_EQ(text.find("Berichte werden"), std::string::npos) << text;
    EXPECT_TRUE(program.historyWriter().enabled());
    program.mainWindow().close();
}

// "Verlauf anzeigen ..." opens the window beside the main window, not modal, and a measurement
// stored while it is open joins it.
TEST_F(WatchOptionsTest, TheHistoryWindowOpensBesideTheWatchAndTakesInWhatIsStored) {
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    Choose(form.Verlaufanzeigen1);
    HistoryWindow* window = program.historyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_TRUE(window->NoticeLabel->text().startsWith("Noch keine Messungen"));

    program.historyWriter().EntryMeasured(fakes::ReportedMeasurement());
    ASSERT_TRUE(test::WaitUntil([&] { return window->EntryList->topLevelItemCount() == 1; }));
    program.historyWriter().EntryMeasured(fakes::ReportedMeasurement("2026-12-07T14:31:10+01:00"));
    ASSERT_TRUE(
        test::WaitUntil([&] { return window->EntryList->topLevelItem(0)->text(2) == "2"; }));
    Choose(form.Verlaufanzeigen1);
    EXPECT_EQ(program.historyWindow(), window) << "one window, raised again";
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

} // namespace
} // namespace skedula
