// The whole watch as the user runs it: the real window (offscreen) against the real rigctld
// (reached through a relay that notes when each tuning command arrives), a queue of five
// entries measured in one minute, then an idle minute's cost, peak memory and start-up time.
// Prints lines of "figure<TAB>value<TAB>unit<TAB>target".
#include "app/Composition.h"
#include "app/SkedulaApplication.h"
#include "common/EventLoop.h"
#include "common/LineRelay.h"
#include "fakes/FreePort.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

namespace {

using namespace skedula;
using bench::RunFor;
using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

double Ms(SteadyClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Row(const char* name, double value, const char* unit, const char* target) {
    std::printf("%s\t%.2f\t%s\t%s\n", name, value, unit, target);
}

double Median(std::vector<double> values) {
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Worst(const std::vector<double>& values) {
    double worst = 0;
    for (double v : values)
        worst = std::max(worst, std::abs(v));
    return worst;
}

// CPU of the calling thread: Skedula does all its work on the GUI thread, and the relay's own
// thread is the benchmark's, not the program's.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// What each tick did, seen from outside the engine.
struct TickLog {
    std::vector<TimePoint> ticks;
    std::vector<TimePoint> tunes;                // per entry
    std::vector<std::vector<double>> samples{3}; // offsets from the entry's tuning, ms
};

} // namespace

int main(int argc, char** argv) {
    const TimePoint processStart = SteadyClock::now();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SkedulaApplication app(argc, argv);

    const std::uint16_t rigPort = FreeLoopbackPort();
    QProcess rigctld;
    rigctld.start("rigctld", {"-m", "1", "-C", "static_data=1", "-T", "127.0.0.1", "-t",
                              QString::number(rigPort)});
    if (!rigctld.waitForStarted(3000)) {
        std::fprintf(stderr, "bench_watch: rigctld did not start\n");
        return 1;
    }
    for (int i = 0; i < 100; ++i) {
        QTcpSocket probe;
        probe.connectToHost("127.0.0.1", rigPort);
        if (probe.waitForConnected(100))
            break;
        QThread::msleep(30);
    }
    bench::LineRelay relay(rigPort);

    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Network; // the relay's, started above
    settings.radio->port = relay.Port();
    Composition program(settings);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    QCoreApplication::processEvents();
    const double startup = Ms(SteadyClock::now() - processStart);

    WatchEngine& engine = program.engine();
    for (int row = 1; row <= 5; ++row) {
        engine.ListeSG.setCell(0, row, "??:??");
        engine.ListeSG.setCell(1, row, std::to_string(7000000 + row * 5000));
        engine.ListeSG.setCell(2, row, "AM");
        engine.ListeSG.setCell(3, row, "S9");
    }

    TickLog log;
    QtStepTimer& timer = program.stepTimer();
    auto tick = timer.onTick;
    timer.onTick = [&] {
        const TimePoint now = SteadyClock::now();
        const int entry = engine.QueuePos;
        tick();
        log.ticks.push_back(now);
        const int step = engine.stepCounter();
        if (step == 0)
            log.tunes.push_back(now);
        const bool evaluated = step == -1 && engine.QueuePos == entry + 1;
        const int sample = step == 10 ? 0 : step == 15 ? 1 : evaluated ? 2 : -1;
        if (sample >= 0 && !log.tunes.empty())
            log.samples[sample].push_back(Ms(now - log.tunes.back()));
    };

    // Start at the top of a minute, so that the five entries finish within it.
    RunFor(61000, [] { return std::time(nullptr) % 60 == 0; });
    form.StartBtn->click();
    RunFor(70000, [&] { return engine.QueuePos >= 5; });

    form.StopBtn->click();
    QCoreApplication::processEvents();

    // An idle running watch with an empty list, connected to rigctld directly: the relay
    // would cut the server's replies into more pieces than a direct connection delivers.
    double idleCpuPerMinute = 0;
    {
        LinkSettings direct = settings;
        direct.radio->port = rigPort;
        Composition idle(direct);
        idle.showMainWindow();
        idle.mainWindow().StartBtn->click();
        RunFor(3000);
        const double cpuBefore = CpuSeconds();
        const TimePoint idleStart = SteadyClock::now();
        RunFor(30000);
        idleCpuPerMinute =
            (CpuSeconds() - cpuBefore) * 60000.0 / Ms(SteadyClock::now() - idleStart);
        idle.mainWindow().StopBtn->click();
        QCoreApplication::processEvents();
        idle.mainWindow().close();
    }

    const double nominal[3] = {5000, 7500, 10000};
    const char* names[3] = {"sample 1 offset", "sample 2 offset", "sample 3 offset"};
    for (int s = 0; s < 3; ++s) {
        std::vector<double> deviation;
        for (double offset : log.samples[s])
            deviation.push_back(offset - nominal[s]);
        Row((std::string(names[s]) + " median").c_str(), Median(log.samples[s]), "ms", "nominal");
        Row((std::string(names[s]) + " deviation median").c_str(), Median(deviation), "ms",
            "<= 20");
        Row((std::string(names[s]) + " deviation worst").c_str(), Worst(deviation), "ms", "<= 50");
    }

    std::vector<double> intervals;
    for (std::size_t i = 1; i < log.ticks.size(); ++i)
        intervals.push_back(Ms(log.ticks[i] - log.ticks[i - 1]) - 500.0);
    Row("tick deviation median", Median(intervals), "ms", "<= 2");
    Row("tick deviation worst", Worst(intervals), "ms", "-");

    std::vector<std::chrono::steady_clock::time_point> arrivals;
    for (const bench::LineRelay::Passage& passage : relay.Passages())
        if (passage.toServer && passage.line.rfind("+F ", 0) == 0)
            arrivals.push_back(passage.at);
    std::vector<double> delays;
    for (std::size_t i = 0; i < std::min(arrivals.size(), log.tunes.size()); ++i)
        delays.push_back(Ms(arrivals[i] - log.tunes[i]));
    Row("tuning tick to server median", Median(delays), "ms", "<= 5");
    Row("tuning tick to server worst", Worst(delays), "ms", "-");
    Row("entries tuned", static_cast<double>(log.tunes.size()), "count", "5");

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    Row("cpu per minute idle", idleCpuPerMinute, "s", "< 0.2");
    Row("peak memory", usage.ru_maxrss / 1024.0, "MB", "< 80");
    Row("start-up to shown window", startup, "ms", "< 500");

    form.close();
    rigctld.terminate();
    rigctld.waitForFinished(3000);
    return log.tunes.size() == 5 ? 0 : 1;
}
