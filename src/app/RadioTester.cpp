#include "app/RadioTester.h"

#include "link/RadioContract.h"

#include <charconv>

namespace skedula {

namespace {

// With a point, whatever the locale: the listener compares it with the level gqrx shows.
std::string DbfsText(double level) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, level, std::chars_format::fixed, 1);
    return std::string(text, end.ptr) + " dBFS";
}

} // namespace

RadioTestResult TestRadio(const RadioChoice& choice,
                          const std::vector<std::string>& serverArguments,
                          const RadioTimings& timings, bool ownServerRuns) {
    // The backend ends the server it started when it goes, on every way out.
    const std::unique_ptr<RadioBackend> backend = MakeRadioBackend(choice, timings);
    const std::string service(contract::Service);
    const std::string topic(contract::Topic);
    bool connected = backend->Connect(service, topic);
    // A logging program's rigctld, say: the watch would share it, with the radio it drives.
    const std::string note =
        connected && !serverArguments.empty() && !ownServerRuns
            ? "Auf Port " + std::to_string(EndpointOf(choice).port) +
                  " antwortet ein rigctld, den Skedula nicht gestartet hat; Modell und Gerät "
                  "werden nicht benutzt. "
            : "";
    if (!connected && !serverArguments.empty() && backend->StartServer(serverArguments))
        connected = backend->Connect(service, topic);
    if (!connected)
        return {false, "Keine Verbindung: " + backend->FailureReason()};

    struct Query {
        std::string_view item;
        const char* what;
    };
    const Query queries[] = {{contract::FrequencyItem, "der Frequenz"},
                             {contract::ModeItem, "des Modes"},
                             {contract::SMeterItem, "des S-Meters"}};
    std::string shown;
    for (const Query& query : queries) {
        const std::optional<std::string> text = query.item == contract::SMeterItem
                                                    ? backend->SettledSMeter()
                                                    : backend->Request(std::string(query.item));
        if (!text) {
            backend->Disconnect();
            return {false, note + "Verbunden, aber der Server beantwortet die Abfrage " +
                               query.what + " nicht"};
        }
        shown += (shown.empty() ? "" : " ") + *text;
    }
    // The raw level beside the S-meter, so that the listener can set "S9 entspricht" against
    // a signal of known strength.
    if (const std::optional<double> level = backend->LevelDbfs())
        shown += " (" + DbfsText(*level) + ")";
    backend->Disconnect();
    return {true, note + shown};
}

} // namespace skedula
