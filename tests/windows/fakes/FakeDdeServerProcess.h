// Starts and drives fake_dde_server.exe (FakeDdeServer.cpp, whose header documents its command
// line, control commands and log) for a Windows test, and reads its log. Also the tests'
// message pump: a DDE client gets its answers only while its thread dispatches messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace skedula::test {

// Dispatches this thread's messages until done() holds or the time is up; true when done.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);
// Dispatches this thread's messages for the time given.
void PumpFor(DWORD milliseconds);

class FakeDdeServer {
public:
    // Prepares a server with these extra options (--service, --value, --refuse, ...); its log
    // goes to a file of its own in the temporary folder.
    explicit FakeDdeServer(std::vector<std::string> options = {});
    // Asks a server still running to quit, waits for it, and removes the log.
    ~FakeDdeServer();
    FakeDdeServer(const FakeDdeServer&) = delete;
    FakeDdeServer& operator=(const FakeDdeServer&) = delete;

    // The command line that starts this server, for a test that has someone else start it.
    const std::string& CommandLine() const { return commandLine_; }
    // Starts the server and waits until it serves.
    void Start();
    // Waits until a server started elsewhere with CommandLine() serves; false after 10 s.
    bool WaitReady();
    bool Running() const;

    // Sends a control command ("set ITEM TEXT", "end", "quit") and returns once it is done.
    void Send(const std::string& command);
    std::vector<std::string> Log() const;
    // Pumps messages until the log holds the line.
    bool WaitForLog(const std::string& line, DWORD milliseconds = 5000) const;

    static std::string ProgramPath();

private:
    HWND ControlWindow() const;

    std::string control_;
    std::string log_;
    std::string commandLine_;
    HANDLE process_ = nullptr;
};

} // namespace skedula::test
