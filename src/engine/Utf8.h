// Byte strings that may or may not be UTF-8: list files come from Linux and from Windows.
// The window shows such bytes, and the report file keeps them, as Utf8OrWindows1252 says.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skedula {

bool IsValidUtf8(std::string_view text);

// The characters of a text: UTF-8 sequences when the whole text is valid UTF-8, else bytes.
std::vector<std::string> SplitCharacters(std::string_view text);

// The text as UTF-8: unchanged when it is valid UTF-8, else read as Windows-1252, so that
// lists written on Windows keep their umlauts.
std::string Utf8OrWindows1252(std::string_view bytes);

// Windows-1252 bytes as UTF-8; bytes the code page leaves undefined become U+FFFD.
std::string Windows1252ToUtf8(std::string_view bytes);

} // namespace skedula
