// The gqrx port under the receiver link, against a scripted stand-in gqrx on a free loopback
// port: the DSP started on connect, the three items and the two commands in gqrx's plain
// form, replies that put the stream out of step, a silent server, and a server that quits.
#include "link/gqrx/GqrxConversation.h"
#include "fakes/EventLoop.h"
#include "fakes/FakeGqrxServer.h"
#include "link/AdvisedItem.h"
#include "link/ReceiverLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using skedula::AdvisedItem;
using skedula::Endpoint;
using skedula::FakeGqrxServer;
using skedula::GqrxConversation;
using skedula::ReceiverLink;
using skedula::SilentServer;
using skedula::test::WaitUntil;
using skedula::wire::Timings;
using Answer = FakeGqrxServer::Answer;
using Lines = std::vector<std::string>;

namespace {

constexpr double S9Dbfs = -36.0;

// Short bounds keep a silent server from slowing the run; the real ones are the defaults.
Timings Fast() {
    return {.exchange = 200ms, .pollInterval = 50ms};
}

struct Station {
    GqrxConversation port;
    ReceiverLink link{port};
    AdvisedItem frequency{link, "HRD_FREQUENCY"};
    AdvisedItem mode{link, "HRD_MODE"};
    AdvisedItem sMeter{link, "HRD_SMETER"};
    int opens = 0;
    int closes = 0;

    explicit Station(std::uint16_t port) : port(Endpoint{"127.0.0.1", port}, S9Dbfs, Fast()) {
        link.OnOpen = [this] { ++opens; };
        link.OnClose = [this] { ++closes; };
    }

    bool Start() {
        link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
        return link.OpenConversation();
    }

    Lines Texts() const { return {frequency.Text(), mode.Text(), sMeter.Text()}; }
};

std::size_t Count(const Lines& lines, const std::string& line) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST(GqrxConversation, OpenStartsAStoppedDspAndFetchesTheThreeItems) {
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "DSP running" : "DSP stopped");
        FakeGqrxServer server;
        server.SetDspRunning(running);
        Station station(server.Port());

        ASSERT_TRUE(station.Start());

        EXPECT_TRUE(server.DspRunning());
        // -77 dBFS is 41 dB below S9 at -36 dBFS: S2.
        EXPECT_EQ(station.Texts(), (Lines{"7100000", "USB", "S2"}));
        EXPECT_EQ(station.port.LastLevelDbfs(), -77.0);
        Lines expected = {"u DSP", "U DSP 1", "f", "m", "l STRENGTH", "f", "m", "l STRENGTH"};
        if (running) {
            expected.erase(expected.begin() + 1);
        }
        EXPECT_EQ(server.Lines(), expected);
    }
}

TEST(GqrxConversation, CommandsAndChangesComeBackInTheReadOuts) {
    FakeGqrxServer server;
    Station station(server.Port());
    ASSERT_TRUE(station.Start());

    EXPECT_TRUE(station.link.SendCommand("freq 7150000"));
    EXPECT_TRUE(station.link.SendCommand("mode AM"));
    server.SetLevel(-20.0);

    EXPECT_TRUE(WaitUntil([&] { return station.Texts() == Lines{"7150000", "AM", "S9+16dB"}; }));
    EXPECT_EQ(station.port.LastLevelDbfs(), -20.0);
    const Lines lines = server.Lines();
    EXPECT_EQ(Count(lines, "F 7150000"), 1u);
    EXPECT_EQ(Count(lines, "M AM 0"), 1u);
    // Refused before anything is written.
    EXPECT_FALSE(station.link.SendCommand("freq 7150000\nU DSP 0"));
    EXPECT_FALSE(station.link.SendCommand("mode "));
    EXPECT_TRUE(server.DspRunning());
}

// gqrx's one error to a level query is no reading: the S-meter goes blank, on the same
// connection, until gqrx gives a level again.
TEST(GqrxConversation, AFailedLevelQueryBlanksTheSMeterUntilTheNextLevel) {
    FakeGqrxServer server;
    Station station(server.Port());
    ASSERT_TRUE(station.Start());
    server.SetScript([](const std::string& line) -> std::optional<Answer> {
        if (line == "l STRENGTH") {
            return Answer{{"RPRT 1\n"}};
        }
        return std::nullopt;
    });

    ASSERT_TRUE(WaitUntil([&] { return station.sMeter.Text().empty(); }));
    EXPECT_EQ(station.Texts(), (Lines{"7100000", "USB", ""}));
    EXPECT_EQ(station.port.LevelDb("HRD_SMETER"), std::nullopt);
    server.SetScript({});
    EXPECT_TRUE(WaitUntil([&] { return station.sMeter.Text() == "S2"; }));
    EXPECT_EQ(server.Connections(), 1u);
    EXPECT_EQ(station.closes, 0);
}

TEST(GqrxConversation, ReplyOutOfStepFailsItsQueryAndTheStreamIsBackInStep) {
    struct Case {
        std::string name;
        Answer answer;
        Lines texts; // of frequency, S-meter and mode asked in turn; "-" for a failed request
    };
    // A late "-20.0" after a reply that did not fit must not pass for the next level.
    const std::vector<Case> cases = {
        {"garbage", {{"hello\n", "-20.0\n"}}, {"-", "S2", "USB"}},
        {"a success where a value belongs", {{"RPRT 0\n", "-20.0\n"}}, {"-", "S2", "USB"}},
        // gqrx's failure of the query: that query fails, and the stream stays in step.
        {"report of a failure", {{"RPRT 1\n"}}, {"-", "S2", "USB"}},
        {"a level where the frequency belongs", {{"-30.0\n", "-20.0\n"}}, {"-", "S2", "USB"}},
        {"overlong", {{std::string(5000, '7') + "\n", "-20.0\n"}}, {"-", "S2", "USB"}},
        // The line never ends: the stream is renewed at the bound, the next reply comes alone.
        {"a line cut off", {{"71"}}, {"-", "S2", "USB"}},
        {"a line too many, with nothing asked", {{"7100000\n7100000\n"}}, {"7100000", "S2", "USB"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeGqrxServer server;
        server.SetDspRunning(true);
        bool first = true;
        server.SetScript([&](const std::string& line) -> std::optional<Answer> {
            if (line == "f" && first) {
                first = false;
                return c.answer;
            }
            return std::nullopt;
        });
        GqrxConversation port(Endpoint{"127.0.0.1", server.Port()}, S9Dbfs, Fast());
        ASSERT_TRUE(port.Connect("HRD_RADIO_000", "HRD_CAT"));

        Lines texts;
        for (const char* item : {"HRD_FREQUENCY", "HRD_SMETER", "HRD_MODE"}) {
            texts.push_back(port.Request(item).value_or("-"));
        }
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(port.Request("HRD_FREQUENCY"), "7100000");
    }
}

TEST(GqrxConversation, CommandLeftUnansweredIsWrittenAgainOnAFreshConnection) {
    FakeGqrxServer server;
    Station station(server.Port());
    ASSERT_TRUE(station.Start());
    bool lost = false;
    server.SetScript([&](const std::string& line) -> std::optional<Answer> {
        if (line == "F 7150000" && !lost) {
            lost = true;
            return Answer{};
        }
        return std::nullopt;
    });

    EXPECT_TRUE(station.link.SendCommand("freq 7150000"));
    EXPECT_TRUE(station.link.SendCommand("mode AM"));

    EXPECT_TRUE(WaitUntil([&] { return station.Texts() == Lines{"7150000", "AM", "S2"}; }));
    EXPECT_EQ(server.Connections(), 2u);
    EXPECT_EQ(Count(server.Lines(), "F 7150000"), 2u);
    EXPECT_EQ(station.closes, 0);
}

TEST(GqrxConversation, SilentServerFailsTheOpenAndARequestEndsAtItsBound) {
    SilentServer silent;
    Station station(silent.Port());
    // Connected, but the remote control never answers: no open, read-outs blank.
    EXPECT_FALSE(station.Start());
    EXPECT_EQ(station.opens, 0);

    FakeGqrxServer server;
    GqrxConversation port(Endpoint{"127.0.0.1", server.Port()}, S9Dbfs, Fast());
    ASSERT_TRUE(port.Connect("HRD_RADIO_000", "HRD_CAT"));
    server.SetScript([](const std::string&) { return std::optional(Answer{}); });
    EXPECT_EQ(port.Request("HRD_SMETER"), std::nullopt);
    // Commands still leave without waiting.
    EXPECT_TRUE(port.Execute("freq 7150000"));
    EXPECT_FALSE(port.StartServer({"gqrx"}));
}

TEST(GqrxConversation, ServerQuittingClosesOnceAndKeepsTheTexts) {
    FakeGqrxServer server;
    Station station(server.Port());
    ASSERT_TRUE(station.Start());

    server.Quit();

    ASSERT_TRUE(WaitUntil([&] { return station.closes > 0; }));
    EXPECT_FALSE(station.link.SendCommand("freq 7150000"));
    station.link.CloseConversation();
    skedula::test::RunPendingEvents();
    EXPECT_EQ(station.closes, 1);
    EXPECT_EQ(station.Texts(), (Lines{"7100000", "USB", "S2"}));
}

} // namespace
