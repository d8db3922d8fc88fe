// How an error's message is shown: the period rule of the error box, and the name of an
// exception's type for the last-resort report.
#pragma once

#include <exception>
#include <string>

namespace skedula {

// Appends "." when the text is not empty and its last byte, compared unsigned, sorts after ".":
// letters, digits, "/", ":", "?" and every byte of a non-ASCII character get one;
// ".", "!", ")", ",", "-" and blanks do not.
std::string WithClosingPeriod(std::string text);

// The demangled type name of the exception held, "unknown" for one that is not a std::exception.
std::string ExceptionKind(std::exception_ptr error);

} // namespace skedula
