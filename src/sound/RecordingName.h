// The name and the tags of a report's recording, made from the reported measurement: the
// local time of the report and the frequency and mode texts the radio gave. Used by the
// recorder.
#pragma once

#include "engine/WatchListener.h"

#include <string>
#include <string_view>

namespace skedula {

// Only letters, digits, "." and "-" of the text (ASCII), so that a radio's text can neither
// leave the folder nor trouble a file manager.
std::string FileNamePart(std::string_view text);

// "2026-12-07T143010_7100000_AM.flac"; copy 2 and up add "-2", "-3" before the extension.
std::string RecordingFileName(const Measurement& measurement, int copy = 1);

struct RecordingTags {
    std::string title;   // "7100000 AM"
    std::string date;    // the report's ISO 8601 time
    std::string comment; // the three sample lines, one per line
};

// As UTF-8, also when the radio's texts are Windows-1252.
RecordingTags TagsFor(const Measurement& measurement);

} // namespace skedula
