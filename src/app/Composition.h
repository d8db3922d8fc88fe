// The one place that builds Skedula's objects and connects them: the engine, the step timer,
// the receiver link with its three items over the radio-control program the settings name (and
// the reconnector that opens it again), the alarm player, the report file, the history, the
// recorder, the desktop notifier, the report command, the watch options and the windows.
#pragma once

#include "app/CommandLine.h"
#include "app/DesktopNotifier.h"
#include "app/LinkReceiverPort.h"
#include "app/QtStepTimer.h"
#include "app/RadioSetup.h"
#include "app/Reconnector.h"
#include "app/RecordingSetup.h"
#include "app/ReportCommand.h"
#include "app/Startup.h"
#include "app/SwitchablePort.h"
#include "app/WatchOptions.h"
#include "engine/SystemClock.h"
#include "engine/WatchEngine.h"
#include "link/AdvisedItem.h"
#include "link/ReceiverLink.h"
#include "sound/AlarmPlayer.h"
#include "sound/Recorder.h"
#include "storage/HistoryWriter.h"
#include "storage/ReportWriter.h"
#include "ui/About.h"
#include "ui/HistoryWindow.h"
#include "ui/Skedula.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace skedula {

// Which radio the link reaches and how. The program reads it from the settings file; tests
// and benchmarks name a server of their own.
using LinkSettings = RadioSetup::Options;

class Composition : public AppWindows {
public:
    explicit Composition(LinkSettings settings = {});
    // Ends in the order the program ends: no more ticks; the history writes what waits; the
    // about dialog goes, then the main window (with the history window), whose FormDestroy
    // closes an open link while the window still shows it; then the recorder, which ends a
    // recording under way with what it has; then the link, the radio backend with the server it
    // started, and the alarm player, which stops a sound still playing.
    ~Composition() override;

    // Settings that are not valid are named in a box once the window is up, one box for the
    // radio's, one for the watch's and one for the recording's.
    void showMainWindow() override;
    // What the command line asked for, done once the loop runs with the window shown: the
    // list loaded as "Laden ..." loads it (a failure shown in the usual box, naming the file),
    // and kept as the last list, then Start pressed, also behind that box, so that a watch
    // started at login runs unattended.
    void followStartRequest(const StartRequest& request);

    TSkedulaForm& mainWindow() { return *window_; }
    TAboutForm& aboutForm() { return *about_; }
    WatchEngine& engine() { return *engine_; }
    QtStepTimer& stepTimer() { return timer_; }
    ReportWriter& reportWriter() { return reports_; }
    HistoryWriter& historyWriter() { return history_; }
    // The window "Verlauf" once it was opened; nothing before.
    HistoryWindow* historyWindow() { return historyWindow_; }
    DesktopNotifier& desktopNotifier() { return notifier_; }
    ReportCommand& reportCommand() { return command_; }
    RadioSetup& radioSetup() { return *radio_; }
    WatchOptions& watchOptions() { return *watch_; }
    SystemClock& clock() { return clock_; }
    Recorder& recorder() { return *recorder_; }
    RecordingSetup& recordingSetup() { return *recording_; }

private:
    void ConnectLinkEvents();
    void DisconnectLinkEvents();
    void ShowHistory();

    SystemClock clock_;
    QtStepTimer timer_;
    AlarmPlayer player_;
    SwitchablePort radioPort_;
    ReceiverLink link_;
    AdvisedItem SMeterDdeClientItem_;
    AdvisedItem ModeDdeClientItem_;
    AdvisedItem FrequencyDdeClientItem_;
    std::unique_ptr<RadioSetup> radio_;
    std::unique_ptr<Reconnector> reconnect_;
    LinkReceiverPort receiver_;
    // Receives what the watch's parts hand to the GUI thread's event loop (from their own threads
    // too); lives longer than they do, and whatever it has not yet delivered goes with it.
    QObject guiEvents_;
    ReportWriter reports_;
    HistoryWriter history_;
    DesktopNotifier notifier_;
    ReportCommand command_;
    std::unique_ptr<Recorder> recorder_;
    std::unique_ptr<RecordingSetup> recording_;
    std::unique_ptr<WatchOptions> watch_;
    std::unique_ptr<TSkedulaForm> window_;
    std::unique_ptr<WatchEngine> engine_;
    std::unique_ptr<TAboutForm> about_;
    QPointer<HistoryWindow> historyWindow_; // a child of the main window
};

} // namespace skedula
