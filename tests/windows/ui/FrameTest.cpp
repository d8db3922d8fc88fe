// The application frame: the error reporter and its boxes, the catch points of the window
// procedures and of the step timer's tick, the step timer's contract, the start with its show
// command and exit codes, and the last-resort report.
#include "FormRig.h"
#include "windows/app/ErrorReport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace skedula {
namespace {

using uitest::Dialog;
using uitest::DialogWatcher;
using uitest::FormRig;

TEST(ErrorReport, ShowsTheMessageWithItsPeriodCaptionedWithTheApplicationTitle) {
    FormRig rig;
    rig.Show();
    DialogWatcher watcher;
    ReportError("'x' ist kein g\xc3\xbcltiger Integerwert"); // UTF-8, as the engine raises it
    ReportError("E/A-Fehler 32");
    ReportError("Fertig.");
    ReportError("Wirklich?");
    rig.application.SetTitle("Skedula 2");
    ReportError("");
    const std::vector<Dialog>& boxes = watcher.dialogs();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].text, "'x' ist kein g\xfcltiger Integerwert."); // shown in the ANSI page
    EXPECT_EQ(boxes[1].text, "E/A-Fehler 32.");
    EXPECT_EQ(boxes[2].text, "Fertig.");
    EXPECT_EQ(boxes[3].text, "Wirklich?.");
    EXPECT_EQ(boxes[4].text, "");
    EXPECT_EQ(boxes[0].caption, "Skedula");
    EXPECT_EQ(boxes[4].caption, "Skedula 2"); // read back from the application window each time
    EXPECT_EQ(boxes[0].owner, rig.window());  // the active window
}

TEST(ErrorReport, EndsAMouseCaptureAndHasTheApplicationWindowAsOwnerWhenNothingIsActive) {
    FormRig rig;
    rig.Show();
    StringGrid& grid = *rig.form().ListeSG;
    const POINT from = FormRig::InCell(grid, 0, 1);
    ::SendMessageA(grid.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    ASSERT_EQ(::GetCapture(), grid.handle()); // a selection being dragged
    DialogWatcher watcher;
    ReportError("Datei nicht gefunden");
    EXPECT_EQ(::GetCapture(), nullptr);

    ::ShowWindow(rig.window(), SW_HIDE);
    ::SetActiveWindow(nullptr);
    if (::GetActiveWindow() == nullptr) {
        ReportError("Datei nicht gefunden");
        ASSERT_EQ(watcher.dialogs().size(), 2u);
        EXPECT_EQ(watcher.dialogs()[1].owner, Application::TitleWindow());
    }
}

TEST(CatchPoint, AnErrorInAHandlerIsShownAndTheWindowGoesOn) {
    FormRig rig;
    rig.Show();
    rig.lists.failWith = "Datei nicht gefunden";
    // The open dialog answered with a name; the load fails in the menu's handler.
    DialogWatcher watcher([](const Dialog& dialog) {
        if (dialog.caption == "Liste laden ...") {
            ::SetDlgItemTextA(dialog.window, 0x047C, "C:\\fehlt.txt"); // the file name box
            ::SetDlgItemTextA(dialog.window, 0x0480, "C:\\fehlt.txt");
        }
        DialogWatcher::PressOk(dialog);
    });
    ::PostMessageA(rig.window(), WM_COMMAND, TSkedulaForm::Laden1Id, 0);
    ::PostMessageA(rig.window(), WM_COMMAND, TSkedulaForm::StartBtnId, 0);
    rig.PumpUntil([&] { return ::IsWindowEnabled(rig.form().StopBtn) != FALSE; });
    ASSERT_EQ(watcher.dialogs().size(), 2u);
    EXPECT_EQ(watcher.dialogs()[1].text, "Datei nicht gefunden.");
    EXPECT_EQ(rig.lists.calls, (std::vector<std::string>{"Load C:\\fehlt.txt"}));
    EXPECT_TRUE(::IsWindowEnabled(rig.form().StopBtn)); // the next message was handled
}

TEST(StepTimer, FollowsTheIntervalContractOnWindowTimerOne) {
    Application application;
    WinStepTimer timer;
    std::vector<std::pair<UINT_PTR, UINT>> started;
    timer.setTimer = [&](HWND window, UINT_PTR id, UINT milliseconds) {
        started.emplace_back(id, milliseconds);
        return ::SetTimer(window, id, milliseconds, nullptr);
    };
    EXPECT_EQ(timer.interval(), 0);
    timer.setInterval(500);
    timer.setInterval(500); // the same value changes nothing
    timer.setInterval(40);
    EXPECT_EQ(started, (std::vector<std::pair<UINT_PTR, UINT>>{{1, 500}, {1, 40}}));

    int ticks = 0;
    timer.onTick = [&] { ++ticks; };
    uitest::PumpUntil(
        application, [&] { return ticks >= 2; }, 2000);
    EXPECT_GE(ticks, 2);
    timer.setInterval(0);
    const int stopped = ticks;
    uitest::Pump(application, 150);
    EXPECT_EQ(ticks, stopped);

    // Ticks that fall due while the thread is busy arrive as one; the next is due an interval
    // after it.
    timer.setInterval(200);
    ::Sleep(1000);
    ticks = 0;
    uitest::Pump(application, 100);
    EXPECT_EQ(ticks, 1);
    timer.setInterval(0);
}

TEST(StepTimer, ARefusedTimerFailsStartAndTheNextStartAsksAgain) {
    FormRig rig;
    WinStepTimer& timer = rig.composition->stepTimer();
    bool refuse = true;
    timer.setTimer = [&](HWND window, UINT_PTR id, UINT milliseconds) -> UINT_PTR {
        return refuse ? 0 : ::SetTimer(window, id, milliseconds, nullptr);
    };
    DialogWatcher watcher;
    ::SendMessageA(rig.window(), WM_COMMAND, TSkedulaForm::StartBtnId, 0);
    ASSERT_EQ(watcher.dialogs().size(), 1u);
    EXPECT_EQ(watcher.dialogs()[0].text, "Nicht gen\xfcgend Timer verf\xfcgbar.");
    // Start's later steps did not run.
    EXPECT_TRUE(::IsWindowEnabled(rig.form().StartBtn));
    EXPECT_TRUE(rig.conversation.calls.empty());
    EXPECT_EQ(timer.interval(), 0);

    refuse = false;
    ::SendMessageA(rig.window(), WM_COMMAND, TSkedulaForm::StartBtnId, 0);
    EXPECT_EQ(timer.interval(), 500);
    EXPECT_FALSE(::IsWindowEnabled(rig.form().StartBtn));
}

TEST(StepTimer, ATicksErrorIsShownInsideItAndTheTicksGoOnBehindTheBox) {
    FormRig rig;
    rig.Show();
    WinStepTimer& timer = rig.composition->stepTimer();
    int ticks = 0;
    std::vector<HWND> boxes;
    DialogWatcher watcher([&](const Dialog& dialog) { boxes.push_back(dialog.window); });
    timer.onTick = [&] {
        ++ticks;
        if (ticks <= 2)
            throw Error("'+' ist kein g\xc3\xbcltiger Integerwert");
        if (ticks == 6) // both boxes have seen ticks go on; the user closes them
            for (HWND box : boxes)
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    };
    timer.setInterval(30);
    rig.PumpUntil([&] { return ticks >= 8; }, 5000);
    timer.setInterval(0);
    ASSERT_EQ(watcher.dialogs().size(), 2u);
    EXPECT_EQ(watcher.dialogs()[1].owner, watcher.dialogs()[0].window); // on top of the first
    EXPECT_GE(ticks, 8);
}

// A main window that ends the loop when it closes, as the program's does.
class PlainMainWindow final : public AppWindows, private Window {
public:
    PlainMainWindow() {
        RegisterClass("SkedulaTestMain", nullptr);
        Create(0, "SkedulaTestMain", "Skedula", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
               nullptr);
    }
    HWND mainWindow() const override { return handle(); }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CLOSE) {
            ::PostQuitMessage(0);
            return 0;
        }
        return Default(message, wParam, lParam);
    }
};

TEST(Start, ShowsTheMainWindowAsAskedRunsUntilItClosesAndEndsWithZero) {
    struct Case {
        int show;
        bool minimized, maximized;
    } cases[] = {{SW_SHOWNORMAL, false, false},
                 {SW_SHOWMINNOACTIVE, true, false},
                 {SW_SHOWMAXIMIZED, false, true},
                 {SW_SHOWDEFAULT, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.show);
        HWND shown = nullptr;
        bool visible = false, minimized = false, maximized = false;
        uitest::TimedSteps script({uitest::Do([&] {
            shown = ::FindWindowA("SkedulaTestMain", "Skedula");
            visible = ::IsWindowVisible(shown) != FALSE;
            minimized = ::IsIconic(shown) != FALSE;
            maximized = ::IsZoomed(shown) != FALSE;
            ::PostMessageA(shown, WM_CLOSE, 0, 0);
        })});
        std::string title;
        const int code = RunProgram(c.show, [&](Application&) {
            title = Application::Title();
            return std::make_unique<PlainMainWindow>();
        });
        EXPECT_EQ(code, 0);
        EXPECT_EQ(title, "Skedula"); // set before the windows are made
        EXPECT_TRUE(visible);
        EXPECT_EQ(minimized, c.minimized);
        EXPECT_EQ(maximized, c.maximized);
        EXPECT_EQ(::FindWindowA("SkedulaTestMain", "Skedula"), nullptr); // destroyed after
    }
}

TEST(Start, AFailureBeforeTheLoopGetsTheLastResortReportAndExitCodeOne) {
    DialogWatcher watcher;
    const int code = RunProgram(SW_SHOWNORMAL, [](Application&) -> std::unique_ptr<AppWindows> {
        throw Error("DDE-Fehler - Konversation konnte nicht eingerichtet werden ($04009)");
    });
    EXPECT_EQ(code, 1);
    ASSERT_EQ(watcher.dialogs().size(), 1u);
    const Dialog& box = watcher.dialogs()[0];
    EXPECT_EQ(box.caption, "Anwendungsfehler");
    EXPECT_EQ(box.owner, nullptr);
    // The message ends in ")", which takes no period.
    EXPECT_EQ(box.text.rfind("Exception skedula::Error in Modul win_ui_tests.exe bei ", 0), 0u)
        << box.text;
    EXPECT_NE(box.text.find(".\r\nDDE-Fehler - Konversation konnte nicht eingerichtet werden "
                            "($04009)\r\n"),
              std::string::npos)
        << box.text;
}

} // namespace
} // namespace skedula
