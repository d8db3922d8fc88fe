// Asking a session bus for its first line before libdbus gets its address: a bus that answers,
// one that takes the connection and never answers, none at all, and the addresses it reads.
#include "app/BusProbe.h"
#include "fakes/EnvScope.h"
#include "fakes/PrivateSessionBus.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace skedula {
namespace {

// A socket that takes connections into its backlog and never reads a byte.
class SilentSocket {
public:
    explicit SilentSocket(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 ::listen(fd_, 8) == 0;
    }
    ~SilentSocket() { ::close(fd_); }
    bool bound() const { return bound_; }

private:
    int fd_;
    bool bound_ = false;
};

TEST(BusProbe, ReadsTheUnixSocketsOfAnAddress) {
    struct Case {
        const char* address;
        std::vector<BusSocket> sockets;
    };
    const Case cases[] = {
        {"unix:path=/run/user/1000/bus", {{"/run/user/1000/bus", false}}},
        {"unix:abstract=/tmp/dbus-x,guid=abc", {{"/tmp/dbus-x", true}}},
        {"unix:guid=1,path=/a%20b%2cc%zz%4", {{"/a b,c%zz%4", false}}},
        {"tcp:host=localhost,port=1;unix:path=/x;unix:tmpdir=/tmp", {{"/x", false}}},
        {"autolaunch:", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnixSockets(c.address), c.sockets) << c.address;
}

TEST(BusProbe, TellsABusThatAnswersFromOneThatNeverDoes) {
    const auto limit = std::chrono::milliseconds(200);
    test::PrivateSessionBus bus;
    ASSERT_TRUE(bus.ready()) << bus.error();
    EXPECT_EQ(AskBus(bus.address(), limit), BusAnswer::Answers);

    QTemporaryDir folder;
    const std::string silentPath = folder.filePath("still").toStdString();
    const SilentSocket silent(silentPath);
    ASSERT_TRUE(silent.bound());
    EXPECT_EQ(AskBus("unix:path=" + silentPath, limit), BusAnswer::Silent);
    EXPECT_EQ(AskBus("unix:path=" + folder.filePath("fehlt").toStdString(), limit),
              BusAnswer::Silent);
    // The first that answers counts.
    EXPECT_EQ(AskBus("unix:path=" + silentPath + ";" + bus.address(), limit), BusAnswer::Answers);
    EXPECT_EQ(AskBus("tcp:host=127.0.0.1,port=1", limit), BusAnswer::NotAsked);
}

TEST(BusProbe, FindsTheSessionBusAsLibdbusDoes) {
    QTemporaryDir runtime(QDir::tempPath() + "/Lauf zeit,%-XXXXXX");
    {
        test::EnvScope address("DBUS_SESSION_BUS_ADDRESS", "unix:path=/irgendwo");
        test::EnvScope folder("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData());
        EXPECT_EQ(SessionBusAddress(), "unix:path=/irgendwo");
    }
    test::EnvScope noAddress("DBUS_SESSION_BUS_ADDRESS", nullptr);
    test::EnvScope folder("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData());
    EXPECT_EQ(SessionBusAddress(), "") << "no socket there";
    const std::string socket = runtime.filePath("bus").toStdString();
    const SilentSocket bus(socket);
    ASSERT_TRUE(bus.bound());
    const std::string address = SessionBusAddress();
    EXPECT_NE(address.find("%20"), std::string::npos) << address;
    EXPECT_EQ(UnixSockets(address), (std::vector<BusSocket>{{socket, false}}));
}

} // namespace
} // namespace skedula
