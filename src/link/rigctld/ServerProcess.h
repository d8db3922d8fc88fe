// The rigctld process that Skedula starts when no server answers. Spawned without a shell and
// ended when its owner goes, so that a server we started never outlives the program.
#pragma once

#include <chrono>
#include <memory>
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

    // Starts the command line's program, unless the one started before still runs. The line
    // is split at blanks and nothing in it is interpreted. False when it cannot be started.
    bool Start(const std::string& commandLine, std::chrono::milliseconds limit);
    bool Running() const;
    // Waits up to the given time, returning early when the server exits.
    void WaitForExit(std::chrono::milliseconds limit);
    // Ends a server we started; nothing when none runs.
    void Stop();

    // "rigctld -T 127.0.0.1 -t 4532" -> {"rigctld", "-T", "127.0.0.1", "-t", "4532"}
    static std::vector<std::string> SplitCommandLine(const std::string& commandLine);

private:
    std::unique_ptr<QProcess> process_;
};

} // namespace skedula
