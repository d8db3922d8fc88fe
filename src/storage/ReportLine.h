// The report file's text: a header and one line per alarm report, semicolon-separated with
// RFC 4180 quoting, so that a spreadsheet opens the file as it is. Used by the report writer.
#pragma once

#include "engine/WatchListener.h"

#include <string>
#include <string_view>

namespace skedula {

// The first line of every report file, with its line end.
inline constexpr std::string_view kReportHeader =
    "Zeit;Frequenz;Mode;S1;S2;S3;Schwelle;Alarm;Aufnahme\r\n";
// The header before reports named their recordings; a file that has it gets the new one.
inline constexpr std::string_view kReportHeaderWithoutRecording =
    "Zeit;Frequenz;Mode;S1;S2;S3;Schwelle;Alarm\r\n";

// One field: the bytes as UTF-8 (Windows-1252 when they are not UTF-8, as the window shows
// them), after an apostrophe when they begin with '=', '+', '-', '@', TAB or CR (which a
// spreadsheet would take for a formula), in double quotes with inner quotes doubled when
// they hold ';', '"', CR or LF.
std::string CsvField(std::string_view bytes);

// A reported measurement's line with its CR LF: its time, the radio's frequency and mode
// texts, the three samples, the threshold, the alarm cell and the recording's path (empty
// without one).
std::string FormatReportLine(const Measurement& measurement);

} // namespace skedula
