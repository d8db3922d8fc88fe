#include "app/WatchOptions.h"

#include "engine/Error.h"

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

WatchOptions::WatchOptions(ReportWriter& reports, SettingsFile file)
    : reports_(reports), file_(std::move(file)) {
    WatchSettings settings;
    try {
        settings = ReadWatchSettings(file_.Load());
    } catch (const Error&) {
        // A file that cannot be read is named by the radio setup, which reads it too; the
        // watch keeps its defaults.
    }
    lastList_ = storedLastList_ = settings.lastList;
    storedReportFile_ = settings.reportFile;
    history_ = storedHistory_ = settings.history;
    problems_ = std::move(settings.problems);
    reports_.setEnabled(settings.reportFile);
}

std::optional<std::string> WatchOptions::ProblemReport() const {
    if (problems_.empty())
        return std::nullopt;
    std::string text = "Die Einstellungen der Überwachung in " + file_.Path() + " sind ungültig:\n";
    for (const std::string& problem : problems_)
        text += "\n" + problem;
    // What a value that is not valid leaves on, for each key that has one.
    const auto named = [&](const std::string& key) {
        return std::any_of(problems_.begin(), problems_.end(),
                           [&](const std::string& p) { return p.starts_with(key + "="); });
    };
    if (named("ReportFile"))
        text += "\n\nBerichte werden in die Datei geschrieben, bis das unter Optionen > "
                "Berichte in Datei schreiben abgeschaltet ist.";
    if (named("History"))
        text += "\n\nAlle Messungen werden im Verlauf gespeichert, bis das unter Optionen > "
                "Verlauf speichern abgeschaltet ist.";
    return text;
}

void WatchOptions::AttachHistory(HistoryWriter& history) {
    historyWriter_ = &history;
    historyWriter_->setEnabled(history_);
}

void WatchOptions::SetHistory(bool on) {
    history_ = on;
    if (historyWriter_ != nullptr)
        historyWriter_->setEnabled(on);
    Store();
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

void WatchOptions::Store() {
    const bool listChanged = lastList_ != storedLastList_;
    const bool reportChanged = ReportFile() != storedReportFile_;
    const bool historyChanged = History() != storedHistory_;
    if (!listChanged && !reportChanged && !historyChanged)
        return;
    file_.Update([&](IniDocument& document) {
        if (listChanged)
            WriteLastList(document, lastList_.value_or(""));
        if (reportChanged)
            WriteReportFile(document, ReportFile());
        if (historyChanged)
            WriteHistory(document, History());
    });
    storedLastList_ = lastList_;
    storedReportFile_ = ReportFile();
    storedHistory_ = History();
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
