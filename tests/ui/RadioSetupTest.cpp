// The radio setup as the program puts it together: the settings file read at start, the
// dialog "Funkgerät" opened from the menu and its OK, and settings that are not valid.
#include "DialogDriver.h"
#include "app/Composition.h"
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "fakes/ModalBoxWatcher.h"
#include "storage/SettingsFile.h"
#include "storage/TestFiles.h"
#include "ui/RadioDialog.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;
using uitest::DialogDriver;

// The private settings folder of this test program, emptied for every test.
class RadioSetupTest : public ::testing::Test {
protected:
    RadioSetupTest() { std::filesystem::remove_all(Folder()); }
    ~RadioSetupTest() override { std::filesystem::remove_all(Folder()); }

    static std::filesystem::path Folder() {
        return std::filesystem::path(SettingsFile::DefaultPath()).parent_path();
    }
    static void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(Folder());
        test::WriteFile(SettingsFile::DefaultPath(), text);
    }
    static std::string Settings() { return test::ReadFile(SettingsFile::DefaultPath()); }

    // Opens the dialog from the menu as the user does; act works on it while it is shown.
    static int UseDialog(Composition& program, std::function<bool(RadioDialog*)> act) {
        DialogDriver<RadioDialog> driver(std::move(act));
        program.mainWindow().Funkgeraet1->trigger();
        QCoreApplication::processEvents();
        return driver.dialogsSeen();
    }
};

void Click(QPushButton* button) {
    button->click();
    QCoreApplication::processEvents();
}

const std::string HandEdited = "; my radio\n"
                               "[Radio]\n"
                               "Program=hamlib\n"
                               "Model=2\n"
                               "Device=127.0.0.1:4999\n"
                               "Baud=19200\n"
                               "Port=4600\n"
                               "Antenna=dipole\n"
                               "\n"
                               "[Watch]\n"
                               "LastList=/home/me/liste.txt\n";

TEST_F(RadioSetupTest, TheDialogShowsTheFileAndOkWritesOnlyWhatChanged) {
    WriteSettings(HandEdited);
    ModalBoxWatcher boxes;
    Composition program;
    program.showMainWindow();
    EXPECT_EQ(program.mainWindow().StatusLabel->toolTip().toStdString(),
              "NET rigctl über rigctld, 127.0.0.1:4999 (Port 4600)");

    const int seen = UseDialog(program, [](RadioDialog* dialog) {
        EXPECT_TRUE(dialog->HamlibBtn->isChecked());
        EXPECT_EQ(dialog->ModelList->currentItem()->text().simplified(), "2 Hamlib NET rigctl");
        EXPECT_EQ(dialog->DeviceBox->currentText(), "127.0.0.1:4999");
        EXPECT_EQ(dialog->BaudBox->currentText(), "19200");
        EXPECT_EQ(dialog->PortBox->value(), 4600);
        EXPECT_TRUE(dialog->DeviceBox->isEnabled());
        EXPECT_FALSE(dialog->HostEdit->isEnabled());
        EXPECT_TRUE(dialog->TestBtn->isEnabled());
        dialog->NetworkBtn->setChecked(true);
        dialog->HostEdit->setText("192.168.1.20");
        dialog->OkBtn->click();
        return true;
    });
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(Settings(), "; my radio\n"
                          "[Radio]\n"
                          "Program=network\n"
                          "Model=2\n"
                          "Device=127.0.0.1:4999\n"
                          "Baud=19200\n"
                          "Port=4600\n"
                          "Antenna=dipole\n"
                          "Host=192.168.1.20\n"
                          "S9dBFS=-36\n"
                          "\n"
                          "[Watch]\n"
                          "LastList=/home/me/liste.txt\n");
    EXPECT_EQ(program.mainWindow().StatusLabel->toolTip(), "rigctld auf 192.168.1.20:4600");
    program.mainWindow().close();
}

TEST_F(RadioSetupTest, ValuesThatAreNotValidAreNamedOnceAndReachNothing) {
    const std::uint16_t port = FreeLoopbackPort();
    struct Case {
        std::string lines;
        std::vector<std::string> named;
    };
    const Case cases[] = {
        {"Program=flrig\nPort=" + std::to_string(port), {"Program=flrig"}},
        {"Program=hamlib\nModel=2\nDevice=127.0.0.1:4999\nBaud=fast\nPort=" + std::to_string(port),
         {"Baud=fast"}},
        {"Program=hamlib\nModel=IC7300\nDevice=/dev/ttyUSB0\nPort=" + std::to_string(port),
         {"Model=IC7300"}},
        {"Program=hamlib\nModel=3073\nPort=" + std::to_string(port),
         {"Program=hamlib: ohne Device"}},
        {"Program=network\nPort=70000\nHost=rig pi", {"Port=70000", "Host=rig pi"}},
    };
    for (const Case& c : cases) {
        WriteSettings("[Radio]\n" + c.lines + "\n");
        ModalBoxWatcher boxes;
        Composition program;
        TSkedulaForm& form = program.mainWindow();
        program.showMainWindow();
        ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); })) << c.lines;
        test::RunPendingEvents();
        ASSERT_EQ(boxes.boxes().size(), 1u) << c.lines;
        const QString text = boxes.boxes().front().text;
        EXPECT_EQ(boxes.boxes().front().caption, "Skedula");
        EXPECT_TRUE(text.contains(QString::fromStdString(SettingsFile::DefaultPath())));
        for (const std::string& named : c.named)
            EXPECT_TRUE(text.contains(QString::fromStdString(named))) << text.toStdString();

        // No fallback to the dummy: nothing is started, nothing answers, the status stays red.
        Click(form.StartBtn);
        EXPECT_EQ(form.StatusLabel->text(), "diconnected") << c.lines;
        EXPECT_EQ(form.statusColour(), TSkedulaForm::DisconnectedColour);
        EXPECT_FALSE(LoopbackAccepts(port)) << c.lines;
        EXPECT_TRUE(form.StatusLabel->toolTip().startsWith("Ungültige Einstellungen"));
        Click(form.StopBtn);
        EXPECT_EQ(boxes.boxes().size(), 1u) << "named once";
        form.close();
    }
}

// Hamlib chosen, a device typed and tested, the dummy chosen again, OK: the device stays in the
// file for the next switch back, and neither it nor a hand-edited value stops the dummy.
TEST_F(RadioSetupTest, ASettingOfAnotherProgramNeitherBlocksTheDummyNorShowsItsTestResult) {
    const std::uint16_t port = FreeLoopbackPort();
    WriteSettings("[Radio]\nProgram=dummy\nPort=" + std::to_string(port) + "\nBaud=fast\n");
    ModalBoxWatcher boxes;
    QString resultForTheRadio;
    {
        Composition program;
        program.showMainWindow();
        UseDialog(program, [&](RadioDialog* dialog) {
            dialog->HamlibBtn->setChecked(true);
            dialog->ModelList->setCurrentRow(0);
            dialog->DeviceBox->setCurrentText("/dev/ttyUSB7");
            Click(dialog->TestBtn);
            resultForTheRadio = dialog->TestResult->text();
            dialog->DummyBtn->setChecked(true);
            EXPECT_EQ(dialog->TestResult->text(), "") << "the result of another choice";
            dialog->OkBtn->click();
            return true;
        });
        program.mainWindow().close();
    }
    EXPECT_TRUE(resultForTheRadio.contains("/dev/ttyUSB7")) << resultForTheRadio.toStdString();
    const IniDocument stored = SettingsFile().Load();
    EXPECT_EQ(stored.Value("Radio", "Program"), "dummy");
    EXPECT_EQ(stored.Value("Radio", "Device"), "/dev/ttyUSB7");

    // Also after a restart, which reads the file anew.
    Composition restarted;
    TSkedulaForm& again = restarted.mainWindow();
    restarted.showMainWindow();
    Click(again.StartBtn);
    ASSERT_TRUE(test::WaitUntil([&] { return again.StatusLabel->text() == "connected"; }))
        << again.StatusLabel->toolTip().toStdString();
    EXPECT_EQ(again.StatusLabel->toolTip().toStdString(),
              "Hamlib-Dummy, 127.0.0.1:" + std::to_string(port));
    Click(again.StopBtn);
    again.close();
    test::RunPendingEvents();
    EXPECT_TRUE(boxes.boxes().empty()) << boxes.boxes().front().text.toStdString();
}

// A file size limit makes the write stop part-way, as a full disk would.
TEST_F(RadioSetupTest, AFailedWriteIsShownAndLeavesTheOldFileWhole) {
    WriteSettings(HandEdited);
    ModalBoxWatcher boxes;
    Composition program;
    program.showMainWindow();
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    bool limited = false;
    UseDialog(program, [&](RadioDialog* dialog) {
        if (!limited) {
            dialog->PortBox->setValue(4601);
            rlimit small = before;
            small.rlim_cur = 16;
            limited = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
            dialog->OkBtn->click();
            return !limited;
        }
        if (boxes.boxes().empty() || QApplication::activeModalWidget() != dialog)
            return false;
        ::setrlimit(RLIMIT_FSIZE, &before);
        dialog->CancelBtn->click();
        return true;
    });
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    if (!limited)
        GTEST_SKIP() << "cannot set a file size limit";
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().front().text.toStdString(),
              SettingsFile::DefaultPath() + ": E/A-Fehler 27.");
    EXPECT_EQ(Settings(), HandEdited);
    EXPECT_EQ(program.radioSetup().DialogChoice().port, 4600); // the old choice stays
    program.mainWindow().close();
}

TEST_F(RadioSetupTest, WhileTheWatchRunsNothingIsTestedAndChangesWaitForTheNextStart) {
    RadioChoice unreachable;
    unreachable.program = RadioProgram::Network;
    unreachable.port = FreeLoopbackPort();
    WriteSettings("[Radio]\nProgram=network\nPort=" + std::to_string(unreachable.port) + "\n");
    ModalBoxWatcher boxes;
    Composition program;
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    Click(form.StartBtn);
    const std::string inUse = "rigctld auf 127.0.0.1:" + std::to_string(unreachable.port);
    EXPECT_EQ(form.StatusLabel->toolTip().toStdString(),
              inUse + "\nKeine Verbindung: Auf 127.0.0.1:" + std::to_string(unreachable.port) +
                  " antwortet kein rigctld");

    UseDialog(program, [](RadioDialog* dialog) {
        EXPECT_FALSE(dialog->TestBtn->isEnabled());
        EXPECT_TRUE(dialog->RunningNote->isVisible());
        EXPECT_TRUE(dialog->RunningNote->text().contains("nächsten Start"));
        dialog->DummyBtn->setChecked(true);
        dialog->OkBtn->click();
        return true;
    });
    const std::string next = "Hamlib-Dummy, 127.0.0.1:" + std::to_string(unreachable.port);
    EXPECT_TRUE(form.StatusLabel->toolTip().endsWith(
        QString::fromStdString("\nAb dem nächsten Start: " + next)));
    EXPECT_FALSE(LoopbackAccepts(unreachable.port)); // nothing changed while running
    Click(form.StopBtn);
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

} // namespace
} // namespace skedula
