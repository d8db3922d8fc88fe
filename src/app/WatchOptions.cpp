#include "app/WatchOptions.h"

#include "app/ExecLine.h"
#include "engine/Error.h"
#include "engine/SystemClock.h"
#include "ui/CommandDialog.h"

#include <filesystem>
#include <initializer_list>

namespace skedula {

namespace {

// Runs every step, also after one has failed, and throws the failures together: the entry
// should follow the list even when the settings file cannot be written, and the other way round.
void EachOf(std::initializer_list<std::function<void()>> steps) {
    std::string failures;
    for (const std::function<void()>& step : steps) {
        try {
            step();
        } catch (const Error& e) {
            failures += (failures.empty() ? "" : "\n") + std::string(e.what());
        }
    }
    if (!failures.empty())
        throw Error(failures);
}

} // namespace

WatchOptions::WatchOptions(ReportWriter& reports, DesktopNotifier& notifier, ReportCommand& command,
                           SettingsFile file)
    : reports_(reports), notifier_(notifier), command_(command), file_(std::move(file)) {
    WatchSettings settings;
    try {
        settings = ReadWatchSettings(file_.Load());
    } catch (const Error&) {
        // A file that cannot be read is named by the radio setup, which reads it too; the
        // watch keeps its defaults.
    }
    lastList_ = storedLastList_ = settings.lastList;
    storedReportFile_ = settings.reportFile;
    problems_ = std::move(settings.problems);
    reports_.setEnabled(settings.reportFile);
    storedNotify_ = settings.notify;
    notifier_.setEnabled(settings.notify);
    command_.setLine(settings.reportCommand);
}

std::optional<std::string> WatchOptions::ProblemReport() const {
    if (problems_.empty())
        return std::nullopt;
    std::string text = "Die Einstellungen der Überwachung in " + file_.Path() + " sind ungültig:\n";
    bool reportFile = false;
    for (const std::string& problem : problems_) {
        text += "\n" + problem;
        reportFile = reportFile || problem.starts_with("ReportFile=");
    }
    if (!reportFile)
        return text;
    return text + "\n\nBerichte werden in die Datei geschrieben, bis das unter Optionen > "
                  "Berichte in Datei schreiben abgeschaltet ist.";
}

void WatchOptions::ListFileUsed(const std::string& path) {
    // Absolute, since the entry and the next start read it from any folder.
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
    // A settings value is one line: a name with a line break cannot be kept.
    if (error || absolute.find_first_of("\r\n") != std::string::npos)
        return;
    const bool changed = absolute != lastList_;
    lastList_ = absolute;
    EachOf({[&] {
                if (changed && StartAtLogin())
                    WriteEntry();
            },
            [&] { Store(); }});
}

bool WatchOptions::StartAtLogin() const {
    return AutostartEntryExists(entryPath_);
}

void WatchOptions::SetStartAtLogin(bool on) {
    if (!on) {
        try {
            RemoveAutostartEntry(entryPath_);
        } catch (const Error& e) {
            throw Error(entryPath_ + ": " + e.what());
        }
        return;
    }
    // An entry for a list that is not there would start an empty watch at every login.
    if (ListIsThere()) {
        WriteEntry();
        return;
    }
    const std::optional<std::string> saved = SaveListAs ? SaveListAs() : std::nullopt;
    if (!saved)
        return; // cancelled: nothing is switched on
    EachOf({[&] { ListFileUsed(*saved); },
            [&] {
                if (ListIsThere()) // not when the name could not be kept
                    WriteEntry();
            }});
}

void WatchOptions::SetReportFile(bool on) {
    reports_.setEnabled(on);
    Store();
}

void WatchOptions::SetNotify(bool on) {
    notifier_.setEnabled(on);
    Store();
}

void WatchOptions::EditReportCommand(QWidget* parent) {
    CommandDialog dialog(command_.line(), parent);
    const SystemClock clock;
    dialog.onTest = [this, &clock](const std::string& line, CommandDialog::ShowResult show) {
        command_.Test(line, clock, std::move(show));
    };
    dialog.onAccept = [this](const std::string& line) { SetReportCommand(line); };
    dialog.exec();
}

void WatchOptions::SetReportCommand(const std::string& line) {
    try {
        CommandArguments(line);
    } catch (const Error& e) {
        throw Error("Befehl bei Meldung: " + std::string(e.what()));
    }
    if (line != command_.line())
        file_.Update([&](IniDocument& document) { WriteReportCommand(document, line); });
    command_.setLine(line);
}

void WatchOptions::Store() {
    const bool listChanged = lastList_ != storedLastList_;
    const bool reportChanged = ReportFile() != storedReportFile_;
    const bool notifyChanged = Notify() != storedNotify_;
    if (!listChanged && !reportChanged && !notifyChanged)
        return;
    file_.Update([&](IniDocument& document) {
        if (listChanged)
            WriteLastList(document, lastList_.value_or(""));
        if (reportChanged)
            WriteReportFile(document, ReportFile());
        if (notifyChanged)
            WriteNotify(document, Notify());
    });
    storedLastList_ = lastList_;
    storedReportFile_ = ReportFile();
    storedNotify_ = Notify();
}

void WatchOptions::WriteEntry() const {
    if (!lastList_)
        return;
    try {
        WriteAutostartEntry(entryPath_, program_, *lastList_);
    } catch (const Error& e) {
        throw Error(entryPath_ + ": " + e.what());
    }
}

bool WatchOptions::ListIsThere() const {
    std::error_code error;
    return lastList_ && std::filesystem::is_regular_file(*lastList_, error);
}

} // namespace skedula
