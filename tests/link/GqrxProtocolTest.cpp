// Translation between the contract and gqrx's remote control, from tables: the lines we
// write, which received lines make a reply to which line, and the S-meter from dBFS.
#include "link/gqrx/GqrxProtocol.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace std::string_literals;
using namespace skedula::gqrx;
using Lines = std::vector<std::string>;

namespace {

std::optional<std::string> LineOf(const std::string& command) {
    const std::optional<WireLine> wire = CommandLine(command);
    return wire ? std::optional(wire->line) : std::nullopt;
}

TEST(GqrxProtocol, PlainLinesOnlyAndCommandsWithASafeArgument) {
    EXPECT_EQ(QueryLine(Query::Frequency).line, "f\n");
    EXPECT_EQ(QueryLine(Query::Mode).line, "m\n");
    EXPECT_EQ(QueryLine(Query::SMeter).line, "l STRENGTH\n");
    EXPECT_EQ(DspStateLine().line, "u DSP\n");
    EXPECT_EQ(DspStartLine().line, "U DSP 1\n");

    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"freq 7100000", "F 7100000\n"},
        {"mode AM", "M AM 0\n"},
        {"freq " + std::string(64, '1'), "F " + std::string(64, '1') + "\n"},
        {"freq " + std::string(65, '1'), std::nullopt},
        {"freq ", std::nullopt},
        {"freq 7 100", std::nullopt},
        {"freq 7100000\nq", std::nullopt},
        {"mode AM\r", "M AM 0\n"},
        {"mode A\rM", std::nullopt},
        {"mode A\0M"s, std::nullopt},
        {"mode ?", std::nullopt},
        {"freq \\dump_state", std::nullopt},
        {"tune 7100000", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [command, line] : cases) {
        EXPECT_EQ(LineOf(command), line) << command;
    }
    EXPECT_EQ(CommandLine("freq 1")->form, ReportReply);
}

TEST(GqrxProtocol, RepliesAreKnownByTheirForm) {
    struct Case {
        std::string_view form;
        Lines lines;
        Fit fit;
    };
    const std::vector<Case> cases = {
        {FrequencyReply, {}, Fit::Incomplete},
        {FrequencyReply, {"7100000"}, Fit::Complete},
        {FrequencyReply, {"-77.0"}, Fit::Misfit},
        {FrequencyReply, {"USB"}, Fit::Misfit},
        {FrequencyReply, {"RPRT 1"}, Fit::Complete}, // gqrx failed the query
        {FrequencyReply, {""}, Fit::Misfit},
        {ModeReply, {"USB"}, Fit::Incomplete},
        {ModeReply, {"WFM_ST", "160000"}, Fit::Complete},
        {ModeReply, {"2700"}, Fit::Misfit}, // a passband where the mode belongs
        {ModeReply, {"USB", "RPRT 0"}, Fit::Misfit},
        {ModeReply, {"USB", "AM"}, Fit::Misfit},
        {ModeReply, {"RPRT 1"}, Fit::Complete},
        {LevelReply, {"-200.0"}, Fit::Complete},
        {LevelReply, {"-77,0"}, Fit::Complete},
        {LevelReply, {"7100000"}, Fit::Misfit}, // a frequency is no level
        {LevelReply, {"RPRT 1"}, Fit::Complete},
        {LevelReply, {"RPRT 0"}, Fit::Misfit}, // a command's success, not this line's
        {LevelReply, {"-77"}, Fit::Complete},
        {LevelReply, {"-7USB"}, Fit::Misfit}, // a line cut off and glued to the next
        {FlagReply, {"0"}, Fit::Complete},
        {FlagReply, {"1"}, Fit::Complete},
        {FlagReply, {"RPRT 1"}, Fit::Complete}, // a server without it
        {FlagReply, {"2"}, Fit::Misfit},
        {ReportReply, {"RPRT 0"}, Fit::Complete},
        {ReportReply, {"RPRT -11"}, Fit::Complete},
        {ReportReply, {"RPRT"}, Fit::Misfit},
        {ReportReply, {"7100000"}, Fit::Misfit},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitOf(c.form, c.lines), c.fit)
            << c.form << " " << (c.lines.empty() ? "" : c.lines.front());
    }

    const skedula::wire::Reply report = ReplyOf({"RPRT 1"});
    EXPECT_EQ(report.result, 1);
    EXPECT_TRUE(report.values.empty());
    const skedula::wire::Reply mode = ReplyOf({"AM", "10000"});
    EXPECT_EQ(ItemText(Query::Mode, mode, -36), "AM");
    EXPECT_EQ(ItemText(Query::Frequency, ReplyOf({"7100000"}), -36), "7100000");
    EXPECT_EQ(ItemText(Query::Frequency, report, -36), std::nullopt);
}

TEST(GqrxProtocol, SMeterFromDbfsWithTheCalibration) {
    struct Case {
        std::string level;
        double s9Dbfs;
        std::optional<std::string> text;
    };
    const std::vector<Case> cases = {
        {"-200.0", -36, "S0"},                             // the DSP is stopped
        {"-36.0", -36, "S9"},        {"-35.9", -36, "S9"}, // 0.1 dB over S9 is rounded down to S9
        {"-35.0", -36, "S9+1dB"},    {"-10.5", -36, "S9+25dB"},
        {"-42.0", -36, "S8"},        {"-42.1", -36, "S7"},
        {"-90.0", -36, "S0"},        {"-89.9", -36, "S0"},
        {"-84.0", -36, "S1"},        {"-36,5", -36, "S8"}, // a comma as decimal mark
        {"-36.5", -36.5, "S9"},      {"-36.6", -36.5, "S8"},
        {"-12.7", -0.7, "S7"}, // exactly -12 dB: no binary fraction tips it to -13
        {"0.0", -36, "S9+36dB"},     {"", -36, std::nullopt},
        {"-", -36, std::nullopt},    {"-77.0dB", -36, std::nullopt},
        {"-77.", -36, std::nullopt}, {"1e3", -36, std::nullopt},
        {"--77", -36, std::nullopt}, {"nan", -36, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ItemText(Query::SMeter, ReplyOf({c.level}), c.s9Dbfs), c.text)
            << c.level << " at S9 = " << c.s9Dbfs;
    }
    EXPECT_EQ(LevelThousandths("-77.05"), -77050);
    EXPECT_EQ(LevelDb(Query::SMeter, ReplyOf({"-48.5"}), -36), -12.5);
    EXPECT_EQ(LevelDb(Query::SMeter, ReplyOf({"RPRT 1"}), -36), std::nullopt);
}

} // namespace
