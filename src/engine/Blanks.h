// The blanks around a text that nobody means: spaces, tabs, and the carriage return that a
// Windows line end leaves behind. One rule for the settings file, the radio's replies, the
// table of `rigctl -l` and the cells sent to the radio.
#pragma once

#include <string_view>

namespace skedula {

inline constexpr std::string_view Blanks = " \t\r";

inline std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

} // namespace skedula
