// The watch recording into a folder on a full disk: one box naming the file, the watch and its
// reports go on, nothing half-written is left. The folder is a tmpfs of the test's own, in a
// child process that runs the whole program (the application object included, which is why
// this test has no application of its own).
#include "app/Composition.h"
#include "app/SkedulaApplication.h"
#include "e2e/RecordingRig.h"
#include "fakes/ChildProcess.h"
#include "fakes/EnvScope.h"
#include "fakes/ModalBoxWatcher.h"
#include "fakes/PulseServer.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <fstream>

namespace skedula {
namespace {

using namespace std::chrono_literals;

// Fills the folder until the disk takes no more.
void Fill(const std::string& folder) {
    std::ofstream filler(folder + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) &&
           filler.flush()) {
    }
}

std::string WatchOnAFullDisk(const std::string& folder) {
    test::PulseServer pulse;
    if (!pulse.Started() || !pulse.AddToneSink("radio", 1000, 22050, 1))
        return "no sound server: " + pulse.Failure();
    const test::EnvScope server("PULSE_SERVER", pulse.Address().c_str());
    e2e::WriteRecordingSettings("Source=radio.monitor\nFolder=" + folder + "\nAfter=1\n");
    Fill(folder);

    int argc = 1;
    char name[] = "e2e_recording_disk_test";
    char* argv[] = {name, nullptr};
    SkedulaApplication app(argc, argv);
    e2e::ScriptedRadio radio({"7100000", "7110000"});
    fakes::ModalBoxWatcher boxes;
    Composition program(e2e::Reaching(radio.Port()));
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    const std::string pattern = e2e::MinuteWithRoom(25);
    for (int row = 1; row <= 2; ++row) {
        const std::string cells[] = {pattern, row == 1 ? "7100000" : "7110000", "AM", "S5"};
        for (int c = 0; c < 4; ++c)
            program.engine().ListeSG.setCell(c, row, cells[c]);
    }
    form.StartBtn->click();
    QCoreApplication::processEvents();
    if (!test::WaitUntil([&] { return program.engine().QueuePos == 2; }, 50s))
        return "the watch did not finish its queue";
    test::WaitUntil([] { return false; }, 2s); // the second one's "Nachlauf"
    form.StopBtn->click();
    QCoreApplication::processEvents();

    std::string report;
    for (const auto& box : boxes.boxes())
        report += box.text.toStdString().substr(folder.size()) + " | ";
    report += std::to_string(form.Memo->toPlainText().count('\n') + 1) + " log lines |";
    for (const auto& row : e2e::ReportRows())
        report += row.size() == 9 && row[8].rfind(folder + "/", 0) == 0 ? " named" : " unnamed";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        report += " " + entry.path().filename().string();
    form.close();
    return report;
}

TEST(RecordingFullDisk, OneBoxNamesTheFileAndNoReportIsLost) {
    const test::ChildReport child = test::RunOnScratchMount(64 * 1024, WatchOnAFullDisk);
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_TRUE(QRegularExpression(R"(^/\d{4}-\d\d-\d\dT\d{6}_7100000_AM\.flac: )"
                                   R"(Zu wenig Speicherplatz\. \| 12 log lines \| named named )"
                                   R"(filler$)")
                    .match(QString::fromStdString(child.report))
                    .hasMatch())
        << child.report;
}

} // namespace
} // namespace skedula
