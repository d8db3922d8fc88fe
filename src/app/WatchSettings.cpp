#include "app/WatchSettings.h"

#include "app/ExecLine.h"
#include "engine/Error.h"

#include <algorithm>
#include <array>
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

constexpr std::array kSwitches = {
    WatchSwitch{"ReportFile", &WatchSettings::reportFile},
    WatchSwitch{"History", &WatchSettings::history},
    WatchSwitch{"Notify", &WatchSettings::notify},
    WatchSwitch{"Reconnect", &WatchSettings::reconnect},
    WatchSwitch{"UTC", &WatchSettings::utc},
};

} // namespace

std::span<const WatchSwitch> WatchSwitches() {
    return kSwitches;
}

WatchSettings ReadWatchSettings(const IniDocument& document) {
    WatchSettings settings;
    if (auto list = document.Value(WatchGroup, "LastList"); list && !list->empty())
        settings.lastList = std::move(*list);
    for (const WatchSwitch& entry : kSwitches) {
        const std::optional<std::string> text = document.Value(WatchGroup, entry.key);
        if (!text || text->empty())
            continue;
        if (const std::optional<bool> on = Switch(*text))
            settings.*entry.value = *on;
        else
            settings.problems.push_back(std::string(entry.key) + "=" + *text +
                                        ": weder true noch false");
    }
    if (auto command = document.Value(WatchGroup, "ReportCommand")) {
        settings.reportCommand = std::move(*command);
        try {
            CommandArguments(settings.reportCommand);
        } catch (const Error& e) {
            settings.problems.push_back("ReportCommand=" + settings.reportCommand + ": " +
                                        e.what() +
                                        " Bis er unter Optionen > Befehl bei Meldung ... "
                                        "berichtigt ist, läuft bei Meldungen kein Befehl.");
        }
    }
    return settings;
}

void WriteLastList(IniDocument& document, const std::string& path) {
    document.SetValue(WatchGroup, "LastList", path);
}

void WriteSwitch(IniDocument& document, std::string_view key, bool on) {
    document.SetValue(WatchGroup, key, on ? "true" : "false");
}

void WriteReportCommand(IniDocument& document, const std::string& line) {
    document.SetValue(WatchGroup, "ReportCommand", line);
}

} // namespace skedula
