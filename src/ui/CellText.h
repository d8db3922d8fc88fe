// How a cell's bytes are shown: as UTF-8, or as Windows-1252 when the cell is not valid UTF-8,
// so lists written on Windows show their umlauts. The stored bytes are never changed by showing.
#pragma once

#include <string>
#include <string_view>

namespace skedula {

// The cell's text as UTF-8 for display.
std::string DisplayText(std::string_view cellBytes);

// Windows-1252 bytes as UTF-8; bytes the code page leaves undefined become U+FFFD.
std::string Windows1252ToUtf8(std::string_view bytes);

} // namespace skedula
