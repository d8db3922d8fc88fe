// The receiver link's behaviour over a fake conversation port: opening, closing, the server's
// end, commands, deliveries and what the read-outs see through OnChange.
#include "link/ReceiverLink.h"
#include "fakes/FakeConversation.h"
#include "link/AdvisedItem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace std::string_literals;
using skedula::AdvisedItem;
using skedula::FakeConversation;
using skedula::ReceiverLink;
using Events = std::vector<std::string>;
using Calls = std::vector<std::string>;

namespace {

class ReceiverLinkTest : public ::testing::Test {
protected:
    FakeConversation port;
    ReceiverLink link{port};
    AdvisedItem frequency{link, "HRD_FREQUENCY"};
    AdvisedItem mode{link, "HRD_MODE"};
    AdvisedItem sMeter{link, "HRD_SMETER"};
    Events events;

    void SetUp() override {
        link.OnOpen = [this] { events.push_back("open"); };
        link.OnClose = [this] { events.push_back("close"); };
        Watch(frequency);
        Watch(mode);
        Watch(sMeter);
        port.values = {{"HRD_FREQUENCY", "14230000"}, {"HRD_MODE", "USB"}, {"HRD_SMETER", "S7"}};
        link.SetServiceApplication({"rigctld", "-T", "127.0.0.1", "-t", "4532"});
    }

    void Watch(AdvisedItem& item) {
        item.OnChange = [this, &item] { events.push_back(item.DdeItem() + "=" + item.Text()); };
    }

    // What Start does: set the names, then open; the log starts at the open.
    bool Start() {
        link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
        events.clear();
        port.ClearCalls();
        return link.OpenConversation();
    }

    Events Texts() const { return {frequency.Text(), mode.Text(), sMeter.Text()}; }
};

TEST_F(ReceiverLinkTest, StartsClosedWithEmptyNamesAndTexts) {
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.DdeService(), "");
    EXPECT_EQ(link.DdeTopic(), "");
    EXPECT_EQ(Texts(), (Events{"", "", ""}));
    EXPECT_EQ(frequency.DdeItem(), "HRD_FREQUENCY");
}

TEST_F(ReceiverLinkTest, SetServiceTopicStoresNamesAndReannouncesWithoutConnecting) {
    EXPECT_TRUE(link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT"));
    EXPECT_EQ(link.DdeService(), "HRD_RADIO_000");
    EXPECT_EQ(link.DdeTopic(), "HRD_CAT");
    EXPECT_EQ(events, (Events{"HRD_FREQUENCY=", "HRD_MODE=", "HRD_SMETER="}));
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(ReceiverLinkTest, SetServiceTopicOnOpenLinkClosesFirstAndKeepsTexts) {
    ASSERT_TRUE(Start());
    events.clear();
    port.ClearCalls();

    EXPECT_TRUE(link.SetServiceTopic("OTHER", "TOPIC"));

    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(port.calls, (Calls{"Disconnect"}));
    EXPECT_EQ(events, (Events{"close", "HRD_FREQUENCY=14230000", "HRD_MODE=USB", "HRD_SMETER=S7"}));
    EXPECT_EQ(link.DdeService(), "OTHER");
    EXPECT_EQ(link.DdeTopic(), "TOPIC");
}

TEST_F(ReceiverLinkTest, OpenAdvisesEveryItemThenFiresOpenThenFetchesEach) {
    EXPECT_TRUE(Start());

    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(port.calls,
              (Calls{"Connect HRD_RADIO_000 HRD_CAT", "StartAdvise HRD_FREQUENCY",
                     "StartAdvise HRD_MODE", "StartAdvise HRD_SMETER", "Request HRD_FREQUENCY",
                     "Request HRD_MODE", "Request HRD_SMETER"}));
    EXPECT_EQ(events, (Events{"open", "HRD_FREQUENCY=14230000", "HRD_MODE=USB", "HRD_SMETER=S7"}));
}

TEST_F(ReceiverLinkTest, OpenOnOpenLinkReturnsFalseAndChangesNothing) {
    ASSERT_TRUE(Start());
    events.clear();
    port.ClearCalls();

    EXPECT_FALSE(link.OpenConversation());

    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(ReceiverLinkTest, StartsTheServerOnceWhenTheFirstConnectFails) {
    struct Case {
        std::vector<std::string> serviceApplication;
        bool startSucceeds;
        bool startedServerOffers;
        Calls calls;
        bool opened;
    };
    const std::vector<Case> cases = {
        {{"rigctld", "-T", "127.0.0.1", "-t", "4532"},
         true,
         true,
         {"Connect HRD_RADIO_000 HRD_CAT", "StartServer rigctld -T 127.0.0.1 -t 4532",
          "Connect HRD_RADIO_000 HRD_CAT"},
         true},
        // Without a program the service names the program and the topic its argument.
        {{},
         true,
         true,
         {"Connect HRD_RADIO_000 HRD_CAT", "StartServer HRD_RADIO_000 HRD_CAT",
          "Connect HRD_RADIO_000 HRD_CAT"},
         true},
        // A start that fails gets no second connect.
        {{"/nowhere/rigctld"},
         false,
         false,
         {"Connect HRD_RADIO_000 HRD_CAT", "StartServer /nowhere/rigctld"},
         false},
        // Started, but not offering the service in time: one more connect, then give up.
        {{"rigctld"},
         true,
         false,
         {"Connect HRD_RADIO_000 HRD_CAT", "StartServer rigctld", "Connect HRD_RADIO_000 HRD_CAT"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calls.size() > 1 ? c.calls[1] : "");
        FakeConversation fake;
        fake.serverRunning = false;
        fake.startSucceeds = c.startSucceeds;
        fake.startMakesServerRun = c.startedServerOffers;
        ReceiverLink caseLink(fake);
        caseLink.SetServiceApplication(c.serviceApplication);
        caseLink.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");

        EXPECT_EQ(caseLink.OpenConversation(), c.opened);

        Calls both;
        for (const std::string& call : fake.calls) {
            if (call.rfind("Connect", 0) == 0 || call.rfind("StartServer", 0) == 0) {
                both.push_back(call);
            }
        }
        EXPECT_EQ(both, c.calls);
        EXPECT_EQ(caseLink.IsOpen(), c.opened);
    }
}

TEST_F(ReceiverLinkTest, NoServerStartWithoutServiceAndProgram) {
    port.serverRunning = false;
    link.SetServiceApplication({});
    link.SetServiceTopic("", "HRD_CAT");
    port.ClearCalls();

    EXPECT_FALSE(link.OpenConversation());

    EXPECT_EQ(port.calls, (Calls{"Connect  HRD_CAT"}));
}

TEST_F(ReceiverLinkTest, FailedOpenBlanksTheReadOutsButKeepsTheItemsForTheNextOpen) {
    ASSERT_TRUE(Start());
    link.CloseConversation();
    port.serverRunning = false;
    port.startSucceeds = false;

    EXPECT_FALSE(Start());

    EXPECT_EQ(events, (Events{"HRD_FREQUENCY=", "HRD_MODE=", "HRD_SMETER="}));
    EXPECT_EQ(Texts(), (Events{"", "", ""}));
    EXPECT_EQ(frequency.DdeItem(), "HRD_FREQUENCY");
    EXPECT_EQ(link.DdeService(), "HRD_RADIO_000"); // a failed open keeps the names

    // The user starts the server by hand, then Stop and Start.
    link.CloseConversation();
    port.serverRunning = true;
    EXPECT_TRUE(Start());
    EXPECT_EQ(port.CallsStartingWith("StartAdvise").size(), 3u);
    EXPECT_EQ(Texts(), (Events{"14230000", "USB", "S7"}));
}

TEST_F(ReceiverLinkTest, BothNamesEmptyBlanksEveryItemAndDoesNotConnect) {
    ASSERT_TRUE(Start());
    link.CloseConversation();
    events.clear();
    port.ClearCalls();

    EXPECT_FALSE(link.OpenConversation());

    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(events, (Events{"HRD_FREQUENCY=", "HRD_MODE=", "HRD_SMETER="}));
    EXPECT_EQ(mode.DdeItem(), "HRD_MODE");
}

TEST_F(ReceiverLinkTest, RefusedAdviseBlanksOnlyThatItemAndTheNextOpenTriesItAgain) {
    port.refusedItems = {"HRD_SMETER"};
    ASSERT_TRUE(Start());

    EXPECT_EQ(events, (Events{"HRD_SMETER=", "open", "HRD_FREQUENCY=14230000", "HRD_MODE=USB"}));
    EXPECT_TRUE(port.CallsStartingWith("Request HRD_SMETER").empty());

    // Announcements for the refused item do not reach it while it is not advised.
    events.clear();
    port.AnnounceChange("HRD_SMETER", "S9"s);
    EXPECT_TRUE(events.empty());

    link.CloseConversation();
    port.refusedItems.clear();
    ASSERT_TRUE(Start());
    EXPECT_EQ(sMeter.Text(), "S7");
}

TEST_F(ReceiverLinkTest, FailedRequestKeepsTheTextAndFiresNothing) {
    ASSERT_TRUE(Start());
    events.clear();
    port.failingItems = {"HRD_MODE"};

    port.AnnounceChange("HRD_MODE");

    EXPECT_EQ(port.calls.back(), "Request HRD_MODE");
    EXPECT_EQ(mode.Text(), "USB");
    EXPECT_TRUE(events.empty());
}

// A failed S-meter reading is no reading; frequency and mode stay what the radio was set to.
TEST_F(ReceiverLinkTest, AFailedReadingClearsOnlyTheSMeterUntilTheNextGoodOne) {
    ASSERT_TRUE(Start());
    events.clear();

    port.FailItem("HRD_SMETER");
    port.FailItem("HRD_SMETER"); // still none: nothing to tell
    port.FailItem("HRD_MODE");
    port.FailItem("HRD_FREQUENCY");
    EXPECT_EQ(events, (Events{"HRD_SMETER="}));
    EXPECT_EQ(Texts(), (Events{"14230000", "USB", ""}));

    port.AnnounceChange("HRD_SMETER", "S7"s);
    EXPECT_EQ(sMeter.Text(), "S7");

    // Once the conversation has ended, a late notice changes nothing.
    port.EndConversation();
    events.clear();
    port.FailItem("HRD_SMETER");
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(sMeter.Text(), "S7");
}

// Reconnecting by itself: a try that fails must not show, one that succeeds opens as Start does.
TEST_F(ReceiverLinkTest, ARetryThatFailsChangesNothingAndOneThatSucceedsOpensAsStartDoes) {
    ASSERT_TRUE(Start());
    port.EndConversation(); // the server quit
    port.serverRunning = false;
    port.startMakesServerRun = false;
    events.clear();

    EXPECT_FALSE(link.RetryConversation());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(Texts(), (Events{"14230000", "USB", "S7"}));
    EXPECT_EQ(port.CallsStartingWith("StartServer").size(), 1u);

    port.serverRunning = true;
    port.values["HRD_SMETER"] = "S3";
    EXPECT_TRUE(link.RetryConversation());
    EXPECT_EQ(events, (Events{"open", "HRD_FREQUENCY=14230000", "HRD_MODE=USB", "HRD_SMETER=S3"}));
}

TEST_F(ReceiverLinkTest, CloseFiresOnceEmptiesTheNamesAndKeepsTexts) {
    ASSERT_TRUE(Start());
    events.clear();
    port.ClearCalls();

    link.CloseConversation();
    link.CloseConversation();

    EXPECT_EQ(events, (Events{"close"}));
    EXPECT_EQ(port.calls, (Calls{"Disconnect"}));
    EXPECT_EQ(link.DdeService(), "");
    EXPECT_EQ(link.DdeTopic(), "");
    EXPECT_EQ(Texts(), (Events{"14230000", "USB", "S7"}));
}

TEST_F(ReceiverLinkTest, ServerEndingFiresOneCloseAndKeepsNamesAndTexts) {
    ASSERT_TRUE(Start());
    events.clear();

    port.EndConversation();
    port.EndConversation();
    port.AnnounceChange("HRD_SMETER", "S1"s);

    EXPECT_EQ(events, (Events{"close"}));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.DdeService(), "HRD_RADIO_000");
    EXPECT_EQ(Texts(), (Events{"14230000", "USB", "S7"}));

    // Commands are dropped; the following Stop fires no second close.
    port.ClearCalls();
    EXPECT_FALSE(link.SendCommand("freq 7100000"));
    link.CloseConversation();
    EXPECT_EQ(events, (Events{"close"}));
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(link.DdeService(), "");
}

TEST_F(ReceiverLinkTest, StopAndStartOpensANewConversationWithOneOpenEach) {
    for (int run = 0; run < 3; ++run) {
        ASSERT_TRUE(Start());
        EXPECT_EQ(events.front(), "open");
        EXPECT_EQ(std::count(events.begin(), events.end(), "open"), 1);
        EXPECT_EQ(port.CallsStartingWith("StartAdvise").size(), 3u);
        EXPECT_EQ(port.CallsStartingWith("Request").size(), 3u);
        link.CloseConversation();
    }
}

TEST_F(ReceiverLinkTest, CommandsLeaveOnlyWhileOpenAndOneRightAfterTheOther) {
    EXPECT_FALSE(link.SendCommand("freq 7100000"));
    EXPECT_TRUE(port.CallsStartingWith("Execute").empty());

    ASSERT_TRUE(Start());
    EXPECT_TRUE(link.SendCommand("freq 7100000"));
    EXPECT_TRUE(link.SendCommand("mode AM"));
    EXPECT_EQ(port.CallsStartingWith("Execute"),
              (Calls{"Execute freq 7100000", "Execute mode AM"}));

    port.executeAccepted = false;
    EXPECT_FALSE(link.SendCommand("mode FM"));
}

TEST_F(ReceiverLinkTest, WarmAnnouncementFetchesAndHotOneStoresDirectly) {
    ASSERT_TRUE(Start());
    events.clear();
    port.ClearCalls();

    port.values["HRD_FREQUENCY"] = "7100000";
    port.AnnounceChange("HRD_FREQUENCY");
    port.AnnounceChange("HRD_MODE", "AM"s);
    port.AnnounceChange("HRD_UNKNOWN", "x"s);

    EXPECT_EQ(port.calls, (Calls{"Request HRD_FREQUENCY"}));
    EXPECT_EQ(events, (Events{"HRD_FREQUENCY=7100000", "HRD_MODE=AM"}));
}

TEST_F(ReceiverLinkTest, AnnouncementReachesEveryItemOfThatName) {
    AdvisedItem second(link, "HRD_SMETER");
    ASSERT_TRUE(Start());

    port.AnnounceChange("HRD_SMETER", "S3"s);

    EXPECT_EQ(sMeter.Text(), "S3");
    EXPECT_EQ(second.Text(), "S3");
}

TEST_F(ReceiverLinkTest, DeliveredBytesBecomeOneLineOfText) {
    struct Case {
        std::string delivered;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"S9\r\n", "S9  "},   {"line1\nline2", "line1 line2"}, {"a\tb\x1f"s + "c", "a b c"},
        {"abc\0def"s, "abc"}, {"\x7f\xe4"s, "\x7f\xe4"s}, // only bytes 1 to 31 change
        {"\0new"s, "USB"}, // nothing before the zero byte: the text stays
        {"", "USB"},
    };
    ASSERT_TRUE(Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delivered);
        port.AnnounceChange("HRD_MODE", "USB"s);
        events.clear();

        port.AnnounceChange("HRD_MODE", c.delivered);

        EXPECT_EQ(mode.Text(), c.text);
        EXPECT_EQ(events, (Events{"HRD_MODE=" + c.text})); // fires also when nothing changed
    }
}

TEST_F(ReceiverLinkTest, EqualDeliveriesFireTwice) {
    ASSERT_TRUE(Start());
    events.clear();

    port.AnnounceChange("HRD_SMETER", "S5"s);
    port.AnnounceChange("HRD_SMETER", "S5"s);

    EXPECT_EQ(events, (Events{"HRD_SMETER=S5", "HRD_SMETER=S5"}));
}

TEST_F(ReceiverLinkTest, ItemsAndLinkMayGoInEitherOrder) {
    auto extra = std::make_unique<AdvisedItem>(link, "HRD_EXTRA");
    extra.reset();
    ASSERT_TRUE(Start());
    EXPECT_TRUE(port.CallsStartingWith("StartAdvise HRD_EXTRA").empty());

    // A link released while open ends the conversation without calling a handler.
    auto port2 = std::make_unique<FakeConversation>();
    auto link2 = std::make_unique<ReceiverLink>(*port2);
    AdvisedItem orphan(*link2, "HRD_MODE");
    bool closed = false;
    link2->OnClose = [&closed] { closed = true; };
    link2->SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
    ASSERT_TRUE(link2->OpenConversation());
    link2.reset();
    EXPECT_FALSE(closed);
    EXPECT_EQ(port2->calls.back(), "Disconnect");
    EXPECT_EQ(port2->listener, nullptr);
}

} // namespace
