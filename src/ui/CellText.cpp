#include "ui/CellText.h"

#include "engine/Utf8.h"

namespace skedula {

std::string DisplayText(std::string_view cellBytes) {
    return Utf8OrWindows1252(cellBytes);
}

} // namespace skedula
