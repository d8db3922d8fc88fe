// What the recorder records and where: the sound source, the folder and how long it goes on
// after a report. Kept in the settings file's group [Recording]; the recording setup reads and
// writes it, the recorder follows it from the next tuning.
#pragma once

#include <optional>
#include <string>

namespace skedula {

inline constexpr int DefaultAfterSeconds = 30;
inline constexpr int MostAfterSeconds = 600;

struct RecordingChoice {
    // The sound server's name of the source; nothing: "Keine Aufnahme".
    std::optional<std::string> source;
    // Absolute; made when the first recording needs it.
    std::string folder;
    int afterSeconds = DefaultAfterSeconds;

    bool operator==(const RecordingChoice&) const = default;
};

// $XDG_DATA_HOME/Skedula/Aufnahmen, as the environment is now.
std::string DefaultRecordingFolder();

} // namespace skedula
