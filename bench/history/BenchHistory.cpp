// The history at its largest: a year of the most a list can measure (five entries a minute around
// the clock, 2.6 million rows, a tenth of them reports with a recording), made in a temporary
// folder in one transaction. Then the window "Verlauf" (offscreen) opened until its heat map is
// drawn, switched to another entry, widened to a year; one measurement appended with its sync;
// and the database's size. Prints lines of "figure<TAB>value<TAB>unit<TAB>target".
//   bench_history [DATABASE]   keeps the year in DATABASE, and uses it when it is there
#include "common/Figures.h"
#include "storage/HistoryStore.h"
#include "ui/HistoryWindow.h"

#include <QApplication>
#include <QDate>
#include <QTemporaryDir>

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

namespace {

using namespace skedula;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU of the calling thread, in ms: the window works on the GUI thread, and the machine may be
// shared, which stretches the wall time but not this.
double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Entry {
    const char* frequency;
    const char* mode;
};
const std::array<Entry, 5> kEntries = {{{"9650000", "AM"},
                                        {"7100000", "AM"},
                                        {"14230000", "USB"},
                                        {"3630000", "LSB"},
                                        {"6070000", "AM"}}};

// A year up to today, each entry once a minute at the seconds a queue of five measures them.
void MakeYear(const std::string& path, int today) {
    HistoryStore store(path, std::chrono::seconds(5));
    const int firstDay = today - 364;
    long long n = 0;
    unsigned noise = 4711;
    const long long total = 365LL * 1440 * kEntries.size();
    store.AppendAll([&](Measurement& m) {
        if (n == total)
            return false;
        const auto entry = static_cast<std::size_t>(n % kEntries.size());
        const long long minute = n / static_cast<long long>(kEntries.size());
        const QDate date = QDate::fromJulianDay(firstDay + minute / 1440);
        char time[40];
        std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02lld:%02lld:%02d+01:00", date.year(),
                      date.month(), date.day(), minute % 1440 / 60, minute % 60,
                      10 + static_cast<int>(entry) * 21 / 2);
        m.time = time;
        m.frequency = m.radioFrequency = kEntries[entry].frequency;
        m.mode = m.radioMode = kEntries[entry].mode;
        m.threshold = 5;
        bool reported = true;
        for (std::optional<Sample>& sample : m.samples) {
            noise = noise * 1103515245u + 12345u;
            // S0 to S9: all three at S5 or more one time in ten.
            const int level = -54 + static_cast<int>((noise >> 16) % 56);
            const int unit = std::clamp((54 + level) / 6, 0, 9);
            sample = Sample{unit, static_cast<double>(level)};
            reported = reported && unit >= 5;
        }
        m.reported = reported;
        if (reported)
            m.recording = "/home/hoerer/.local/share/Skedula/Aufnahmen/" + m.time + "-" +
                          m.frequency + ".flac";
        ++n;
        return true;
    });
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const std::string path = argc > 1 ? argv[1] : folder.filePath("verlauf.sqlite").toStdString();
    const int today = static_cast<int>(QDate::currentDate().toJulianDay());

    if (!std::filesystem::exists(path)) {
        const auto made = Clock::now();
        MakeYear(path, today);
        std::fprintf(stderr, "made the year in %.1f s\n", MsSince(made) / 1000);
    }
    bench::Print("database size", static_cast<double>(std::filesystem::file_size(path)) / 1e6, "MB",
                 "< 300");
    bench::Print("rows", 365.0 * 1440 * kEntries.size(), "count", "about 2.7 million");

    // Opened as the menu opens it: read, the entry of the latest measurement chosen, drawn.
    std::vector<double> opens, switches, counted, openCpu, switchCpu;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        const double cpu = ThreadCpuMs();
        HistoryWindow window(path, nullptr);
        window.Open();
        window.grab();
        opens.push_back(MsSince(start));
        openCpu.push_back(ThreadCpuMs() - cpu);
        // The counts come from a thread of their own, after the picture.
        while (window.EntryList->topLevelItem(0)->text(2) == "...")
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        counted.push_back(MsSince(start));
        for (int entry = 0; entry < 4; ++entry) {
            const auto chosen = Clock::now();
            const double cpuBefore = ThreadCpuMs();
            window.EntryList->setCurrentItem(window.EntryList->topLevelItem(entry));
            window.grab();
            switches.push_back(MsSince(chosen));
            switchCpu.push_back(ThreadCpuMs() - cpuBefore);
        }
        if (round == 4) {
            const auto widened = Clock::now();
            window.RangeBox->setCurrentIndex(1);
            window.grab();
            bench::Print("widening to a year until drawn", MsSince(widened), "ms", "-");
        }
    }
    bench::Print("opening the window until the heat map is drawn, median",
                 bench::Percentile(opens, 0.5), "ms", "< 500");
    bench::Print("opening the window, worst", bench::Percentile(opens, 1), "ms", "-");
    bench::Print("opening the window, CPU of the GUI thread, median",
                 bench::Percentile(openCpu, 0.5), "ms", "-");
    bench::Print("counts in the list, median", bench::Percentile(counted, 0.5), "ms", "-");
    bench::Print("switching to another entry, median", bench::Percentile(switches, 0.5), "ms",
                 "< 200");
    bench::Print("switching to another entry, worst", bench::Percentile(switches, 1), "ms", "-");
    bench::Print("switching, CPU of the GUI thread, median", bench::Percentile(switchCpu, 0.5),
                 "ms", "-");

    // One transaction each, synced before Append returns, as the writer's thread does it.
    std::vector<double> appends;
    {
        HistoryStore store(path, std::chrono::seconds(5));
        Measurement m;
        m.frequency = m.radioFrequency = "9650000";
        m.mode = m.radioMode = "AM";
        m.threshold = 5;
        m.samples = {Sample{7, -12.0}, Sample{7, -12.0}, Sample{6, -17.0}};
        for (int i = 0; i < 300; ++i) {
            m.time = QDate::fromJulianDay(today + 1).toString(Qt::ISODate).toStdString() +
                     "T00:" + std::to_string(10 + i / 60) + ":" + std::to_string(10 + i % 50) +
                     "+01:00";
            const auto start = Clock::now();
            store.Append(m);
            appends.push_back(MsSince(start));
        }
    }
    bench::Print("appending one measurement with its sync, median", bench::Percentile(appends, 0.5),
                 "ms", "< 5");
    bench::Print("appending one measurement with its sync, 95th percentile",
                 bench::Percentile(appends, 0.95), "ms", "-");
    return 0;
}
