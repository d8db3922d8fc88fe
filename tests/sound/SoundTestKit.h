// Helpers for the alarm player's tests: a temporary folder, WAV files made of square-wave
// segments whose loudness marks where in the file playback stands, and a reader for what
// SDL's disk audio driver writes.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace skedula::soundtest {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Sets an environment variable for the lifetime of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value); // nullptr removes the variable
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool hadValue_ = false;
    std::string oldValue_;
};

// Square-wave amplitudes that survive the mixer unchanged and tell segments apart.
constexpr int16_t softAmplitude = 4000;
constexpr int16_t loudAmplitude = 20000;

struct Segment {
    double seconds;
    int16_t amplitude;
};

// A 44.1 kHz 16-bit stereo WAV: the format the player opens its device with, so the disk
// driver writes the samples unchanged.
void writeWav(const std::filesystem::path& file, const std::vector<Segment>& segments);

void writeFile(const std::filesystem::path& file, const std::string& bytes);

enum class Level { Silent, Soft, Loud, Other };

// A stretch of consecutive samples of one level.
struct Run {
    Level level;
    std::size_t samples;
};

// The runs of everything but silence, in the order they were written.
std::vector<Run> soundRuns(const std::vector<int16_t>& samples);

// What SDL's disk audio driver has written so far, read as 16-bit samples.
class DiskOutput {
public:
    explicit DiskOutput(std::filesystem::path file) : file_(std::move(file)) {}
    const std::filesystem::path& file() const { return file_; }
    std::vector<int16_t> samples() const;
    bool hasSound(int16_t above = 1000) const;
    // Polls the output until `done` holds or the bound passes; the driver writes in real time.
    bool waitUntil(const std::function<bool(const std::vector<int16_t>&)>& done,
                   std::chrono::milliseconds bound = std::chrono::seconds(5)) const;

private:
    std::filesystem::path file_;
};

// Every test plays to SDL's disk driver, paced in real time, into a file of its own; the
// player opens the device at its first Open, so each test's player writes a fresh file.
class DiskAudioTest : public ::testing::Test {
protected:
    TempFolder temp;
    ScopedEnv driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv outputFile{"SDL_DISKAUDIOFILE", (temp.path() / "output.raw").c_str()};
    ScopedEnv pacing{"SDL_DISKAUDIODELAY", nullptr};
    DiskOutput output{temp.path() / "output.raw"};
};

} // namespace skedula::soundtest
