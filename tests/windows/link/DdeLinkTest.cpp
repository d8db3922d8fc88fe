// The receiver link's steps over DDEML, against fake_dde_server.exe under Wine.
#include "link/AdvisedItem.h"
#include "link/RadioContract.h"
#include "link/ReceiverLink.h"
#include "windows/fakes/FakeDdeServerProcess.h"
#include "windows/link/DdemlConversation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace skedula {
namespace {

using test::FakeDdeServer;
using test::PumpFor;
using test::PumpUntil;

DdeInstance& Instance() {
    static DdeInstance instance;
    return instance;
}

// A service name of this test's own. Wine keeps a conversation that the server ended for a
// reconnect and refuses a new connect to the same service and topic for the rest of the
// process, so that only the first test here serves the contract's own name.
std::string OwnService() {
    static int count = 0;
    return "SKEDULA_TEST_" + std::to_string(++count);
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The main window's link and its three items, with the events counted.
struct Radio {
    Radio()
        : port(Instance()), link(port), frequency(link, std::string(contract::FrequencyItem)),
          mode(link, std::string(contract::ModeItem)),
          sMeter(link, std::string(contract::SMeterItem)) {
        link.OnOpen = [this] { ++opens; };
        link.OnClose = [this] { ++closes; };
        sMeter.OnChange = [this] { sMeterTexts.push_back(sMeter.Text()); };
    }

    bool Start(const std::string& service = std::string(contract::Service)) {
        link.SetServiceTopic(service, std::string(contract::Topic));
        return link.OpenConversation();
    }

    DdemlConversation port;
    ReceiverLink link;
    AdvisedItem frequency;
    AdvisedItem mode;
    AdvisedItem sMeter;
    int opens = 0;
    int closes = 0;
    std::vector<std::string> sMeterTexts;
};

TEST(DdeLink, OpensAdvisesFetchesAndFollowsTheServersChanges) {
    FakeDdeServer server;
    server.Start();
    Radio radio;

    ASSERT_TRUE(radio.Start());
    EXPECT_EQ(radio.opens, 1);
    EXPECT_EQ(radio.frequency.Text(), "7100000");
    EXPECT_EQ(radio.mode.Text(), "AM");
    EXPECT_EQ(radio.sMeter.Text(), "S5");
    const std::vector<std::string> log = server.Log();
    EXPECT_TRUE(Contains(log, "initiate HRD_RADIO_000 HRD_CAT accepted"));
    for (const char* item : {"HRD_FREQUENCY", "HRD_MODE", "HRD_SMETER"}) {
        EXPECT_TRUE(Contains(log, std::string("advise ") + item + " warm accepted")) << item;
        EXPECT_TRUE(Contains(log, std::string("request ") + item + " -> " +
                                      (std::string(item) == "HRD_FREQUENCY" ? "7100000"
                                       : std::string(item) == "HRD_MODE"    ? "AM"
                                                                            : "S5")))
            << item;
    }

    // A warm notification makes the link fetch the new text; control bytes become blanks.
    server.Send("set HRD_SMETER S9");
    EXPECT_TRUE(PumpUntil([&] { return radio.sMeter.Text() == "S9"; }));
    server.Send("set HRD_SMETER S7\r\n");
    EXPECT_TRUE(PumpUntil([&] { return radio.sMeter.Text() == "S7  "; }));
    EXPECT_GE(std::count(radio.sMeterTexts.begin(), radio.sMeterTexts.end(), "S9"), 1);
}

TEST(DdeLink, CommandsLeaveAtOnceAndTheTunedTextsFollow) {
    const std::string service = OwnService();
    FakeDdeServer server({"--service " + service});
    server.Start();
    Radio radio;
    ASSERT_TRUE(radio.Start(service));

    EXPECT_TRUE(radio.link.SendCommand("freq 14230000"));
    EXPECT_TRUE(radio.link.SendCommand("mode USB"));
    ASSERT_TRUE(server.WaitForLog("execute mode USB"));
    const std::vector<std::string> log = server.Log();
    EXPECT_LT(std::find(log.begin(), log.end(), "execute freq 14230000"),
              std::find(log.begin(), log.end(), "execute mode USB"));
    EXPECT_TRUE(PumpUntil(
        [&] { return radio.frequency.Text() == "14230000" && radio.mode.Text() == "USB"; }));

    // Changes after the executes still arrive (Wine then answers requests through the
    // notification itself), and so do later commands.
    server.Send("set HRD_SMETER S8");
    EXPECT_TRUE(PumpUntil([&] { return radio.sMeter.Text() == "S8"; }));
    EXPECT_TRUE(radio.link.SendCommand("freq 7100000"));
    EXPECT_TRUE(server.WaitForLog("execute freq 7100000"));
}

TEST(DdeLink, StopEndsTheConversationAndStartOpensANewOne) {
    const std::string service = OwnService();
    FakeDdeServer server({"--service " + service});
    server.Start();
    Radio radio;
    ASSERT_TRUE(radio.Start(service));
    radio.link.CloseConversation();
    EXPECT_EQ(radio.closes, 1);
    EXPECT_TRUE(server.WaitForLog("terminate client"));
    EXPECT_TRUE(radio.link.DdeService().empty());
    EXPECT_EQ(radio.sMeter.Text(), "S5");
    EXPECT_FALSE(radio.link.SendCommand("freq 7000000"));

    server.Send("set HRD_SMETER S6");
    ASSERT_TRUE(radio.Start(service));
    EXPECT_EQ(radio.opens, 2);
    EXPECT_EQ(radio.sMeter.Text(), "S6");
    const std::vector<std::string> log = server.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "advise HRD_SMETER warm accepted"), 2);
}

TEST(DdeLink, TheServerEndingTheConversationClosesTheLinkOnce) {
    const std::string service = OwnService();
    FakeDdeServer server({"--service " + service});
    server.Start();
    Radio radio;
    ASSERT_TRUE(radio.Start(service));

    server.Send("end");
    // Wine never calls the client back with XTYP_DISCONNECT: the next command finds the
    // conversation ended.
    PumpFor(100);
    radio.link.SendCommand("freq 7000000");
    EXPECT_TRUE(PumpUntil([&] { return radio.closes == 1; }));
    EXPECT_FALSE(radio.link.IsOpen());
    EXPECT_EQ(radio.sMeter.Text(), "S5");
    EXPECT_EQ(radio.link.DdeService(), service);
    EXPECT_FALSE(radio.link.SendCommand("freq 7000000"));
    radio.link.CloseConversation();
    EXPECT_EQ(radio.closes, 1);
}

TEST(DdeLink, ARefusedOrUnansweredItemAloneGoesBlank) {
    const std::string service = OwnService();
    FakeDdeServer server({"--service " + service, "--refuse HRD_SMETER", "--silent HRD_MODE"});
    server.Start();
    Radio radio;
    ASSERT_TRUE(radio.Start(service));
    EXPECT_EQ(radio.opens, 1);
    EXPECT_EQ(radio.frequency.Text(), "7100000");
    EXPECT_EQ(radio.mode.Text(), "");
    EXPECT_EQ(radio.sMeter.Text(), "");
    EXPECT_TRUE(server.WaitForLog("advise HRD_SMETER warm refused"));
    EXPECT_TRUE(server.WaitForLog("advise HRD_MODE warm ignored"));
}

TEST(DdeLink, AFailedConnectRunsTheStartCommandOnce) {
    const std::string service = OwnService();
    FakeDdeServer server({"--service " + service});
    Radio radio;
    radio.link.SetServiceApplication({server.CommandLine()});
    ASSERT_TRUE(radio.Start(service));
    EXPECT_TRUE(server.Running());
    EXPECT_EQ(radio.opens, 1);
    EXPECT_EQ(radio.sMeter.Text(), "S5");
    radio.link.CloseConversation();
}

TEST(DdeLink, NoServerAndNoProgramLeavesTheLinkClosedAndTheReadOutsBlank) {
    Radio radio;
    radio.link.SetServiceApplication({kRadioControlProgram});
    radio.link.SetServiceTopic(OwnService(), "HRD_CAT");
    EXPECT_FALSE(radio.link.OpenConversation());
    EXPECT_EQ(radio.opens, 0);
    EXPECT_EQ(radio.closes, 0);
    EXPECT_EQ(radio.sMeter.Text(), "");
}

TEST(DdeErrorMessage, NamesTheCodeInUpperCaseHex) {
    EXPECT_EQ(DdeErrorMessage(0x400A),
              "DDE-Fehler - Konversation konnte nicht eingerichtet werden ($0400A)");
    EXPECT_EQ(DdeErrorMessage(0x4007),
              "Wegen Speichermangel bei DDE ist ein Fehler aufgetreten ($04007).");
    EXPECT_EQ(DdeErrorMessage(0x4006), "DDE gab einen Fehler zur\xc3\xbc"
                                       "ck ($04006)");
}

} // namespace
} // namespace skedula
