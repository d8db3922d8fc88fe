#include "windows/fakes/FakeDdeServerProcess.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace skedula::test {

namespace {

std::string UniqueName(const char* prefix) {
    static std::atomic<int> counter{0};
    return std::string(prefix) + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++counter) + "-" + std::to_string(::GetTickCount64());
}

} // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (done())
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end)
            return false;
        ::MsgWaitForMultipleObjects(
            0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 20)), QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

std::string FakeDdeServer::ProgramPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + "fake_dde_server.exe";
}

FakeDdeServer::FakeDdeServer(std::vector<std::string> options) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    control_ = UniqueName("fake-dde-");
    log_ = std::string(temp) + control_ + ".log";
    commandLine_ = ProgramPath() + " --log " + log_ + " --control " + control_;
    for (const std::string& option : options)
        commandLine_ += " " + option;
}

FakeDdeServer::~FakeDdeServer() {
    if (ControlWindow() != nullptr) {
        Send("quit");
        if (process_ != nullptr)
            ::WaitForSingleObject(process_, 5000);
        else
            PumpUntil([this] { return ControlWindow() == nullptr; }, 5000);
    }
    if (process_ != nullptr) {
        if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(process_, 1);
        ::CloseHandle(process_);
    }
    ::DeleteFileA(log_.c_str());
}

void FakeDdeServer::Start() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = commandLine_;
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
        throw std::runtime_error("fake_dde_server.exe did not start: " + commandLine_);
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    if (!WaitReady()) {
        DWORD code = 0;
        ::GetExitCodeProcess(process_, &code);
        std::string log;
        for (const std::string& line : Log())
            log += " | " + line;
        throw std::runtime_error("fake_dde_server.exe is not serving (exit code " +
                                 std::to_string(code) + ", log" + log + ")");
    }
}

bool FakeDdeServer::WaitReady() {
    return PumpUntil([this] { return ControlWindow() != nullptr; }, 10000);
}

bool FakeDdeServer::Running() const {
    return ControlWindow() != nullptr;
}

HWND FakeDdeServer::ControlWindow() const {
    return ::FindWindowA("SkedulaFakeDdeControl", control_.c_str());
}

void FakeDdeServer::Send(const std::string& command) {
    HWND window = ControlWindow();
    if (window == nullptr)
        throw std::runtime_error("fake_dde_server.exe is not running");
    COPYDATASTRUCT copy{};
    copy.cbData = static_cast<DWORD>(command.size());
    copy.lpData = const_cast<char*>(command.data());
    ::SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
}

std::vector<std::string> FakeDdeServer::Log() const {
    std::ifstream in(log_, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool FakeDdeServer::WaitForLog(const std::string& line, DWORD milliseconds) const {
    return PumpUntil(
        [&] {
            const std::vector<std::string> lines = Log();
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        },
        milliseconds);
}

} // namespace skedula::test
