// The group [Radio] of the settings file: defaults, every key, and every value that is not
// valid named with its key.
#include "app/RadioSettings.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

RadioSettings Read(const std::string& text) {
    return ReadRadioSettings(IniDocument(text));
}

TEST(RadioSettings, WithoutTheGroupItIsHamlibsDummyRadio) {
    for (const char* text : {"", "[Watch]\nProgram=hamlib\n", "[Radio]\n", "[Radio]\nProgram=\n"}) {
        const RadioSettings settings = Read(text);
        EXPECT_EQ(settings.choice, RadioChoice{}) << text;
        EXPECT_TRUE(settings.problems.empty()) << text;
    }
    EXPECT_EQ(RadioChoice{}.program, RadioProgram::Dummy);
    EXPECT_EQ(RadioChoice{}.port, 4532);
    EXPECT_EQ(RadioChoice{}.host, "127.0.0.1");
    EXPECT_EQ(RadioChoice{}.s9Dbfs, -36);
}

TEST(RadioSettings, ReadsEveryKey) {
    const RadioSettings radio = Read("[Radio]\nProgram=hamlib\nModel=3073\nDevice=/dev/ttyUSB0\n"
                                     "Baud=19200\nHost=10.0.0.5\nPort=4533\nS9dBFS=-40,5\n");
    EXPECT_TRUE(radio.problems.empty());
    RadioChoice expected;
    expected.program = RadioProgram::Hamlib;
    expected.model = 3073;
    expected.device = "/dev/ttyUSB0";
    expected.baud = 19200;
    expected.host = "10.0.0.5";
    expected.port = 4533;
    expected.s9Dbfs = -40.5;
    EXPECT_EQ(radio.choice, expected);

    // The port follows the program unless it is set.
    EXPECT_EQ(Read("[Radio]\nProgram=gqrx\n").choice.port, 7356);
    EXPECT_EQ(Read("[Radio]\nProgram=network\nHost=rigpi\n").choice.port, 4532);
    EXPECT_EQ(Read("[Radio]\nProgram=hamlib\nModel=4\nDevice=127.0.0.1:12345\nBaud=\n").choice.baud,
              std::nullopt);
}

TEST(RadioSettings, WhatItWritesItReadsBack) {
    RadioChoice choice;
    choice.program = RadioProgram::Gqrx;
    choice.host = "sdr.local";
    choice.port = 7357;
    choice.s9Dbfs = -33.5;
    IniDocument document("; mine\n[Radio]\nColour=blue\n");
    WriteRadioSettings(document, choice);
    EXPECT_EQ(ReadRadioSettings(document).choice, choice);
    EXPECT_EQ(document.Value("Radio", "Colour"), "blue");
    EXPECT_EQ(document.Value("Radio", "S9dBFS"), "-33.5");
    EXPECT_EQ(document.Value("Radio", "Model"), "");
}

TEST(RadioSettings, NamesEveryValueThatIsNotValid) {
    struct Case {
        const char* lines;
        std::vector<std::string> named; // the start of each problem
    };
    const Case cases[] = {
        {"Program=flrig", {"Program=flrig:"}},
        {"Program=Hamlib", {"Program=Hamlib:"}}, // the words are exact
        {"Port=0", {"Port=0:"}},
        {"Port=65536", {"Port=65536:"}},
        {"Port=-1", {"Port=-1:"}},
        {"Port=45 32", {"Port=45 32:"}},
        {"Program=hamlib\nDevice=/dev/ttyUSB0\nModel=IC-7300", {"Model=IC-7300:"}},
        {"Program=hamlib\nModel=3073\nDevice=/dev/ttyUSB0\nBaud=fast", {"Baud=fast:"}},
        {"Program=gqrx\nS9dBFS=loud", {"S9dBFS=loud:"}},
        // Without a known program there is nothing to leave out.
        {"Program=flrig\nBaud=fast", {"Program=flrig:", "Baud=fast:"}},
        {"Program=hamlib\nModel=3073", {"Program=hamlib: ohne Device"}},
        {"Program=hamlib\nDevice=/dev/ttyUSB0", {"Program=hamlib: ohne Model"}},
        {"Program=hamlib\nModel=x\nDevice=/dev/ttyUSB0", {"Model=x:"}},
        {"Program=network\nHost=rig pi", {"Host=rig pi:"}},
        {"Program=gqrx\nS9dBFS=12", {"S9dBFS=12:"}},
        {"Program=hamlib\nModel=1\nDevice=/dev/x\nPort=99999\nBaud=x", {"Baud=x:", "Port=99999:"}},
    };
    for (const Case& c : cases) {
        const RadioSettings settings = Read(std::string("[Radio]\n") + c.lines + "\n");
        ASSERT_EQ(settings.problems.size(), c.named.size()) << c.lines;
        for (std::size_t i = 0; i < c.named.size(); ++i)
            EXPECT_EQ(settings.problems[i].rfind(c.named[i], 0), 0u)
                << c.lines << " -> " << settings.problems[i];
    }
}

// A device typed for a radio and left when the dummy was chosen again, or a value edited by
// hand, stays for the next switch back; it is not checked, and never reaches the program.
TEST(RadioSettings, AKeyTheProgramDoesNotUseIsKeptButNotChecked) {
    const std::string leftOver = "Device=/dev/ttyUSB7\nModel=abc\nBaud=fast\nHost=rig pi\n"
                                 "S9dBFS=loud\n";
    const RadioSettings dummy = Read("[Radio]\nProgram=dummy\n" + leftOver);
    EXPECT_TRUE(dummy.problems.empty()) << dummy.problems.front();
    EXPECT_EQ(dummy.choice.device, "/dev/ttyUSB7");
    EXPECT_EQ(UsedPart(dummy.choice), RadioChoice{});
    EXPECT_EQ(ServerArguments(dummy.choice), ServerArguments(RadioChoice{}));

    const RadioSettings network = Read("[Radio]\nProgram=network\nHost=10.0.0.5\nPort=4600\n"
                                       "Device=/dev/ttyUSB7\nModel=abc\nS9dBFS=loud\n");
    EXPECT_TRUE(network.problems.empty()) << network.problems.front();
    RadioChoice used;
    used.program = RadioProgram::Network;
    used.host = "10.0.0.5";
    used.port = 4600;
    EXPECT_EQ(UsedPart(network.choice), used);
}

} // namespace
} // namespace skedula
