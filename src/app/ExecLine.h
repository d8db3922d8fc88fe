// How the report command's line ([Watch] ReportCommand) becomes a program and its arguments:
// split as desktop files split their Exec line, and run without a shell. The report command,
// its dialog and the watch settings use it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skedula {

// Arguments are separated by blanks. An argument, or a part of one, in double quotes keeps its
// blanks; inside the quotes a backslash takes the next character as it is, and only ", `, $ and
// \ may follow it; ` and $ must have one. Outside quotes the characters ' \ > < ~ | & ; $ * ? #
// ( ) ` are refused: a listener who writes them expects a shell that is not there. "" is an
// empty argument; % is an ordinary character. Throws Error naming the place of the first fault.
std::vector<std::string> SplitExecLine(std::string_view line);

// The program and its arguments; nothing when the line is blank (no command). Throws Error as
// SplitExecLine does, and when the program's name is empty.
std::optional<std::vector<std::string>> CommandArguments(std::string_view line);

} // namespace skedula
