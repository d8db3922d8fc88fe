#include "app/WatchSettings.h"

#include "app/ExecLine.h"
#include "engine/Error.h"

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
    if (auto notify = document.Value(WatchGroup, "Notify"); notify && !notify->empty()) {
        if (const std::optional<bool> on = Switch(*notify))
            settings.notify = *on;
        else
            settings.problems.push_back("Notify=" + *notify +
                                        ": weder true noch false; Meldungen erscheinen weiter "
                                        "auf dem Bildschirm.");
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

void WriteReportFile(IniDocument& document, bool on) {
    document.SetValue(WatchGroup, "ReportFile", on ? "true" : "false");
}

void WriteNotify(IniDocument& document, bool on) {
    document.SetValue(WatchGroup, "Notify", on ? "true" : "false");
}

void WriteReportCommand(IniDocument& document, const std::string& line) {
    document.SetValue(WatchGroup, "ReportCommand", line);
}

} // namespace skedula
