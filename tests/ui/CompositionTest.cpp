// The program as the composition root puts it together: the window with the real engine,
// step timer, receiver link over rigctld and alarm player.
#include "app/Composition.h"
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "fakes/ModalBoxWatcher.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;

// A rigctld on another computer, as far as Skedula knows: it starts nothing for it.
LinkSettings Unreachable() {
    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Network;
    settings.radio->port = FreeLoopbackPort();
    return settings;
}

LinkSettings RigctldOnAFreePort() {
    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->port = FreeLoopbackPort();
    // rigctld's dummy rig with a constant S-meter.
    settings.extraServerArguments = {"-C", "static_data=1"};
    return settings;
}

void Click(QPushButton* button) {
    button->click();
    QCoreApplication::processEvents();
}

TEST(Composition, AnUnreachableLinkGivesNoMessageAndTheTicksGoOn) {
    ModalBoxWatcher watcher;
    Composition program(Unreachable());
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    program.engine().ListeSG.setCell(0, 1, "?"); // due every minute

    Click(form.StartBtn);
    EXPECT_TRUE(form.StopBtn->isEnabled());
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().stepCounter() >= 2; }));
    EXPECT_TRUE(watcher.boxes().empty());
    EXPECT_EQ(form.StatusLabel->text(), "diconnected");
    EXPECT_EQ(form.statusColour(), TSkedulaForm::DisconnectedColour);
    EXPECT_NE(form.ZeitLabel->text(), "00:00");
    EXPECT_TRUE(form.FrequencyLabel->text().isEmpty());
    Click(form.StopBtn);
    form.close();
}

TEST(Composition, WorksWithRigctldAndClosesTheLinkOnTheWayOut) {
    const LinkSettings settings = RigctldOnAFreePort();
    ModalBoxWatcher watcher;
    auto program = std::make_unique<Composition>(settings);
    TSkedulaForm& form = program->mainWindow();
    program->showMainWindow();

    Click(form.StartBtn); // no server runs: the link starts one
    EXPECT_EQ(form.StatusLabel->text(), "connected");
    EXPECT_EQ(form.statusColour(), TSkedulaForm::ConnectedColour);
    EXPECT_FALSE(form.FrequencyLabel->text().isEmpty());
    EXPECT_FALSE(form.ModeLabel->text().isEmpty());
    EXPECT_EQ(form.SMeterLabel->text(), "S7");

    Click(form.StopBtn);
    EXPECT_EQ(form.StatusLabel->text(), "disconnected");
    EXPECT_EQ(form.SMeterLabel->text(), "S7"); // the read-outs keep their texts

    Click(form.StartBtn); // the server we started still runs
    EXPECT_EQ(form.StatusLabel->text(), "connected");
    EXPECT_TRUE(LoopbackAccepts(settings.radio->port));

    form.close();
    program.reset(); // FormDestroy closes the open link; the server we started ends
    EXPECT_TRUE(watcher.boxes().empty());
    EXPECT_TRUE(test::WaitUntil([&] { return !LoopbackAccepts(settings.radio->port); }));
}

TEST(Composition, TheProgramEndsWithExitCodeZeroWhenTheWindowCloses) {
    ModalBoxWatcher watcher;
    TSkedulaForm* shown = nullptr;
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<TSkedulaForm*>(w); form && form->isVisible())
                shown = form;
        if (shown != nullptr) {
            shown->StartBtn->click(); // running, and the link unreachable
            shown->Beenden1->trigger();
        }
    });
    const int code =
        RunApplication(*qApp, [] { return std::make_unique<Composition>(Unreachable()); });
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(watcher.boxes().empty());
}

TEST(Composition, InfoShowsTheAboutDialogModally) {
    Composition program(Unreachable());
    program.showMainWindow();
    bool wasModal = false;
    QTimer::singleShot(20, [&] {
        wasModal = program.aboutForm().isVisible() && program.aboutForm().isModal();
        program.aboutForm().accept();
    });
    program.mainWindow().Info1->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(program.aboutForm().isVisible());
    EXPECT_EQ(program.mainWindow().windowIcon().cacheKey() != 0, true);
    program.mainWindow().close();
}

} // namespace
} // namespace skedula
