// The application object of the Windows program: its hidden window carries the application
// title, which every error box takes as its caption, and it runs the one message loop, whose
// message handling the modal dialogs use as well. RunProgram is the start and end of the
// program: WinMain calls it; the tests call it with windows of their own.
#pragma once

#include "windows/app/Window.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace skedula {

class Application final : private Window {
public:
    // Makes the hidden application window, with no title yet.
    Application();
    ~Application() override;

    // The application window and its title, read back from the window each time (empty and
    // nullptr when no application exists).
    static HWND TitleWindow();
    static std::string Title();
    void SetTitle(const std::string& title);

    // Windows whose keyboard input goes through IsDialogMessage: Tab and Shift+Tab between
    // their controls, the mnemonics (Alt+S), Return for a default button.
    void AddDialogWindow(HWND window);
    void RemoveDialogWindow(HWND window);

    // Takes one message and dispatches it, or waits for the next when none is waiting. The quit
    // message sets the terminate flag. A modal dialog's loop calls this as the main loop does.
    void HandleMessage();
    // Takes one message and dispatches it; false when none was waiting.
    bool ProcessMessage();
    bool Terminated() const { return terminated_; }
    // Runs the loop until the quit message has been taken.
    void Run();

    // Shows the main window as the start's show command asks: maximized for SW_SHOWMAXIMIZED,
    // minimized without activation for SW_SHOWMINNOACTIVE, otherwise simply made visible.
    static void ShowMainWindow(HWND mainWindow, int showCommand);

private:
    bool PreTranslate(MSG& message);

    std::vector<HWND> dialogWindows_;
    bool terminated_ = false;
};

// What the start creates: the windows and everything behind them. Destroyed after the loop has
// ended, before the program exits.
class AppWindows {
public:
    virtual ~AppWindows() = default;
    virtual HWND mainWindow() const = 0;
};

// The program: the application with the title "Skedula", the windows that create() makes,
// then the main window shown with the show command and the loop run until the main window has
// closed; 0 then. A failure before the loop runs is shown by the last-resort report; 1 then.
int RunProgram(int showCommand,
               const std::function<std::unique_ptr<AppWindows>(Application&)>& create);

} // namespace skedula
