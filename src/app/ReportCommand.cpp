#include "app/ReportCommand.h"

#include "app/ExecLine.h"
#include "engine/Error.h"
#include "engine/Utf8.h"

#include <cerrno>

namespace skedula {

namespace {

std::string StartFailure(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "Programm nicht gefunden";
    case EACCES:
    case EPERM:
        return "keine Berechtigung, es auszuführen";
    case ENOEXEC:
        return "keine ausführbare Datei";
    case E2BIG:
        return "Argumente zu lang";
    case EMFILE:
    case ENFILE:
        return "zu viele geöffnete Dateien";
    case ENOMEM:
    case EAGAIN:
        return "nicht genügend Speicher oder Prozesse";
    default:
        return "Fehler " + std::to_string(error);
    }
}

std::string Seconds(std::chrono::milliseconds time) {
    const auto ms = time.count();
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0)
        text += "," + std::to_string(ms % 1000 / 100);
    return text + " s";
}

} // namespace

std::string OutcomeText(const CommandOutcome& outcome, std::chrono::milliseconds runTime) {
    using End = CommandOutcome::End;
    std::string text;
    switch (outcome.end) {
    case End::Succeeded:
        text = "Der Befehl bei Meldung ist gelaufen (Exit-Code 0).";
        break;
    case End::NotStarted:
        text = "Der Befehl bei Meldung konnte nicht gestartet werden.";
        break;
    case End::Failed:
        text = "Der Befehl bei Meldung ist fehlgeschlagen.";
        break;
    case End::Signalled:
        text = "Der Befehl bei Meldung wurde durch Signal " + std::to_string(outcome.code) +
               " beendet.";
        break;
    case End::TimedOut:
        text = "Der Befehl bei Meldung lief länger als " + Seconds(runTime) + " und wurde beendet.";
        break;
    }
    text += "\nProgramm: " + Utf8OrWindows1252(outcome.program);
    if (outcome.end == End::NotStarted)
        text += "\nGrund: " + StartFailure(outcome.code);
    if (outcome.end == End::Failed)
        text += "\nExit-Code: " + std::to_string(outcome.code);
    if (!outcome.lastErrorLine.empty())
        text += "\nLetzte Fehlerausgabe: " + Utf8OrWindows1252(outcome.lastErrorLine);
    return text;
}

Measurement ExampleReport(const Clock& clock) {
    Measurement m;
    m.time = clock.isoTimeText();
    m.frequency = m.radioFrequency = "7100000";
    m.mode = m.radioMode = "AM";
    m.alarm = "alarm.wav";
    m.threshold = 5;
    m.samples = {Sample{7, -12.0}, Sample{7, -12.0}, Sample{7, -12.0}};
    m.reported = true;
    m.reportLines = {"", clock.timeText(), "7100000 AM", "S7 >= S5", "S7 >= S5", "S7 >= S5"};
    return m;
}

ReportCommand::ReportCommand(ErrorSink onError, CommandLimits limits)
    : onError_(std::move(onError)), runner_(limits) {}

void ReportCommand::setLine(const std::string& line) {
    line_ = line;
    try {
        arguments_ = CommandArguments(line);
    } catch (const Error&) {
        arguments_.reset(); // named when the settings are read, and by the dialog
    }
    failing_ = false;
}

void ReportCommand::EntryMeasured(const Measurement& measurement) {
    if (!measurement.reported || !arguments_)
        return;
    runner_.Run({*arguments_, ReportVariables(measurement), ReportInput(measurement)},
                [this](const CommandOutcome& outcome) { Told(outcome); });
}

void ReportCommand::Told(const CommandOutcome& outcome) {
    if (outcome.end == CommandOutcome::End::Succeeded) {
        failing_ = false;
        return;
    }
    if (failing_)
        return;
    failing_ = true;
    if (onError_)
        onError_(OutcomeText(outcome, runner_.limits().runTime) +
                 "\n\nDie Überwachung läuft weiter. Weitere Fehler des Befehls werden erst nach "
                 "einem erfolgreichen Lauf wieder gemeldet.");
}

void ReportCommand::Test(const std::string& line, const Clock& clock,
                         std::function<void(const std::string& result)> done) {
    const std::optional<std::vector<std::string>> arguments = CommandArguments(line);
    if (!arguments)
        throw Error("Es ist kein Befehl eingetragen.");
    const Measurement example = ExampleReport(clock);
    runner_.Run({*arguments, ReportVariables(example), ReportInput(example)},
                [this, done = std::move(done)](const CommandOutcome& outcome) {
                    if (done)
                        done(OutcomeText(outcome, runner_.limits().runTime));
                });
}

} // namespace skedula
