// The error reporter and the last-resort report of the Windows program. The catch points (the
// window procedures and the step timer's tick) hand an escaped error's message to ReportError;
// the start hands a failure before the message loop to the last-resort report.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace skedula {

// Ends a mouse capture (WM_CANCELMODE to the window that holds it), then shows the message with
// the closing-period rule in a box captioned with the application title, with OK and the error
// icon, owned by the active window (the application window when there is none). Returns when
// the box is closed.
void ReportError(const std::string& message);

// The message of whatever was thrown: an exception's what(), or a fixed text for anything else.
std::string MessageOf(std::exception_ptr error);

// "Exception <kind> in Modul <file> bei <address>.\r\n<message>[.]\r\n" for an error that
// escaped the start, the module being the program's file without its folder.
std::string LastResortText(std::exception_ptr error);
// The last-resort report: that text in a task-modal box owned by no window, captioned
// "Anwendungsfehler", with the error icon (flags 0x2010).
void ShowLastResortReport(std::exception_ptr error);

} // namespace skedula
