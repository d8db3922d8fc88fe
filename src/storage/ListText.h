// The list file's text: the watch list's cells as lines and lines back into cells.
// ListFile reads and writes files with it; the loader's fuzz target drives ListReader directly.
#pragma once

#include "engine/CellGrid.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace skedula {

// A saved list holds rows 1 to 11 (the ten entry rows and the hidden row 11), five cells each.
inline constexpr int kListColumns = 5;
inline constexpr int kListRows = 11;
inline constexpr std::size_t kListLines = kListColumns * kListRows;

// Every cell of rows 1 to 11, byte for byte, each followed by CR LF.
std::string FormatList(const CellGrid& list);

// Reads a list file's bytes, in pieces of any size, into the list's cells: line n goes to
// column (n - 1) % 5 of row (n - 1) / 5 + 1. Every CR is dropped (so LF and CR LF both end a
// line and a lone CR vanishes), a Ctrl+Z at the start of a line ends the file, and lines past
// the 55th are read but not kept: nothing uses them. Cells the file does not reach stay as
// they were. Each line is written into its cell as soon as it is complete.
class ListReader {
public:
    explicit ListReader(CellGrid& list) : list_(list) {}

    void feed(std::string_view bytes);
    // The end of the file: a last line without a line end is written now.
    void finish();
    // True once a Ctrl+Z or finish() ended the file; later bytes are ignored.
    bool ended() const { return ended_; }

private:
    void endLine();

    CellGrid& list_;
    std::size_t line_ = 0; // index of the line being read, stops counting at kListLines
    std::string text_;
    bool lineStarted_ = false;
    bool ended_ = false;
};

} // namespace skedula
