// The group [Watch] of the settings file: LastList, the list file last loaded or saved, which the
// autostart entry starts; ReportFile, whether reports also go into the report file; Notify,
// whether they show as desktop notifications; ReportCommand, the command that runs for each.
// Read by the watch options when the program starts; each key is set alone when its value
// changes.
#pragma once

#include "storage/IniDocument.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skedula {

inline constexpr std::string_view WatchGroup = "Watch";

struct WatchSettings {
    std::optional<std::string> lastList; // nothing: no list loaded or saved yet
    bool reportFile = true;
    bool notify = true;
    // As written, quotes included; split only where it runs. Empty: no command.
    std::string reportCommand;
    // One line per value that is not valid, naming key and value: "ReportFile=ja: ...".
    std::vector<std::string> problems;
};

// An empty value is a key not set. ReportFile and Notify take true, yes, on, 1 and false, no,
// off, 0 in any case; any other value is named and leaves it on. A ReportCommand that cannot be
// split is named, and kept as written so that the dialog shows it for mending.
WatchSettings ReadWatchSettings(const IniDocument& document);

// Each sets its one key; the document's other lines stay.
void WriteLastList(IniDocument& document, const std::string& path);
void WriteReportFile(IniDocument& document, bool on);
void WriteNotify(IniDocument& document, bool on);
void WriteReportCommand(IniDocument& document, const std::string& line);

} // namespace skedula
