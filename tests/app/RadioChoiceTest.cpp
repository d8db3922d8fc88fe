// The radio choice as data: the rigctld it starts, where it connects, what the tooltip calls
// it, and the model table of `rigctl -l`.
#include "link/RadioChoice.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

using Arguments = std::vector<std::string>;

RadioChoice Choice(RadioProgram program) {
    RadioChoice choice;
    choice.program = program;
    return choice;
}

TEST(RadioChoice, StartsRigctldWithSeparateArgumentsOnLoopbackOnly) {
    EXPECT_EQ(ServerArguments(RadioChoice{}),
              (Arguments{"rigctld", "-T", "127.0.0.1", "-t", "4532"}));

    RadioChoice radio = Choice(RadioProgram::Hamlib);
    radio.model = 3073;
    radio.device = "/dev/serial/by-id/usb-Silicon Labs CP2102"; // a blank stays inside
    radio.port = 4533;
    radio.host = "192.168.1.20"; // not for a rigctld that Skedula starts
    EXPECT_EQ(ServerArguments(radio),
              (Arguments{"rigctld", "-m", "3073", "-r", "/dev/serial/by-id/usb-Silicon Labs CP2102",
                         "-T", "127.0.0.1", "-t", "4533"}));
    EXPECT_EQ(EndpointOf(radio).host, "127.0.0.1");
    radio.baud = 19200;
    EXPECT_EQ(ServerArguments(radio),
              (Arguments{"rigctld", "-m", "3073", "-r", "/dev/serial/by-id/usb-Silicon Labs CP2102",
                         "-s", "19200", "-T", "127.0.0.1", "-t", "4533"}));

    EXPECT_TRUE(ServerArguments(Choice(RadioProgram::Network)).empty());
    EXPECT_TRUE(ServerArguments(Choice(RadioProgram::Gqrx)).empty());
}

TEST(RadioChoice, TheTooltipNamesTheProgramInUse) {
    RadioChoice radio = Choice(RadioProgram::Hamlib);
    radio.model = 3073;
    radio.device = "/dev/ttyUSB0";
    RadioChoice gqrx = Choice(RadioProgram::Gqrx);
    gqrx.port = DefaultPort(RadioProgram::Gqrx);
    EXPECT_EQ(Describe(RadioChoice{}, {}), "Hamlib-Dummy, 127.0.0.1:4532");
    EXPECT_EQ(Describe(radio, {{3073, "Icom", "IC-7300"}}), "IC-7300 über rigctld, /dev/ttyUSB0");
    EXPECT_EQ(Describe(radio, {}), "Modell 3073 über rigctld, /dev/ttyUSB0");
    EXPECT_EQ(Describe(gqrx, {}), "gqrx auf 127.0.0.1:7356");
}

// Captured from Hamlib 4.5.4's `rigctl -l`, with rows whose maker or model holds blanks.
const char* const RigList =
    " Rig #  Mfg                    Model                   Version         Status      Macro\n"
    "     1  Hamlib                 Dummy                   20221128.0      Stable      "
    "RIG_MODEL_DUMMY\n"
    "     2  Hamlib                 NET rigctl              20230106.0      Stable      "
    "RIG_MODEL_NETRIGCTL\n"
    "     5  TRXManager             TRXManager 5.7.630+     20210613.0      Stable      "
    "RIG_MODEL_TRXMANAGER_RIG\n"
    "  1004  Yaesu                  MARK-V FT-1000MP        20230104.0      Stable      "
    "RIG_MODEL_FT1000MPMKV\n"
    "  3073  Icom                   IC-7300                 20230109.10     Stable      "
    "RIG_MODEL_IC7300\n"
    " 23003  DTTS Microwave Society DttSP IPC               20200319.0      Beta        "
    "RIG_MODEL_DTTSP\n"
    " 25003  Coding Technologies    Digital World Traveller 20200112.0      Alpha       "
    "RIG_MODEL_DWT\n";

TEST(RadioChoice, ReadsTheModelTableOfRigctl) {
    const std::vector<HamlibModel> expected = {
        {1, "Hamlib", "Dummy"},
        {2, "Hamlib", "NET rigctl"},
        {5, "TRXManager", "TRXManager 5.7.630+"},
        {1004, "Yaesu", "MARK-V FT-1000MP"},
        {3073, "Icom", "IC-7300"},
        {23003, "DTTS Microwave Society", "DttSP IPC"},
        {25003, "Coding Technologies", "Digital World Traveller"}};
    EXPECT_EQ(ParseRigList(RigList), expected);

    // Without its header the usual columns hold; lines that are no model are skipped.
    const std::string headless = std::string(RigList).substr(std::string(RigList).find('\n') + 1);
    EXPECT_EQ(ParseRigList(headless + "\nWarning: something\n  abc  x\n    7\n"), expected);
    EXPECT_TRUE(ParseRigList("").empty());
    EXPECT_TRUE(ParseRigList("rigctl: command not found\n").empty());
}

} // namespace
} // namespace skedula
