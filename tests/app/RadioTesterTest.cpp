// "Testen" against real rigctld processes and a scripted stand-in: what it shows, why it
// could not, and that it leaves nothing running that it started.
#include "app/RadioTester.h"

#include "fakes/EventLoop.h"
#include "fakes/FakeGqrxServer.h"
#include "fakes/FakeRigctldServer.h"
#include "fakes/FreePort.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

RadioTestResult Tested(const RadioChoice& choice,
                       const std::vector<std::string>& extra = {"-C", "static_data=1"}) {
    std::vector<std::string> arguments = ServerArguments(choice);
    if (!arguments.empty())
        arguments.insert(arguments.end(), extra.begin(), extra.end());
    return TestRadio(choice, arguments, RadioTimings{});
}

RadioChoice Hamlib(int model, const std::string& device) {
    RadioChoice choice;
    choice.program = RadioProgram::Hamlib;
    choice.model = model;
    choice.device = device;
    choice.port = FreeLoopbackPort();
    return choice;
}

TEST(RadioTester, StartsTheDummyReadsItAndEndsIt) {
    RadioChoice dummy;
    dummy.port = FreeLoopbackPort();
    const RadioTestResult result = Tested(dummy);
    EXPECT_TRUE(result.reached);
    EXPECT_EQ(result.text, "145000000 FM S7");
    EXPECT_FALSE(LoopbackAccepts(dummy.port));
}

// A rigctld that already answers (a logging program's) is used as it is: the test says whose
// readings it shows, for the dummy as for a radio.
TEST(RadioTester, SaysWhenTheRigctldThatAnswersIsNotSkedulas) {
    FakeRigctldServer server;
    RadioChoice dummy;
    dummy.port = server.Port();
    const std::string note = "Auf Port " + std::to_string(server.Port()) +
                             " antwortet ein rigctld, den Skedula nicht gestartet hat; Modell und "
                             "Gerät werden nicht benutzt. ";
    for (RadioChoice choice : {dummy, Hamlib(3073, "/dev/null")}) {
        choice.port = server.Port();
        const RadioTestResult result = Tested(choice);
        EXPECT_TRUE(result.reached);
        EXPECT_EQ(result.text, note + "14230000 USB S7");
    }
    server.SetScript([](const std::string& line) -> std::optional<FakeRigctldServer::Answer> {
        if (line == "+f")
            return FakeRigctldServer::Answer{{"get_freq:\nRPRT -11\n"}};
        return std::nullopt;
    });
    EXPECT_EQ(Tested(dummy).text,
              note + "Verbunden, aber der Server beantwortet die Abfrage der Frequenz nicht");
}

TEST(RadioTester, SaysWhyItReachedNothing) {
    RadioChoice network;
    network.program = RadioProgram::Network;
    network.port = FreeLoopbackPort();
    const RadioChoice missing = Hamlib(3073, "/dev/skedula-no-such-ttyUSB9");
    // A model this Hamlib does not know makes rigctld leave at once.
    const RadioChoice unknownModel = Hamlib(999999, "/dev/null");
    struct Case {
        RadioChoice choice;
        std::string text;
    };
    const Case cases[] = {
        {network, "Keine Verbindung: Auf 127.0.0.1:" + std::to_string(network.port) +
                      " antwortet kein rigctld"},
        {missing, "Keine Verbindung: Das Gerät /dev/skedula-no-such-ttyUSB9 gibt es nicht"},
        {unknownModel, "Keine Verbindung: rigctld hat sich mit Fehler 2 beendet: Please check "
                       "with --list option."},
    };
    for (const Case& c : cases) {
        const RadioTestResult result = Tested(c.choice);
        EXPECT_FALSE(result.reached) << c.text;
        EXPECT_EQ(result.text.substr(0, c.text.size()), c.text) << result.text;
        EXPECT_FALSE(LoopbackAccepts(c.choice.port)) << c.text;
    }
}

TEST(RadioTester, NamesAQueryTheServerDoesNotKnow) {
    FakeRigctldServer server;
    server.SetScript([](const std::string& line) -> std::optional<FakeRigctldServer::Answer> {
        if (line == "+l STRENGTH")
            return FakeRigctldServer::Answer{{"get_level: STRENGTH\nRPRT -11\n"}};
        return std::nullopt;
    });
    RadioChoice network;
    network.program = RadioProgram::Network;
    network.port = server.Port();
    const RadioTestResult result = Tested(network);
    EXPECT_FALSE(result.reached);
    EXPECT_EQ(result.text, "Verbunden, aber der Server beantwortet die Abfrage des S-Meters nicht");
}

RadioChoice Gqrx(std::uint16_t port) {
    RadioChoice choice;
    choice.program = RadioProgram::Gqrx;
    choice.port = port;
    choice.s9Dbfs = -40;
    return choice;
}

// The stand-in's level means something as soon as its DSP runs.
RadioTestResult TestedGqrx(std::uint16_t port) {
    RadioTimings timings;
    timings.gqrxDspSettle = std::chrono::milliseconds(0);
    return TestRadio(Gqrx(port), {}, timings);
}

TEST(RadioTester, GqrxShowsTheRawLevelAndLetsGoOfItsConnection) {
    FakeGqrxServer server;
    server.SetLevel(-20.0);
    const RadioTestResult result = TestedGqrx(server.Port());
    EXPECT_TRUE(result.reached);
    // With the listener's calibration (S9 at -40 dBFS), and gqrx's decimal kept.
    EXPECT_EQ(result.text, "7100000 USB S9+20dB (-20.0 dBFS)");
    EXPECT_TRUE(server.DspRunning());
    // gqrx serves one client at a time: a connection kept would be dropped by the watch's.
    EXPECT_TRUE(test::WaitUntil([&] { return server.OpenConnections() == 0; }));
}

TEST(RadioTester, GqrxThatDoesNotAnswerOrHasNoLevel) {
    const std::uint16_t nobody = FreeLoopbackPort();
    const RadioTestResult silent = TestedGqrx(nobody);
    EXPECT_FALSE(silent.reached);
    EXPECT_EQ(silent.text.rfind("Keine Verbindung: Die Fernsteuerung von gqrx antwortet nicht auf "
                                "127.0.0.1:" +
                                    std::to_string(nobody) + " (",
                                0),
              0u)
        << silent.text;

    // As SDR++ and SDRangel: a rigctl-like server without a level.
    FakeGqrxServer server;
    server.SetScript([](const std::string& line) -> std::optional<FakeGqrxServer::Answer> {
        if (line.rfind("l", 0) == 0)
            return FakeGqrxServer::Answer{{"RPRT 1\n"}};
        return std::nullopt;
    });
    const RadioTestResult noLevel = TestedGqrx(server.Port());
    EXPECT_FALSE(noLevel.reached);
    EXPECT_EQ(noLevel.text,
              "Verbunden, aber der Server beantwortet die Abfrage des S-Meters nicht");
    EXPECT_TRUE(test::WaitUntil([&] { return server.OpenConnections() == 0; }));
}

} // namespace
} // namespace skedula
