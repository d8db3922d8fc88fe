// The window's two states and the link's status field, as Start, Stop, the link's notices and
// the window's end leave them.
#include "WindowRig.h"
#include "fakes/ModalBoxWatcher.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;
using uitest::WindowRig;

struct Shown {
    bool startEnabled;
    bool stopEnabled;
    bool listEditing;
    int interval;
};

Shown StateOf(WindowRig& rig) {
    TSkedulaForm& form = rig.form();
    const bool editing =
        form.ListeSG->editing() &&
        form.ListeSG->editTriggers() != QAbstractItemView::NoEditTriggers &&
        (form.ListeSG->model()->flags(form.ListeSG->model()->index(0, 0)) & Qt::ItemIsEditable);
    return {form.StartBtn->isEnabled(), form.StopBtn->isEnabled(), editing, rig.timer.interval()};
}

void Click(QPushButton* button) {
    button->click();
    QCoreApplication::processEvents(); // the handler runs from the loop
}

TEST(MainWindowState, FollowsCreationStartAndStop) {
    WindowRig rig;
    struct Step {
        const char* name;
        std::function<void()> act;
        Shown expected;
    };
    const Step steps[] = {
        {"after creation", [] {}, {true, false, true, 0}},
        {"after Start", [&] { Click(rig.form().StartBtn); }, {false, true, false, 500}},
        {"after Stop", [&] { Click(rig.form().StopBtn); }, {true, false, true, 0}},
        {"after a second Start", [&] { Click(rig.form().StartBtn); }, {false, true, false, 500}},
    };
    for (const Step& step : steps) {
        step.act();
        const Shown s = StateOf(rig);
        EXPECT_EQ(s.startEnabled, step.expected.startEnabled) << step.name;
        EXPECT_EQ(s.stopEnabled, step.expected.stopEnabled) << step.name;
        EXPECT_EQ(s.listEditing, step.expected.listEditing) << step.name;
        EXPECT_EQ(s.interval, step.expected.interval) << step.name;
    }
    EXPECT_EQ(rig.form().ZeitLabel->text(), "00:00");
}

TEST(MainWindowState, StartAndStopDriveTheLink) {
    WindowRig rig;
    Click(rig.form().StartBtn);
    Click(rig.form().StopBtn);
    const std::vector<std::string> expected = {"SetServiceTopic HRD_RADIO_000 HRD_CAT",
                                               "OpenConversation", "CloseConversation"};
    EXPECT_EQ(rig.link.calls, expected);
}

TEST(MainWindowState, TheStatusFieldFollowsTheLinksNotices) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    struct Expect {
        const char* when;
        std::function<void()> act;
        QString text;
        QColor colour;
    };
    const Expect steps[] = {
        {"before the first notice", [] {}, "diconnected", QColor(255, 0, 0)},
        {"open", [&] { form.DdeClientConvOpen(); }, "connected", QColor(0, 128, 0)},
        {"close", [&] { form.DdeClientConvClose(); }, "disconnected", QColor(255, 0, 0)},
        {"Start, the link opens", [&] { Click(form.StartBtn); }, "connected", QColor(0, 128, 0)},
        {"Stop, the link closes", [&] { Click(form.StopBtn); }, "disconnected", QColor(255, 0, 0)},
        {"Stop on a closed link", [&] { Click(form.StopBtn); }, "disconnected", QColor(255, 0, 0)},
    };
    for (const Expect& step : steps) {
        step.act();
        EXPECT_EQ(form.StatusLabel->text(), step.text) << step.when;
        EXPECT_EQ(form.statusColour(), step.colour) << step.when;
        EXPECT_EQ(form.StatusLabel->palette().color(QPalette::WindowText), QColor(0, 0, 128))
            << step.when;
    }
}

TEST(MainWindowState, ALinkThatCannotBeReachedGivesNoMessageAndTheWatchRuns) {
    ModalBoxWatcher watcher;
    WindowRig rig;
    rig.link.reachable = false;
    rig.link.frequency = "14230000"; // texts of an earlier run, cleared by the failed open
    rig.form().FrequencyDdeClientItemChange();
    rig.entry(1, "?");
    rig.clock.set(14, 29, 59, 500);

    Click(rig.form().StartBtn);
    rig.form().FrequencyDdeClientItemChange();
    for (int i = 0; i < 12; ++i)
        rig.tick();
    QCoreApplication::processEvents();

    EXPECT_TRUE(watcher.boxes().empty());
    EXPECT_EQ(rig.form().StatusLabel->text(), "diconnected");
    EXPECT_EQ(rig.form().statusColour(), QColor(255, 0, 0));
    EXPECT_TRUE(rig.form().FrequencyLabel->text().isEmpty());
    EXPECT_TRUE(rig.form().StopBtn->isEnabled());
    EXPECT_EQ(rig.form().ZeitLabel->text(), "14:30");
    EXPECT_EQ(rig.engine.stepCounter(), 11); // the entry is measured without a link
}

TEST(MainWindowState, AnErrorInStartIsReportedAndLeavesTheWindowAsItWas) {
    ModalBoxWatcher watcher;
    WindowRig rig;
    rig.timer.refuse = true;
    Click(rig.form().StartBtn);
    ASSERT_EQ(watcher.boxes().size(), 1u);
    EXPECT_EQ(watcher.boxes()[0].caption, "Skedula");
    EXPECT_EQ(watcher.boxes()[0].text, QString::fromUtf8("Nicht genügend Timer verfügbar."));
    const Shown s = StateOf(rig);
    EXPECT_TRUE(s.startEnabled);
    EXPECT_FALSE(s.stopEnabled);
    EXPECT_TRUE(s.listEditing);
    EXPECT_TRUE(rig.link.calls.empty());
}

TEST(MainWindowState, TheReadOutsShowTheItemTextsAlsoWhenEmpty) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    rig.link.frequency = "14230000";
    rig.link.mode = "USB";
    rig.link.sMeter = "S9+10dB";
    form.FrequencyDdeClientItemChange();
    form.ModeDdeClientItemChange();
    form.SMeterDdeClientItemChange();
    EXPECT_EQ(form.FrequencyLabel->text(), "14230000");
    EXPECT_EQ(form.ModeLabel->text(), "USB");
    EXPECT_EQ(form.SMeterLabel->text(), "S9+10dB");
    EXPECT_EQ(form.SMeterLabel->width(),
              form.SMeterLabel->fontMetrics().horizontalAdvance("S9+10dB"));

    rig.link.mode.clear(); // a detached item
    form.ModeDdeClientItemChange();
    EXPECT_TRUE(form.ModeLabel->text().isEmpty());
    EXPECT_EQ(form.FrequencyLabel->text(), "14230000"); // each read-out follows its own item
}

TEST(MainWindowState, TheWindowsEndClosesTheLinkOnlyWhileTheStatusIsGreen) {
    for (const bool connected : {true, false}) {
        WindowRig rig;
        if (connected)
            Click(rig.form().StartBtn); // the link opens: green
        else
            rig.form().DdeClientConvClose(); // red
        QString statusAtClose;
        TSkedulaForm* form = rig.window.get();
        rig.link.onClose = [&statusAtClose, form] {
            form->DdeClientConvClose();
            statusAtClose = form->StatusLabel->text();
        };
        rig.link.calls.clear();
        rig.window.reset();

        if (connected) {
            EXPECT_EQ(rig.link.calls, std::vector<std::string>{"CloseConversation"});
            EXPECT_EQ(statusAtClose, "disconnected"); // the close notice reached the window
        } else {
            EXPECT_TRUE(rig.link.calls.empty());
        }
    }
}

TEST(MainWindowState, FormDestroyLooksAtTheStatusColourOnly) {
    // An open link that the window never heard of is left alone; a green field closes.
    WindowRig rig;
    rig.link.OpenConversation();
    rig.link.calls.clear();
    rig.form().DdeClientConvClose();
    rig.form().FormDestroy();
    EXPECT_TRUE(rig.link.calls.empty());
    rig.form().DdeClientConvOpen();
    rig.form().FormDestroy();
    EXPECT_EQ(rig.link.calls, std::vector<std::string>{"CloseConversation"});
}

TEST(MainWindowState, QuittingClosesTheWindowWithoutAQuestion) {
    ModalBoxWatcher watcher;
    WindowRig rig;
    rig.form().show();
    Click(rig.form().StartBtn);
    rig.form().Beenden1->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(rig.form().isVisible());
    EXPECT_TRUE(watcher.boxes().empty());
}

} // namespace
} // namespace skedula
