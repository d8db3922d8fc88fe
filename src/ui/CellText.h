// How a cell's bytes are shown: as UTF-8, or as Windows-1252 when the cell is not valid UTF-8,
// so lists written on Windows show their umlauts. The stored bytes are never changed by showing.
#pragma once

#include "engine/Utf8.h"

#include <string>
#include <string_view>

namespace skedula {

// The cell's text as UTF-8 for display: the report file keeps cells the same way.
std::string DisplayText(std::string_view cellBytes);

} // namespace skedula
