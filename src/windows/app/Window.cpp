#include "windows/app/Window.h"

#include "engine/Error.h"
#include "windows/app/ErrorReport.h"

#include <memory>

namespace skedula {

namespace {

// A subclassed control keeps its handler and its own procedure in a window property.
constexpr const char* kSubclassProperty = "SkedulaSubclass";

struct SubclassRecord {
    SubclassHandler handler;
    WNDPROC original;
};

LRESULT CALLBACK SubclassProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* record = static_cast<SubclassRecord*>(::GetPropA(control, kSubclassProperty));
    if (message == WM_NCDESTROY) {
        std::unique_ptr<SubclassRecord> owned(record);
        ::RemovePropA(control, kSubclassProperty);
        ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(owned->original));
        return ::CallWindowProcA(owned->original, control, message, wParam, lParam);
    }
    std::optional<LRESULT> result;
    Guarded([&] { result = record->handler(message, wParam, lParam); });
    return result ? *result : ::CallWindowProcA(record->original, control, message, wParam, lParam);
}

} // namespace

Window::~Window() {
    Destroy();
}

void Window::RegisterClass(const char* className, HBRUSH background, HICON icon, UINT style) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), className, &existing))
        return;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hIcon = icon;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    if (::RegisterClassExA(&windowClass) == 0)
        throw Error("Fensterklasse " + std::string(className) + " nicht registriert");
}

void Window::Create(DWORD exStyle, const char* className, const char* title, DWORD style, int left,
                    int top, int width, int height, HWND parent, HMENU menuOrId) {
    ::CreateWindowExA(exStyle, className, title, style, left, top, width, height, parent, menuOrId,
                      ::GetModuleHandleA(nullptr), this);
    if (handle_ == nullptr)
        throw Error("Fenster " + std::string(className) + " nicht erzeugt");
}

void Window::Destroy() {
    if (handle_ != nullptr)
        ::DestroyWindow(handle_);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->handle_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self == nullptr)
        return ::DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    Guarded([&] { result = self->HandleMessage(message, wParam, lParam); });
    return result;
}

void Subclass(HWND control, SubclassHandler handler) {
    auto record = std::make_unique<SubclassRecord>(SubclassRecord{std::move(handler), nullptr});
    if (!::SetPropA(control, kSubclassProperty, record.get()))
        return;
    record->original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProcedure)));
    record.release();
}

void Guarded(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (...) {
        ReportError(MessageOf(std::current_exception()));
    }
}

} // namespace skedula
