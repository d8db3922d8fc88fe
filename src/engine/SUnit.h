// S-unit values: the digit in the second character of an S-meter text or a threshold cell.
#pragma once

#include <string>

namespace skedula {

// 0 for texts of fewer than two characters, 0 to 9 for a digit in the second character.
// Any other second character throws Error("'%s' ist kein gültiger Integerwert").
// Characters are counted as UTF-8 when the text is valid UTF-8, else as bytes, so a threshold
// typed as "ä5" reads 5 whether the list was saved here or on a Windows machine.
int SUnitValue(const std::string& text);

// The conversion error for a text that is not a decimal integer.
[[noreturn]] void ThrowConversionError(const std::string& text);

} // namespace skedula
