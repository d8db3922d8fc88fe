// The report file, $XDG_DATA_HOME/Skedula/berichte.csv: every alarm report appended as one
// line, so that the reports outlive the window. The report writer appends through it.
#pragma once

#include <string>
#include <string_view>

namespace skedula {

// $XDG_DATA_HOME/Skedula/berichte.csv, by default ~/.local/share/Skedula/berichte.csv.
std::string ReportFilePath();

// Appends one whole line (with its line end) in a single write and flushes it to the disk
// before returning, so that a power cut loses at most the line being written. Creates the
// folders and the file as needed; a new or empty file gets the header first, in the same
// write. A last line cut short earlier is ended first, so that it cannot swallow this one. A
// file with the header of old (without "Aufnahme") gets the new one first, atomically.
// A write that fails part-way is taken back. Throws Error with the German message.
void AppendToReportFile(const std::string& path, std::string_view line);

} // namespace skedula
