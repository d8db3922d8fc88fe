// The request round trip to the real gqrx, headless, on loopback, and how soon a tuning
// command reaches it and is acknowledged (seen by a relay on the way, since gqrx logs
// nothing per command).
#include "BenchGqrx.h"

#include "common/Figures.h"
#include "common/LineRelay.h"
#include "fakes/GqrxProcess.h"
#include "link/ReceiverLink.h"
#include "link/gqrx/GqrxConversation.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace skedula::bench {

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::duration<double, std::micro>;

constexpr int Requests = 2000;
constexpr int Commands = 200;

bool MeasureRoundTrips(const GqrxProcess& gqrx) {
    GqrxConversation conversation(Endpoint{gqrx.Host(), gqrx.Port()}, -36.0);
    const Clock::time_point begin = Clock::now();
    if (!conversation.Connect("HRD_RADIO_000", "HRD_CAT")) {
        return false;
    }
    Print("gqrx_connect_and_start_dsp", Micros(Clock::now() - begin).count() / 1000, "ms", "-");
    for (const char* item : {"HRD_FREQUENCY", "HRD_SMETER"}) {
        std::vector<double> roundTrips;
        for (int i = 0; i < Requests; ++i) {
            const Clock::time_point sent = Clock::now();
            if (!conversation.Request(item)) {
                std::fprintf(stderr, "a request to gqrx failed\n");
                return false;
            }
            roundTrips.push_back(Micros(Clock::now() - sent).count());
        }
        const std::string name =
            std::string("gqrx_request_round_trip_") + (item[4] == 'F' ? "frequency" : "smeter");
        Print((name + "_median").c_str(), Percentile(roundTrips, 0.5), "us", "< 1000 us");
        Print((name + "_p99").c_str(), Percentile(roundTrips, 0.99), "us", "<= 1000000 us (bound)");
    }
    return true;
}

bool MeasureCommands(const GqrxProcess& gqrx) {
    LineRelay relay(gqrx.Port());
    GqrxConversation conversation(Endpoint{"127.0.0.1", relay.Port()}, -36.0);
    ReceiverLink link(conversation);
    link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
    if (!link.OpenConversation()) {
        return false;
    }
    std::vector<double> arrivals;
    std::vector<double> acknowledgements;
    std::vector<double> calls;
    for (int i = 0; i < Commands; ++i) {
        // Near the carrier, never on the file's centre.
        const std::string line = "F " + std::to_string(GqrxProcess::CarrierHz + 10 * (i % 50));
        const Clock::time_point sent = Clock::now();
        link.SendCommand("freq " + line.substr(2));
        calls.push_back(Micros(Clock::now() - sent).count());
        // The command on its way to gqrx, and the first line back after it: its report.
        std::size_t command = 0;
        std::size_t report = 0;
        const bool answered = relay.WaitFor(
            [&](const std::vector<LineRelay::Passage>& passages) {
                for (command = 0; command < passages.size(); ++command) {
                    if (passages[command].toServer && passages[command].line == line &&
                        passages[command].at >= sent) {
                        break;
                    }
                }
                for (report = command + 1; report < passages.size(); ++report) {
                    if (!passages[report].toServer) {
                        return true;
                    }
                }
                return false;
            },
            std::chrono::seconds(2));
        if (!answered) {
            std::fprintf(stderr, "a tuning command did not reach gqrx\n");
            return false;
        }
        const std::vector<LineRelay::Passage> passages = relay.Passages();
        arrivals.push_back(Micros(passages[command].at - sent).count());
        acknowledgements.push_back(Micros(passages[report].at - sent).count());
        // Each measured command meets an idle server and an empty queue of replies.
        conversation.Request("HRD_FREQUENCY");
        QCoreApplication::processEvents();
    }
    Print("gqrx_send_command_call_median", Percentile(calls, 0.5), "us", "no wait for gqrx");
    Print("gqrx_command_arrival_median", Percentile(arrivals, 0.5), "us", "-");
    Print("gqrx_command_arrival_p99", Percentile(arrivals, 0.99), "us", "-");
    Print("gqrx_command_acknowledged_median", Percentile(acknowledgements, 0.5), "us", "-");
    Print("gqrx_command_acknowledged_p99", Percentile(acknowledgements, 0.99), "us", "-");
    return true;
}

} // namespace

bool MeasureGqrx() {
    const GqrxProcess gqrx;
    if (!gqrx.Started()) {
        std::fprintf(stderr, "%s\n", gqrx.Failure().c_str());
        return false;
    }
    Print("gqrx_listens_after_start", static_cast<double>(gqrx.ListenTime().count()), "ms", "-");
    return MeasureRoundTrips(gqrx) && MeasureCommands(gqrx);
}

} // namespace skedula::bench
