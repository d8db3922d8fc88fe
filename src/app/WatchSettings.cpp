#include "app/WatchSettings.h"

#include <algorithm>
#include <cctype>

namespace skedula {

namespace {

std::optional<bool> Switch(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* on : {"true", "yes", "on", "1"})
        if (text == on)
            return true;
    for (const char* off : {"false", "no", "off", "0"})
        if (text == off)
            return false;
    return std::nullopt;
}

} // namespace

WatchSettings ReadWatchSettings(const IniDocument& document) {
    WatchSettings settings;
    if (auto list = document.Value(WatchGroup, "LastList"); list && !list->empty())
        settings.lastList = std::move(*list);
    if (auto report = document.Value(WatchGroup, "ReportFile"); report && !report->empty()) {
        if (const std::optional<bool> on = Switch(*report))
            settings.reportFile = *on;
        else
            settings.problems.push_back("ReportFile=" + *report + ": weder true noch false");
    }
    if (auto reconnect = document.Value(WatchGroup, "Reconnect");
        reconnect && !reconnect->empty()) {
        if (const std::optional<bool> on = Switch(*reconnect))
            settings.reconnect = *on;
        else
            settings.problems.push_back("Reconnect=" + *reconnect + ": weder true noch false");
    }
    return settings;
}

void WriteLastList(IniDocument& document, const std::string& path) {
    document.SetValue(WatchGroup, "LastList", path);
}

void WriteReportFile(IniDocument& document, bool on) {
    document.SetValue(WatchGroup, "ReportFile", on ? "true" : "false");
}

void WriteReconnect(IniDocument& document, bool on) {
    document.SetValue(WatchGroup, "Reconnect", on ? "true" : "false");
}

} // namespace skedula
