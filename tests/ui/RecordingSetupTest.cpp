// The recording setup as the program puts it together: the dialog "Aufnahme" opened from the
// menu with the sources of a private sound server, its OK writing [Recording], values that are
// not valid (typed or hand-edited) and a sound server that cannot be reached.
#include "DialogDriver.h"
#include "app/Composition.h"
#include "fakes/EnvScope.h"
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "fakes/ModalBoxWatcher.h"
#include "fakes/PulseServer.h"
#include "storage/SettingsFile.h"
#include "storage/TestFiles.h"
#include "storage/UserFolders.h"
#include "ui/RecordingDialog.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <filesystem>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;
using uitest::DialogDriver;

LinkSettings Unreachable() {
    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Network; // never started
    settings.radio->port = FreeLoopbackPort();
    return settings;
}

class RecordingSetupTest : public ::testing::Test {
protected:
    RecordingSetupTest() { std::filesystem::remove_all(Folder()); }
    ~RecordingSetupTest() override { std::filesystem::remove_all(Folder()); }

    static std::filesystem::path Folder() {
        return std::filesystem::path(SettingsFile::DefaultPath()).parent_path();
    }
    static void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(Folder());
        test::WriteFile(SettingsFile::DefaultPath(), text);
    }
    static std::string Settings() { return test::ReadFile(SettingsFile::DefaultPath()); }

    // Opens the dialog from the menu as the user does; act works on it while it is shown.
    static void UseDialog(Composition& program, std::function<bool(RecordingDialog*)> act) {
        DialogDriver<RecordingDialog> driver(std::move(act));
        program.mainWindow().Aufnahme1->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(driver.dialogsSeen(), 1);
    }

    // The list as it shows: "text = name" for every source.
    static QStringList Shown(const RecordingDialog* dialog) {
        QStringList items;
        for (int i = 0; i < dialog->SourceBox->count(); ++i)
            items << dialog->SourceBox->itemText(i) + " = " +
                         dialog->SourceBox->itemData(i).toString();
        return items;
    }
    static bool Listed(const RecordingDialog* dialog) {
        return !dialog->SourceNote->text().startsWith("Die Quellen des Sound-Servers werden");
    }
};

TEST_F(RecordingSetupTest, TheDialogOffersTheServersSourcesAndKeepsTheChosenOneByName) {
    test::PulseServer pulse;
    ASSERT_TRUE(pulse.Started()) << pulse.Failure();
    ASSERT_TRUE(pulse.AddToneSink("radio", 1000, 22050, 1));
    const test::EnvScope server("PULSE_SERVER", pulse.Address().c_str());
    WriteSettings("; mine\n[Radio]\nProgram=dummy\n\n[Watch]\nReportFile=false\n");
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    program.showMainWindow();
    const std::string defaultFolder = DataHome() + "/Skedula/Aufnahmen";
    EXPECT_EQ(program.recorder().choice(), (RecordingChoice{std::nullopt, defaultFolder, 30}));

    UseDialog(program, [&](RecordingDialog* dialog) {
        if (!Listed(dialog))
            return false;
        EXPECT_EQ(Shown(dialog), QStringList({"Keine Aufnahme = ", "Monitor of Null Output = "
                                                                   "radio.monitor"}));
        EXPECT_EQ(dialog->SourceBox->currentText(), "Keine Aufnahme");
        EXPECT_EQ(dialog->FolderEdit->text().toStdString(), defaultFolder);
        EXPECT_EQ(dialog->AfterBox->value(), 30);
        EXPECT_EQ(dialog->AfterBox->maximum(), 600);
        dialog->SourceBox->setCurrentIndex(1);
        dialog->AfterBox->setValue(45);
        dialog->OkBtn->click();
        return true;
    });
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(Settings(), "; mine\n[Radio]\nProgram=dummy\n\n[Watch]\nReportFile=false\n\n"
                          "[Recording]\nSource=radio.monitor\nFolder=" +
                              defaultFolder + "\nAfter=45\n");
    EXPECT_EQ(program.recorder().choice(), (RecordingChoice{"radio.monitor", defaultFolder, 45}));

    // Another source ahead of it in the server's list: the choice is still the same source.
    ASSERT_TRUE(pulse.AddToneSink("aaa", 500, 44100, 2));
    UseDialog(program, [&](RecordingDialog* dialog) {
        if (!Listed(dialog))
            return false;
        EXPECT_EQ(dialog->SourceBox->count(), 3);
        EXPECT_EQ(dialog->SourceBox->currentData().toString(), "radio.monitor");
        dialog->CancelBtn->click();
        return true;
    });
    program.mainWindow().close();
}

TEST_F(RecordingSetupTest, WithoutTheServerTheChosenSourceStaysAndTypedValuesAreChecked) {
    const test::EnvScope server("PULSE_SERVER", "unix:/nonexistent/pulse/native");
    const std::string settings = "[Recording]\nSource=alsa_input.usb-radio\nFolder=/tmp/rec\n"
                                 "After=0\n";
    WriteSettings(settings);
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    program.showMainWindow();
    bool typed = false;
    UseDialog(program, [&](RecordingDialog* dialog) {
        if (!Listed(dialog))
            return false;
        if (!typed) {
            EXPECT_EQ(dialog->SourceNote->text(), "Der Sound-Server ist nicht erreichbar");
            EXPECT_EQ(Shown(dialog),
                      QStringList({"Keine Aufnahme = ", "alsa_input.usb-radio (nicht vorhanden) = "
                                                        "alsa_input.usb-radio"}));
            EXPECT_EQ(dialog->SourceBox->currentIndex(), 1);
            EXPECT_EQ(dialog->AfterBox->value(), 0);
            dialog->FolderEdit->setText("Aufnahmen");
            dialog->OkBtn->click();
            typed = true;
            return false;
        }
        if (boxes.boxes().empty() || QApplication::activeModalWidget() != dialog)
            return false;
        dialog->CancelBtn->click();
        return true;
    });
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().front().text, "Ordner: kein absoluter Pfad eines Ordners.");
    EXPECT_EQ(Settings(), settings);
    program.mainWindow().close();
}

TEST_F(RecordingSetupTest, HandEditedValuesThatAreNotValidAreNamedOnceAndRecordNothing) {
    const struct {
        std::string lines;
        std::vector<std::string> named;
    } cases[] = {
        {"Source=radio.monitor\nAfter=900", {"After=900"}},
        {"Source=radio.monitor\nAfter=30s\nFolder=~/Aufnahmen",
         {"After=30s", "Folder=~/Aufnahmen"}},
    };
    for (const auto& c : cases) {
        WriteSettings("[Recording]\n" + c.lines + "\n");
        ModalBoxWatcher boxes;
        Composition program(Unreachable());
        program.showMainWindow();
        ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); })) << c.lines;
        test::RunPendingEvents();
        ASSERT_EQ(boxes.boxes().size(), 1u) << c.lines;
        const QString text = boxes.boxes().front().text;
        EXPECT_TRUE(text.contains(QString::fromStdString(SettingsFile::DefaultPath())));
        EXPECT_TRUE(text.contains("Optionen > Aufnahme ..."));
        for (const std::string& named : c.named)
            EXPECT_TRUE(text.contains(QString::fromStdString(named))) << text.toStdString();
        EXPECT_FALSE(program.recorder().choice().source) << c.lines;
        // The dialog shows what could be read, so that OK puts the rest right.
        EXPECT_EQ(program.recordingSetup().DialogChoice().source, "radio.monitor");
        program.mainWindow().close();
    }
}

} // namespace
} // namespace skedula
