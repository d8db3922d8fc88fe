// Opening a document or a URL with the program the user has for it: the about dialog's links.
#pragma once

#include <string>

namespace skedula {

// ShellExecuteA with no owner, the verb "open", the text as the file, no parameters, no working
// folder and SW_SHOWNORMAL; the shell's result is not looked at.
void ShellOpen(const std::string& text);

} // namespace skedula
