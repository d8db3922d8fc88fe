// Measures the radio setup against real rigctld processes on loopback: how long Start takes
// when Skedula starts rigctld for a radio (Hamlib's model 2, NET rigctl, in front of a second
// rigctld that stands for the radio) until the link is open, the same for the dummy radio,
// and how long "Testen" takes, with and without a rigctld to start. Prints one line per
// figure: name<TAB>value<TAB>unit<TAB>target.
#include "app/Composition.h"
#include "app/RadioTester.h"
#include "app/SkedulaApplication.h"
#include "e2e/RigctldProcess.h"
#include "fakes/FreePort.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace skedula;
using Clock = std::chrono::steady_clock;

constexpr int Rounds = 10;

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void Print(const std::string& name, double value, const char* unit, const char* target) {
    std::printf("%s\t%.1f\t%s\t%s\n", name.c_str(), value, unit, target);
}

void Figures(const std::string& name, std::vector<double> values, const char* target) {
    std::sort(values.begin(), values.end());
    Print(name + " median", values[values.size() / 2], "ms", target);
    Print(name + " worst", values.back(), "ms", "-");
}

// The radio: Hamlib's dummy with a constant S-meter, on a port of its own.
using FarRadio = e2e::RigctldProcess;

RadioChoice NetRigctl(const FarRadio& far, std::uint16_t port) {
    RadioChoice choice;
    choice.program = RadioProgram::Hamlib;
    choice.model = 2;
    choice.device = "127.0.0.1:" + std::to_string(far.port());
    choice.port = port;
    return choice;
}

// Start until the status field turns green; the open runs inside the click.
double StartUntilConnected(const RadioChoice& choice) {
    LinkSettings settings;
    settings.radio = choice;
    Composition program(settings);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    QCoreApplication::processEvents();
    const Clock::time_point start = Clock::now();
    form.StartBtnClick();
    const double took = Ms(Clock::now() - start);
    if (form.StatusLabel->text() != "connected")
        std::fprintf(stderr, "bench_radio: Start did not connect\n");
    form.StopBtnClick();
    form.close();
    return took;
}

double TestTime(const RadioChoice& choice) {
    const Clock::time_point start = Clock::now();
    const RadioTestResult result = TestRadio(choice, ServerArguments(choice), RadioTimings{});
    const double took = Ms(Clock::now() - start);
    if (!result.reached)
        std::fprintf(stderr, "bench_radio: Testen %s: %s\n", Describe(choice, {}).c_str(),
                     result.text.c_str());
    return took;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SkedulaApplication app(argc, argv);
    FarRadio far;

    std::vector<double> modelStart, dummyStart, testStarting, testAnswering, testDummy;
    for (int round = 0; round < Rounds; ++round) {
        modelStart.push_back(StartUntilConnected(NetRigctl(far, FreeLoopbackPort())));
        RadioChoice dummy;
        dummy.port = FreeLoopbackPort();
        dummyStart.push_back(StartUntilConnected(dummy));

        testStarting.push_back(TestTime(NetRigctl(far, FreeLoopbackPort())));
        RadioChoice answering;
        answering.program = RadioProgram::Network;
        answering.port = far.port();
        testAnswering.push_back(TestTime(answering));
        dummy.port = FreeLoopbackPort();
        testDummy.push_back(TestTime(dummy));
    }
    Figures("Start with rigctld -m 2 until connected", modelStart, "<= 3000");
    Figures("Start with the dummy rigctld until connected", dummyStart, "<= 3000");
    Figures("Testen starting rigctld -m 2", testStarting, "-");
    Figures("Testen starting the dummy rigctld", testDummy, "-");
    Figures("Testen with a rigctld that answers", testAnswering, "-");
    return 0;
}
