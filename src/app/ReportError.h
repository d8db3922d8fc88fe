// The error reporter: shows an escaped error's message in a box captioned with the
// application title, then returns. Used by the application's two catch points.
#pragma once

#include <exception>
#include <string>

class QWidget;

namespace skedula {

// While a box with the same text is open, nothing more is shown: the failure is on the
// screen already. A different text gets its own box on top.
void ReportError(const std::string& message);

// The error box itself, also for the report of a failure before the loop runs: the text with
// the error icon and one plain OK button, modal, over owner (none: over no window).
void ShowErrorBox(const std::string& caption, const std::string& text, QWidget* owner);

// The message of whatever was thrown: an exception's what(), or a fixed text for anything else.
std::string MessageOf(std::exception_ptr error);

} // namespace skedula
