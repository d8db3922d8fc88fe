// The radio-control program the watch uses: read from the settings file when the program
// starts, changed with the dialog "Funkgerät" and its OK, and swapped into the receiver link
// at the next Start, after the backend of the old one (and a rigctld it started) has gone.
// Also names the program in the status field's tooltip. The composition root owns it.
#pragma once

#include "app/LinkReceiverPort.h"
#include "app/RadioBackend.h"
#include "app/RadioTester.h"
#include "app/SwitchablePort.h"
#include "link/RadioChoice.h"
#include "link/ReceiverLink.h"
#include "storage/SettingsFile.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace skedula {

class RadioSetup final : public OpenObserver {
public:
    struct Options {
        // The radio to use; nothing: the one in the settings file.
        std::optional<RadioChoice> radio;
        // Appended to every rigctld that Skedula starts (tests: "-C static_data=1").
        std::vector<std::string> extraServerArguments;
        RadioTimings timings{};
        // Between two tries to reconnect by itself.
        std::chrono::milliseconds reconnectPeriod{30000};
    };

    RadioSetup(ReceiverLink& link, SwitchablePort& port, Options options,
               SettingsFile file = SettingsFile());
    RadioSetup(const RadioSetup&) = delete;
    RadioSetup& operator=(const RadioSetup&) = delete;

    // Set by the composition: where the tooltip goes, and whether the watch runs.
    std::function<void(const std::string&)> ShowToolTip;
    std::function<bool()> WatchRunning;

    // The box text for settings that are not valid, naming each key and value; nothing
    // when they are valid.
    std::optional<std::string> ProblemReport() const;
    // The program in use (or to be used at the next Start), its last failure, and a change
    // waiting for the next Start.
    std::string ToolTip();
    void UpdateToolTip();

    void BeforeOpen() override;
    void AfterOpen(bool opened) override;

    // The dialog "Funkgerät", modal; OK keeps its choice for the next Start.
    void OpenDialog(QWidget* parent);
    // What the dialog opens with.
    RadioChoice DialogChoice() const { return dialogChoice_; }
    // "Testen": first ends a server that the watch's backend started, unless the watch runs.
    RadioTestResult Test(const RadioChoice& choice);
    // OK: writes the settings file, then keeps the choice. Throws Error, changing nothing,
    // when the file cannot be written.
    void Accept(const RadioChoice& choice);

    const std::vector<HamlibModel>& Models();
    const Options& Settings() const { return options_; }

private:
    std::vector<std::string> ArgumentsFor(const RadioChoice& choice) const;
    // The choice for the next Start as the tooltip names it.
    std::string NextText();

    ReceiverLink& link_;
    SwitchablePort& port_;
    Options options_;
    SettingsFile file_;

    // Nothing while the settings are not valid: then nothing is reached.
    std::optional<RadioChoice> choice_;
    std::vector<std::string> problems_;
    RadioChoice dialogChoice_;
    // What the link's backend was made for (the used part of a choice), and its name in the
    // tooltip; empty before the first Start.
    std::optional<RadioChoice> inUse_;
    std::string inUseText_;
    std::string lastFailure_;
    std::optional<std::vector<HamlibModel>> models_;
};

} // namespace skedula
