// The command that runs for every report ([Watch] ReportCommand): the program and arguments of
// its line, with the report in SKEDULA_ variables and on standard input, started from the event
// loop after the tick, when the report file has its line. One that
// cannot be started, fails or hangs is told in a box once, until one succeeds in between; the
// watch goes on. Also runs a line once for "Testen". The composition root owns it.
#pragma once

#include "app/CommandRunner.h"
#include "engine/Ports.h"
#include "engine/WatchListener.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace skedula {

class ReportCommand final : public WatchListener {
public:
    using ErrorSink = std::function<void(const std::string& message)>;

    explicit ReportCommand(ErrorSink onError, CommandLimits limits = {});

    // The line as the settings file holds it. One that cannot be split runs nothing; a blank
    // one is no command. A new line's failures are told again.
    void setLine(const std::string& line);
    const std::string& line() const { return line_; }

    // Never throws, and never waits for the command.
    void EntryMeasured(const Measurement& measurement) override;

    // "Testen": runs the line once with ExampleReport's values; done gets what to show, from
    // the event loop. Throws Error when the line cannot be split or is blank.
    void Test(const std::string& line, const Clock& clock,
              std::function<void(const std::string& result)> done);

    const CommandRunner& runner() const { return runner_; }

private:
    void Told(const CommandOutcome& outcome);

    ErrorSink onError_;
    CommandRunner runner_;
    std::string line_;
    std::optional<std::vector<std::string>> arguments_;
    bool failing_ = false; // the last run failed and was told
};

// A report as the watch would make one now: 7100000 AM, S7 three times against S5.
Measurement ExampleReport(const Clock& clock);

// What happened to a command, for its box and for "Testen": "Der Befehl bei Meldung ist
// fehlgeschlagen.", the program, the exit code or the reason, the last line of its error output.
std::string OutcomeText(const CommandOutcome& outcome, std::chrono::milliseconds runTime);

} // namespace skedula
