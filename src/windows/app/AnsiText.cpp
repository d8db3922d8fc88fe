#include "windows/app/AnsiText.h"

#include "engine/Utf8.h"

#include <windows.h>

#include <algorithm>

namespace skedula {

std::string AnsiText(std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !IsValidUtf8(text))
        return std::string(text);
    const int size = static_cast<int>(text.size());
    const int wide = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, utf16.data(), wide);
    const int bytes =
        ::WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, nullptr, 0, "?", nullptr);
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, ansi.data(), bytes, "?", nullptr);
    return ansi;
}

} // namespace skedula
