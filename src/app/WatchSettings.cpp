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
    for (const auto& [key, option] :
         {std::pair{"ReportFile", &settings.reportFile}, {"History", &settings.history}}) {
        const std::optional<std::string> value = document.Value(WatchGroup, key);
        if (!value || value->empty())
            continue;
        if (const std::optional<bool> on = Switch(*value))
            *option = *on;
        else
            settings.problems.push_back(key + ("=" + *value) + ": weder true noch false");
    }
    return settings;
}

void WriteLastList(IniDocument& document, const std::string& path) {
    document.SetValue(WatchGroup, "LastList", path);
}

void WriteReportFile(IniDocument& document, bool on) {
    document.SetValue(WatchGroup, "ReportFile", on ? "true" : "false");
}

void WriteHistory(IniDocument& document, bool on) {
    document.SetValue(WatchGroup, "History", on ? "true" : "false");
}

} // namespace skedula
