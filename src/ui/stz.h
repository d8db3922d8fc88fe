// Opening a document or a URL with the desktop's own handler. Used by the about dialog's links.
#pragma once

#include <string>

namespace skedula {

// Hands the text unchanged, as the one argument, to xdg-open, started without a shell and
// not waited for. Whether a handler could open it is the desktop's business: nothing is
// reported here.
void ShellOpen(const std::string& text);

} // namespace skedula
