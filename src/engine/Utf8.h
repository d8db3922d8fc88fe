// Byte strings that may or may not be UTF-8: list files come from Linux and from Windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skedula {

bool IsValidUtf8(std::string_view text);

// The characters of a text: UTF-8 sequences when the whole text is valid UTF-8, else bytes.
std::vector<std::string> SplitCharacters(std::string_view text);

} // namespace skedula
