// How long the alarm player holds up the tick: Open and Play of a three-minute WAV and MP3,
// and how soon after Play the first sound reaches SDL's disk audio driver.
// Prints "name<TAB>value<TAB>unit<TAB>target" per figure.
#include "engine/Error.h"
#include "sound/AlarmPlayer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int rate = 44100;
constexpr int channels = 2;
constexpr int seconds = 180;
constexpr int rounds = 15;

double millisecondsSince(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// A 440 Hz sine at half scale, 16-bit stereo.
void writeSineWav(const fs::path& file) {
    const std::size_t frames = static_cast<std::size_t>(rate) * seconds;
    std::string wav = "RIFF";
    const auto dataBytes = static_cast<uint32_t>(frames * channels * 2);
    putLittleEndian(wav, 36 + dataBytes, 4);
    wav += "WAVEfmt ";
    putLittleEndian(wav, 16, 4);
    putLittleEndian(wav, 1, 2);
    putLittleEndian(wav, channels, 2);
    putLittleEndian(wav, rate, 4);
    putLittleEndian(wav, rate * channels * 2, 4);
    putLittleEndian(wav, channels * 2, 2);
    putLittleEndian(wav, 16, 2);
    wav += "data";
    putLittleEndian(wav, dataBytes, 4);
    wav.reserve(wav.size() + dataBytes);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const double phase = 2.0 * M_PI * 440.0 * static_cast<double>(frame) / rate;
        const auto value = static_cast<int16_t>(std::lround(16000.0 * std::sin(phase)));
        for (int channel = 0; channel < channels; ++channel) {
            putLittleEndian(wav, static_cast<uint16_t>(value), 2);
        }
    }
    std::ofstream(file, std::ios::binary)
        .write(wav.data(), static_cast<std::streamsize>(wav.size()));
}

// Debian's `lame` encoder makes the MP3 from the WAV.
bool encodeMp3(const fs::path& wav, const fs::path& mp3) {
    std::vector<std::string> args = {"lame", "--quiet", "-b", "128", wav.string(), mp3.string()};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "lame", nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Follows the raw samples the disk driver appends to its file.
class DiskFollower {
public:
    explicit DiskFollower(const fs::path& file) : file_(file) {}
    ~DiskFollower() {
        if (in_ != nullptr) {
            std::fclose(in_);
        }
    }
    // Reads what was appended since the last call; true when any of it was sound.
    bool readNew() {
        if (in_ == nullptr) {
            in_ = std::fopen(file_.c_str(), "rb");
            if (in_ == nullptr) {
                return false;
            }
        }
        bool sound = false;
        int16_t buffer[4096];
        std::size_t count = 0;
        while ((count = std::fread(buffer, sizeof buffer[0], 4096, in_)) > 0) {
            for (std::size_t i = 0; i < count; ++i) {
                sound = sound || std::abs(static_cast<int>(buffer[i])) > 256;
            }
        }
        std::clearerr(in_);
        return sound;
    }

private:
    fs::path file_;
    std::FILE* in_ = nullptr;
};

struct Figures {
    std::vector<double> open, play, firstSound;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double maximum(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

// Waits until the driver has written silence for a while, so that what comes next is new.
void waitForSilence(DiskFollower& output) {
    auto quietSince = Clock::now();
    while (millisecondsSince(quietSince, Clock::now()) < 150) {
        if (output.readNew()) {
            quietSince = Clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

Figures measure(skedula::AlarmPlayer& player, DiskFollower& output, const fs::path& file) {
    Figures figures;
    for (int round = 0; round < rounds; ++round) {
        player.Close();
        waitForSilence(output);
        player.setFileName(file.string());
        const auto beforeOpen = Clock::now();
        player.Open();
        const auto beforePlay = Clock::now();
        player.Play();
        const auto afterPlay = Clock::now();
        while (!output.readNew()) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const auto heard = Clock::now();
        figures.open.push_back(millisecondsSince(beforeOpen, beforePlay));
        figures.play.push_back(millisecondsSince(beforePlay, afterPlay));
        figures.firstSound.push_back(millisecondsSince(beforePlay, heard));
    }
    player.Close();
    return figures;
}

void print(const std::string& name, double value, const char* unit, const char* target) {
    std::printf("%s\t%.3f\t%s\t%s\n", name.c_str(), value, unit, target);
}

void report(const std::string& kind, const Figures& figures) {
    print("open_" + kind + "_median", median(figures.open), "ms", "<10");
    print("open_" + kind + "_max", maximum(figures.open), "ms", "<10");
    print("play_" + kind + "_median", median(figures.play), "ms", "<1");
    print("play_" + kind + "_max", maximum(figures.play), "ms", "<1");
    print("first_sound_after_play_" + kind + "_median", median(figures.firstSound), "ms", "-");
    print("first_sound_after_play_" + kind + "_max", maximum(figures.firstSound), "ms", "-");
}

} // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "skedula-bench-sound-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;
    const fs::path wav = folder / "alarm.wav";
    const fs::path mp3 = folder / "alarm.mp3";
    const fs::path raw = folder / "output.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    unsetenv("SDL_DISKAUDIODELAY"); // real-time pacing, as a sound card would take samples

    int result = 0;
    writeSineWav(wav);
    if (!encodeMp3(wav, mp3)) {
        std::fprintf(stderr, "bench_sound: could not run `lame` to make the MP3\n");
        result = 1;
    } else {
        try {
            skedula::AlarmPlayer player;
            DiskFollower output(raw);
            player.setFileName(wav.string());
            const auto start = Clock::now();
            player.Open(); // the first Open also opens the audio device
            print("open_first_with_device", millisecondsSince(start, Clock::now()), "ms", "-");
            report("wav_3min", measure(player, output, wav));
            report("mp3_3min", measure(player, output, mp3));
        } catch (const skedula::Error& error) {
            std::fprintf(stderr, "bench_sound: %s\n", error.what());
            result = 1;
        }
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return result;
}
