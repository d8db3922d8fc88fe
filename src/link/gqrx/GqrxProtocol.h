// Translation between the radio-control contract and gqrx's remote control: the plain lines
// we write, the form each reply must have to belong to its line, and the item texts. gqrx
// echoes nothing, so a reply is known only by its place in the stream and its form. Pure
// functions, used by the gqrx conversation and tested from tables.
#pragma once

#include "link/wire/ProtocolText.h"
#include "link/wire/Reply.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skedula::gqrx {

using wire::Query;

// The forms of gqrx's replies, as the conversation remembers them for each line written.
inline constexpr std::string_view FrequencyReply = "frequency"; // "7100000"
inline constexpr std::string_view ModeReply = "mode";           // "USB", then "2700"
inline constexpr std::string_view LevelReply = "level";         // "-77.0" (dBFS)
inline constexpr std::string_view FlagReply = "flag";           // "0" or "1"
inline constexpr std::string_view ReportReply = "report";       // "RPRT 0"

struct WireLine {
    std::string line; // ends in "\n"
    std::string_view form;
};

WireLine QueryLine(Query query);
// The wire line of a contract command ("F 7100000", "M USB 0"), or nothing when it must not
// reach gqrx (see wire::ParseCommand).
std::optional<WireLine> CommandLine(std::string_view command);
// Whether the DSP runs ("u DSP"), and starting it ("U DSP 1"): while it is stopped the level
// reads -200.0 and nothing can be watched.
WireLine DspStateLine();
WireLine DspStartLine();

enum class Fit {
    Incomplete, // the lines so far fit; more are to come (the mode's passband)
    Complete,   // the lines make the reply
    Misfit,     // they cannot be the reply to this line: the stream is out of step
};
// How the lines received so far for a line whose reply has this form fit it. A report line
// ends the reply of a command, and of "u DSP" (a server without it); to a query, a report of
// a failure ("RPRT 1") is its reply, and "RPRT 0" a misfit, as is any line of the wrong form.
Fit FitOf(std::string_view form, const std::vector<std::string>& lines);
// The reply that fitting lines make: a report's number, or the values with result 0.
wire::Reply ReplyOf(const std::vector<std::string>& lines);

// The item text in a reply to the query; the S-meter from the level with the calibration.
std::optional<std::string> ItemText(Query query, const wire::Reply& reply, double s9Dbfs);

// "7100000" -> "7100000".
std::optional<std::string> FrequencyText(std::string_view line);
// "USB" -> "USB".
std::optional<std::string> ModeText(std::string_view line);
// "-77.0" or "-77,0" dBFS in thousandths of a dB; nothing for anything else.
std::optional<long long> LevelThousandths(std::string_view line);
// The level of an S-meter reply in dB relative to S9: dBFS - s9Dbfs.
std::optional<double> LevelDb(Query query, const wire::Reply& reply, double s9Dbfs);
// STR = level - s9Dbfs, rounded down to whole dB, then the S-meter text as for rigctld.
std::string SMeterText(long long levelThousandths, double s9Dbfs);

} // namespace skedula::gqrx
