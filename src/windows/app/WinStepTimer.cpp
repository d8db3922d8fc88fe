#include "windows/app/WinStepTimer.h"

#include "engine/Error.h"

namespace skedula {

namespace {
constexpr const char* kClassName = "TPUtilWindow";
}

WinStepTimer::WinStepTimer() {
    RegisterClass(kClassName, nullptr);
    // A message-only window: it takes the timer's messages and is never shown.
    Create(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

WinStepTimer::~WinStepTimer() {
    if (interval_ != 0)
        ::KillTimer(handle(), TimerId);
}

void WinStepTimer::setInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    ::KillTimer(handle(), TimerId);
    interval_ = 0;
    if (milliseconds == 0)
        return;
    if (setTimer(handle(), TimerId, static_cast<UINT>(milliseconds)) == 0)
        throw Error("Nicht genügend Timer verfügbar");
    ++starts_;
    interval_ = milliseconds;
}

LRESULT WinStepTimer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The window procedure is the tick's catch point: an error escaping it is reported there.
    if (message == WM_TIMER && wParam == TimerId) {
        if (onTick)
            onTick();
        return 0;
    }
    return Default(message, wParam, lParam);
}

} // namespace skedula
