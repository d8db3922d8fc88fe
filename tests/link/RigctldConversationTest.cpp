// The rigctld backend under the receiver link, against a scripted stand-in server on a free
// loopback port: normal service, a refused item, a server that quits, hangs or talks nonsense,
// and commands that must never reach the wire.
#include "link/rigctld/RigctldConversation.h"
#include "RigctldStation.h"
#include "fakes/EventLoop.h"
#include "fakes/FakeRigctldServer.h"
#include "link/AdvisedItem.h"
#include "link/ReceiverLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using namespace std::string_literals;
using skedula::AdvisedItem;
using skedula::Endpoint;
using skedula::FakeRigctldServer;
using skedula::ReceiverLink;
using skedula::RigctldConversation;
using skedula::SilentServer;
using skedula::test::Count;
using skedula::test::Fast;
using skedula::test::Lines;
using skedula::test::Station;
using skedula::test::WaitForMoreLines;
using skedula::test::WaitUntil;
using Answer = FakeRigctldServer::Answer;

namespace {

// The level behind the S-meter text follows every reading, also one that changes no S-unit,
// and is always the level of the text the link holds.
TEST(RigctldConversation, TheLevelFollowsTheReadingsBehindTheText) {
    FakeRigctldServer server;
    server.SetStrength(-12);
    Station station(server.Port());
    ASSERT_TRUE(station.Start());
    EXPECT_EQ(station.sMeter.Text(), "S7");
    EXPECT_EQ(station.port.LevelDb("HRD_SMETER"), -12.0);
    EXPECT_EQ(station.port.LevelDb("HRD_FREQUENCY"), std::nullopt);
    server.SetStrength(-10);
    ASSERT_TRUE(WaitUntil([&] { return station.port.LevelDb("HRD_SMETER") == -10.0; }));
    EXPECT_EQ(station.sMeter.Text(), "S7");
    station.link.CloseConversation();
    EXPECT_EQ(station.port.LevelDb("HRD_SMETER"), std::nullopt);
}

TEST(RigctldConversation, OpenAdvisesAndFetchesTheThreeItems) {
    FakeRigctldServer server;
    Station station(server.Port());

    ASSERT_TRUE(station.Start());

    EXPECT_EQ(station.Texts(), (Lines{"14230000", "USB", "S7"}));
    EXPECT_EQ(station.events,
              (Lines{"open", "HRD_FREQUENCY=14230000", "HRD_MODE=USB", "HRD_SMETER=S7"}));
    EXPECT_EQ(server.Lines(),
              (Lines{"\\chk_vfo", "+f", "+m", "+l STRENGTH", "+f", "+m", "+l STRENGTH"}));
}

TEST(RigctldConversation, CommandsReachTheRadioAndComeBackInTheReadOuts) {
    FakeRigctldServer server;
    Station station(server.Port());
    ASSERT_TRUE(station.Start());

    EXPECT_TRUE(station.link.SendCommand("freq 7100000"));
    EXPECT_TRUE(station.link.SendCommand("mode AM"));

    EXPECT_TRUE(WaitUntil([&] { return station.Texts() == Lines{"7100000", "AM", "S7"}; }));
    const Lines lines = server.Lines();
    EXPECT_EQ(Count(lines, "+F 7100000"), 1u);
    EXPECT_EQ(Count(lines, "+M AM 0"), 1u);
}

TEST(RigctldConversation, PollingAnnouncesChangesOnly) {
    FakeRigctldServer server;
    Station station(server.Port());
    ASSERT_TRUE(station.Start());
    station.events.clear();

    server.SetStrength(10);
    ASSERT_TRUE(WaitUntil([&] { return station.sMeter.Text() == "S9+10dB"; }));
    // Several more rounds of an unchanged radio announce nothing more.
    ASSERT_TRUE(WaitForMoreLines(server, 12));

    EXPECT_EQ(station.events, (Lines{"HRD_SMETER=S9+10dB"}));
}

// A radio that answers slowly (a rig switched off while rigctld retries, 2 s a line) must
// not collect a queue of polls in front of the tuning commands. All times are a tenth of
// the real ones: bounds of 100 and 25 ms, 200 ms a line, an entry tuned every 1050 ms.
TEST(RigctldConversation, SlowRadioGetsEachTuningWithinOneLineAndNoQueueOfPolls) {
    using Clock = std::chrono::steady_clock;
    constexpr auto Line = 200ms;
    constexpr auto Entry = 1050ms;
    constexpr int Entries = 16;
    FakeRigctldServer server;
    Station station(server.Port(), {.exchange = 100ms, .pollInterval = 25ms});
    ASSERT_TRUE(station.Start());
    server.SetLineDelay(Line);

    std::vector<Clock::time_point> sent;
    const Clock::time_point begin = Clock::now();
    for (int i = 0; i < Entries; ++i) {
        ASSERT_TRUE(WaitUntil([&] { return Clock::now() >= begin + i * Entry; }));
        sent.push_back(Clock::now());
        station.link.SendCommand("freq " + std::to_string(7000000 + i));
        station.link.SendCommand("mode AM");
    }
    const auto tunings = [&] {
        std::vector<FakeRigctldServer::Taken> taken;
        for (const FakeRigctldServer::Taken& line : server.TakenLines()) {
            if (line.line.rfind("+F ", 0) == 0) {
                taken.push_back(line);
            }
        }
        return taken;
    };
    ASSERT_TRUE(WaitUntil([&] { return tunings().size() == Entries; }, 5s));

    const std::vector<FakeRigctldServer::Taken> taken = tunings();
    for (int i = 0; i < Entries; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(taken[i].line, "+F " + std::to_string(7000000 + i));
        // At most the line in the radio's hands is ahead of it (a little slack for the
        // scheduler), so that two entries reach the radio an entry's time apart, give or
        // take one line.
        EXPECT_LT(taken[i].at - sent[i], Line + 100ms);
    }
    // Behind the line in hand there wait at most the two commands of one entry.
    EXPECT_LE(server.MostWaiting(), 2u);
    // The polls went on all the while.
    EXPECT_GE(Count(server.Lines(), "+l STRENGTH"), 10u);
}

TEST(RigctldConversation, RefusedItemAloneGoesBlankAndIsNotPolled) {
    FakeRigctldServer server;
    server.SetScript([](const std::string& line) -> std::optional<Answer> {
        if (line == "+l STRENGTH") {
            return Answer{{"get_level: STRENGTH\nRPRT -11\n"}};
        }
        return std::nullopt;
    });
    Station station(server.Port());

    ASSERT_TRUE(station.Start());

    EXPECT_EQ(station.events,
              (Lines{"HRD_SMETER=", "open", "HRD_FREQUENCY=14230000", "HRD_MODE=USB"}));
    ASSERT_TRUE(WaitForMoreLines(server, 6));
    EXPECT_EQ(Count(server.Lines(), "+l STRENGTH"), 1u);
}

TEST(RigctldConversation, ServerQuittingMidRunClosesOnceAndKeepsTheTexts) {
    for (const bool reset : {false, true}) {
        SCOPED_TRACE(reset ? "reset" : "end of stream");
        FakeRigctldServer server;
        Station station(server.Port());
        ASSERT_TRUE(station.Start());

        server.Quit(reset);

        ASSERT_TRUE(WaitUntil([&] { return station.closes > 0; }));
        EXPECT_FALSE(station.link.SendCommand("freq 7100000"));
        station.link.CloseConversation();  // Stop
        skedula::test::RunPendingEvents(); // a late notice would arrive here
        EXPECT_EQ(station.closes, 1);
        EXPECT_EQ(station.Texts(), (Lines{"14230000", "USB", "S7"}));
    }
}

TEST(RigctldConversation, ServerClosingInTheMiddleOfAReplyEndsTheConversation) {
    FakeRigctldServer server;
    Station station(server.Port());
    ASSERT_TRUE(station.Start());
    server.SetFrequency("7000000");
    server.SetScript([](const std::string& line) -> std::optional<Answer> {
        if (line == "+f") {
            return Answer{{"get_freq:\nFreq"}, true};
        }
        return std::nullopt;
    });

    ASSERT_TRUE(WaitUntil([&] { return station.closes > 0; }));
    EXPECT_EQ(station.closes, 1);
    EXPECT_EQ(station.frequency.Text(), "14230000");
}

// A server that accepts connections but answers nothing (hung, or stopped) is none: its
// greeting goes unanswered for one bound.
TEST(RigctldConversation, ServerThatNeverAnswersFailsTheOpenAtItsGreeting) {
    SilentServer server;
    Station station(server.Port());

    EXPECT_FALSE(station.Start());
    EXPECT_EQ(station.events, (Lines{"HRD_FREQUENCY=", "HRD_MODE=", "HRD_SMETER="}));
    EXPECT_FALSE(station.link.SendCommand("freq 7100000"));
}

TEST(RigctldConversation, RequestToAServerThatStopsAnsweringEndsAtTheContractBound) {
    FakeRigctldServer server;
    server.SetScript([](const std::string& line) -> std::optional<Answer> {
        if (line == "+f") {
            return Answer{}; // never answered
        }
        return std::nullopt;
    });
    RigctldConversation port(Endpoint{"127.0.0.1", server.Port()});
    ASSERT_TRUE(port.Connect("HRD_RADIO_000", "HRD_CAT"));

    EXPECT_EQ(port.Request("HRD_FREQUENCY"), std::nullopt);
    // Late is no refusal: the item is advised all the same.
    EXPECT_TRUE(port.StartAdvise("HRD_FREQUENCY"));
    EXPECT_EQ(port.Request("HRD_MODE"), "USB");
}

TEST(RigctldConversation, GarbageAndPartialRepliesNeitherFoolNorDerailTheStream) {
    struct Case {
        std::string name;
        Answer answer;
        std::optional<std::string> text;
        // The reply after one that never ended glues onto it and is lost; the one after that
        // is back in step.
        std::optional<std::string> nextText = "USB";
    };
    const std::vector<Case> cases = {
        {"in pieces", {{"get_fr", "eq:\nFrequ", "ency: 7050000\nRP", "RT 0\n"}}, "7050000"},
        {"CR LF", {{"get_freq:\r\nFrequency: 7050000\r\nRPRT 0\r\n"}}, "7050000"},
        {"noise first", {{"*** welcome ***\nget_freq:\nFrequency: 7050000\nRPRT 0\n"}}, "7050000"},
        {"stray reply first",
         {{"get_mode:\nMode: AM\nRPRT 0\nget_freq:\nFrequency: 7050000\nRPRT 0\n"}},
         "7050000"},
        {"unreadable value", {{"get_freq:\nFrequency: seven\nRPRT 0\n"}}, std::nullopt},
        {"failure", {{"get_freq:\nRPRT -5\n"}}, std::nullopt},
        {"bare failure", {{"RPRT -8\n"}}, std::nullopt},
        {"cut short", {{"get_freq:\nFrequency: 7050000\n"}}, std::nullopt},
        {"no line end", {{std::string(5000, 'x')}}, std::nullopt, std::nullopt},
        {"zero bytes", {{"\0\0\0\n"s}}, std::nullopt},
        {"answer to another query", {{"get_level: STRENGTH\n-12\nRPRT 0\n"}}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRigctldServer server;
        server.SetScript([&c](const std::string& line) -> std::optional<Answer> {
            if (line == "+f") {
                return c.answer;
            }
            return std::nullopt;
        });
        RigctldConversation port(Endpoint{"127.0.0.1", server.Port()}, Fast());
        ASSERT_TRUE(port.Connect("HRD_RADIO_000", "HRD_CAT"));

        EXPECT_EQ(port.Request("HRD_FREQUENCY"), c.text);
        // Whatever came before, no exchange gets another one's answer, and the stream is
        // back in step at once.
        EXPECT_EQ(port.Request("HRD_MODE"), c.nextText);
        EXPECT_EQ(port.Request("HRD_SMETER"), "S7");
    }
}

TEST(RigctldConversation, UnsafeCommandsNeverReachTheServer) {
    FakeRigctldServer server;
    Station station(server.Port());
    ASSERT_TRUE(station.Start());
    station.link.CloseConversation();
    RigctldConversation& port = station.port;
    ASSERT_TRUE(port.Connect("HRD_RADIO_000", "HRD_CAT"));
    const std::size_t before = server.Lines().size();

    const Lines refused = {
        "freq ",
        "freq",
        "freq 7 100",
        "freq 7100000\n+Q",
        "freq 7100000\r+Q",
        "freq 71\0"
        "00"s,
        "mode AM\x01",
        "mode \x7f",
        "mode A M",
        "mode ?",
        "freq \\q",
        "tune 7100000",
        "FREQ 7100000",
        "",
        "freq " + std::string(65, '1'),
    };
    for (const std::string& command : refused) {
        EXPECT_FALSE(port.Execute(command)) << command;
    }
    // An exchange afterwards shows what the server received in between: only that.
    ASSERT_EQ(port.Request("HRD_MODE"), "USB");
    const Lines lines = server.Lines();
    EXPECT_EQ(Lines(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()),
              (Lines{"+m"}));
}

TEST(RigctldConversation, OnlyTheContractServiceAndTopicConnect) {
    FakeRigctldServer server;
    RigctldConversation port(Endpoint{"127.0.0.1", server.Port()}, Fast());

    EXPECT_FALSE(port.Connect("HRD_RADIO_001", "HRD_CAT"));
    EXPECT_FALSE(port.Connect("HRD_RADIO_000", "CAT"));
    EXPECT_FALSE(port.Connect("", ""));
    EXPECT_EQ(server.Connections(), 0u);
    EXPECT_TRUE(port.Connect("HRD_RADIO_000", "HRD_CAT"));
}

TEST(RigctldConversation, MissingServerProgramFailsTheOpen) {
    const std::uint16_t freePort = skedula::FreeLoopbackPort();
    Station station(freePort);
    station.link.SetServiceApplication(
        {"/nonexistent/rigctld", "-T", "127.0.0.1", "-t", std::to_string(freePort)});

    EXPECT_FALSE(station.Start());
    EXPECT_EQ(station.events, (Lines{"HRD_FREQUENCY=", "HRD_MODE=", "HRD_SMETER="}));
}

} // namespace
