// Translation between the contract and rigctld's protocol, from tables that include the
// malformed and quirky replies a server may give.
#include "link/rigctld/RigctldProtocol.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace std::string_literals;
using namespace skedula::rigctld;

namespace {

TEST(RigctldProtocol, SMeterTextFromDbOverS9) {
    const std::vector<std::pair<long long, std::string>> cases = {
        {-54, "S0"}, {-60, "S0"},   {-1000, "S0"},   {-49, "S0"},     {-48, "S1"},
        {-13, "S6"}, {-12, "S7"},   {-7, "S7"},      {-6, "S8"},      {-1, "S8"},
        {0, "S9"},   {1, "S9+1dB"}, {10, "S9+10dB"}, {60, "S9+60dB"},
    };
    for (const auto& [db, text] : cases) {
        EXPECT_EQ(SMeterTextForDb(db), text) << db;
    }
}

TEST(RigctldProtocol, ValueLinesOfTheThreeQueries) {
    struct Case {
        std::optional<std::string> (*parse)(std::string_view);
        std::string line;
        std::optional<std::string> text;
    };
    const std::vector<Case> cases = {
        {FrequencyText, "Frequency: 14230000", "14230000"},
        {FrequencyText, "14230000", "14230000"},
        {FrequencyText, "Frequency:\t7100000  ", "7100000"},
        {FrequencyText, "Frequency: 7100000.000000", "7100000"},
        {FrequencyText, "Frequency: 0007100000", "7100000"},
        {FrequencyText, "Frequency: 0", "0"},
        {FrequencyText, "Frequency: ", std::nullopt},
        {FrequencyText, "Frequency: -7100000", std::nullopt},
        {FrequencyText, "Frequency: 7.1e6", std::nullopt},
        {FrequencyText, "Frequency: 71OOOOO", std::nullopt},
        {FrequencyText, "Frequency: 7100000.", std::nullopt},
        {FrequencyText, "Frequency: 1234567890123456", std::nullopt},
        {FrequencyText, "Mode: 7100000", std::nullopt},
        {ModeText, "Mode: USB", "USB"},
        {ModeText, "PKTUSB", "PKTUSB"},
        {ModeText, "Mode: ECSSUSB", "ECSSUSB"},
        {ModeText, "Mode: ", std::nullopt},
        {ModeText, "Mode: U SB", std::nullopt},
        {ModeText, "Mode: US\x01"s, std::nullopt},
        {ModeText, "Passband: 2400", std::nullopt},
        {ModeText, "Mode: " + std::string(33, 'A'), std::nullopt},
        {SMeterText, "-12", "S7"},
        {SMeterText, "  -54 ", "S0"},
        {SMeterText, "+10", "S9+10dB"},
        {SMeterText, "STRENGTH: 5", "S9+5dB"},
        {SMeterText, "Level: -30", "S4"},
        {SMeterText, "", std::nullopt},
        {SMeterText, "-", std::nullopt},
        // Servers that imitate rigctld print decimals: rounded down to whole dB first.
        {SMeterText, "-12.5", "S6"},
        {SMeterText, "-12.0", "S7"},
        {SMeterText, "-0.5", "S8"},
        {SMeterText, "0.9", "S9"},
        {SMeterText, "+10.5", "S9+10dB"},
        {SMeterText, "-12.", std::nullopt},
        {SMeterText, ".5", std::nullopt},
        {SMeterText, "-12.5.0", std::nullopt},
        {SMeterText, "-1e1", std::nullopt},
        {SMeterText, "S7", std::nullopt},
        {SMeterText, "9999999", std::nullopt},
        {SMeterText, "Frequency: -12", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.parse(c.line), c.text) << c.line;
    }
}

TEST(RigctldProtocol, ItemsMapToQueriesAndOthersToNothing) {
    EXPECT_EQ(QueryForItem("HRD_FREQUENCY"), Query::Frequency);
    EXPECT_EQ(QueryForItem("HRD_MODE"), Query::Mode);
    EXPECT_EQ(QueryForItem("HRD_SMETER"), Query::SMeter);
    EXPECT_EQ(QueryForItem("hrd_smeter"), std::nullopt);
    EXPECT_EQ(QueryForItem(""), std::nullopt);
    EXPECT_EQ(QueryLine(Query::Frequency).line, "+f\n");
    EXPECT_EQ(QueryLine(Query::Mode).line, "+m\n");
    EXPECT_EQ(QueryLine(Query::SMeter).line, "+l STRENGTH\n");
}

TEST(RigctldProtocol, OnlyTheTwoContractCommandsWithASafeArgumentBecomeLines) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"freq 7100000", "+F 7100000\n"},
        {"mode AM", "+M AM 0\n"},
        {"mode \xe4", "+M \xe4 0\n"}, // 8-bit text passes; rigctld refuses it by itself
        {"freq " + std::string(64, '1'), "+F " + std::string(64, '1') + "\n"},
        {"freq " + std::string(65, '1'), std::nullopt},
        {"freq ", std::nullopt},
        {"freq", std::nullopt},
        // A cell with blanks around its value: they are not sent.
        {"freq  7100000", "+F 7100000\n"},
        {"freq 7100000 ", "+F 7100000\n"},
        {"mode \tUSB\r", "+M USB 0\n"},
        {"freq  \t ", std::nullopt},
        {"freq 7 100", std::nullopt},
        {"freq\t7100000", std::nullopt},
        {"freq 7100000\n+Q", std::nullopt},
        {"freq 7100000 \n+Q", std::nullopt},
        {"freq 71\0"
         "00"s,
         std::nullopt},
        {"mode AM\x01", std::nullopt},
        {"mode A\x7f", std::nullopt},
        {"mode ?", std::nullopt},
        {"freq \\dump_state", std::nullopt},
        {"FREQ 7100000", std::nullopt},
        {"tune 7100000", std::nullopt},
        {"F 7100000", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [command, line] : cases) {
        const std::optional<WireLine> wire = CommandLine(command);
        EXPECT_EQ(wire ? std::optional(wire->line) : std::nullopt, line) << command;
    }
    EXPECT_EQ(CommandLine("freq 1")->echoName, "set_freq");
    EXPECT_EQ(CommandLine("mode FM")->echoName, "set_mode");
}

TEST(RigctldProtocol, ItemTextOnlyFromASuccessfulReplyToThatQuery) {
    const auto reply = [](std::string echo, std::vector<std::string> values, int result) {
        Reply r;
        r.echoName = std::move(echo);
        r.values = std::move(values);
        r.result = result;
        return r;
    };
    struct Case {
        Query query;
        Reply reply;
        std::optional<std::string> text;
    };
    const std::vector<Case> cases = {
        {Query::Frequency, reply("get_freq", {"Frequency: 7100000"}, 0), "7100000"},
        {Query::Mode, reply("get_mode", {"Mode: AM", "Passband: 6000"}, 0), "AM"},
        {Query::SMeter, reply("get_level", {"-12"}, 0), "S7"},
        {Query::SMeter, reply("get_level", {}, -11), std::nullopt},
        {Query::SMeter, reply("get_level", {"-12"}, -1), std::nullopt},
        {Query::Frequency, reply("get_freq", {"Frequency: 7100000"}, Reply::Broken), std::nullopt},
        {Query::Frequency, reply("get_mode", {"Mode: AM"}, 0), std::nullopt},
        {Query::Frequency, reply("", {"Frequency: 7100000"}, 0), std::nullopt},
        {Query::Frequency, reply("get_freq", {}, 0), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ItemText(c.query, c.reply), c.text) << c.reply.echoName << " " << c.reply.result;
    }
    // The level behind the text, only where there is an S-meter text.
    EXPECT_EQ(LevelDb(Query::SMeter, reply("get_level", {"-12.5"}, 0)), -12.5);
    EXPECT_EQ(LevelDb(Query::SMeter, reply("get_level", {"STRENGTH: 20"}, 0)), 20.0);
    EXPECT_EQ(LevelDb(Query::SMeter, reply("get_level", {"-12"}, -5)), std::nullopt);
    EXPECT_EQ(LevelDb(Query::Frequency, reply("get_freq", {"Frequency: 7"}, 0)), std::nullopt);
}

} // namespace
