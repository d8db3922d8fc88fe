// How an error's message is shown: the period rule of the error box.
#pragma once

#include <string>

namespace skedula {

// Appends "." when the text is not empty and its last byte, compared unsigned, sorts after ".":
// letters, digits, "/", ":", "?" and every byte of a non-ASCII character get one;
// ".", "!", ")", ",", "-" and blanks do not.
std::string WithClosingPeriod(std::string text);

} // namespace skedula
