// Translation between the radio-control contract and rigctld's network protocol: the lines
// we write for the three items and the two commands, and the item texts read from replies.
// Pure functions, used by the rigctld conversation and tested from tables.
#pragma once

#include "link/rigctld/ReplyReader.h"
#include "link/wire/ProtocolText.h"

#include <optional>
#include <string>
#include <string_view>

namespace skedula::rigctld {

using wire::Query;
using wire::QueryForItem;
using wire::SMeterTextForDb;

// A line for rigctld in the extended "+" form and the command name its reply echoes.
struct WireLine {
    std::string line;          // ends in "\n", never "\r\n"
    std::string_view echoName; // "get_freq", "set_mode", ...
};

WireLine QueryLine(Query query);

// A command that rigctld answers itself, without the radio ("0"; a few other servers answer
// it with an error): an answer shows that the server serves, however slow its radio.
WireLine GreetLine();

// Whether a reply says that the server does not know the query at all: rigctld's "not
// implemented" (RPRT -4) and "not available" (RPRT -11), which a radio's passing trouble
// never gives.
bool Unknown(const Reply& reply);

// The wire line of a contract command, or nothing when it must not reach rigctld (see
// wire::ParseCommand).
std::optional<WireLine> CommandLine(std::string_view command);

// The item text in a reply to the query; nothing when the server failed it (RPRT n != 0),
// the reply was cut off or its value is not what the query returns.
std::optional<std::string> ItemText(Query query, const Reply& reply);

// The level in dB relative to S9 of an S-meter reply, as rigctld gives it ("-12.5" -> -12.5).
std::optional<double> LevelDb(Query query, const Reply& reply);

// "Frequency: 14230000" -> "14230000" (the hertz as digits).
std::optional<std::string> FrequencyText(std::string_view valueLine);
// "Mode: USB" -> "USB".
std::optional<std::string> ModeText(std::string_view valueLine);
// "-12" (dB relative to S9) -> "S7"; "10" -> "S9+10dB"; a decimal value is rounded down to
// whole dB first ("-12.5" -> -13 -> "S6"), as servers that imitate rigctld print one.
std::optional<std::string> SMeterText(std::string_view valueLine);

} // namespace skedula::rigctld
