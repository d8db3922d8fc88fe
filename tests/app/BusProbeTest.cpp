// Asking a session bus for its first line before libdbus gets its address, and finding the
// address as libdbus does.
#include "app/BusProbe.h"
#include "fakes/EnvScope.h"
#include "fakes/PrivateSessionBus.h"
#include "fakes/SilentSocket.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

TEST(BusProbe, ReadsTheUnixSocketsOfAnAddress) {
    const std::pair<const char*, std::vector<BusSocket>> cases[] = {
        {"unix:path=/run/user/1000/bus", {{"/run/user/1000/bus", false}}},
        {"unix:abstract=/tmp/dbus-x,guid=abc", {{"/tmp/dbus-x", true}}},
        {"unix:guid=1,path=/a%20b%2cc%zz%4", {{"/a b,c%zz%4", false}}},
        {"tcp:host=localhost,port=1;unix:path=/x;unix:tmpdir=/tmp", {{"/x", false}}},
        {"autolaunch:", {}},
    };
    for (const auto& [address, sockets] : cases)
        EXPECT_EQ(UnixSockets(address), sockets) << address;
}

TEST(BusProbe, TellsABusThatAnswersFromOneThatNeverDoesAndFindsItAsLibdbusDoes) {
    const auto limit = std::chrono::milliseconds(200);
    test::PrivateSessionBus bus;
    ASSERT_TRUE(bus.ready()) << bus.error();
    QTemporaryDir runtime(QDir::tempPath() + "/Lauf zeit,%-XXXXXX");
    const std::string silentPath = runtime.filePath("bus").toStdString();
    const test::SilentSocket silent(silentPath);
    ASSERT_TRUE(silent.bound());

    // The first that answers counts; what is not a unix socket is left to libdbus.
    EXPECT_EQ(AskBus("unix:path=" + silentPath + ";" + bus.address(), limit), BusAnswer::Answers);
    EXPECT_EQ(AskBus("unix:path=" + silentPath, limit), BusAnswer::Silent);
    EXPECT_EQ(AskBus("tcp:host=127.0.0.1,port=1", limit), BusAnswer::NotAsked);

    // Without an address: the socket "bus" in XDG_RUNTIME_DIR, its name escaped.
    EXPECT_EQ(SessionBusAddress(), bus.address());
    test::EnvScope noAddress("DBUS_SESSION_BUS_ADDRESS", nullptr);
    test::EnvScope folder("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData());
    const std::string address = SessionBusAddress();
    EXPECT_NE(address.find("%20"), std::string::npos) << address;
    EXPECT_EQ(UnixSockets(address), (std::vector<BusSocket>{{silentPath, false}}));
    test::EnvScope elsewhere("XDG_RUNTIME_DIR", "/nirgends");
    EXPECT_EQ(SessionBusAddress(), "");
}

} // namespace
} // namespace skedula
