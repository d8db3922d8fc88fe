// Saving and loading the watch list as a list file (one cell per line, CR LF, rows 1 to 11).
// The main window's "Liste" menu calls these; failures are Error with the German message.
#pragma once

#include "engine/CellGrid.h"

#include <string>

namespace skedula {

// Writes rows 1 to 11 of the list (55 lines). The file on disk is replaced only once the new
// one is complete, so a failed save leaves the old file as it was; except for a file in a
// folder without write access or with several hard links, which is written in place.
void SaveList(const CellGrid& list, const std::string& path);

// Reads the file into rows 1 to 11 without clearing the list first: cells the file does not
// reach keep their text. A load that fails part-way keeps the cells it has already filled.
void LoadList(CellGrid& list, const std::string& path);

// LoadList for a list named outside the file dialog (on the command line), where the box is
// all the listener sees of it: every message names the file ("Listendatei '<path>' nicht
// gefunden", "... ist ein Ordner", "Listendatei '<path>': " and LoadList's message).
void LoadNamedList(CellGrid& list, const std::string& path);

} // namespace skedula
