// The step timer on Windows: a window timer (SetTimer, identifier 1) on a hidden window of its
// own, whose interval follows the contract of the watch's step timer (0 is off, the same value
// does nothing, a new one kills the running timer and starts another). Windows keeps at most
// one WM_TIMER pending, so ticks that fall due while the thread is busy arrive as one. Each
// tick runs inside its own catch point; the box for a tick's error opens there, and the ticks
// go on inside the box's loop. The composition gives it to the watch engine.
#pragma once

#include "engine/Ports.h"
#include "windows/app/Window.h"

#include <functional>

namespace skedula {

class WinStepTimer final : public StepTimer, private Window {
public:
    static constexpr UINT_PTR TimerId = 1;

    WinStepTimer();
    // Kills the platform timer and releases the hidden window.
    ~WinStepTimer() override;

    // Throws Error("Nicht genügend Timer verfügbar") when Windows grants no timer; the timer
    // is then off and its interval 0, so that the next Start asks again.
    void setInterval(int milliseconds) override;
    int interval() const override { return interval_; }

    // The hidden window the platform timer runs on.
    HWND window() const { return handle(); }
    // How often a platform timer was started: a new start means a restart.
    int starts() const { return starts_; }

    std::function<void()> onTick;

    // Asks Windows for the timer; tests put a refusing one in its place.
    std::function<UINT_PTR(HWND, UINT_PTR, UINT)> setTimer = [](HWND window, UINT_PTR id,
                                                                UINT milliseconds) {
        return ::SetTimer(window, id, milliseconds, nullptr);
    };

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    int interval_ = 0;
    int starts_ = 0;
};

} // namespace skedula
