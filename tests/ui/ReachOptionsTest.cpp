// The options that let reports reach the listener away from the speaker, as the program puts
// them together: "Meldung auf dem Bildschirm", the dialog "Befehl bei Meldung ..." with Testen
// and OK, and their keys in [Watch].
#include "DialogDriver.h"
#include "app/Composition.h"
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

// The test program's own settings folder, emptied for every test.
class ReachOptionsTest : public ::testing::Test {
protected:
    ReachOptionsTest() { Clear(); }
    ~ReachOptionsTest() override { Clear(); }
    static void Clear() { std::filesystem::remove_all(Settings().parent_path()); }
    static std::filesystem::path Settings() { return SettingsFile::DefaultPath(); }
    static std::optional<std::string> Stored(const char* key) {
        return SettingsFile().Load().Value("Watch", key);
    }
};

// One box names both values that are not valid; notifications stay on until switched off, no
// command runs, and the dialog shows the line as written so that it can be mended.
TEST_F(ReachOptionsTest, NotifyAndTheCommandComeFromTheSettingsFile) {
    const std::string line = "mail -s 'Skedula Meldung' funker@example.org";
    std::filesystem::create_directories(Settings().parent_path());
    test::WriteFile(Settings(), "[Watch]\nNotify=vielleicht\nReportCommand=" + line + "\n");
    ModalBoxWatcher boxes;
    Composition program(Unreachable());
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); }));
    test::RunPendingEvents();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const std::string text = boxes.boxes()[0].text.toStdString();
    for (const std::string& part :
         {std::string("Notify=vielleicht: weder true noch false"),
          std::string("Meldungen erscheinen auf dem Bildschirm, bis das unter Optionen > Meldung "
                      "auf dem Bildschirm abgeschaltet ist."),
          "ReportCommand=" + line + ": Stelle 9: ' ist nur in doppelten"})
        EXPECT_NE(text.find(part), std::string::npos) << text;
    EXPECT_EQ(text.find("Berichte werden"), std::string::npos) << text;

    program.reportCommand().EntryMeasured(fakes::ReportedMeasurement());
    EXPECT_EQ(program.reportCommand().runner().waiting(), 0u);
    QString shown;
    uitest::DialogDriver<CommandDialog> look([&](CommandDialog* dialog) {
        shown = dialog->CommandEdit->text();
        dialog->CancelBtn->click();
        return true;
    });
    Choose(form.BefehlbeiMeldung1);
    EXPECT_EQ(shown.toStdString(), line);

    EXPECT_TRUE(form.MeldungaufdemBildschirm1->isChecked());
    Choose(form.MeldungaufdemBildschirm1);
    EXPECT_FALSE(program.desktopNotifier().enabled());
    EXPECT_EQ(Stored("Notify"), "false");
    EXPECT_EQ(Stored("ReportCommand"), line) << "only the changed key is written";
    EXPECT_FALSE(Composition(Unreachable()).mainWindow().MeldungaufdemBildschirm1->isChecked());
    form.close();
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

    form.close();
}

} // namespace
} // namespace skedula
