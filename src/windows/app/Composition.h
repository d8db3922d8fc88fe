// The one place that builds the Windows program's objects and connects them: the watch engine,
// the step timer, the receiver link with its three advised items over the platform's
// conversation port, the alarm player, the list files and the two windows. The program gives
// it the Windows pieces (WindowsPlatform); the tests give it fakes.
#pragma once

#include "engine/WatchEngine.h"
#include "link/AdvisedItem.h"
#include "link/ConversationPort.h"
#include "link/ReceiverLink.h"
#include "windows/app/Application.h"
#include "windows/app/ItemsReceiverPort.h"
#include "windows/app/WinStepTimer.h"
#include "windows/ui/About.h"
#include "windows/ui/ListFilePort.h"
#include "windows/ui/Skedula.h"

#include <memory>
#include <string>
#include <vector>

namespace skedula {

class Composition final : public AppWindows {
public:
    // What the Windows system provides to the program.
    struct Platform {
        Clock& clock;
        ConversationPort& conversation;
        AlarmPort& alarm;
        ListFilePort& lists;
        // What starts the radio-control program when the first connect finds no server.
        std::vector<std::string> serverCommand;
    };

    // The start's steps 3 and 4: the main window (its FormCreate runs here), then the about
    // dialog, hidden.
    Composition(Application& application, Platform platform);
    // Ends in the order the program ends: no more ticks; the about dialog goes, then the main
    // window, whose FormDestroy closes an open link while the window still shows it; then the
    // link.
    ~Composition() override;

    HWND mainWindow() const override { return window_->handle(); }

    TSkedulaForm& form() { return *window_; }
    TAboutForm& about() { return *about_; }
    WatchEngine& engine() { return *engine_; }
    WinStepTimer& stepTimer() { return timer_; }
    ReceiverLink& link() { return link_; }

private:
    void ConnectLinkEvents();
    void DisconnectLinkEvents();

    Application& application_;
    Platform platform_;
    WinStepTimer timer_;
    ReceiverLink link_;
    AdvisedItem SMeterDdeClientItem_;
    AdvisedItem ModeDdeClientItem_;
    AdvisedItem FrequencyDdeClientItem_;
    ItemsReceiverPort receiver_;
    std::unique_ptr<TSkedulaForm> window_;
    std::unique_ptr<WatchEngine> engine_;
    std::unique_ptr<TAboutForm> about_;
};

} // namespace skedula
