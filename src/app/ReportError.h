// The error reporter: shows an escaped error's message in a box captioned with the
// application title, then returns. Used by the application's two catch points.
#pragma once

#include <exception>
#include <string>

namespace skedula {

void ReportError(const std::string& message);

// The message of whatever was thrown: an exception's what(), or a fixed text for anything else.
std::string MessageOf(std::exception_ptr error);

} // namespace skedula
