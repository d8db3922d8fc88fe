// Reads a recording back for the tests: its format, tags and frames through libsndfile, and
// how strong a tone of a given frequency is in it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skedula::soundtest {

struct ReadRecording {
    int rate = 0;
    int channels = 0;
    bool flac = false;
    std::string title;
    std::string date;
    std::string comment;
    std::vector<std::int16_t> samples; // interleaved
    std::int64_t frames() const {
        return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0;
    }
    double seconds() const { return rate > 0 ? static_cast<double>(frames()) / rate : 0; }
};

// Nothing when libsndfile cannot open the file.
std::optional<ReadRecording> ReadFlac(const std::string& path);

// The share (0 to 1) of the first channel's power, over the frames from first on, that lies
// at the frequency: near 1 for a pure tone of it, near 0 for silence or another tone.
double ToneShare(const ReadRecording& recording, double hertz, std::int64_t first = 0);

// The .flac files in a folder, sorted, and every other name in it.
std::vector<std::string> FlacFiles(const std::string& folder);
std::vector<std::string> OtherFiles(const std::string& folder);

} // namespace skedula::soundtest
