#include "windows/app/Application.h"

#include "windows/app/ErrorReport.h"

#include <algorithm>

namespace skedula {

namespace {

constexpr const char* kClassName = "TApplication";
Application* current = nullptr;

} // namespace

Application::Application() {
    RegisterClass(kClassName, nullptr);
    // Never shown: it only carries the title.
    Create(0, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);
    current = this;
}

Application::~Application() {
    if (current == this)
        current = nullptr;
}

HWND Application::TitleWindow() {
    return current != nullptr ? current->handle() : nullptr;
}

std::string Application::Title() {
    HWND window = TitleWindow();
    if (window == nullptr)
        return {};
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

void Application::SetTitle(const std::string& title) {
    ::SetWindowTextA(handle(), title.c_str());
}

void Application::AddDialogWindow(HWND window) {
    dialogWindows_.push_back(window);
}

void Application::RemoveDialogWindow(HWND window) {
    dialogWindows_.erase(std::remove(dialogWindows_.begin(), dialogWindows_.end(), window),
                         dialogWindows_.end());
}

bool Application::PreTranslate(MSG& message) {
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST)
        return false;
    for (HWND window : dialogWindows_)
        if (message.hwnd == window || ::IsChild(window, message.hwnd))
            return ::IsDialogMessageA(window, &message) != FALSE;
    return false;
}

void Application::HandleMessage() {
    // Nothing to do until the next message: the loop never polls.
    if (!ProcessMessage())
        ::WaitMessage();
}

bool Application::ProcessMessage() {
    MSG message{};
    if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (message.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    // The window procedures are the catch points; this one catches what escapes elsewhere.
    Guarded([&] {
        if (PreTranslate(message))
            return;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    });
    return true;
}

void Application::Run() {
    while (!terminated_)
        HandleMessage();
}

void Application::ShowMainWindow(HWND mainWindow, int showCommand) {
    switch (showCommand) {
    case SW_SHOWMAXIMIZED:
        ::ShowWindow(mainWindow, SW_SHOWMAXIMIZED);
        break;
    case SW_SHOWMINNOACTIVE:
        ::ShowWindow(mainWindow, SW_SHOWMINNOACTIVE);
        break;
    default:
        ::ShowWindow(mainWindow, SW_SHOW);
        break;
    }
    ::UpdateWindow(mainWindow);
}

int RunProgram(int showCommand,
               const std::function<std::unique_ptr<AppWindows>(Application&)>& create) {
    std::unique_ptr<Application> application;
    std::unique_ptr<AppWindows> windows;
    try {
        application = std::make_unique<Application>();
        application->SetTitle("Skedula");
        windows = create(*application);
    } catch (...) {
        ShowLastResortReport(std::current_exception());
        return 1;
    }
    Application::ShowMainWindow(windows->mainWindow(), showCommand);
    application->Run();
    windows.reset(); // the about dialog, then the main window, which closes an open link
    return 0;
}

} // namespace skedula
