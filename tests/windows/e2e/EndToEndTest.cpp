// Skedula.exe under Wine against the fake radio-control server: an entry typed into the watch
// list as a user types it, Start, the tuning commands at the server, the report in the log,
// Stop, and the program's end with exit code 0 when its window is closed.
#include "windows/fakes/FakeDdeServerProcess.h"
#include "windows/ui/Design.h"
#include "windows/ui/UiKit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace skedula {
namespace {

using test::FakeDdeServer;
using test::PumpUntil;

// The main window's controls, by their identifiers (windows/ui/Skedula.h).
constexpr int kListeSG = 101, kStartBtn = 103, kStopBtn = 104, kStatusLabel = 105, kMemo = 114;
constexpr int kColumnWidths[] = {85, 79, 73, 91, 268};

class SkedulaProcess {
public:
    SkedulaProcess() {
        const char* exe = std::getenv("SKEDULA_EXE");
        EXPECT_NE(exe, nullptr) << "SKEDULA_EXE names Skedula.exe";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine = exe != nullptr ? std::string("\"") + exe + "\"" : "";
        started_ = exe != nullptr && ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr,
                                                      FALSE, 0, nullptr, nullptr, &startup, &info_);
    }
    ~SkedulaProcess() {
        if (!started_)
            return;
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(info_.hProcess, 99);
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
    SkedulaProcess(const SkedulaProcess&) = delete;
    SkedulaProcess& operator=(const SkedulaProcess&) = delete;

    bool started() const { return started_; }
    // Its main window, once it shows.
    HWND MainWindow() {
        HWND found = nullptr;
        PumpUntil(
            [&] {
                for (HWND w = ::FindWindowA("TSkedulaForm", "Skedula"); w != nullptr;
                     w = ::FindWindowExA(nullptr, w, "TSkedulaForm", "Skedula")) {
                    DWORD process = 0;
                    ::GetWindowThreadProcessId(w, &process);
                    if (process == info_.dwProcessId && ::IsWindowVisible(w))
                        found = w;
                }
                return found != nullptr;
            },
            20000);
        return found;
    }
    // Its exit code once it has ended; nothing when it still runs after the time given.
    std::optional<DWORD> ExitCode(DWORD milliseconds) {
        if (::WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        ::GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION info_{};
};

// The text of another process's control, asked of the control itself.
std::string ControlText(HWND control) {
    std::string text(65536, '\0');
    const LRESULT length =
        ::SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line))
        lines.push_back(line.empty() || line.back() != '\r' ? line
                                                            : line.substr(0, line.size() - 1));
    return lines;
}

TEST(EndToEnd, AnEntryTypedInIsTunedMeasuredAndReportedAndClosingEndsTheProgramWithZero) {
    FakeDdeServer server; // the S-meter reads "S5"
    server.Start();
    SkedulaProcess skedula;
    ASSERT_TRUE(skedula.started());
    HWND window = skedula.MainWindow();
    ASSERT_NE(window, nullptr);
    HWND list = ::GetDlgItem(window, kListeSG);
    HWND memo = ::GetDlgItem(window, kMemo);
    HWND status = ::GetDlgItem(window, kStatusLabel);
    ::SetForegroundWindow(window);
    test::PumpFor(200);

    // Row 1 of the watch list, cell by cell: click, type, Return. "??:??" is due every minute.
    const char* cells[] = {"??:??", "7100000", "AM", "S5"};
    int left = 0;
    for (int column = 0; column < 4; ++column) {
        uitest::ClickAt(list, left + 6, 16 + 1 + 6);
        test::PumpFor(100);
        uitest::TypeText(cells[column]);
        uitest::PressKey(VK_RETURN);
        test::PumpFor(150);
        left += kColumnWidths[column] + 1;
    }

    uitest::ClickAt(::GetDlgItem(window, kStartBtn), 20, 10);
    ASSERT_TRUE(server.WaitForLog("execute freq 7100000", 10000));
    ASSERT_TRUE(server.WaitForLog("execute mode AM", 5000));
    EXPECT_EQ(WindowText(status), "connected");

    // The three samples take ten seconds; then the report.
    std::vector<std::string> log;
    PumpUntil(
        [&] {
            log = Lines(ControlText(memo));
            return log.size() >= 6;
        },
        25000);
    ASSERT_EQ(log.size(), 6u) << ControlText(memo);
    EXPECT_EQ(log[0], "");
    EXPECT_EQ(log[1].size(), 8u) << log[1]; // hh:nn:ss
    EXPECT_EQ(log[2], "7100000 AM");
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(log[i], "S5 >= S5");

    uitest::ClickAt(::GetDlgItem(window, kStopBtn), 20, 10);
    EXPECT_TRUE(server.WaitForLog("terminate client", 5000));
    EXPECT_TRUE(PumpUntil([&] { return WindowText(status) == "disconnected"; }, 3000));

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(skedula.ExitCode(10000), std::optional<DWORD>(0));
}

} // namespace
} // namespace skedula
