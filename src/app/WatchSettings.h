// The group [Watch] of the settings file: LastList, the list file last loaded or saved, which the
// autostart entry starts; ReportCommand, the command that runs for each report; and the watch's
// switches: ReportFile (reports also go into the report file), History (every measurement goes
// into the history database), Notify (reports show as desktop notifications), Reconnect (the link
// is opened again by itself) and UTC (the watch keeps its times in UTC). Read by the watch options
// when the program starts; each key is set alone when its value changes.
#pragma once

#include "storage/IniDocument.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace skedula {

inline constexpr std::string_view WatchGroup = "Watch";

struct WatchSettings {
    std::optional<std::string> lastList; // nothing: no list loaded or saved yet
    bool reportFile = true;
    bool history = true;
    bool notify = true;
    bool reconnect = false;
    bool utc = false; // off when absent: local time, as without a settings file
    // As written, quotes included; split only where it runs. Empty: no command.
    std::string reportCommand;
    // One line per value that is not valid, naming key and value: "ReportFile=ja: ...".
    std::vector<std::string> problems;
};

// A switch of [Watch]: its key and where its value is kept. Absent or empty, the key leaves
// the value the settings start with.
struct WatchSwitch {
    std::string_view key;
    bool WatchSettings::*value;
};
std::span<const WatchSwitch> WatchSwitches();

// An empty value is a key not set. A switch takes true, yes, on, 1 and false, no, off, 0 in
// any case; any other value is named and leaves the switch as it is without the key. A
// ReportCommand that cannot be split is named, and kept as written so that the dialog shows it
// for mending.
WatchSettings ReadWatchSettings(const IniDocument& document);

// Each sets its one key; the document's other lines stay.
void WriteLastList(IniDocument& document, const std::string& path);
void WriteSwitch(IniDocument& document, std::string_view key, bool on);
void WriteReportCommand(IniDocument& document, const std::string& line);

} // namespace skedula
