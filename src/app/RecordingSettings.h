// The group [Recording] of the settings file: Source, the sound source to record (empty: none),
// Folder, where the recordings go (empty: $XDG_DATA_HOME/Skedula/Aufnahmen), and After, the
// seconds of "Nachlauf". Read into a recording choice with every value that is not valid named,
// and written from one. Used by the recording setup when the program starts and on OK.
#pragma once

#include "sound/RecordingChoice.h"
#include "storage/IniDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace skedula {

inline constexpr std::string_view RecordingGroup = "Recording";

struct RecordingSettings {
    // The choice as far as it could be read; a value that is not valid leaves its default.
    RecordingChoice choice;
    // One line per value that is not valid, naming key and value: "After=900: ...".
    std::vector<std::string> problems;
};

RecordingSettings ReadRecordingSettings(const IniDocument& document);
// Sets every key of the group from the choice; the document's other lines stay.
void WriteRecordingSettings(IniDocument& document, const RecordingChoice& choice);

// What is wrong with a choice as the dialog edited it, one line per field; none when it can
// be kept.
std::vector<std::string> RecordingChoiceProblems(const RecordingChoice& choice);

} // namespace skedula
