#include "sound/SoundTestKit.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace skedula::soundtest {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "skedula-sound-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        hadValue_ = true;
        oldValue_ = old;
    }
    if (value != nullptr) {
        ::setenv(name, value, 1);
    } else {
        ::unsetenv(name);
    }
}

ScopedEnv::~ScopedEnv() {
    if (hadValue_) {
        ::setenv(name_.c_str(), oldValue_.c_str(), 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

namespace {

constexpr int rate = 44100;
constexpr int channels = 2;
constexpr int halfPeriodFrames = 50; // a 441 Hz square wave

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

Level levelOf(int16_t sample) {
    const int magnitude = std::abs(static_cast<int>(sample));
    auto near = [magnitude](int amplitude) { return std::abs(magnitude - amplitude) <= 100; };
    if (magnitude <= 64) {
        return Level::Silent;
    }
    if (near(softAmplitude)) {
        return Level::Soft;
    }
    if (near(loudAmplitude)) {
        return Level::Loud;
    }
    return Level::Other;
}

} // namespace

void writeWav(const fs::path& file, const std::vector<Segment>& segments) {
    std::string data;
    for (const Segment& segment : segments) {
        // One period of the square wave, repeated: long files stay quick to make.
        std::string period;
        for (int frame = 0; frame < 2 * halfPeriodFrames; ++frame) {
            const int16_t value = frame < halfPeriodFrames ? segment.amplitude : -segment.amplitude;
            for (int channel = 0; channel < channels; ++channel) {
                putLittleEndian(period, static_cast<uint16_t>(value), 2);
            }
        }
        auto bytes = static_cast<std::size_t>(std::lround(segment.seconds * rate)) * channels * 2;
        for (; bytes >= period.size(); bytes -= period.size()) {
            data += period;
        }
        data.append(period, 0, bytes);
    }
    std::string wav = "RIFF";
    putLittleEndian(wav, static_cast<uint32_t>(36 + data.size()), 4);
    wav += "WAVEfmt ";
    putLittleEndian(wav, 16, 4);
    putLittleEndian(wav, 1, 2); // PCM
    putLittleEndian(wav, channels, 2);
    putLittleEndian(wav, rate, 4);
    putLittleEndian(wav, rate * channels * 2, 4);
    putLittleEndian(wav, channels * 2, 2);
    putLittleEndian(wav, 16, 2);
    wav += "data";
    putLittleEndian(wav, static_cast<uint32_t>(data.size()), 4);
    writeFile(file, wav + data);
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::vector<Run> soundRuns(const std::vector<int16_t>& samples) {
    std::vector<Run> runs;
    for (int16_t sample : samples) {
        const Level level = levelOf(sample);
        if (level == Level::Silent) {
            continue;
        }
        if (runs.empty() || runs.back().level != level) {
            runs.push_back({level, 0});
        }
        ++runs.back().samples;
    }
    return runs;
}

std::vector<int16_t> DiskOutput::samples() const {
    std::ifstream in(file_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The driver may be halfway through a write: keep whole stereo frames only.
    bytes.resize(bytes.size() - bytes.size() % (2 * channels));
    std::vector<int16_t> result(bytes.size() / 2);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const auto low = static_cast<uint8_t>(bytes[2 * i]);
        const auto high = static_cast<uint8_t>(bytes[2 * i + 1]);
        result[i] = static_cast<int16_t>(low | (high << 8));
    }
    return result;
}

bool DiskOutput::hasSound(int16_t above) const {
    for (int16_t sample : samples()) {
        if (std::abs(static_cast<int>(sample)) > above) {
            return true;
        }
    }
    return false;
}

bool DiskOutput::waitUntil(const std::function<bool(const std::vector<int16_t>&)>& done,
                           std::chrono::milliseconds bound) const {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (true) {
        if (done(samples())) {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace skedula::soundtest
