// The watch with recording on, as the user runs it: the real window (offscreen) against the
// real rigctld (its dummy radio at S7, so every entry is reported), recording the monitor of a
// null sink with a tone in it on a private PulseAudio. Two minutes of five entries each, the
// first without recording and the second with it (Nachlauf 30 s): the sample offsets and the
// program's CPU of both, how soon each file is complete after its recording ends (the next
// tuning, or the report plus Nachlauf for the minute's last entry), and the peak memory.
// Prints lines of "figure<TAB>value<TAB>unit<TAB>target".
#include "app/Composition.h"
#include "app/SkedulaApplication.h"
#include "common/EventLoop.h"
#include "common/Figures.h"
#include "fakes/FreePort.h"
#include "fakes/PulseServer.h"
#include "storage/UserFolders.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace skedula;
using bench::RunFor;
using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

constexpr int Entries = 5;
constexpr int Nachlauf = 30;

double Ms(SteadyClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// CPU of the whole program: the window's thread, the recorder's and libpulse's.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// When each file got its final name, from a thread that sleeps in inotify.
class FolderWatch {
public:
    explicit FolderWatch(const std::string& folder) : fd_(inotify_init1(IN_CLOEXEC)) {
        MakeFolders(folder);
        inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO);
        thread_ = std::thread([this] { Run(); });
    }
    ~FolderWatch() {
        ::close(fd_); // ends the read
        thread_.detach();
    }
    std::map<std::string, TimePoint> Named() const {
        const std::lock_guard lock(mutex_);
        return named_;
    }

private:
    void Run() {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0)
                return;
            const TimePoint now = SteadyClock::now();
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0) {
                    const std::lock_guard lock(mutex_);
                    named_[event->name] = now;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    int fd_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, TimePoint> named_;
};

// When the watch tuned and reported, and the names the recordings got.
struct Moments final : WatchListener {
    std::vector<TimePoint> tunes;
    std::vector<TimePoint> reports;
    std::vector<std::string> recordings;
    void EntryTuned(const TunedEntry&) override { tunes.push_back(SteadyClock::now()); }
    void EntryMeasured(const Measurement& m) override {
        if (!m.reported)
            return;
        reports.push_back(SteadyClock::now());
        recordings.push_back(m.recording.value_or(""));
    }
};

// The sample offsets of one minute's entries, from the ticks as the engine handled them.
struct Offsets {
    std::vector<TimePoint> tunes;
    std::vector<std::vector<double>> samples{3};
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    test::PulseServer pulse;
    if (!pulse.Started() || !pulse.AddToneSink("radio", 1000, 48000, 2)) {
        std::fprintf(stderr, "bench_recording: no PulseAudio: %s\n", pulse.Failure().c_str());
        return 1;
    }
    qputenv("PULSE_SERVER", QByteArray::fromStdString(pulse.Address()));
    SkedulaApplication app(argc, argv);

    const std::uint16_t rigPort = FreeLoopbackPort();
    QProcess rigctld;
    rigctld.start("rigctld", {"-m", "1", "-C", "static_data=1", "-T", "127.0.0.1", "-t",
                              QString::number(rigPort)});
    if (!rigctld.waitForStarted(3000)) {
        std::fprintf(stderr, "bench_recording: rigctld did not start\n");
        return 1;
    }
    for (int i = 0; i < 100 && !LoopbackAccepts(rigPort); ++i)
        QThread::msleep(30);
    QThread::msleep(50);

    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Network;
    settings.radio->port = rigPort;
    Composition program(settings);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    WatchEngine& engine = program.engine();
    for (int row = 1; row <= Entries; ++row) {
        engine.ListeSG.setCell(0, row, "??:??");
        engine.ListeSG.setCell(1, row, std::to_string(7000000 + row * 5000));
        engine.ListeSG.setCell(2, row, "AM");
        engine.ListeSG.setCell(3, row, "S5");
    }
    const std::string folder = DataHome() + "/Skedula/Aufnahmen";
    FolderWatch watch(folder);
    Moments moments;
    engine.Listen(moments);

    // Minute 0 without recording, minute 1 with it.
    Offsets offsets[2];
    int minute = 0;
    QtStepTimer& timer = program.stepTimer();
    auto tick = timer.onTick;
    timer.onTick = [&] {
        const TimePoint now = SteadyClock::now();
        const int entry = engine.QueuePos;
        tick();
        Offsets& o = offsets[minute];
        const int step = engine.stepCounter();
        if (step == 0)
            o.tunes.push_back(now);
        const bool evaluated = step == -1 && engine.QueuePos == entry + 1;
        const int sample = step == 10 ? 0 : step == 15 ? 1 : evaluated ? 2 : -1;
        if (sample >= 0 && !o.tunes.empty())
            o.samples[sample].push_back(Ms(now - o.tunes.back()));
    };

    RunFor(61000, [] { return std::time(nullptr) % 60 == 0; });
    double cpu[2] = {0, 0};
    double cpuStart = CpuSeconds();
    TimePoint minuteStart = SteadyClock::now();
    form.StartBtn->click();
    RunFor(70000, [&] { return engine.QueuePos >= Entries; });
    // The same watch from the next minute on, recording.
    program.recordingSetup().Accept({"radio.monitor", folder, Nachlauf});
    RunFor(61000, [&] { return engine.QueuePos < Entries; });
    cpu[0] = (CpuSeconds() - cpuStart) / (Ms(SteadyClock::now() - minuteStart) / 1000);
    minute = 1;
    cpuStart = CpuSeconds();
    minuteStart = SteadyClock::now();
    RunFor(70000, [&] { return engine.QueuePos >= Entries; });
    // The last entry's Nachlauf runs into the next minute, in which the watch stays idle.
    for (int row = 1; row <= Entries; ++row)
        engine.ListeSG.setCell(0, row, "");
    const std::string last = moments.recordings.empty() ? "" : moments.recordings.back();
    const std::string lastName = last.substr(last.find_last_of('/') + 1);
    RunFor((Nachlauf + 10) * 1000, [&] { return watch.Named().count(lastName) > 0; });
    cpu[1] = (CpuSeconds() - cpuStart) / (Ms(SteadyClock::now() - minuteStart) / 1000);
    form.StopBtn->click();
    QCoreApplication::processEvents();

    const double nominal[3] = {5000, 7500, 10000};
    for (int s = 0; s < 3; ++s) {
        const double off = bench::Percentile(offsets[0].samples[s], 0.5);
        const double on = bench::Percentile(offsets[1].samples[s], 0.5);
        const std::string name = "sample " + std::to_string(s + 1) + " offset";
        bench::Print((name + " median, recording off").c_str(), off - nominal[s], "ms", "-");
        bench::Print((name + " median, recording on").c_str(), on - nominal[s], "ms", "-");
        bench::Print((name + " change").c_str(), on - off, "ms", "within 1");
    }

    // Each recording ends at the next tuning; the minute's last one at its report plus
    // Nachlauf. The time from there until the file has its final name.
    const std::map<std::string, TimePoint> named = watch.Named();
    std::vector<double> cut;
    double afterNachlauf = NAN;
    const std::size_t reports = moments.reports.size();
    for (std::size_t i = reports >= Entries ? reports - Entries : 0; i < reports; ++i) {
        const std::string& path = moments.recordings[i];
        const auto found = named.find(path.substr(path.find_last_of('/') + 1));
        if (path.empty() || found == named.end())
            continue;
        if (i + 1 < reports) {
            // The tuning after report i: the first tuning later than it.
            for (const TimePoint tuned : moments.tunes)
                if (tuned > moments.reports[i]) {
                    cut.push_back(Ms(found->second - tuned));
                    break;
                }
        } else {
            afterNachlauf = Ms(found->second - moments.reports[i]) - Nachlauf * 1000.0;
        }
    }
    bench::Print("report to finished file minus Nachlauf", afterNachlauf, "ms", "< 1000");
    bench::Print("next tuning to finished file median", bench::Percentile(cut, 0.5), "ms",
                 "< 1000");
    bench::Print("next tuning to finished file worst", bench::Percentile(cut, 1.0), "ms", "-");
    bench::Print("recordings finished", static_cast<double>(named.size()), "count", "5");
    bench::Print("cpu while watching, recording off", cpu[0] * 100, "% of a core", "-");
    bench::Print("cpu while watching, recording on", cpu[1] * 100, "% of a core", "-");
    bench::Print("cpu added by recording", (cpu[1] - cpu[0]) * 100, "% of a core", "< 2");
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    bench::Print("peak memory, recording on", static_cast<double>(usage.ru_maxrss) / 1024.0, "MB",
                 "< 100");

    form.close();
    rigctld.terminate();
    rigctld.waitForFinished(3000);
    return named.size() == Entries ? 0 : 1;
}
