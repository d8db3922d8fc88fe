#include "FlacReader.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

namespace skedula::soundtest {

std::optional<ReadRecording> ReadFlac(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return std::nullopt;
    ReadRecording recording;
    recording.rate = info.samplerate;
    recording.channels = info.channels;
    recording.flac = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC;
    const auto text = [&](int which) {
        const char* value = sf_get_string(file, which);
        return std::string(value != nullptr ? value : "");
    };
    recording.title = text(SF_STR_TITLE);
    recording.date = text(SF_STR_DATE);
    recording.comment = text(SF_STR_COMMENT);
    // In pieces: a file cut short by a full disk has no length in its header.
    std::vector<std::int16_t> piece(static_cast<std::size_t>(4096 * info.channels));
    for (;;) {
        const sf_count_t read = sf_readf_short(file, piece.data(), 4096);
        if (read <= 0)
            break;
        recording.samples.insert(recording.samples.end(), piece.begin(),
                                 piece.begin() + read * info.channels);
    }
    sf_close(file);
    return recording;
}

double ToneShare(const ReadRecording& recording, double hertz, std::int64_t first) {
    // Goertzel at the frequency against the plain power of the same frames.
    const double w = 2 * std::numbers::pi * hertz / recording.rate;
    const double coefficient = 2 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    double power = 0;
    std::int64_t n = 0;
    for (std::int64_t i = std::max<std::int64_t>(first, 0); i < recording.frames(); ++i, ++n) {
        const double x = recording.samples[static_cast<std::size_t>(i * recording.channels)];
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
        power += x * x;
    }
    if (n == 0 || power == 0)
        return 0;
    const double tone = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    // A pure sine of amplitude A over n frames: tone = (A n / 2)^2, power = A^2 n / 2.
    return std::min(1.0, tone * 2 / (static_cast<double>(n) * power));
}

namespace {

std::vector<std::string> Names(const std::string& folder, bool flac) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if ((entry.path().extension() == ".flac") == flac)
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::vector<std::string> FlacFiles(const std::string& folder) {
    return Names(folder, true);
}

std::vector<std::string> OtherFiles(const std::string& folder) {
    return Names(folder, false);
}

} // namespace skedula::soundtest
