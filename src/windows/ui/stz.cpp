#include "windows/ui/stz.h"

#include <windows.h>

#include <shellapi.h>

namespace skedula {

void ShellOpen(const std::string& text) {
    ::ShellExecuteA(nullptr, "open", text.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace skedula
