// A report of the running program reaches the listener on every way at once: the log, the
// report file, a notification on a private session bus, and the command, which finds the
// report file's line already written.
#include "app/Composition.h"
#include "fakes/EventLoop.h"
#include "fakes/FakeNotificationServer.h"
#include "fakes/FakeRigctldServer.h"
#include "fakes/ModalBoxWatcher.h"
#include "fakes/PrivateSessionBus.h"
#include "storage/ReportFile.h"
#include "storage/SettingsFile.h"
#include "storage/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace skedula {
namespace {

TEST(ReachWatch, AReportIsShownOnTheDesktopAndTheCommandFindsItInTheFile) {
    test::TempFolder folder;
    const std::string list = folder / "liste.txt", copy = folder / "kopie.csv";
    std::ofstream(list, std::ios::binary) << "??:??\r\n7100000\r\nAM\r\nS5\r\n\r\n";
    const std::filesystem::path settings = SettingsFile::DefaultPath();
    std::filesystem::create_directories(settings.parent_path());
    test::WriteFile(settings.string(),
                    "[Watch]\nReportCommand=cp \"" + ReportFilePath() + "\" \"" + copy + "\"\n");
    test::PrivateSessionBus bus;
    ASSERT_TRUE(bus.ready()) << bus.error();
    fakes::FakeNotificationServer server(QString::fromStdString(bus.address()), {"body"});

    FakeRigctldServer radio; // S7 on every frequency
    fakes::ModalBoxWatcher boxes;
    LinkSettings link;
    link.radio = RadioChoice{};
    link.radio->program = RadioProgram::Network;
    link.radio->port = radio.Port();
    Composition program(link);
    program.followStartRequest({list, true});
    program.showMainWindow();

    ASSERT_TRUE(
        test::WaitUntil([&] { return std::filesystem::exists(copy); }, std::chrono::seconds(40)));
    ASSERT_TRUE(test::WaitUntil([&] { return program.reportCommand().runner().running() == 0; }));
    EXPECT_EQ(test::ReadFile(copy), test::ReadFile(ReportFilePath()));
    EXPECT_NE(test::ReadFile(copy).find(";7100000;AM;7;7;7;5;;\r\n"), std::string::npos);
    ASSERT_TRUE(test::WaitUntil([&] { return !server.calls().empty(); }));
    EXPECT_EQ(server.calls()[0].arguments()[3].toString(), "Skedula: 7100000 AM");
    EXPECT_TRUE(boxes.boxes().empty());
    program.mainWindow().StopBtn->click();
    program.mainWindow().close();
    std::filesystem::remove_all(settings.parent_path());
}

} // namespace
} // namespace skedula
