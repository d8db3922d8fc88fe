// The command line, `skedula [--start] [LISTE]`, read before the application object exists,
// so that --help, --version and a wrong call answer in a terminal without any display.
// Used by main; the composition root follows what it asks for once the window is shown.
#pragma once

#include <optional>
#include <string>

namespace skedula {

// What the program is asked to do at start.
struct StartRequest {
    std::optional<std::string> listFile; // loaded as "Laden ..." loads it, bytes as given
    bool start = false;                  // press Start, after the list
};

// The outcome of reading the arguments: either run with a request, or end at once with the
// exit code after writing the texts (German, UTF-8) to standard output and standard error.
struct CommandLine {
    std::optional<StartRequest> run;
    int exitCode = 0;
    std::string out;
    std::string err;
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

} // namespace skedula
