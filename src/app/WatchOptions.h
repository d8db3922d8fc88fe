// The options of an unattended watch: the list last loaded or saved ([Watch] LastList), the
// autostart entry that starts it at login, the command for each report ([Watch] ReportCommand)
// and the switches of [Watch]: reports in the file, every measurement in the history, reports as
// desktop notifications, reconnecting by
// itself (which the reconnector asks), times in UTC. Owned by the composition root; the main
// window's "Optionen" items and list file handlers forward here.
#pragma once

#include "app/DesktopNotifier.h"
#include "app/ReportCommand.h"
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

class QWidget;

namespace skedula {

class WatchOptions final : public WatchOptionsPort {
public:
    // Reads [Watch] from the file and switches the report writer, the notifier and the report
    // command accordingly. The autostart entry is the user's, and starts this same program.
    WatchOptions(ReportWriter& reports, DesktopNotifier& notifier, ReportCommand& command,
                 SettingsFile file = SettingsFile());
    WatchOptions(const WatchOptions&) = delete;
    WatchOptions& operator=(const WatchOptions&) = delete;

    // Set by the composition: "Speichern ..." as the user runs it, the save dialog and the save;
    // the chosen path, or nothing when the dialog was cancelled. Start at login asks for a list
    // with it when there is none to start.
    std::function<std::optional<std::string>()> SaveListAs;

    // Switches the history writer as [Watch] History says; from now on it follows the option.
    void AttachHistory(HistoryWriter& history);
    // Set by the composition: switches the watch's clock between local time and UTC. Utc()
    // holds the setting from the start; this tells of every change.
    std::function<void(bool utc)> UseUtc;

    // The box text for [Watch] values that are not valid; nothing when they are valid.
    std::optional<std::string> ProblemReport() const;
    const std::optional<std::string>& LastList() const { return lastList_; }

    // Each throws Error naming the file it could not write; what was switched stays switched.
    void ListFileUsed(const std::string& path) override;
    bool StartAtLogin() const override;
    void SetStartAtLogin(bool on) override;
    bool ReportFile() const override { return current_.reportFile; }
    void SetReportFile(bool on) override;
    bool History() const override { return current_.history; }
    void SetHistory(bool on) override;
    bool Notify() const override { return current_.notify; }
    void SetNotify(bool on) override;
    bool Utc() const override { return current_.utc; }
    void SetUtc(bool on) override;
    bool Reconnect() const override { return current_.reconnect; }
    void SetReconnect(bool on) override;

    // The dialog "Befehl bei Meldung", modal; OK keeps its line. clock gives the example's time.
    void EditReportCommand(QWidget* parent, const Clock& clock);
    // OK: a line that cannot be split throws Error naming the fault and changes nothing; else
    // it is written to the settings file exactly as typed (Error naming the file, nothing
    // changed, when it cannot be), then runs for the reports that follow.
    void SetReportCommand(const std::string& line);

private:
    // Sets a switch and writes it; throws Error naming the file, the switch staying set.
    void Switch(bool WatchSettings::*value, bool on);
    // Writes what differs from the file; throws Error naming it.
    void Store();
    void WriteEntry() const;
    void FollowEntry() const;
    bool ListIsThere() const;

    ReportWriter& reports_;
    DesktopNotifier& notifier_;
    ReportCommand& command_;
    HistoryWriter* historyWriter_ = nullptr;
    SettingsFile file_;
    std::string entryPath_ = AutostartEntryPath();
    std::string program_ = ThisProgram();
    std::optional<std::string> lastList_;
    std::vector<std::string> problems_;
    // The switches as they are, and as the settings file holds them, so that only a change is
    // written.
    WatchSettings current_;
    WatchSettings stored_;
    std::optional<std::string> storedLastList_;
};

} // namespace skedula
