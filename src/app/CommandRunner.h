// Runs the programs the listener named (the report command and its "Testen") without a shell
// and without ever waiting for them: each is spawned from the event loop with its input already
// in the pipe and is watched from there; one still running after a bound is ended. At most a few
// run at once; later ones wait for a slot, in order. Owned by the report command.
#pragma once

#include "app/CommandEnvironment.h"

#include <QObject>

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace skedula {

struct CommandJob {
    std::vector<std::string> arguments;         // the program, then its arguments
    std::vector<EnvironmentVariable> variables; // on top of Skedula's own environment
    std::string input;                          // standard input, then its end
};

struct CommandLimits {
    std::size_t atOnce = 4;
    std::chrono::milliseconds runTime = std::chrono::seconds(60);
    // From SIGTERM to SIGKILL.
    std::chrono::milliseconds grace = std::chrono::seconds(5);
};

struct CommandOutcome {
    enum class End { Succeeded, NotStarted, Failed, Signalled, TimedOut };
    End end = End::Succeeded;
    std::string program;       // as the job named it
    int code = 0;              // the exit code (Failed), the signal (Signalled), errno (NotStarted)
    std::string lastErrorLine; // the last line that is not blank of its standard error
};

class CommandRunner final : public QObject {
    Q_OBJECT

public:
    using Limits = CommandLimits;
    using Done = std::function<void(const CommandOutcome&)>;

    explicit CommandRunner(Limits limits = {});
    // Ends the commands still running with everything they started (SIGTERM, then SIGKILL
    // after at most a second), so that none outlives the program; the waiting ones never run.
    // No Done is called.
    ~CommandRunner() override;
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Starts the job from the event loop, once the caller has returned and a slot is free. Done
    // gets the outcome from the event loop too. The program's output goes to Skedula's standard
    // error.
    void Run(CommandJob job, Done done);

    std::size_t running() const { return running_.size(); }
    std::size_t waiting() const { return waiting_.size(); }
    const Limits& limits() const { return limits_; }

private:
    class Process;
    struct Waiting {
        CommandJob job;
        Done done;
    };

    // Starts waiting jobs while there are free slots.
    void StartWaiting();
    void Start(Waiting next);
    void Finished(Process* process, const CommandOutcome& outcome, const Done& done);

    Limits limits_;
    std::vector<Process*> running_; // children of this object
    std::deque<Waiting> waiting_;
    bool startQueued_ = false;
};

} // namespace skedula
