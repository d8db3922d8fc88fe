// A private PulseAudio for the tests and benchmarks that record: its own runtime folder and
// socket, no default script, anonymous access, and sinks, tones and sources added and taken
// away with pactl while it runs. Plain POSIX, so that a test may start it before it forks.
// The server ends with the object, and with the program should that die first.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace skedula::test {

class PulseServer {
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // True when the server listens; otherwise Failure() says why.
    bool Started() const { return failure_.empty(); }
    const std::string& Failure() const { return failure_; }

    // For PULSE_SERVER: "unix:<socket>".
    std::string Address() const;
    // Its XDG_RUNTIME_DIR, which a client may be given instead of the address.
    const std::string& RuntimeFolder() const { return runtime_; }

    // pactl load-module: the module's index, or nothing when the server refused it.
    std::optional<int> Load(const std::string& module, const std::string& arguments = {});
    bool Unload(int module);
    // A null sink with a sine of the frequency playing into it: its monitor, "<name>.monitor",
    // carries the tone in the sink's rate and channels. The null sink's module index.
    std::optional<int> AddToneSink(const std::string& name, int hertz, int rate, int channels);

    // Ends the server at once, as a crash would.
    void Kill();

private:
    // Runs pactl against this server; its output, or nothing when it failed.
    std::optional<std::string> Pactl(const std::string& arguments) const;

    std::string folder_;
    std::string runtime_;
    pid_t pid_ = -1;
    std::string failure_;
};

} // namespace skedula::test
