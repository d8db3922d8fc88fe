#include "app/Composition.h"

#include "app/ReportError.h"
#include "link/RadioContract.h"
#include "sound/PulseCapture.h"
#include "storage/HistoryStore.h"
#include "storage/ListFile.h"
#include "storage/ReportFile.h"

#include <QMetaObject>
#include <QTimer>

#include <functional>

namespace skedula {

namespace {

// Opens the box from the event loop of `events`' thread, after whatever runs now: a box inside a
// tick would hold the step timer, and one from another thread must wait for the GUI thread.
std::function<void(const std::string&)> BoxLater(QObject& events) {
    return [&events](const std::string& message) {
        QMetaObject::invokeMethod(
            &events, [message] { ReportError(message); }, Qt::QueuedConnection);
    };
}

} // namespace

Composition::Composition(LinkSettings settings)
    : link_(radioPort_), SMeterDdeClientItem_(link_, std::string(contract::SMeterItem)),
      ModeDdeClientItem_(link_, std::string(contract::ModeItem)),
      FrequencyDdeClientItem_(link_, std::string(contract::FrequencyItem)),
      radio_(std::make_unique<RadioSetup>(link_, radioPort_, std::move(settings))),
      reconnect_(std::make_unique<Reconnector>(link_, radioPort_,
                                               radio_->Settings().timings.link.exchange,
                                               radio_->Settings().reconnectPeriod)),
      receiver_(link_, radioPort_, FrequencyDdeClientItem_, ModeDdeClientItem_,
                SMeterDdeClientItem_, radio_.get(), reconnect_.get()),
      reports_(ReportFilePath(), BoxLater(guiEvents_)),
      history_(HistoryPath(), BoxLater(guiEvents_),
               [this](const Measurement& stored, long long id) {
                   QMetaObject::invokeMethod(
                       &guiEvents_,
                       [this, stored, id] {
                           if (historyWindow_)
                               historyWindow_->MeasurementStored(stored, id);
                       },
                       Qt::QueuedConnection);
               }),
      command_(BoxLater(guiEvents_)),
      watch_(std::make_unique<WatchOptions>(reports_, notifier_, command_)),
      window_(std::make_unique<TSkedulaForm>()) {
    engine_ = std::make_unique<WatchEngine>(
        WatchEngine::Ports{clock_, timer_, receiver_, player_, *window_, *window_});
    recorder_ = std::make_unique<Recorder>(&PulseCapture::Make, BoxLater(guiEvents_));
    recording_ = std::make_unique<RecordingSetup>(*recorder_);
    // The recorder names a report's recording before the others hear of the report; the
    // command runs after the report file's line is written.
    engine_->Listen(*recorder_);
    engine_->Listen(reports_);
    engine_->Listen(history_);
    engine_->Listen(notifier_);
    engine_->Listen(command_);
    watch_->AttachHistory(history_);
    // A database another program wrote gets its indexes now, away from the start and the watch.
    if (history_.enabled())
        history_.BuildIndexes();
    ConnectLinkEvents();
    window_->attach(*engine_, receiver_);
    timer_.onTick = [this] { engine_->TimerTimer(); };

    about_ = std::make_unique<TAboutForm>();
    window_->setAboutForm(about_.get());

    TSkedulaForm* window = window_.get();
    radio_->ShowToolTip = [window](const std::string& text) {
        window->StatusLabel->setToolTip(QString::fromStdString(text));
    };
    radio_->WatchRunning = [this] { return timer_.interval() != 0; };
    radio_->UpdateToolTip();
    window_->setRadioSetup([this] { radio_->OpenDialog(window_.get()); });
    window_->setRecordingSetup([this] { recording_->OpenDialog(window_.get()); });
    window_->setHistoryWindow([this] { ShowHistory(); });
    watch_->SaveListAs = [window] { return window->SaveListAs(); };
    // The watch's times as the settings have them from the start; a change from the menu
    // counts from the next minute, and the read-out's caption follows the clock.
    clock_.setUtc(watch_->Utc());
    window->showClockZone(clock_.utc());
    clock_.onZoneChange = [window](bool utc) { window->showClockZone(utc); };
    watch_->UseUtc = [this](bool utc) { clock_.setUtc(utc); };
    window_->setWatchOptions(watch_.get());
    reconnect_->Wanted = [this] { return watch_->Reconnect(); };
    reconnect_->Tried = [this](bool opened) { radio_->AfterOpen(opened); };
    window_->setReportCommandSetup([this] { watch_->EditReportCommand(window_.get(), clock_); });
}

Composition::~Composition() {
    timer_.setInterval(0);
    timer_.onTick = nullptr;
    history_.Finish();
    about_.reset();
    radio_->ShowToolTip = nullptr;
    watch_->SaveListAs = nullptr;
    watch_->UseUtc = nullptr;
    clock_.onZoneChange = nullptr;
    reconnect_->Wanted = nullptr;
    reconnect_->Tried = nullptr;
    window_.reset();
    DisconnectLinkEvents();
    engine_.reset();
    recording_.reset();
    recorder_.reset();
}

void Composition::showMainWindow() {
    window_->show();
    // From the event loop, so that the box has the shown window to stand on.
    for (const std::optional<std::string>& report :
         {radio_->ProblemReport(), watch_->ProblemReport(), recording_->ProblemReport()})
        if (report)
            QTimer::singleShot(0, window_.get(), [text = *report] { ReportError(text); });
}

void Composition::followStartRequest(const StartRequest& request) {
    // Queued in this order, so Start comes after the list; an error box opened by the load
    // runs a loop of its own, in which Start is pressed all the same.
    if (request.listFile)
        QTimer::singleShot(0, window_.get(), [this, path = *request.listFile] {
            LoadNamedList(engine_->ListeSG, path);
            watch_->ListFileUsed(path);
        });
    if (request.start)
        QTimer::singleShot(0, window_.get(), [this] { window_->StartBtn->click(); });
}

void Composition::ShowHistory() {
    // A child of the main window: it goes with it, and does not keep the program running.
    if (!historyWindow_)
        historyWindow_ = new HistoryWindow(history_.path(), &history_, window_.get());
    historyWindow_->Open();
}

void Composition::ConnectLinkEvents() {
    TSkedulaForm* window = window_.get();
    link_.OnOpen = [window] { window->DdeClientConvOpen(); };
    link_.OnClose = [window] { window->DdeClientConvClose(); };
    FrequencyDdeClientItem_.OnChange = [window] { window->FrequencyDdeClientItemChange(); };
    ModeDdeClientItem_.OnChange = [window] { window->ModeDdeClientItemChange(); };
    SMeterDdeClientItem_.OnChange = [window] { window->SMeterDdeClientItemChange(); };
}

void Composition::DisconnectLinkEvents() {
    link_.OnOpen = nullptr;
    link_.OnClose = nullptr;
    FrequencyDdeClientItem_.OnChange = nullptr;
    ModeDdeClientItem_.OnChange = nullptr;
    SMeterDdeClientItem_.OnChange = nullptr;
}

} // namespace skedula
