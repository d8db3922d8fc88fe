// The report file's text: a header and one line per alarm report, semicolon-separated with
// RFC 4180 quoting, so that a spreadsheet opens the file as it is. Used by the report writer.
#pragma once

#include "engine/Ports.h"

#include <ctime>
#include <string>
#include <string_view>

namespace skedula {

// The first line of every report file, with its line end.
inline constexpr std::string_view kReportHeader = "Zeit;Frequenz;Mode;S1;S2;S3;Schwelle;Alarm\r\n";

// The local date and time with its offset from UTC, "2026-12-07T14:30:10+01:00". The time zone
// is read afresh each time, so that a watch running for weeks follows a change of it.
std::string LocalIsoTime(std::time_t when);

// One field: the bytes as UTF-8 (Windows-1252 when they are not UTF-8, as the window shows
// them), in double quotes with inner quotes doubled when they hold ';', '"', CR or LF.
std::string CsvField(std::string_view bytes);

// The report's line with its CR LF: time, frequency and mode texts, the three samples, the
// threshold and the alarm cell.
std::string FormatReportLine(const AlarmReport& report, std::time_t when);

} // namespace skedula
