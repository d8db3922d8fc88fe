// "Testen" in the dialog "Funkgerät": connects with the settings being edited as the watch
// would (starting rigctld when the choice needs it), reads frequency, mode and S-meter, and
// closes its connection and ends whatever it started before it returns (gqrx serves one
// client at a time: nothing of a test may stay connected to it). Used by the radio setup.
#pragma once

#include "app/RadioBackend.h"
#include "link/RadioChoice.h"

#include <string>
#include <vector>

namespace skedula {

struct RadioTestResult {
    bool reached = false;
    // "7100000 AM S7" ("7150000 AM S9+16dB (-20.0 dBFS)" for gqrx), or why not, in German.
    std::string text;
};

// serverArguments: what starts the server when nothing answers; empty starts nothing.
// ownServerRuns: a server that Skedula started for the watch runs on the choice's port. A
// server that answers at once where Skedula would start one is otherwise someone else's: its
// readings are shown behind a note that says so.
RadioTestResult TestRadio(const RadioChoice& choice,
                          const std::vector<std::string>& serverArguments,
                          const RadioTimings& timings, bool ownServerRuns = false);

} // namespace skedula
