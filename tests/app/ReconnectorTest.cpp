// Reconnecting by itself, as the link receiver port and the reconnector do it over a scripted
// server: when a try is made (only while the watch runs, the option is on and the link is
// closed; every period and at the frequency command of a tuning step), that each try's waits
// are limited, and that a sample finds no reading while the watch runs without a conversation.
#include "app/Reconnector.h"
#include "app/LinkReceiverPort.h"
#include "fakes/EventLoop.h"
#include "fakes/FakeConversation.h"
#include "link/RadioContract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skedula {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

// A backend over the scripted server that notes when its waits are limited and set free.
class ScriptedBackend final : public RadioBackend {
public:
    FakeConversation server;
    Calls limits;

    std::string FailureReason() const override { return "kein Server"; }
    void SetListener(ConversationListener* listener) override { server.SetListener(listener); }
    bool Connect(const std::string& service, const std::string& topic) override {
        return server.Connect(service, topic);
    }
    bool StartAdvise(const std::string& item) override { return server.StartAdvise(item); }
    std::optional<std::string> Request(const std::string& item) override {
        return server.Request(item);
    }
    bool Execute(const std::string& command) override { return server.Execute(command); }
    void Disconnect() override { server.Disconnect(); }
    bool StartServer(const std::vector<std::string>& arguments) override {
        return server.StartServer(arguments);
    }
    std::optional<double> LevelDb(const std::string&) const override { return -12.0; }
    void LimitWaits(std::optional<std::chrono::steady_clock::time_point> until) override {
        limits.push_back(until ? "limited" : "free");
    }
};

class ReconnectorTest : public ::testing::Test {
protected:
    ReconnectorTest() {
        auto owned = std::make_unique<ScriptedBackend>();
        backend = owned.get();
        port.Replace(std::move(owned));
        backend->server.values = {
            {"HRD_FREQUENCY", "14230000"}, {"HRD_MODE", "USB"}, {"HRD_SMETER", "S7"}};
        backend->server.startSucceeds = false;
        reconnector.Wanted = [this] { return wanted; };
        reconnector.Tried = [this](bool opened) { tries.push_back(opened); };
    }

    // Start, as the engine does it, then the server quits.
    void StartAndLoseTheServer() {
        receiver.SetServiceTopic(std::string(contract::Service), std::string(contract::Topic));
        ASSERT_TRUE(receiver.OpenConversation());
        backend->server.serverRunning = false;
        backend->server.EndConversation();
        ASSERT_FALSE(link.IsOpen());
    }

    SwitchablePort port;
    ScriptedBackend* backend = nullptr;
    ReceiverLink link{port};
    AdvisedItem frequency{link, std::string(contract::FrequencyItem)};
    AdvisedItem mode{link, std::string(contract::ModeItem)};
    AdvisedItem sMeter{link, std::string(contract::SMeterItem)};
    Reconnector reconnector{link, port, 1000ms, 50ms};
    LinkReceiverPort receiver{link, port, frequency, mode, sMeter, nullptr, &reconnector};
    bool wanted = false;
    std::vector<bool> tries;
};

TEST_F(ReconnectorTest, TriesOnlyWhenWantedAndClosedAtTheTuningStepAndEveryPeriod) {
    StartAndLoseTheServer();

    receiver.SendCommand("freq 7100000");
    EXPECT_FALSE(test::WaitUntil([&] { return !tries.empty(); }, 200ms)) << "the option is off";

    wanted = true;
    receiver.SendCommand("mode AM"); // the second command of a tuning step
    EXPECT_TRUE(tries.empty());
    backend->server.ClearCalls();
    receiver.SendCommand("freq 7100000");
    ASSERT_EQ(tries, (std::vector<bool>{false}));
    EXPECT_EQ(backend->limits, (Calls{"limited", "free"}));
    // The try comes before the command, which then finds the link closed.
    EXPECT_EQ(backend->server.calls.front(), "Connect HRD_RADIO_000 HRD_CAT");
    EXPECT_TRUE(backend->server.CallsStartingWith("Execute").empty());

    backend->server.serverRunning = true;
    ASSERT_TRUE(test::WaitUntil([&] { return link.IsOpen(); }));
    EXPECT_EQ(tries.back(), true);
    const std::size_t made = tries.size();
    receiver.SendCommand("freq 7100000"); // open: no try
    EXPECT_FALSE(test::WaitUntil([&] { return tries.size() > made; }, 200ms));
    EXPECT_EQ(backend->server.CallsStartingWith("Execute").size(), 1u);
}

TEST_F(ReconnectorTest, StopEndsTheTrying) {
    wanted = true;
    StartAndLoseTheServer();
    ASSERT_TRUE(test::WaitUntil([&] { return !tries.empty(); }));

    receiver.CloseConversation();
    const std::size_t made = tries.size();
    backend->server.serverRunning = true;
    EXPECT_FALSE(test::WaitUntil([&] { return tries.size() > made; }, 300ms));
    EXPECT_FALSE(link.IsOpen());
}

// The read-out keeps the last S-meter text of a server that has gone; a sample does not.
TEST_F(ReconnectorTest, WhileTheWatchRunsWithoutAConversationASampleHasNoReading) {
    StartAndLoseTheServer();
    EXPECT_EQ(sMeter.Text(), "S7");
    EXPECT_EQ(receiver.sMeterText(), "");
    EXPECT_EQ(receiver.sMeterLevelDb(), std::nullopt);
    EXPECT_EQ(receiver.frequencyText(), "14230000");

    receiver.CloseConversation(); // Stop: the window shows the texts as they are
    EXPECT_EQ(receiver.sMeterText(), "S7");
    EXPECT_EQ(receiver.sMeterLevelDb(), -12.0);
}

} // namespace
} // namespace skedula
