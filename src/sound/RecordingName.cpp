#include "sound/RecordingName.h"

#include "engine/Utf8.h"

namespace skedula {

std::string FileNamePart(std::string_view text) {
    std::string part;
    for (const char c : text) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || digit || c == '.' || c == '-')
            part += c;
    }
    return part;
}

std::string RecordingFileName(const Measurement& measurement, int copy) {
    // "2026-12-07T14:30:10+01:00": the local date and time without the offset, and without
    // colons, which some file systems and file managers do not take.
    std::string time;
    for (const char c : std::string_view(measurement.time).substr(0, 19))
        if (c != ':')
            time += c;
    std::string name = FileNamePart(time) + "_" + FileNamePart(measurement.radioFrequency) + "_" +
                       FileNamePart(measurement.radioMode);
    if (copy > 1)
        name += "-" + std::to_string(copy);
    return name + ".flac";
}

RecordingTags TagsFor(const Measurement& measurement) {
    RecordingTags tags;
    tags.title = Utf8OrWindows1252(measurement.radioFrequency + " " + measurement.radioMode);
    tags.date = measurement.time;
    // The report's lines 4 to 6; the log's first three are the empty line, the time and the
    // title.
    for (std::size_t line = 3; line < measurement.reportLines.size(); ++line)
        tags.comment += (tags.comment.empty() ? "" : "\n") + measurement.reportLines[line];
    return tags;
}

} // namespace skedula
