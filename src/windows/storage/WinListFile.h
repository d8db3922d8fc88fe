// Saving and loading the watch list as a list file through the Windows file API, in the Linux
// program's byte format (storage/ListText: one cell per line, CR LF, rows 1 to 11), so that
// one list file works on both. The Windows main window's "Liste" menu calls these; failures
// are Error with the German message for the Windows error number.
#pragma once

#include "engine/CellGrid.h"

#include <windows.h>

#include <string>

namespace skedula {

// The message for a list file's error number: the Windows error (GetLastError) or the
// runtime's own numbers 100, 101 and 106; "E/A-Fehler <n>" for any other. A full disk
// (ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL) counts as 101.
std::string ListFileErrorText(DWORD code);

// Writes rows 1 to 11 of the list (55 lines) to a new file beside the target and moves it
// over the target once it is complete, so that a failed save leaves the old file as it was.
// Where the folder takes no new file the target is written in place.
void SaveList(const CellGrid& list, const std::string& path);

// Reads the file into rows 1 to 11 without clearing the list first: cells the file does not
// reach keep their text. A load that fails part-way keeps the cells it has already filled.
void LoadList(CellGrid& list, const std::string& path);

} // namespace skedula
