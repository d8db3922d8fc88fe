// Measures the receiver link against the real rigctld on loopback: the request round trip,
// how soon a command is at the server, and the same query done the way a listener would
// script it without Skedula (one rigctl process per query); how long a hung server or a host
// name nobody answers for can hold the caller; then the same against the real gqrx
// (BenchGqrx.cpp). Prints one line per figure: name<TAB>value<TAB>unit<TAB>target.
#include "BenchGqrx.h"
#include "common/Figures.h"
#include "fakes/FreePort.h"
#include "link/AdvisedItem.h"
#include "link/ReceiverLink.h"
#include "link/rigctld/RigctldConversation.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::duration<double, std::micro>;

constexpr int Requests = 2000;
constexpr int Commands = 100;
constexpr int ScriptedQueries = 40;
constexpr int Arrivals = 100;

using skedula::LoopbackAccepts;
using skedula::bench::Percentile;
using skedula::bench::Print;

// A loopback socket bound to a port the kernel chose; listening makes it a server that
// completes connects but never answers.
int BoundSocket(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One "rigctl -m 2 -r 127.0.0.1:PORT f", as a shell script would run it.
bool ScriptedQuery(const std::string& endpoint) {
    std::vector<std::string> words = {"rigctl", "-m", "2", "-r", endpoint, "f"};
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, "rigctl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return error == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Time from SendCommand to rigctld's taking the command in hand: a rigctld with its debug
// output on reports "rig_set_freq called ... freq=N" as it starts on the command; a thread
// reads that from its stderr and notes the time (pipe latency included).
void MeasureCommandArrival() {
    const std::uint16_t port = skedula::FreeLoopbackPort();
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return;
    }
    const std::string portText = std::to_string(port);
    std::vector<std::string> words = {"rigctld", "-m",        "1",  "-C",     "static_data=1",
                                      "-T",      "127.0.0.1", "-t", portText, "-vvvv"};
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, "rigctld", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (error != 0) {
        ::close(pipeFds[0]);
        return;
    }

    std::mutex mutex;
    std::condition_variable seen;
    std::map<std::string, Clock::time_point> arrivals;
    std::thread reader([&] {
        std::string pending;
        char bytes[65536];
        ssize_t n = 0;
        while ((n = ::read(pipeFds[0], bytes, sizeof bytes)) > 0) {
            const Clock::time_point now = Clock::now();
            pending.append(bytes, static_cast<std::size_t>(n));
            std::size_t end = 0;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                const std::size_t at = line.find("rig_set_freq called");
                const std::size_t freq = line.find("freq=");
                if (at != std::string::npos && freq != std::string::npos) {
                    std::lock_guard lock(mutex);
                    arrivals.emplace(line.substr(freq + 5), now);
                    seen.notify_all();
                }
            }
        }
    });

    const Clock::time_point started = Clock::now();
    while (!LoopbackAccepts(port) && Clock::now() - started < std::chrono::seconds(5)) {
        QThread::msleep(10);
    }
    {
        skedula::RigctldConversation conversation(skedula::Endpoint{"127.0.0.1", port});
        skedula::ReceiverLink link(conversation);
        link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
        std::vector<double> arrivalTimes;
        if (link.OpenConversation()) {
            for (int i = 0; i < Arrivals; ++i) {
                const std::string hertz = std::to_string(7000000 + i);
                const Clock::time_point sent = Clock::now();
                link.SendCommand("freq " + hertz);
                std::unique_lock lock(mutex);
                if (seen.wait_for(lock, std::chrono::seconds(2),
                                  [&] { return arrivals.count(hertz) != 0; })) {
                    arrivalTimes.push_back(Micros(arrivals[hertz] - sent).count());
                }
                lock.unlock();
                // Each measured command meets an idle server.
                conversation.Request("HRD_FREQUENCY");
                QCoreApplication::processEvents();
            }
        }
        if (!arrivalTimes.empty()) {
            Print("command_arrival_at_rigctld_median", Percentile(arrivalTimes, 0.5), "us", "-");
            Print("command_arrival_at_rigctld_p99", Percentile(arrivalTimes, 0.99), "us", "-");
        }
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    reader.join();
    ::close(pipeFds[0]);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);

    const std::uint16_t port = skedula::FreeLoopbackPort();
    QProcess rigctld;
    rigctld.start("rigctld", {"-m", "1", "-C", "static_data=1", "-T", "127.0.0.1", "-t",
                              QString::number(port)});
    const Clock::time_point started = Clock::now();
    while (!LoopbackAccepts(port)) {
        if (Clock::now() - started > std::chrono::seconds(5)) {
            std::fprintf(stderr, "rigctld did not start\n");
            return 1;
        }
        QThread::msleep(10);
    }

    skedula::RigctldConversation conversation(skedula::Endpoint{"127.0.0.1", port});
    skedula::ReceiverLink link(conversation);
    skedula::AdvisedItem frequency(link, "HRD_FREQUENCY");
    skedula::AdvisedItem mode(link, "HRD_MODE");
    skedula::AdvisedItem sMeter(link, "HRD_SMETER");
    link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
    Clock::time_point begin = Clock::now();
    if (!link.OpenConversation()) {
        std::fprintf(stderr, "the link did not open\n");
        return 1;
    }
    Print("open_conversation", Micros(Clock::now() - begin).count() / 1000, "ms", "-");

    // Request round trip.
    std::vector<double> roundTrips;
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    for (int i = 0; i < Requests; ++i) {
        begin = Clock::now();
        if (!conversation.Request("HRD_FREQUENCY")) {
            std::fprintf(stderr, "a request failed\n");
            return 1;
        }
        roundTrips.push_back(Micros(Clock::now() - begin).count());
    }
    const double skedulaCpu = (CpuSeconds(RUSAGE_SELF) - cpuBefore) / Requests * 1e6;
    const double roundTripMedian = Percentile(roundTrips, 0.5);
    Print("request_round_trip_median", roundTripMedian, "us", "< 1000 us");
    Print("request_round_trip_p99", Percentile(roundTrips, 0.99), "us", "<= 1000000 us (bound)");

    std::vector<double> sendCalls;
    for (int i = 0; i < Commands; ++i) {
        begin = Clock::now();
        link.SendCommand("freq " + std::to_string(7000000 + i));
        sendCalls.push_back(Micros(Clock::now() - begin).count());
        // The dummy rig takes some 40 ms per tuning; let it finish before the next one.
        conversation.Request("HRD_FREQUENCY");
        QCoreApplication::processEvents();
    }
    Print("send_command_call_median", Percentile(sendCalls, 0.5), "us", "no wait for the server");

    // The scripted way: one rigctl process per query.
    const std::string endpoint = "127.0.0.1:" + std::to_string(port);
    std::vector<double> scripted;
    const double childCpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    for (int i = 0; i < ScriptedQueries; ++i) {
        begin = Clock::now();
        if (!ScriptedQuery(endpoint)) {
            std::fprintf(stderr, "rigctl failed\n");
            return 1;
        }
        scripted.push_back(Micros(Clock::now() - begin).count());
    }
    const double scriptedCpu =
        (CpuSeconds(RUSAGE_CHILDREN) - childCpuBefore) / ScriptedQueries * 1e6;
    const double scriptedMedian = Percentile(scripted, 0.5);
    Print("scripted_rigctl_query_median", scriptedMedian, "us", "-");
    Print("scripted_over_skedula_time_ratio", scriptedMedian / roundTripMedian, "x", ">= 20 x");
    Print("skedula_cpu_per_query", skedulaCpu, "us", "-");
    Print("scripted_cpu_per_query", scriptedCpu, "us", "-");
    Print("scripted_over_skedula_cpu_ratio", scriptedCpu / std::max(skedulaCpu, 0.001), "x",
          ">= 20 x");

    link.CloseConversation();
    rigctld.kill();
    rigctld.waitForFinished(5000);

    MeasureCommandArrival();

    // A server that completes the connect and never answers (hung, or stopped): its greeting
    // ends at the bound, and so does a whole try to reconnect.
    std::uint16_t silentPort = 0;
    const int silent = BoundSocket(silentPort);
    ::listen(silent, 8);
    {
        skedula::RigctldConversation hanging(skedula::Endpoint{"127.0.0.1", silentPort});
        begin = Clock::now();
        hanging.Connect("HRD_RADIO_000", "HRD_CAT");
        Print("connect_to_silent_server", Micros(Clock::now() - begin).count() / 1000, "ms",
              "<= 1000 ms");

        skedula::ReceiverLink hangingLink(hanging);
        skedula::AdvisedItem a(hangingLink, "HRD_FREQUENCY");
        skedula::AdvisedItem b(hangingLink, "HRD_MODE");
        skedula::AdvisedItem c(hangingLink, "HRD_SMETER");
        hangingLink.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
        begin = Clock::now();
        hangingLink.OpenConversation();
        Print("open_against_silent_server", Micros(Clock::now() - begin).count() / 1000, "ms",
              "<= 2000 ms (2 connects and their greetings, 1 start)");

        begin = Clock::now();
        hanging.LimitWaits(Clock::now() + std::chrono::milliseconds(1000));
        hangingLink.RetryConversation();
        hanging.LimitWaits(std::nullopt);
        Print("reconnect_try_against_silent_server", Micros(Clock::now() - begin).count() / 1000,
              "ms", "<= 1000 ms (one bound)");
    }
    ::close(silent);

    // A host name that no resolver answers for (a computer offline): the connect gives up at
    // the bound, and the caller never waits for the resolver.
    {
        skedula::RigctldConversation unnamed(skedula::Endpoint{"raspberrypi.local", 4532}, {},
                                             [](const QString&) {
                                                 std::this_thread::sleep_for(std::chrono::hours(1));
                                                 return QList<QHostAddress>{};
                                             });
        begin = Clock::now();
        unnamed.Connect("HRD_RADIO_000", "HRD_CAT");
        Print("connect_with_unanswered_host_name", Micros(Clock::now() - begin).count() / 1000,
              "ms", "<= 1000 ms (bound)");
    }

    return skedula::bench::MeasureGqrx() ? 0 : 1;
}
