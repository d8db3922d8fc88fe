#include "ui/Skedula.h"

#include "engine/WatchEngine.h"
#include "storage/ListFile.h"
#include "ui/CellText.h"
#include "ui/FormDesign.h"

#include <QScrollBar>
#include <QTextCursor>

namespace skedula {

namespace {

QString Shown(const std::string& bytes) {
    return QString::fromStdString(DisplayText(bytes));
}

} // namespace

// Shows the options' checks as they are when a handler ends, also when it ends by an error.
class TSkedulaForm::OptionChecksAfter {
public:
    explicit OptionChecksAfter(TSkedulaForm& form) : form_(form) {}
    ~OptionChecksAfter() { form_.ShowOptionChecks(); }
    OptionChecksAfter(const OptionChecksAfter&) = delete;
    OptionChecksAfter& operator=(const OptionChecksAfter&) = delete;

private:
    TSkedulaForm& form_;
};

TSkedulaForm::~TSkedulaForm() {
    FormDestroy();
}

void TSkedulaForm::attach(WatchEngine& engine, ReceiverPort& link) {
    engine_ = &engine;
    link_ = &link;
    ListeSG->setCells(engine.ListeSG);
    SchlangeSG->setCells(engine.SchlangeSG);
    engine.FormCreate();
}

void TSkedulaForm::FormDestroy() {
    // Only an open link is closed; its close notice still reaches the status field.
    if (link_ != nullptr && statusColour() == ConnectedColour)
        link_->CloseConversation();
}

void TSkedulaForm::StartBtnClick() {
    engine_->StartBtnClick();
}

void TSkedulaForm::StopBtnClick() {
    engine_->StopBtnClick();
}

void TSkedulaForm::DdeClientConvOpen() {
    setStatus("connected", ConnectedColour);
}

void TSkedulaForm::DdeClientConvClose() {
    setStatus("disconnected", DisconnectedColour);
}

void TSkedulaForm::FrequencyDdeClientItemChange() {
    SetAutoSizeText(FrequencyLabel, Shown(link_->frequencyText()));
}

void TSkedulaForm::ModeDdeClientItemChange() {
    SetAutoSizeText(ModeLabel, Shown(link_->modeText()));
}

void TSkedulaForm::SMeterDdeClientItemChange() {
    SetAutoSizeText(SMeterLabel, Shown(link_->sMeterText()));
}

void TSkedulaForm::setWatchOptions(WatchOptionsPort* options) {
    watchOptions_ = options;
    ShowOptionChecks();
}

void TSkedulaForm::Laden1Click() {
    const std::optional<std::string> path = OpenDialog->Execute();
    if (!path)
        return;
    LoadList(engine_->ListeSG, *path);
    if (watchOptions_ != nullptr)
        watchOptions_->ListFileUsed(*path);
}

void TSkedulaForm::Speicherm1Click() {
    const std::optional<std::string> path = SaveListAs();
    if (path && watchOptions_ != nullptr)
        watchOptions_->ListFileUsed(*path);
}

std::optional<std::string> TSkedulaForm::SaveListAs() {
    std::optional<std::string> path = SaveDialog->Execute();
    if (path)
        SaveList(engine_->ListeSG, *path);
    return path;
}

void TSkedulaForm::Beenden1Click() {
    close();
}

void TSkedulaForm::Funkgeraet1Click() {
    if (radioSetup_)
        radioSetup_();
}

void TSkedulaForm::Aufnahme1Click() {
    if (recordingSetup_)
        recordingSetup_();
}

void TSkedulaForm::BefehlbeiMeldung1Click() {
    if (reportCommandSetup_)
        reportCommandSetup_();
}

void TSkedulaForm::Optionen1Click() {
    // The user may have removed the autostart entry by hand since the menu last showed.
    ShowOptionChecks();
}

// The item has already toggled its check, which is what the user asks for. Whatever the
// option then does (a cancelled dialog, a failure told in a box), the check shows the outcome.
void TSkedulaForm::BeimAnmeldenstarten1Click() {
    const OptionChecksAfter checks(*this);
    if (watchOptions_ != nullptr)
        watchOptions_->SetStartAtLogin(BeimAnmeldenstarten1->isChecked());
}

void TSkedulaForm::BerichteinDateischreiben1Click() {
    const OptionChecksAfter checks(*this);
    if (watchOptions_ != nullptr)
        watchOptions_->SetReportFile(BerichteinDateischreiben1->isChecked());
}

void TSkedulaForm::Verlaufspeichern1Click() {
    const OptionChecksAfter checks(*this);
    if (watchOptions_ != nullptr)
        watchOptions_->SetHistory(Verlaufspeichern1->isChecked());
}

void TSkedulaForm::Verlaufanzeigen1Click() {
    if (historyWindow_)
        historyWindow_();
}

void TSkedulaForm::MeldungaufdemBildschirm1Click() {
    const OptionChecksAfter checks(*this);
    if (watchOptions_ != nullptr)
        watchOptions_->SetNotify(MeldungaufdemBildschirm1->isChecked());
}

void TSkedulaForm::ZeiteninUTC1Click() {
    const OptionChecksAfter checks(*this);
    if (watchOptions_ != nullptr)
        watchOptions_->SetUtc(ZeiteninUTC1->isChecked());
}

void TSkedulaForm::Verbindungselbstwiederherstellen1Click() {
    const OptionChecksAfter checks(*this);
    if (watchOptions_ != nullptr)
        watchOptions_->SetReconnect(Verbindungselbstwiederherstellen1->isChecked());
}

void TSkedulaForm::ShowOptionChecks() {
    if (watchOptions_ == nullptr)
        return;
    BeimAnmeldenstarten1->setChecked(watchOptions_->StartAtLogin());
    BerichteinDateischreiben1->setChecked(watchOptions_->ReportFile());
    Verlaufspeichern1->setChecked(watchOptions_->History());
    MeldungaufdemBildschirm1->setChecked(watchOptions_->Notify());
    ZeiteninUTC1->setChecked(watchOptions_->Utc());
    Verbindungselbstwiederherstellen1->setChecked(watchOptions_->Reconnect());
}

void TSkedulaForm::Info1Click() {
    if (aboutForm_ != nullptr)
        aboutForm_->exec();
}

QColor TSkedulaForm::statusColour() const {
    return StatusLabel->palette().color(QPalette::Window);
}

void TSkedulaForm::showRunning(bool running) {
    StartBtn->setEnabled(!running);
    StopBtn->setEnabled(running);
}

void TSkedulaForm::showListEditing(bool editable) {
    ListeSG->setEditing(editable);
}

void TSkedulaForm::showMinute(const std::string& minuteText) {
    SetAutoSizeText(ZeitLabel, Shown(minuteText));
}

void TSkedulaForm::showClockZone(bool utc) {
    SetAutoSizeText(Label6, utc ? "Zeit (UTC)" : "Zeit");
}

void TSkedulaForm::selectQueueRow(int row) {
    SchlangeSG->selectGridRow(row);
}

void TSkedulaForm::appendLine(const std::string& line) {
    QScrollBar* bar = Memo->verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    QTextCursor end(Memo->document());
    end.movePosition(QTextCursor::End);
    // An empty log still holds one empty block, which takes the first line, even an empty
    // one; every later line gets a block of its own.
    if (memoHasLines_)
        end.insertBlock();
    end.insertText(Shown(line));
    memoHasLines_ = true;
    if (atBottom)
        bar->setValue(bar->maximum());
}

} // namespace skedula
