#include "windows/app/ErrorReport.h"

#include "app/ErrorText.h"
#include "windows/app/AnsiText.h"
#include "windows/app/Application.h"

namespace skedula {

namespace {

std::string ModuleFileName() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name = path;
    const std::size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

} // namespace

void ReportError(const std::string& message) {
    // A window that holds the mouse would keep it while the box is open.
    if (HWND capture = ::GetCapture())
        ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
    const std::string text = AnsiText(WithClosingPeriod(message));
    HWND owner = ::GetActiveWindow();
    if (owner == nullptr)
        owner = Application::TitleWindow();
    ::MessageBoxA(owner, text.c_str(), Application::Title().c_str(), MB_OK | MB_ICONERROR);
}

std::string MessageOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unbekannter Fehler";
    }
}

std::string LastResortText(std::exception_ptr error) {
    // Where the error was raised is not known by the time it is caught: the address is zero.
    return "Exception " + ExceptionKind(error) + " in Modul " + ModuleFileName() +
           " bei 0000000000000000.\r\n" + WithClosingPeriod(MessageOf(error)) + "\r\n";
}

void ShowLastResortReport(std::exception_ptr error) {
    const std::string text = AnsiText(LastResortText(error));
    ::MessageBoxA(nullptr, text.c_str(), "Anwendungsfehler", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

} // namespace skedula
