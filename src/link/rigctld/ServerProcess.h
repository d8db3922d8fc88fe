// The radio-control server that Skedula starts when none answers (rigctld). Spawned from an
// argument vector without a shell, and ended when its owner goes, so that a server we started
// never outlives the program. What the server wrote to its error output is kept (the end of
// it), so that a server that ended at once can say why.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QProcess;

namespace skedula {

class ServerProcess {
public:
    ServerProcess();
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts arguments[0] with the other arguments as they are, unless the server started
    // before still runs. False when it cannot be started (no such program, not executable).
    bool Start(const std::vector<std::string>& arguments, std::chrono::milliseconds limit);
    bool Running() const;
    // Waits up to the given time, returning early when the server exits.
    void WaitForExit(std::chrono::milliseconds limit);
    // Ends a server we started; nothing when none runs.
    void Stop();

    // The arguments of the last start attempt; empty before the first.
    const std::vector<std::string>& Arguments() const { return arguments_; }
    // The exit code of a server that ended by itself (not by Stop); nothing while it runs,
    // when none was started, or when it was ended by a signal.
    std::optional<int> ExitCode() const;
    // The last line that is not blank of what the server wrote to its error output, up to
    // now; empty when it wrote nothing.
    std::string LastErrorLine() const;
    // Why the last start attempt failed to run the program at all; empty when it ran.
    const std::string& StartFailure() const { return startFailure_; }

private:
    void TakeErrorOutput() const;

    std::unique_ptr<QProcess> process_;
    std::vector<std::string> arguments_;
    mutable std::string errorTail_;
    std::string startFailure_;
    bool stoppedByUs_ = false;
};

} // namespace skedula
