// The rules that the rigctld and gqrx ports share: which query serves a contract item, which
// commands may reach a server and with which argument, the numbers these servers print, and
// the S-meter text. Pure functions, used by both protocols and tested from tables.
#pragma once

#include "engine/Blanks.h"

#include <optional>
#include <string>
#include <string_view>

namespace skedula::wire {

enum class Query { Frequency, Mode, SMeter };

// The query that serves a contract item; nothing for any other item name.
std::optional<Query> QueryForItem(std::string_view item);

enum class CommandKind { Frequency, Mode };
struct ContractCommand {
    CommandKind kind;
    std::string_view argument;
};

// "freq X" or "mode X" with X, once the blanks around it are gone (TrimBlanks), non-empty, at
// most 64 bytes, without blanks or control bytes and not starting with "?" or "\"; nothing
// for anything else. Both servers read a line as
// words of commands, so an argument that is not one plain word could run commands nobody
// asked for (rigctld even lets a missing argument swallow the next line).
std::optional<ContractCommand> ParseCommand(std::string_view command);

// n of a report line "RPRT n"; nothing for any other line.
std::optional<int> ReportNumber(std::string_view line);

// Whole hertz as digits from "7100000" or "7100000.000"; nothing for anything else.
std::optional<std::string> HertzText(std::string_view value);

// A mode name as the servers print it ("USB", "PKTUSB", "WFM_ST"): letters, digits, "_"
// and "-", at most 32 bytes.
bool IsModeName(std::string_view value);

// A decimal number as servers print it ("-12", "-12.5", "+3", "-77,0": a comma is taken as
// the decimal mark, as a server under a German locale prints it) in thousandths, rounded
// down; nothing when it is no such number or has more integer digits than allowed.
std::optional<long long> DecimalThousandths(std::string_view text, std::size_t maxIntegerDigits);

long long FloorDivide(long long numerator, long long denominator);

// "S" and clamp(floor((54 + dB) / 6), 0, 9) up to S9, "S9+<dB>dB" above it: six dB per
// S-unit below S9, as receivers scale their S-meters.
std::string SMeterTextForDb(long long dbOverS9);

} // namespace skedula::wire
