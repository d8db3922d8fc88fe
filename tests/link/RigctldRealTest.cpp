// The receiver link over the real rigctld (Hamlib's dummy rig with constant readings) on a
// free loopback port: what the user sees when Start meets a running server, the server that
// Skedula starts itself, and the server dying under a running watch.
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "link/AdvisedItem.h"
#include "link/RadioChoice.h"
#include "link/ReceiverLink.h"
#include "link/rigctld/RigctldConversation.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using skedula::AdvisedItem;
using skedula::Endpoint;
using skedula::LoopbackAccepts;
using skedula::ReceiverLink;
using skedula::RigctldConversation;
using skedula::test::WaitUntil;
using Lines = std::vector<std::string>;

namespace {

// "-m 1": the dummy rig; "static_data=1": an S-meter that stays at -12 dB, S7.
QStringList DummyRigArguments(std::uint16_t port) {
    return {"-m", "1", "-C", "static_data=1", "-T", "127.0.0.1", "-t", QString::number(port)};
}

// The local addresses that listen on a TCP port, as the kernel lists them ("0100007F" is
// 127.0.0.1, "00000000" every interface).
Lines ListeningAddresses(std::uint16_t port) {
    Lines addresses;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(table);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        file.readLine();
        while (!file.atEnd()) {
            const QStringList fields = QString::fromLatin1(file.readLine()).simplified().split(' ');
            if (fields.size() < 4 || fields[3] != "0A") { // 0A: listening
                continue;
            }
            const QStringList local = fields[1].split(':');
            if (local.size() == 2 && local[1].toUShort(nullptr, 16) == port) {
                addresses.push_back(local[0].toStdString());
            }
        }
    }
    return addresses;
}

struct Station {
    RigctldConversation port;
    ReceiverLink link{port};
    AdvisedItem frequency{link, "HRD_FREQUENCY"};
    AdvisedItem mode{link, "HRD_MODE"};
    AdvisedItem sMeter{link, "HRD_SMETER"};
    int opens = 0;
    int closes = 0;

    explicit Station(std::uint16_t port) : port(Endpoint{"127.0.0.1", port}) {
        link.SetServiceApplication({});
        link.OnOpen = [this] { ++opens; };
        link.OnClose = [this] { ++closes; };
    }

    bool Start() {
        link.SetServiceTopic("HRD_RADIO_000", "HRD_CAT");
        return link.OpenConversation();
    }

    Lines Texts() const { return {frequency.Text(), mode.Text(), sMeter.Text()}; }
};

class RealRigctld : public ::testing::Test {
protected:
    std::uint16_t port = skedula::FreeLoopbackPort();
    QProcess rigctld;

    void StartRigctld() {
        rigctld.setProcessChannelMode(QProcess::ForwardedChannels);
        rigctld.start("rigctld", DummyRigArguments(port));
        ASSERT_TRUE(rigctld.waitForStarted(5000)) << "rigctld (Hamlib) must be installed";
        ASSERT_TRUE(WaitUntil([&] { return LoopbackAccepts(port); }, 5s));
        // rigctld (Hamlib 4.5) now and then resets a connection that arrives while it is still
        // ending the one before: let it end the probe's first.
        std::this_thread::sleep_for(50ms);
        // The port answers, and it is our rigctld that answers: it did not fail to bind.
        ASSERT_EQ(rigctld.state(), QProcess::Running);
    }

    void TearDown() override {
        if (rigctld.state() != QProcess::NotRunning) {
            rigctld.kill();
            rigctld.waitForFinished(5000);
        }
    }
};

TEST_F(RealRigctld, ReadOutsFillAndTuningComesBack) {
    StartRigctld();
    Station station(port);

    ASSERT_TRUE(station.Start());
    EXPECT_EQ(station.opens, 1);
    EXPECT_EQ(station.Texts(), (Lines{"145000000", "FM", "S7"}));

    EXPECT_TRUE(station.link.SendCommand("freq 7100000"));
    EXPECT_TRUE(station.link.SendCommand("mode AM"));
    EXPECT_TRUE(WaitUntil([&] { return station.Texts() == Lines{"7100000", "AM", "S7"}; }));

    // A mode the radio does not take is acknowledged by rigctld and changes nothing: the
    // read-out shows what the radio reports.
    EXPECT_TRUE(station.link.SendCommand("mode XYZ"));
    EXPECT_TRUE(station.link.SendCommand("freq 7200000"));
    EXPECT_TRUE(WaitUntil([&] { return station.frequency.Text() == "7200000"; }));
    EXPECT_EQ(station.mode.Text(), "AM");
}

TEST_F(RealRigctld, KilledServerGivesOneClose) {
    StartRigctld();
    Station station(port);
    ASSERT_TRUE(station.Start());
    ASSERT_EQ(station.Texts(), (Lines{"145000000", "FM", "S7"}));

    rigctld.kill();
    rigctld.waitForFinished(5000);

    ASSERT_TRUE(WaitUntil([&] { return station.closes > 0; }));
    station.link.CloseConversation();
    skedula::test::RunPendingEvents();
    EXPECT_EQ(station.closes, 1);
    EXPECT_EQ(station.Texts(), (Lines{"145000000", "FM", "S7"}));
    EXPECT_FALSE(station.link.SendCommand("freq 7100000"));
}

// The server as the program starts it for the dummy radio, from the radio choice.
TEST_F(RealRigctld, StartedServerListensOnLoopbackOnlyAndEndsWithTheConversation) {
    ASSERT_FALSE(LoopbackAccepts(port));
    auto station = std::make_unique<Station>(port);
    skedula::RadioChoice dummy;
    dummy.port = port;
    Lines arguments = skedula::ServerArguments(dummy);
    arguments.insert(arguments.end(), {"-C", "static_data=1"});
    station->link.SetServiceApplication(arguments);

    ASSERT_TRUE(station->Start());
    EXPECT_EQ(station->Texts(), (Lines{"145000000", "FM", "S7"}));
    EXPECT_EQ(ListeningAddresses(port), (Lines{"0100007F"}));

    // Stop and Start again reuse the server that runs; nothing is started twice.
    station->link.CloseConversation();
    ASSERT_TRUE(station->Start());
    EXPECT_EQ(station->opens, 2);

    station.reset();
    EXPECT_FALSE(LoopbackAccepts(port));
}

// A device whose name begins with "-" is the device, not one more option for rigctld.
TEST_F(RealRigctld, ADeviceBeginningWithADashIsTheDevice) {
    skedula::RadioChoice radio;
    radio.program = skedula::RadioProgram::Hamlib;
    radio.model = 2041; // a Kenwood: it opens its device at once
    radio.device = "-m";
    radio.port = port;
    const Lines arguments = skedula::ServerArguments(radio);
    QStringList rest;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        rest << QString::fromStdString(arguments[i]);
    }
    rest << "-vv"; // rigctld then names the device it could not open
    rigctld.start(QString::fromStdString(arguments[0]), rest);
    ASSERT_TRUE(rigctld.waitForStarted(5000));
    QByteArray said;
    // rigctld takes a device without "/" for a network address.
    EXPECT_TRUE(WaitUntil(
        [&] {
            said += rigctld.readAllStandardError();
            return said.contains("cannot get host \"-m\"");
        },
        5s))
        << said.toStdString();
    EXPECT_EQ(rigctld.state(), QProcess::Running) << "rigctld took the device for an option";
}

} // namespace
