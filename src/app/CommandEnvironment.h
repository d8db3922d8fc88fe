// What the report command learns of its report: the SKEDULA_ variables of its environment and
// the six lines on its standard input. Built here, from the measurement alone, so that the
// exact bytes a script sees can be checked; the report command hands them to the runner.
#pragma once

#include "engine/WatchListener.h"

#include <string>
#include <utility>
#include <vector>

namespace skedula {

using EnvironmentVariable = std::pair<std::string, std::string>; // name, value

// SKEDULA_ZEIT (as in the report file), SKEDULA_FREQUENZ and SKEDULA_MODE (the radio's texts),
// SKEDULA_S1 to SKEDULA_S3 and SKEDULA_SCHWELLE (numbers; empty where there is none),
// SKEDULA_ALARM (the alarm cell as in the list) and SKEDULA_AUFNAHME (the recording's path, or
// empty). Bytes are kept as they are, except NUL, which no environment can hold.
std::vector<EnvironmentVariable> ReportVariables(const Measurement& measurement);

// The report's lines as the log got them, each ended by a line feed.
std::string ReportInput(const Measurement& measurement);

// The "NAME=value" entries of base, less those the variables name, then the variables: a
// SKEDULA_ variable Skedula itself was started with cannot stand in for the report's.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& base,
                                           const std::vector<EnvironmentVariable>& variables);

} // namespace skedula
