// What the Windows window tests need around the windows: a message pump through the
// application's own handling, real input (SendInput) at a control's pixels, a watcher that
// records and answers the dialogs and boxes this thread opens, and the pixels of a window as
// the screen shows them.
#pragma once

#include "windows/app/Application.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace skedula::uitest {

// Dispatches this thread's messages through the application (dialog keys included) until
// done() holds or the time is up; true when done.
bool PumpUntil(Application& application, const std::function<bool()>& done,
               DWORD milliseconds = 5000);
void Pump(Application& application, DWORD milliseconds = 100);
// Dispatches until the input sent to this thread, and the messages it posted on its way, have
// been handled.
void Settle(Application& application);

// Real input, as a user gives it: the pointer moved to a point of the window's client area and
// the left button clicked; keys pressed and released; characters typed.
void ClickAt(HWND window, int x, int y);
void DoubleClickAt(HWND window, int x, int y);
void MoveTo(HWND window, int x, int y);
void PressKey(WORD key, bool shift = false, bool alt = false);
void TypeText(const std::string& text);
// Makes the window the foreground window, which takes the input.
void BringToFront(HWND window);

// A dialog or message box this thread opened (window class "#32770").
struct Dialog {
    HWND window;
    std::string caption;
    std::string text; // a message box's text; empty for other dialogs
    HWND owner;
};

// Watches this thread for dialogs while it lives. Each one is recorded and handed to the
// answer, which does what the user would (the default presses OK), once the dialog's loop
// runs.
class DialogWatcher {
public:
    using Answer = std::function<void(const Dialog&)>;
    explicit DialogWatcher(Answer answer = PressOk);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    const std::vector<Dialog>& dialogs() const { return dialogs_; }
    static void PressOk(const Dialog& dialog);

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Later(HWND, UINT, UINT_PTR timer, DWORD);
    void Seen(HWND window);
    void Look(HWND window);

    HHOOK hook_;
    Answer answer_;
    std::vector<Dialog> dialogs_;
    std::vector<HWND> seen_;
    std::vector<std::pair<UINT_PTR, HWND>> waiting_;
};

// Steps run one after the other from a timer of this thread while whatever loop runs (a modal
// dialog's too) dispatches messages. A step that returns false is tried again at the next
// tick, for ten seconds at most; Do and Until make the two kinds.
using Step = std::function<bool()>;
Step Do(std::function<void()> action);
Step Until(std::function<bool()> condition);
// Until the input sent to this thread, and what it posted, has been handled.
Step InputHandled();

class TimedSteps {
public:
    explicit TimedSteps(std::vector<Step> steps, UINT delay = 50);
    ~TimedSteps();
    TimedSteps(const TimedSteps&) = delete;
    TimedSteps& operator=(const TimedSteps&) = delete;
    bool done() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    ULONGLONG stepStarted_;
    UINT_PTR timer_;
    bool running_ = false;
};

// The pixels of a window's client area as the screen shows them.
class Picture {
public:
    static Picture OfClientArea(HWND window);
    // The whole window, its frame included.
    static Picture OfWindow(HWND window);
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF at(int x, int y) const { return pixels_[y * width_ + x]; }
    // Writes a 24-bit BMP, for looking at a failure.
    void Save(const std::string& path) const;

private:
    static Picture OfScreen(int left, int top, int width, int height);

    int width_ = 0, height_ = 0;
    std::vector<COLORREF> pixels_;
};

// A control's place in its parent's client area.
RECT PlaceInParent(HWND control);
std::string ClassName(HWND window);

} // namespace skedula::uitest
