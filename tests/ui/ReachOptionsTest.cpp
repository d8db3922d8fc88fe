// The options that let reports reach the listener away from the speaker, as the program puts
// them together: "Meldung auf dem Bildschirm", the dialog "Befehl bei Meldung ..." with Testen
// and OK, and their keys in [Watch].
#include "DialogDriver.h"
#include "app/Composition.h"
#include "app/WatchSettings.h"
#include "fakes/EngineFakes.h"
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "fakes/ModalBoxWatcher.h"
#include "storage/SettingsFile.h"
#include "storage/TestFiles.h"
#include "ui/CommandDialog.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <filesystem>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;

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

class ReachOptionsTest : public ::testing::Test {
protected:
    ReachOptionsTest() { Clear(); }
    ~ReachOptionsTest() override { Clear(); }

    static void Clear() {
        std::filesystem::remove_all(
            std::filesystem::path(SettingsFile::DefaultPath()).parent_path());
    }
    static void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(
            std::filesystem::path(SettingsFile::DefaultPath()).parent_path());
        test::WriteFile(SettingsFile::DefaultPath(), text);
    }
    static std::optional<std::string> Stored(const char* key) {
        return SettingsFile().Load().Value("Watch", key);
    }
};

TEST_F(ReachOptionsTest, NotificationsAreOnByDefaultAndTheSwitchIsKept) {
    {
        Composition program(Unreachable());
        TSkedulaForm& form = program.mainWindow();
        EXPECT_TRUE(form.MeldungaufdemBildschirm1->isChecked());
        EXPECT_TRUE(program.desktopNotifier().enabled());
        Choose(form.MeldungaufdemBildschirm1);
        EXPECT_FALSE(form.MeldungaufdemBildschirm1->isChecked());
        EXPECT_FALSE(program.desktopNotifier().enabled());
        EXPECT_EQ(Stored("Notify"), "false");
        EXPECT_EQ(Stored("ReportFile"), std::nullopt) << "only the changed key is written";
    }
    Composition program(Unreachable());
    EXPECT_FALSE(program.mainWindow().MeldungaufdemBildschirm1->isChecked());
    EXPECT_FALSE(program.desktopNotifier().enabled());
    Choose(program.mainWindow().MeldungaufdemBildschirm1);
    EXPECT_EQ(Stored("Notify"), "true");
}

// One box names both values; notifications stay on, no command runs, and the dialog shows the
// line as written so that it can be mended.
TEST_F(ReachOptionsTest, ValuesThatAreNotValidAreNamedOnceAndTheLineWaitsForMending) {
    const std::string line = "mail -s 'Skedula Meldung' funker@example.org";
    WriteSettings("[Watch]\nNotify=vielleicht\nReportCommand=" + line + "\n");
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    program.showMainWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); }));
    test::RunPendingEvents();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const std::string text = boxes.boxes()[0].text.toStdString();
    EXPECT_NE(text.find("Notify=vielleicht: weder true noch false; Meldungen erscheinen weiter"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("ReportCommand=" + line + ": Stelle 9: ' ist nur in doppelten"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Berichte werden"), std::string::npos) << text;
    EXPECT_TRUE(program.mainWindow().MeldungaufdemBildschirm1->isChecked());

    program.reportCommand().EntryMeasured(fakes::ReportedMeasurement());
    EXPECT_EQ(program.reportCommand().runner().running(), 0u);
    QString shown;
    uitest::DialogDriver<CommandDialog> look([&](CommandDialog* dialog) {
        shown = dialog->CommandEdit->text();
        dialog->CancelBtn->click();
        return true;
    });
    Choose(program.mainWindow().BefehlbeiMeldung1);
    EXPECT_EQ(shown.toStdString(), line);
    program.mainWindow().close();
}

TEST_F(ReachOptionsTest, TheCommandDialogTestsTheLineAndKeepsItExactlyAsTyped) {
    test::TempFolder folder;
    const std::string seen = folder / "gesehen";
    const std::string tried = "sh -c \"env > '" + seen + "'\"";
    const std::string kept = R"(curl -sS --fail -H "Title: Skedula" --data-binary @- )"
                             R"("https://ntfy.example/mein \"Thema\"")";
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();

    int step = 0;
    QString result;
    uitest::DialogDriver<CommandDialog> driver([&](CommandDialog* dialog) {
        if (step == 0) {
            EXPECT_EQ(dialog->windowTitle(), "Befehl bei Meldung");
            EXPECT_TRUE(dialog->CommandEdit->text().isEmpty());
            dialog->CommandEdit->setText(QString::fromStdString(tried));
            dialog->TestBtn->click();
            step = 1;
        } else if (step == 1 && dialog->TestResult->text().contains("Exit-Code")) {
            result = dialog->TestResult->text();
            dialog->CommandEdit->setText("mail -s 'x' a@b"); // not valid: a box, the dialog stays
            dialog->OkBtn->click();
            step = 2;
        } else if (step == 2 && !boxes.boxes().empty() && dialog->isVisible()) {
            dialog->CommandEdit->setText(QString::fromStdString(kept));
            dialog->OkBtn->click();
            return true;
        }
        return false;
    });
    Choose(form.BefehlbeiMeldung1);
    EXPECT_EQ(result.toStdString(),
              "Der Befehl bei Meldung ist gelaufen (Exit-Code 0).\nProgramm: sh");
    EXPECT_NE(test::ReadFile(seen).find("\nSKEDULA_FREQUENZ=7100000\n"), std::string::npos);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(boxes.boxes()[0].text.startsWith("Befehl bei Meldung: Stelle 9: ' ist nur"))
        << boxes.boxes()[0].text.toStdString();
    EXPECT_EQ(Stored("ReportCommand"), kept);
    EXPECT_EQ(program.reportCommand().line(), kept);

    // Cancel keeps what was kept.
    uitest::DialogDriver<CommandDialog> cancel([&](CommandDialog* dialog) {
        EXPECT_EQ(dialog->CommandEdit->text().toStdString(), kept);
        dialog->CommandEdit->setText("true");
        dialog->CancelBtn->click();
        return true;
    });
    Choose(form.BefehlbeiMeldung1);
    EXPECT_EQ(cancel.dialogsSeen(), 1);
    EXPECT_EQ(Stored("ReportCommand"), kept);
    EXPECT_EQ(program.reportCommand().line(), kept);
    form.close();
}

} // namespace
} // namespace skedula
