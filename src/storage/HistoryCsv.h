// An entry's history as a CSV file for a spreadsheet: every measurement in the order written,
// semicolon-separated with RFC 4180 quoting and levels with a decimal comma, as German
// spreadsheets read them. The history window's export writes it.
#pragma once

#include "engine/WatchListener.h"
#include "storage/HistoryReader.h"

#include <string>
#include <string_view>

namespace skedula {

// The first line, with its line end.
inline constexpr std::string_view kHistoryCsvHeader =
    "Zeit;Frequenz;Mode;Schwelle;Frequenz Funkgerät;Mode Funkgerät;S1;S2;S3;"
    "Pegel1 [dB];Pegel2 [dB];Pegel3 [dB];Gemeldet;Aufnahme\r\n";

// One measurement's line with its CR LF; an empty field where the database holds NULL.
std::string FormatHistoryCsvLine(const Measurement& measurement);

// Writes the header and every measurement of the entry to the file, replacing it whole.
// Throws Error "<file>: <German reason>", or naming the database when that cannot be read.
void ExportHistoryCsv(HistoryReader& reader, const HistoryKey& key, const std::string& file);

} // namespace skedula
