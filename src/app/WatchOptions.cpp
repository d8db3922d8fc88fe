#include "app/WatchOptions.h"

#include "app/ExecLine.h"
#include "engine/Error.h"
#include "ui/CommandDialog.h"

#include <algorithm>
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
    problems_ = std::move(settings.problems);
    current_ = stored_ = settings;
    reports_.setEnabled(settings.reportFile);
    notifier_.setEnabled(settings.notify);
    command_.setLine(settings.reportCommand);
}

std::optional<std::string> WatchOptions::ProblemReport() const {
    if (problems_.empty())
        return std::nullopt;
    std::string text = "Die Einstellungen der Überwachung in " + file_.Path() + " sind ungültig:\n";
    for (const std::string& problem : problems_)
        text += "\n" + problem;
    // What each key that is not valid means until it is put right.
    const std::pair<const char*, const char*> meanings[] = {
        {"ReportFile=", "Berichte werden in die Datei geschrieben, bis das unter Optionen > "
                        "Berichte in Datei schreiben abgeschaltet ist."},
        {"History=", "Alle Messungen werden im Verlauf gespeichert, bis das unter Optionen > "
                     "Verlauf speichern abgeschaltet ist."},
        {"Notify=", "Meldungen erscheinen auf dem Bildschirm, bis das unter Optionen > Meldung "
                    "auf dem Bildschirm abgeschaltet ist."},
        {"UTC=", "Die Zeiten gelten in Ortszeit, bis das unter Optionen > Zeiten in UTC "
                 "eingeschaltet ist."},
        {"Reconnect=", "Die Verbindung wird nicht selbst wiederhergestellt, bis das unter "
                       "Optionen > Verbindung selbst wiederherstellen eingeschaltet ist."},
    };
    std::string meant;
    for (const auto& [key, meaning] : meanings)
        if (std::any_of(
                problems_.begin(), problems_.end(),
                [key = key](const std::string& problem) { return problem.starts_with(key); }))
            meant += std::string(meant.empty() ? "\n" : "\n\n") + meaning;
    return text + "\n" + meant;
}

void WatchOptions::ListFileUsed(const std::string& path) {
    // Absolute, since the entry and the next start read it from any folder; otherwise as
    // given: cleaning ".." away by the letters would name another file where the folder
    // before it is a symbolic link.
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(path, error).string();
    // A settings value is one line: a name with a line break cannot be kept.
    if (error || absolute.find_first_of("\r\n") != std::string::npos)
        return;
    const bool changed = absolute != lastList_;
    lastList_ = absolute;
    EachOf({[&] {
                if (changed)
                    FollowEntry();
            },
            [&] { Store(); }});
}

bool WatchOptions::StartAtLogin() const {
    return AutostartEntryOn(entryPath_);
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
    Switch(&WatchSettings::reportFile, on);
}

void WatchOptions::AttachHistory(HistoryWriter& history) {
    historyWriter_ = &history;
    historyWriter_->setEnabled(current_.history);
}

void WatchOptions::SetHistory(bool on) {
    if (historyWriter_ != nullptr)
        historyWriter_->setEnabled(on);
    Switch(&WatchSettings::history, on);
}

void WatchOptions::SetNotify(bool on) {
    notifier_.setEnabled(on);
    Switch(&WatchSettings::notify, on);
}

void WatchOptions::EditReportCommand(QWidget* parent, const Clock& clock) {
    CommandDialog dialog(command_.line(), parent);
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

void WatchOptions::SetUtc(bool on) {
    Switch(&WatchSettings::utc, on);
    if (UseUtc)
        UseUtc(on);
}

void WatchOptions::SetReconnect(bool on) {
    Switch(&WatchSettings::reconnect, on);
}

void WatchOptions::Switch(bool WatchSettings::*value, bool on) {
    current_.*value = on;
    Store();
}

void WatchOptions::Store() {
    const bool listChanged = lastList_ != storedLastList_;
    const auto changed = [&](const WatchSwitch& entry) {
        return current_.*entry.value != stored_.*entry.value;
    };
    if (!listChanged && std::none_of(WatchSwitches().begin(), WatchSwitches().end(), changed))
        return;
    file_.Update([&](IniDocument& document) {
        if (listChanged)
            WriteLastList(document, lastList_.value_or(""));
        for (const WatchSwitch& entry : WatchSwitches())
            if (changed(entry))
                WriteSwitch(document, entry.key, current_.*entry.value);
    });
    storedLastList_ = lastList_;
    stored_ = current_;
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

void WatchOptions::FollowEntry() const {
    if (!lastList_)
        return;
    // Also an entry the desktop switched off: it starts the right list once switched on there.
    try {
        FollowListInAutostartEntry(entryPath_, program_, *lastList_);
    } catch (const Error& e) {
        throw Error(entryPath_ + ": " + e.what());
    }
}

bool WatchOptions::ListIsThere() const {
    std::error_code error;
    return lastList_ && std::filesystem::is_regular_file(*lastList_, error);
}

} // namespace skedula
