// The receiver link over the real gqrx (headless, its input a file with one carrier) on a
// free loopback port: the open starts gqrx's DSP and fills the read-outs, tuning onto the
// carrier reads a high S-meter and off it a low one, and Stop leaves gqrx running.
#include "fakes/EventLoop.h"
#include "fakes/GqrxProcess.h"
#include "link/AdvisedItem.h"
#include "link/ReceiverLink.h"
#include "link/gqrx/GqrxConversation.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::chrono_literals;
using skedula::AdvisedItem;
using skedula::Endpoint;
using skedula::GqrxConversation;
using skedula::GqrxProcess;
using skedula::ReceiverLink;
using skedula::test::WaitUntil;

namespace {

// The S-unit digit of an S-meter text, 10 for anything over S9.
int Units(const std::string& text) {
    if (text.rfind("S9+", 0) == 0) {
        return 10;
    }
    return text.size() == 2 && text[0] == 'S' ? text[1] - '0' : -1;
}

TEST(RealGqrx, TuningOntoTheCarrierReadsHighAndOffItLow) {
    const GqrxProcess gqrx;
    ASSERT_TRUE(gqrx.Started()) << gqrx.Failure();
    std::cout << "gqrx listened after " << gqrx.ListenTime().count() << " ms\n";

    GqrxConversation port(Endpoint{gqrx.Host(), gqrx.Port()}, -36.0);
    ReceiverLink link(port);
    AdvisedItem frequency(link, "HRD_FREQUENCY");
    AdvisedItem mode(link, "HRD_MODE");
    AdvisedItem sMeter(link, "HRD_SMETER");
    int closes = 0;
    link.OnClose = [&] { ++closes; };
    link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");

    ASSERT_TRUE(link.OpenConversation());
    EXPECT_EQ(frequency.Text(), std::to_string(GqrxProcess::CentreHz));
    EXPECT_FALSE(mode.Text().empty());
    EXPECT_GE(Units(sMeter.Text()), 0) << sMeter.Text();
    // The DSP runs: the level is no longer the -200 dBFS of a stopped receiver.
    EXPECT_TRUE(WaitUntil([&] { return port.LastLevelDbfs() > -200.0; }));

    link.SendCommand("freq " + std::to_string(GqrxProcess::CarrierHz));
    link.SendCommand("mode FM");
    EXPECT_TRUE(WaitUntil([&] {
        return frequency.Text() == std::to_string(GqrxProcess::CarrierHz) && mode.Text() == "FM" &&
               Units(sMeter.Text()) == 10;
    }));
    std::cout << "on the carrier: " << frequency.Text() << " " << mode.Text() << " "
              << sMeter.Text() << ", " << *port.LastLevelDbfs() << " dBFS\n";

    link.SendCommand("freq " + std::to_string(GqrxProcess::OffCarrierHz));
    EXPECT_TRUE(WaitUntil([&] {
        return frequency.Text() == std::to_string(GqrxProcess::OffCarrierHz) &&
               Units(sMeter.Text()) >= 0 && Units(sMeter.Text()) <= 5;
    }));
    std::cout << "off the carrier: " << sMeter.Text() << ", " << *port.LastLevelDbfs() << " dBFS\n";

    link.CloseConversation();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(gqrx.Running());
}

} // namespace
