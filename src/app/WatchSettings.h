// The group [Watch] of the settings file: LastList, the list file last loaded or saved, which the
// autostart entry starts; ReportFile, whether reports also go into the report file; History,
// whether every measurement goes into the history database. Read by the watch options when the
// program starts; each key is set alone when its value changes.
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
    bool history = true;
    // One line per value that is not valid, naming key and value: "ReportFile=ja: ...".
    std::vector<std::string> problems;
};

// An empty value is a key not set. ReportFile and History take true, yes, on, 1 and false, no,
// off, 0 in any case; any other value is named and leaves the option on.
WatchSettings ReadWatchSettings(const IniDocument& document);

// Each sets its one key; the document's other lines stay.
void WriteLastList(IniDocument& document, const std::string& path);
void WriteReportFile(IniDocument& document, bool on);
void WriteHistory(IniDocument& document, bool on);

} // namespace skedula
