// What the main window's "Laden ..." and "Speichern ..." need of the list files: load a named
// file into the watch list, save the watch list to a named file. The composition gives the
// Windows list files; failures are Error with the German message, shown by the catch point.
#pragma once

#include "engine/CellGrid.h"

#include <string>

namespace skedula {

class ListFilePort {
public:
    virtual ~ListFilePort() = default;
    virtual void Load(CellGrid& list, const std::string& path) = 0;
    virtual void Save(const CellGrid& list, const std::string& path) = 0;
};

} // namespace skedula
