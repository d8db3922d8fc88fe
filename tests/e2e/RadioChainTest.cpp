// The radios a listener picks, through the real window and real rigctld processes: a radio
// behind a rigctld that Skedula starts (Hamlib's model 2, NET rigctl, whose "device" is a
// second rigctld standing for the radio), one that already answers, and one on another
// computer, for which Skedula never starts anything.
#include "app/Composition.h"
#include "e2e/RigctldProcess.h"
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "fakes/ModalBoxWatcher.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using e2e::RigctldProcess;
using fakes::ModalBoxWatcher;

void Click(QPushButton* button) {
    button->click();
    QCoreApplication::processEvents();
}

// Rigctld's NET rigctl backend in front of the far radio, on a port of its own.
RadioChoice RadioBehind(const RigctldProcess& far, std::uint16_t port) {
    RadioChoice choice;
    choice.program = RadioProgram::Hamlib;
    choice.model = 2;
    choice.device = "127.0.0.1:" + std::to_string(far.port());
    choice.port = port;
    return choice;
}

LinkSettings Using(const RadioChoice& choice) {
    LinkSettings settings;
    settings.radio = choice;
    return settings;
}

// Starts the watch with one entry due every minute and waits until it is tuned.
void StartAndTune(Composition& program) {
    program.engine().ListeSG.setCell(0, 1, "??:??");
    program.engine().ListeSG.setCell(1, 1, "7100000");
    program.engine().ListeSG.setCell(2, 1, "AM");
    program.engine().ListeSG.setCell(3, 1, "S5");
    Click(program.mainWindow().StartBtn);
    ASSERT_EQ(program.mainWindow().StatusLabel->text(), "connected");
    ASSERT_TRUE(
        test::WaitUntil([&] { return program.mainWindow().FrequencyLabel->text() == "7100000"; }));
}

TEST(RadioChain, StartRunsRigctldForTheChosenRadioAndEndsTheOneOfTheOldChoice) {
    RigctldProcess far;
    ASSERT_TRUE(far.running());
    const std::uint16_t port = FreeLoopbackPort();
    RadioChoice dummy;
    dummy.port = port;
    ModalBoxWatcher boxes;
    {
        Composition program(Using(dummy));
        TSkedulaForm& form = program.mainWindow();
        program.showMainWindow();
        // First the dummy on the very port the radio's rigctld will use.
        Click(form.StartBtn);
        ASSERT_EQ(form.StatusLabel->text(), "connected");
        Click(form.StopBtn);
        ASSERT_TRUE(LoopbackAccepts(port));

        program.radioSetup().Accept(RadioBehind(far, port));
        StartAndTune(program);
        // The far radio itself was tuned: the dummy Skedula started first is gone.
        EXPECT_EQ(far.ask("f"), "7100000\n");
        EXPECT_EQ(far.ask("m").substr(0, 3), "AM\n");
        EXPECT_TRUE(test::WaitUntil([&] { return form.SMeterLabel->text() == "S7"; }));
        EXPECT_EQ(form.StatusLabel->toolTip().toStdString(),
                  "NET rigctl über rigctld, 127.0.0.1:" + std::to_string(far.port()) + " (Port " +
                      std::to_string(port) + ")");
        Click(form.StopBtn);
        form.close();
    }
    // The rigctld that Skedula started ends with it; the radio goes on.
    EXPECT_TRUE(test::WaitUntil([&] { return !LoopbackAccepts(port); }));
    EXPECT_TRUE(far.running());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(RadioChain, ARigctldThatAlreadyAnswersIsUsedAsItIs) {
    RigctldProcess far;
    RigctldProcess near; // the listener's own rigctld, on the chosen port
    ASSERT_TRUE(far.running() && near.running());
    {
        Composition program(Using(RadioBehind(far, near.port())));
        program.showMainWindow();
        StartAndTune(program);
        EXPECT_EQ(near.ask("f"), "7100000\n");
        EXPECT_NE(far.ask("f"), "7100000\n"); // no rigctld of Skedula's stands in between
        Click(program.mainWindow().StopBtn);
        program.mainWindow().close();
    }
    EXPECT_TRUE(near.running());
    EXPECT_TRUE(LoopbackAccepts(near.port()));
}

TEST(RadioChain, ARigctldInTheNetworkIsReachedAndNothingIsStarted) {
    RigctldProcess remote;
    ASSERT_TRUE(remote.running());
    RadioChoice network;
    network.program = RadioProgram::Network;
    network.port = remote.port();
    {
        Composition program(Using(network));
        program.showMainWindow();
        StartAndTune(program);
        EXPECT_EQ(remote.ask("f"), "7100000\n");
        EXPECT_TRUE(
            test::WaitUntil([&] { return program.mainWindow().SMeterLabel->text() == "S7"; }));
        program.mainWindow().close();
    }
    EXPECT_TRUE(remote.running());
}

} // namespace
} // namespace skedula
