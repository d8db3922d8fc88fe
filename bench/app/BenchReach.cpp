// How long a report's tick takes with the desktop notifier and the report command attached:
// the tick that evaluates a reported entry, on an engine over fakes, without them, with no
// session bus at all, with a private bus that has no notification server, with one that has a
// server, and with a bus that accepts the connection but never answers; then with a command per
// report
// ("true"), and how long that command takes from the report to its outcome. Prints one line
// per figure: name<TAB>value<TAB>unit<TAB>target.
#include "app/DesktopNotifier.h"
#include "app/ReportCommand.h"
#include "app/SkedulaApplication.h"
#include "fakes/EngineRig.h"
#include "fakes/EnvScope.h"
#include "fakes/FakeNotificationServer.h"
#include "fakes/PrivateSessionBus.h"
#include "fakes/SilentSocket.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace skedula;
using Steady = std::chrono::steady_clock;

constexpr int Reports = 40;

double Ms(Steady::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void Print(const std::string& name, double value, const char* unit, const char* target) {
    std::printf("%s\t%.3f\t%s\t%s\n", name.c_str(), value, unit, target);
}

void Figures(const std::string& name, std::vector<double> values, const char* target) {
    std::sort(values.begin(), values.end());
    Print(name + " median", values[values.size() / 2], "ms", target);
    Print(name + " worst", values.back(), "ms", "-");
}

void RunLoopFor(std::chrono::milliseconds time) {
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

// The ticks of reported entries, each timed alone; between them the event loop runs for a while,
// as it does between ticks, so that the listeners' answers arrive.
std::vector<double> ReportTicks(WatchListener& listener) {
    fakes::EngineRig rig(listener);
    rig.entry(1, "??:??");
    rig.link.open = true;
    rig.link.sMeter = "S7";
    rig.link.followTuning = true;
    rig.startBefore(14, 30);
    std::vector<double> ticks;
    while (ticks.size() < Reports) {
        const std::size_t before = rig.listener.measured.size();
        const Steady::time_point start = Steady::now();
        rig.tickReporting();
        const Steady::duration took = Steady::now() - start;
        if (rig.listener.measured.size() != before) {
            ticks.push_back(Ms(took));
            RunLoopFor(std::chrono::milliseconds(20));
        }
    }
    return ticks;
}

} // namespace

int main(int argc, char** argv) {
    SkedulaApplication app(argc, argv);
    {
        WatchListener nobody;
        Figures("report tick, no listener", ReportTicks(nobody), "-");
    }
    {
        DesktopNotifier notifier; // the address names no socket
        Figures("report tick, no session bus", ReportTicks(notifier), "< 10 ms");
    }
    {
        test::PrivateSessionBus bus;
        DesktopNotifier notifier;
        Figures("report tick, bus without server", ReportTicks(notifier), "< 10 ms");
        fakes::FakeNotificationServer server(QString::fromStdString(bus.address()), {"body"});
        Figures("report tick, bus with server", ReportTicks(notifier), "< 10 ms");
        Print("notifications shown", static_cast<double>(server.calls().size()), "count",
              std::to_string(Reports).c_str());
    }
    {
        QTemporaryDir folder;
        const std::string path = folder.filePath("bus").toStdString();
        const test::SilentSocket silent(path);
        test::EnvScope address("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + path).c_str());
        DesktopNotifier notifier;
        Figures("report tick, bus that never answers", ReportTicks(notifier), "< 10 ms");
    }
    {
        std::vector<double> outcomes;
        Steady::time_point started;
        ReportCommand command([](const std::string&) {});
        command.setLine("true");
        Figures("report tick, command true", ReportTicks(command), "< 10 ms");
        const fakes::FakeClock clock;
        for (int i = 0; i < Reports; ++i) {
            bool done = false;
            started = Steady::now();
            command.Test("true", clock, [&](const std::string&) {
                outcomes.push_back(Ms(Steady::now() - started));
                done = true;
            });
            while (!done)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        Figures("command true, report to outcome", outcomes, "-");
    }
    return 0;
}
