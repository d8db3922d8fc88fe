// A main window connected to a watch engine on fakes, as the composition root connects the real
// ones, and a receiver fake that reports opening and closing to the window as the link does.
#pragma once

#include "QtPrinting.h"
#include "engine/WatchEngine.h"
#include "fakes/EngineFakes.h"
#include "ui/Skedula.h"

#include <QCoreApplication>
#include <functional>
#include <memory>

namespace skedula::uitest {

// Fires the window's open and close handlers where the receiver link fires OnOpen and OnClose.
class SignallingReceiver : public fakes::FakeReceiver {
public:
    bool reachable = true;
    std::function<void()> onOpen;
    std::function<void()> onClose;

    bool OpenConversation() override {
        if (!reachable) {
            calls.push_back("OpenConversation");
            frequency.clear(); // a failed open leaves the read-outs blank
            mode.clear();
            sMeter.clear();
            return false;
        }
        FakeReceiver::OpenConversation();
        if (onOpen)
            onOpen();
        return true;
    }
    void CloseConversation() override {
        const bool wasOpen = open;
        FakeReceiver::CloseConversation();
        if (wasOpen && onClose)
            onClose();
    }
};

// Lets the views finish what they do later: laying out items, then showing scroll bars.
inline void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

struct WindowRig {
    fakes::FakeClock clock;
    fakes::FakeStepTimer timer;
    SignallingReceiver link;
    fakes::FakeAlarm alarm;
    std::unique_ptr<TSkedulaForm> window = std::make_unique<TSkedulaForm>();
    WatchEngine engine{{clock, timer, link, alarm, *window, *window}};

    WindowRig() {
        TSkedulaForm* w = window.get();
        link.onOpen = [w] { w->DdeClientConvOpen(); };
        link.onClose = [w] { w->DdeClientConvClose(); };
        window->attach(engine, link);
    }
    // The window goes first: its FormDestroy still uses the link, and its grids the engine.
    ~WindowRig() {
        window.reset();
        link.onOpen = nullptr;
        link.onClose = nullptr;
    }
    WindowRig(const WindowRig&) = delete;
    WindowRig& operator=(const WindowRig&) = delete;

    TSkedulaForm& form() { return *window; }

    void entry(int row, const std::string& pattern, const std::string& frequency = "7100000",
               const std::string& mode = "AM", const std::string& threshold = "S5",
               const std::string& alarmFile = "") {
        const std::string cells[] = {pattern, frequency, mode, threshold, alarmFile};
        for (int c = 0; c < 5; ++c)
            engine.ListeSG.setCell(c, row, cells[c]);
    }

    void tick() {
        clock.advanceMilliseconds(500);
        engine.TimerTimer();
    }
};

} // namespace skedula::uitest
