// The serial ports the dialog offers, and the check of a device before rigctld is started.
#include "app/SerialPorts.h"

#include "fakes/ChildProcess.h"
#include "storage/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {
namespace {

using test::TempFolder;

TEST(SerialPorts, StableNamesFirstThenEachKindByNumber) {
    TempFolder dev;
    std::filesystem::create_directories(dev / "serial/by-id");
    for (const char* name :
         {"serial/by-id/usb-Silicon_Labs-if00", "serial/by-id/usb-FTDI-if00", "ttyS10", "ttyS2",
          "ttyUSB10", "ttyUSB9", "ttyACM0", "tty0", "console", "ttyS0"})
        std::ofstream(dev / name).put('x');
    const std::string root = dev.path();
    EXPECT_EQ(SerialPorts(root),
              (std::vector<std::string>{root + "/serial/by-id/usb-FTDI-if00",
                                        root + "/serial/by-id/usb-Silicon_Labs-if00",
                                        root + "/ttyUSB9", root + "/ttyUSB10", root + "/ttyACM0",
                                        root + "/ttyS0", root + "/ttyS2", root + "/ttyS10"}));
    EXPECT_TRUE(SerialPorts(dev / "missing").empty());
}

TEST(SerialPorts, OnlyAPathIsCheckedAsADevice) {
    EXPECT_EQ(DeviceProblem("/dev/null"), std::nullopt);
    EXPECT_EQ(DeviceProblem("127.0.0.1:12345"), std::nullopt); // FLRig's address, no file
}

// As root every file opens, so the check runs in a child that has become nobody.
TEST(SerialPorts, ADeviceWithoutPermissionNamesTheDialoutGroup) {
    TempFolder folder;
    ::chmod(folder.path().c_str(), 0755);
    const std::string device = folder / "ttyUSB0";
    std::ofstream(device).put('x');
    ::chmod(device.c_str(), 0);
    const test::ChildReport child = test::RunInChild([&] {
        test::BecomeUnprivileged();
        return DeviceProblem(device).value_or("no problem");
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report.rfind("Keine Berechtigung für " + device, 0), 0u) << child.report;
    EXPECT_NE(child.report.find("Gruppe dialout"), std::string::npos) << child.report;
}

} // namespace
} // namespace skedula
