// Readings that can be trusted while nobody watches, over the rigctld port and stand-in
// servers: an item whose first answers fail or come late is polled all the same, a failed
// S-meter reading is no reading, a server silent for the bound has gone, and a host name that
// is not found in time fails the open without holding the caller.
#include "RigctldStation.h"
#include "fakes/EventLoop.h"
#include "fakes/FakeRigctldServer.h"
#include "fakes/HangingResolver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <memory>

using namespace std::chrono_literals;
using namespace std::string_literals;
using skedula::FakeRigctldServer;
using skedula::test::Count;
using skedula::test::Fast;
using skedula::test::Lines;
using skedula::test::Station;
using skedula::test::WaitForMoreLines;
using skedula::test::WaitUntil;
using Answer = FakeRigctldServer::Answer;
using Clock = std::chrono::steady_clock;

namespace {

// Each time the server answers a line, so that a script can answer the first of a kind
// otherwise than the others.
struct Tally {
    int frequency = 0;
    bool modeSet = false;
};

TEST(RigctldReadings, AnItemWhoseFirstAnswerFailsIsPolledUntilItHasItsValue) {
    FakeRigctldServer server;
    auto tally = std::make_shared<Tally>();
    // A serial radio: a protocol error to the first frequency query, no mode until one is set.
    server.SetScript([tally](const std::string& line) -> std::optional<Answer> {
        if (line == "+f" && tally->frequency++ == 0) {
            return Answer{{"get_freq:\nRPRT -8\n"}};
        }
        if (line.rfind("+M ", 0) == 0) {
            tally->modeSet = true;
        } else if (line == "+m" && !tally->modeSet) {
            return Answer{{"get_mode:\nMode: \nPassband: 0\nRPRT 0\n"}};
        }
        return std::nullopt;
    });
    Station station(server.Port());

    ASSERT_TRUE(station.Start());
    EXPECT_EQ(station.Texts(), (Lines{"14230000", "", "S7"}));
    EXPECT_TRUE(station.link.SendCommand("mode AM"));
    EXPECT_TRUE(WaitUntil([&] { return station.mode.Text() == "AM"; }));
    EXPECT_TRUE(station.link.SendCommand("freq 7100000"));
    EXPECT_TRUE(WaitUntil([&] { return station.frequency.Text() == "7100000"; }));
}

// The advise start got its answer in time, the first fetch did not: what the polls then
// read is announced, since the link never got it.
TEST(RigctldReadings, AFirstFetchThatComesLateIsAnnouncedByThePolls) {
    FakeRigctldServer server;
    auto tally = std::make_shared<Tally>();
    server.SetScript([tally](const std::string& line) -> std::optional<Answer> {
        if (line == "+f" && tally->frequency++ == 1) {
            return Answer{{"get_freq:\nFrequency: 14230000\nRPRT 0\n"}, false, 400ms};
        }
        return std::nullopt;
    });
    Station station(server.Port()); // a bound of 200 ms

    ASSERT_TRUE(station.Start());
    EXPECT_EQ(station.frequency.Text(), "");
    EXPECT_TRUE(WaitUntil([&] { return station.frequency.Text() == "14230000"; }));
}

// rigctld answers RPRT -5 to every level query once the radio is switched off: the S-meter
// read-out goes blank (once), its level with it, until the next good reading, which is then
// announced even when it reads as before. Frequency and mode keep their texts, and a reply
// that is merely late changes nothing.
TEST(RigctldReadings, AFailedLevelQueryIsNoReadingUntilTheNextGoodOne) {
    for (const std::string& failure :
         {"get_level: STRENGTH\nRPRT -5\n"s, "get_level: STRENGTH\nS7\nRPRT 0\n"s, "RPRT -8\n"s}) {
        SCOPED_TRACE(failure);
        FakeRigctldServer server;
        Station station(server.Port());
        ASSERT_TRUE(station.Start());
        ASSERT_EQ(station.sMeter.Text(), "S7");
        station.events.clear();

        server.SetScript([failure](const std::string& line) -> std::optional<Answer> {
            if (line == "+l STRENGTH") {
                return Answer{{failure}};
            }
            return std::nullopt;
        });
        ASSERT_TRUE(WaitUntil([&] { return station.sMeter.Text().empty(); }));
        ASSERT_TRUE(WaitForMoreLines(server, 9));
        EXPECT_EQ(station.events, (Lines{"HRD_SMETER="}));
        EXPECT_EQ(station.Texts(), (Lines{"14230000", "USB", ""}));
        EXPECT_EQ(station.port.LevelDb("HRD_SMETER"), std::nullopt);

        server.SetScript({});
        ASSERT_TRUE(WaitUntil([&] { return station.sMeter.Text() == "S7"; }));
        EXPECT_EQ(station.port.LevelDb("HRD_SMETER"), -12.0);
        EXPECT_EQ(station.closes, 0);
    }

    FakeRigctldServer server;
    Station station(server.Port());
    ASSERT_TRUE(station.Start());
    server.SetLineDelay(400ms); // twice the bound
    ASSERT_TRUE(WaitForMoreLines(server, 3));
    EXPECT_EQ(station.sMeter.Text(), "S7");
}

// A server that answers no line for the silence bound while one waits for its reply has gone,
// as when it quits; a shorter stall stays in step, and the command sent meanwhile arrives.
TEST(RigctldReadings, AServerSilentForTheBoundHasGoneAndAShorterStallStaysInStep) {
    FakeRigctldServer server;
    skedula::wire::Timings timings = Fast();
    timings.silence = 1500ms;
    Station station(server.Port(), timings);
    ASSERT_TRUE(station.Start());

    server.Freeze();
    EXPECT_TRUE(station.link.SendCommand("freq 7100000"));
    const Clock::time_point stalled = Clock::now();
    EXPECT_FALSE(WaitUntil([&] { return station.closes > 0; }, 900ms));
    server.Thaw();
    EXPECT_TRUE(WaitUntil([&] { return station.frequency.Text() == "7100000"; }));
    EXPECT_TRUE(station.link.SendCommand("mode AM"));
    EXPECT_TRUE(WaitUntil([&] { return station.mode.Text() == "AM"; }));
    EXPECT_EQ(station.closes, 0)
        << "a stall of "
        << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stalled).count()
        << " ms ended the conversation";

    server.Freeze();
    const Clock::time_point stopped = Clock::now();
    ASSERT_TRUE(WaitUntil([&] { return station.closes > 0; }));
    std::cout
        << "closed "
        << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stopped).count()
        << " ms after the server stopped (silence bound 1500 ms)\n";
    EXPECT_EQ(station.events.back(), "close");
    EXPECT_EQ(station.Texts(), (Lines{"7100000", "AM", "S7"}));
    EXPECT_FALSE(station.link.SendCommand("freq 7000000"));
    server.Thaw();
    skedula::test::RunPendingEvents();
    EXPECT_EQ(station.closes, 1);
}

// A try to reconnect keeps to its limit however slow the radio: once the limit has passed,
// nothing more is written (the lines would only wait at the radio), and the open goes on with
// its items advised, for the polls to fill them.
TEST(RigctldReadings, ATryToReconnectWritesNothingOnceItsLimitHasPassed) {
    FakeRigctldServer server;
    server.SetScript([](const std::string& line) -> std::optional<Answer> {
        if (line.rfind("+", 0) == 0) {
            return Answer{}; // the radio does not answer in time
        }
        return std::nullopt;
    });
    Station station(server.Port());
    station.link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
    station.port.LimitWaits(Clock::now() + Fast().exchange);
    EXPECT_TRUE(station.link.RetryConversation());
    station.port.LimitWaits(std::nullopt);
    EXPECT_EQ(server.Lines(), (Lines{"\\chk_vfo", "+f"}));
}

// With the computer offline, the resolver never answers: the open fails at the bound and
// says why, and an address needs no resolver at all.
TEST(RigctldReadings, AHostNameNotFoundInTimeFailsTheOpen) {
    FakeRigctldServer server;
    skedula::test::HangingResolver hanging;
    Station byName(server.Port(), Fast(), hanging.resolver(), "raspberrypi.local");
    EXPECT_FALSE(byName.Start());
    EXPECT_TRUE(byName.port.HostNotFound());
    EXPECT_EQ(byName.Texts(), (Lines{"", "", ""}));
    EXPECT_EQ(server.Connections(), 0u);

    Station byAddress(server.Port(), Fast(), hanging.resolver());
    EXPECT_TRUE(byAddress.Start());
    EXPECT_FALSE(byAddress.port.HostNotFound());
    EXPECT_EQ(hanging.asked(), 1);
}

// A name may have several addresses (an IPv6 one besides the IPv4 one the server listens
// on): the connect tries them in turn. The system's resolver works off the caller's thread.
TEST(RigctldReadings, AHostNameIsLookedUpAndEachOfItsAddressesTried) {
    FakeRigctldServer server;
    const skedula::wire::Resolver twoAddresses = [](const QString&) {
        return QList<QHostAddress>{QHostAddress("127.0.0.2"), QHostAddress("127.0.0.1")};
    };
    Station station(server.Port(), Fast(), twoAddresses, "radio.example");
    EXPECT_TRUE(station.Start());
    EXPECT_EQ(station.Texts(), (Lines{"14230000", "USB", "S7"}));

    Station system(server.Port(), Fast(), skedula::wire::SystemResolver(), "localhost");
    EXPECT_TRUE(system.Start());
}

} // namespace
