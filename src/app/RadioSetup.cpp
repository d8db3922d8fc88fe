#include "app/RadioSetup.h"

#include "app/HamlibModels.h"
#include "app/RadioSettings.h"
#include "app/SerialPorts.h"
#include "engine/Error.h"
#include "ui/RadioDialog.h"

#include <QApplication>
#include <QCursor>

namespace skedula {

namespace {

std::string Joined(const std::vector<std::string>& lines, const std::string& separator) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : separator) + line;
    return text;
}

} // namespace

RadioSetup::RadioSetup(ReceiverLink& link, SwitchablePort& port, Options options, SettingsFile file)
    : link_(link), port_(port), options_(std::move(options)), file_(std::move(file)) {
    if (options_.radio) {
        choice_ = options_.radio;
        dialogChoice_ = *options_.radio;
        return;
    }
    try {
        RadioSettings settings = ReadRadioSettings(file_.Load());
        dialogChoice_ = settings.choice;
        problems_ = std::move(settings.problems);
    } catch (const Error& e) {
        problems_ = {e.what()};
    }
    // Settings that are not valid reach nothing rather than a radio the listener did not
    // choose: a simulated S-meter would raise alarms nobody can trust.
    if (problems_.empty())
        choice_ = dialogChoice_;
}

std::optional<std::string> RadioSetup::ProblemReport() const {
    if (problems_.empty())
        return std::nullopt;
    return "Die Funkgerät-Einstellungen in " + file_.Path() + " sind ungültig:\n\n" +
           Joined(problems_, "\n") +
           "\n\nBis sie unter Optionen > Funkgerät ... berichtigt sind, verbindet sich Skedula "
           "mit keinem Funkgerät.";
}

std::string RadioSetup::NextText() {
    if (!choice_)
        return "Ungültige Einstellungen: " + Joined(problems_, "; ");
    return Describe(UsedPart(*choice_), choice_->program == RadioProgram::Hamlib
                                            ? Models()
                                            : std::vector<HamlibModel>{});
}

std::string RadioSetup::ToolTip() {
    const std::string next = NextText();
    std::string text = inUseText_.empty() ? next : inUseText_;
    if (!lastFailure_.empty())
        text += "\nKeine Verbindung: " + lastFailure_;
    if (!inUseText_.empty() && next != inUseText_)
        text += "\nAb dem nächsten Start: " + next;
    return text;
}

void RadioSetup::UpdateToolTip() {
    if (ShowToolTip)
        ShowToolTip(ToolTip());
}

void RadioSetup::BeforeOpen() {
    // The link is closed: its backend may change now. A backend that goes ends the rigctld
    // it started, so a server for the old choice is never taken for the new one.
    // Only what the program uses counts: a value left from another program changes nothing.
    const std::optional<RadioChoice> used =
        choice_ ? std::optional<RadioChoice>(UsedPart(*choice_)) : std::nullopt;
    if (port_.Backend() == nullptr || used != inUse_) {
        port_.Replace(nullptr);
        port_.Replace(used ? MakeRadioBackend(*used, options_.timings)
                           : MakeNoRadio("Ungültige Einstellungen"));
        inUse_ = used;
    }
    inUseText_ = NextText();
    link_.SetServiceApplication(used ? ArgumentsFor(*used) : std::vector<std::string>{});
}

void RadioSetup::AfterOpen(bool opened) {
    lastFailure_ = opened || port_.Backend() == nullptr ? "" : port_.Backend()->FailureReason();
    UpdateToolTip();
}

std::vector<std::string> RadioSetup::ArgumentsFor(const RadioChoice& choice) const {
    std::vector<std::string> arguments = ServerArguments(choice);
    if (!arguments.empty())
        arguments.insert(arguments.end(), options_.extraServerArguments.begin(),
                         options_.extraServerArguments.end());
    return arguments;
}

RadioTestResult RadioSetup::Test(const RadioChoice& choice) {
    // Stopped, the link is closed; a rigctld its backend started may hold the port or the
    // radio's serial line that the test needs. The next Start makes the backend again.
    const bool running = WatchRunning && WatchRunning();
    if (!running)
        port_.Replace(nullptr);
    const RadioChoice used = UsedPart(choice);
    const bool ownServerRuns = running && port_.Backend() != nullptr &&
                               port_.Backend()->ServerRuns() && inUse_ &&
                               EndpointOf(*inUse_).port == EndpointOf(used).port;
    return TestRadio(used, ArgumentsFor(used), options_.timings, ownServerRuns);
}

void RadioSetup::Accept(const RadioChoice& choice) {
    file_.Update([&](IniDocument& document) { WriteRadioSettings(document, choice); });
    choice_ = choice;
    dialogChoice_ = choice;
    problems_.clear();
    UpdateToolTip();
}

const std::vector<HamlibModel>& RadioSetup::Models() {
    if (!models_)
        models_ = ListHamlibModels();
    return *models_;
}

void RadioSetup::OpenDialog(QWidget* parent) {
    RadioDialog dialog(dialogChoice_, Models(), SerialPorts(), parent);
    dialog.setWatchRunning(WatchRunning && WatchRunning());
    dialog.onTest = [this](const RadioChoice& choice) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const RadioTestResult result = Test(choice);
        QApplication::restoreOverrideCursor();
        return result.text;
    };
    dialog.onAccept = [this](const RadioChoice& choice) { Accept(choice); };
    dialog.exec();
}

} // namespace skedula
