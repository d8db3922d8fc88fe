// The started server process: arguments reach the program as they are, and a server that
// ends at once can say why.
#include "link/rigctld/ServerProcess.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

namespace skedula {
namespace {

using namespace std::chrono_literals;

TEST(ServerProcess, ArgumentsArriveUnsplitAndUninterpreted) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string out = folder.filePath("args").toStdString();
    ServerProcess server;
    // A blank, a quote and a "$" stay inside their argument: no shell sees them.
    ASSERT_TRUE(server.Start({"/bin/sh", "-c", "printf '%s|' \"$@\" > " + out, "sh",
                              "/dev/serial/by-id/usb-My Radio", "it's", "$HOME"},
                             3000ms));
    server.WaitForExit(3000ms);
    std::ifstream file(out);
    std::string written((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(written, "/dev/serial/by-id/usb-My Radio|it's|$HOME|");
    EXPECT_EQ(server.ExitCode(), 0);
}

TEST(ServerProcess, AServerThatEndsAtOnceLeavesItsLastErrorLine) {
    ServerProcess server;
    ASSERT_TRUE(server.Start({"/bin/sh", "-c",
                              "echo first >&2; echo 'rig_open: error' >&2; "
                              "echo >&2; exit 2"},
                             3000ms));
    server.WaitForExit(3000ms);
    EXPECT_FALSE(server.Running());
    EXPECT_EQ(server.ExitCode(), 2);
    EXPECT_EQ(server.LastErrorLine(), "rig_open: error");
}

TEST(ServerProcess, AMissingProgramIsNoStartAndAStoppedServerHasNoExitCode) {
    ServerProcess missing;
    EXPECT_FALSE(missing.Start({"/nonexistent/rigctld", "-m", "1"}, 3000ms));
    EXPECT_FALSE(missing.StartFailure().empty());
    EXPECT_FALSE(missing.ExitCode().has_value());
    EXPECT_FALSE(ServerProcess().Start({}, 3000ms));

    ServerProcess sleeper;
    ASSERT_TRUE(sleeper.Start({"sleep", "30"}, 3000ms));
    EXPECT_TRUE(sleeper.Running());
    sleeper.Stop();
    EXPECT_FALSE(sleeper.Running());
    EXPECT_FALSE(sleeper.ExitCode().has_value());
}

} // namespace
} // namespace skedula
