// The program's own windows (the main window, the grids, the about dialog, the step timer's
// hidden window): each is an object whose messages reach its HandleMessage. The window
// procedure is the catch point of every handler: an error that escapes one is shown by the
// error reporter, and the message counts as handled. A C++ exception never crosses Windows'
// own frames (DispatchMessage, SendMessage) on its way.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

namespace skedula {

class Window {
public:
    Window() = default;
    // Destroys the window if it still exists.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND handle() const { return handle_; }

protected:
    // Registers a window class of this program once per name; later calls change nothing.
    static void RegisterClass(const char* className, HBRUSH background, HICON icon = nullptr,
                              UINT style = 0);
    // Creates the window of a registered class; throws Error when Windows refuses.
    void Create(DWORD exStyle, const char* className, const char* title, DWORD style, int left,
                int top, int width, int height, HWND parent, HMENU menuOrId);
    void Destroy();

    // Handles one message; the default gives it to DefWindowProcA.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
};

// Hands a control's messages to the handler first (a window of another class, such as a
// static or an edit control, subclassed), inside the same catch point.
// The handler returns the result, or nothing to let the control's own procedure go on.
using SubclassHandler = std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)>;
void Subclass(HWND control, SubclassHandler handler);

// Runs a handler inside the catch point: an error escaping it is shown by the error reporter.
void Guarded(const std::function<void()>& handler) noexcept;

} // namespace skedula
