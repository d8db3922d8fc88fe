#include "app/Composition.h"

#include "app/ReportError.h"
#include "link/RadioContract.h"
#include "storage/HistoryStore.h"
#include "storage/ListFile.h"
#include "storage/ReportFile.h"

#include <QMetaObject>
#include <QTimer>

namespace skedula {

Composition::Composition(LinkSettings settings)
    : link_(radioPort_), SMeterDdeClientItem_(link_, std::string(contract::SMeterItem)),
      ModeDdeClientItem_(link_, std::string(contract::ModeItem)),
      FrequencyDdeClientItem_(link_, std::string(contract::FrequencyItem)),
      radio_(std::make_unique<RadioSetup>(link_, radioPort_, std::move(settings))),
      receiver_(link_, radioPort_, FrequencyDdeClientItem_, ModeDdeClientItem_,
                SMeterDdeClientItem_, radio_.get()),
      reports_(ReportFilePath(),
               // Told after the tick has returned: a box inside it would hold the step timer.
               [this](const std::string& message) {
                   QTimer::singleShot(0, window_.get(), [message] { ReportError(message); });
               }),
      history_(
          HistoryPath(),
          // From the writer's thread to the GUI thread, where the box waits for the loop.
          [this](const std::string& message) {
              QMetaObject::invokeMethod(
                  &historyEvents_, [message] { ReportError(message); }, Qt::QueuedConnection);
          },
          [this](const Measurement& stored, long long id) {
              QMetaObject::invokeMethod(
                  &historyEvents_,
                  [this, stored, id] {
                      if (historyWindow_)
                          historyWindow_->MeasurementStored(stored, id);
                  },
                  Qt::QueuedConnection);
          }),
      watch_(std::make_unique<WatchOptions>(reports_)), window_(std::make_unique<TSkedulaForm>()) {
    engine_ = std::make_unique<WatchEngine>(
        WatchEngine::Ports{clock_, timer_, receiver_, player_, *window_, *window_});
    engine_->Listen(reports_);
    engine_->Listen(history_);
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
    window_->setHistoryWindow([this] { ShowHistory(); });
    watch_->SaveListAs = [window] { return window->SaveListAs(); };
    window_->setWatchOptions(watch_.get());
}

Composition::~Composition() {
    timer_.setInterval(0);
    timer_.onTick = nullptr;
    history_.Finish();
    about_.reset();
    radio_->ShowToolTip = nullptr;
    watch_->SaveListAs = nullptr;
    window_.reset();
    DisconnectLinkEvents();
    engine_.reset();
}

void Composition::showMainWindow() {
    window_->show();
    // From the event loop, so that the box has the shown window to stand on.
    for (const std::optional<std::string>& report :
         {radio_->ProblemReport(), watch_->ProblemReport()})
        if (report)
            QTimer::singleShot(0, window_.get(), [text = *report] { ReportError(text); });
}

void Composition::followStartRequest(const StartRequest& request) {
    // Queued in this order, so Start comes after the list; an error box opened by the load
    // runs a loop of its own, in which Start is pressed all the same.
    if (request.listFile)
        QTimer::singleShot(0, window_.get(), [this, path = *request.listFile] {
            LoadList(engine_->ListeSG, path);
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
