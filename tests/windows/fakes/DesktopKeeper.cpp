// wine_desktop_keeper.exe: holds one hidden window for the whole Wine test session, so that
// Wine's desktop process (explorer.exe /desktop) starts once and stays. Without it the
// desktop ends with the last window of a test and the next test's first window waits about
// ten seconds for a new one. wine-session starts it and ends it with the session.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "SkedulaDesktopKeeper";
    ::RegisterClassA(&windowClass);
    ::CreateWindowExA(0, "SkedulaDesktopKeeper", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                      instance, nullptr);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&message);
    return 0;
}
