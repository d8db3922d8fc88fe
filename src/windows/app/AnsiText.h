// How the program's texts reach the Windows A functions, which read bytes in the system's ANSI
// code page: the program's own German texts are UTF-8, while cells, the radio's texts and the
// platform's messages are ANSI already. Used by the windows and the error reporter.
#pragma once

#include <string>
#include <string_view>

namespace skedula {

// The text in the ANSI code page: valid UTF-8 is converted (a character the code page lacks
// becomes "?"); anything else is taken to be ANSI already and stays as it is.
std::string AnsiText(std::string_view text);

} // namespace skedula
