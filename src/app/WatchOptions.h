// The options of an unattended watch: the list last loaded or saved ([Watch] LastList), the
// autostart entry that starts it at login, reports in the file ([Watch] ReportFile) and every
// measurement in the history ([Watch] History). Owned by the composition root; the main window's
// "Optionen" items and list file handlers forward here.
#pragma once

#include "app/WatchSettings.h"
#include "storage/AutostartEntry.h"
#include "storage/HistoryWriter.h"
#include "storage/ReportWriter.h"
#include "storage/SettingsFile.h"
#include "ui/WatchOptionsPort.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace skedula {

class WatchOptions final : public WatchOptionsPort {
public:
    // Reads [Watch] from the file and switches the report writer accordingly. The autostart
    // entry is the user's, and starts this same program.
    explicit WatchOptions(ReportWriter& reports, SettingsFile file = SettingsFile());
    WatchOptions(const WatchOptions&) = delete;
    WatchOptions& operator=(const WatchOptions&) = delete;

    // Set by the composition: "Speichern ..." as the user runs it, the save dialog and the save;
    // the chosen path, or nothing when the dialog was cancelled. Start at login asks for a list
    // with it when there is none to start.
    std::function<std::optional<std::string>()> SaveListAs;

    // Switches the history writer as [Watch] History says; from now on it follows the option.
    void AttachHistory(HistoryWriter& history);

    // The box text for [Watch] values that are not valid; nothing when they are valid.
    std::optional<std::string> ProblemReport() const;
    const std::optional<std::string>& LastList() const { return lastList_; }

    // Each throws Error naming the file it could not write; what was switched stays switched.
    void ListFileUsed(const std::string& path) override;
    bool StartAtLogin() const override;
    void SetStartAtLogin(bool on) override;
    bool ReportFile() const override { return reports_.enabled(); }
    void SetReportFile(bool on) override;
    bool History() const override { return history_; }
    void SetHistory(bool on) override;

private:
    // Writes what differs from the file; throws Error naming it.
    void Store();
    void WriteEntry() const;
    bool ListIsThere() const;

    ReportWriter& reports_;
    SettingsFile file_;
    std::string entryPath_ = AutostartEntryPath();
    std::string program_ = ThisProgram();
    std::optional<std::string> lastList_;
    std::vector<std::string> problems_;
    // The values as the settings file holds them, so that only a change is written.
    std::optional<std::string> storedLastList_;
    bool storedReportFile_ = true;
    bool history_ = true;
    HistoryWriter* historyWriter_ = nullptr;
    bool storedHistory_ = true;
};

} // namespace skedula
