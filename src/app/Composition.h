// The one place that builds Skedula's objects and connects them: the engine, the step timer,
// the receiver link over rigctld with its three items, the alarm player, the report file and
// the two windows.
#pragma once

#include "app/CommandLine.h"
#include "app/LinkReceiverPort.h"
#include "app/QtStepTimer.h"
#include "app/Startup.h"
#include "engine/SystemClock.h"
#include "engine/WatchEngine.h"
#include "link/AdvisedItem.h"
#include "link/ReceiverLink.h"
#include "link/rigctld/RigctldConversation.h"
#include "sound/AlarmPlayer.h"
#include "storage/ReportWriter.h"
#include "ui/About.h"
#include "ui/Skedula.h"

#include <memory>
#include <string>
#include <vector>

namespace skedula {

// Where the receiver link finds rigctld, and how it starts one. The program uses the
// defaults; tests point it at a server of their own.
struct LinkSettings {
    RigctldEndpoint endpoint{};
    std::vector<std::string> serverArguments =
        RigctldConversation::ServerArguments(RigctldEndpoint{});
    RigctldTimings timings{};
};

class Composition : public AppWindows {
public:
    explicit Composition(LinkSettings settings = {});
    // Ends in the order the program ends: no more ticks; the about dialog goes, then the main
    // window, whose FormDestroy closes an open link while the window still shows it; then the
    // link, the server it started and the alarm player, which stops a sound still playing.
    ~Composition() override;

    void showMainWindow() override;
    // What the command line asked for, done once the loop runs with the window shown: the
    // list loaded as "Laden ..." loads it (a failure shown in the usual box), then Start
    // pressed, also behind that box, so that a watch started at login runs unattended.
    void followStartRequest(const StartRequest& request);

    TSkedulaForm& mainWindow() { return *window_; }
    TAboutForm& aboutForm() { return *about_; }
    WatchEngine& engine() { return *engine_; }
    QtStepTimer& stepTimer() { return timer_; }
    ReportWriter& reportWriter() { return reports_; }

private:
    void ConnectLinkEvents();
    void DisconnectLinkEvents();

    SystemClock clock_;
    QtStepTimer timer_;
    AlarmPlayer player_;
    RigctldConversation conversation_;
    ReceiverLink link_;
    AdvisedItem SMeterDdeClientItem_;
    AdvisedItem ModeDdeClientItem_;
    AdvisedItem FrequencyDdeClientItem_;
    LinkReceiverPort receiver_;
    ReportWriter reports_;
    std::unique_ptr<TSkedulaForm> window_;
    std::unique_ptr<WatchEngine> engine_;
    std::unique_ptr<TAboutForm> about_;
};

} // namespace skedula
