// The alarm player against the real SDL2_mixer, heard through SDL's disk audio driver.
#include "engine/Error.h"
#include "sound/AlarmPlayer.h"
#include "sound/SoundTestKit.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <tuple>
#include <unistd.h>

namespace skedula {
namespace {

using namespace soundtest;
namespace fs = std::filesystem;

class AlarmPlayerPlayback : public DiskAudioTest {
protected:
    // The engine's sequence for one alarm.
    void sound(AlarmPlayer& player, const fs::path& file) {
        player.Close();
        player.setFileName(file.string());
        player.Open();
        player.Play();
    }

    bool waitForRuns(std::size_t count) {
        return output.waitUntil([count](const auto& s) {
            auto runs = soundRuns(s);
            return runs.size() >= count && runs.back().samples > 2000;
        });
    }
};

TEST_F(AlarmPlayerPlayback, AWavIsHeard) {
    const fs::path file = temp.path() / "ton.wav";
    writeWav(file, {{1.0, softAmplitude}});
    AlarmPlayer player;
    sound(player, file);
    EXPECT_TRUE(output.waitUntil([&](const auto&) { return output.hasSound(); }));
}

TEST_F(AlarmPlayerPlayback, AnMp3IsHeard) {
    const char* data = std::getenv("SKEDULA_TEST_DATA");
    ASSERT_NE(data, nullptr) << "SKEDULA_TEST_DATA names the tests' data folder";
    AlarmPlayer player;
    sound(player, fs::path(data) / "sound" / "tone.mp3");
    EXPECT_TRUE(output.waitUntil([&](const auto&) { return output.hasSound(); }));
}

TEST_F(AlarmPlayerPlayback, PlayReturnsWhileALongSoundStillPlays) {
    const fs::path file = temp.path() / "lang.wav";
    writeWav(file, {{60.0, softAmplitude}});
    AlarmPlayer player;
    sound(player, file);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_TRUE(waitForRuns(1));
}

TEST_F(AlarmPlayerPlayback, ALaterAlarmCutsOffAnEarlierOne) {
    const fs::path first = temp.path() / "erster.wav";
    const fs::path second = temp.path() / "zweiter.wav";
    writeWav(first, {{30.0, softAmplitude}});
    writeWav(second, {{30.0, loudAmplitude}});
    AlarmPlayer player;

    sound(player, first);
    ASSERT_TRUE(waitForRuns(1));
    sound(player, second);
    ASSERT_TRUE(waitForRuns(2));
    player.Close();

    // The two never sound together, the first never comes back, and it was cut short.
    const auto runs = soundRuns(output.samples());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].level, Level::Soft);
    EXPECT_EQ(runs[1].level, Level::Loud);
    EXPECT_LT(runs[0].samples, 44100u * 2 * 30);
}

TEST_F(AlarmPlayerPlayback, TheSameFileTwiceStartsAgainFromItsBeginning) {
    // A loud tenth of a second marks the beginning of the file.
    const fs::path file = temp.path() / "alarm.wav";
    writeWav(file, {{0.1, loudAmplitude}, {30.0, softAmplitude}});
    AlarmPlayer player;

    sound(player, file);
    ASSERT_TRUE(waitForRuns(2));
    sound(player, file);
    ASSERT_TRUE(waitForRuns(4)) << "the beginning was not heard a second time";
    player.Close();

    const auto runs = soundRuns(output.samples());
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].level, Level::Loud);
    EXPECT_EQ(runs[1].level, Level::Soft);
    EXPECT_EQ(runs[2].level, Level::Loud);
    EXPECT_EQ(runs[3].level, Level::Soft);
    EXPECT_EQ(runs[2].samples, runs[0].samples) << "the second start skipped part of the marker";
}

TEST_F(AlarmPlayerPlayback, AFailedOpenLeavesTheEarlierAlarmSilent) {
    const fs::path file = temp.path() / "lang.wav";
    writeWav(file, {{30.0, softAmplitude}});
    AlarmPlayer player;
    sound(player, file);
    ASSERT_TRUE(waitForRuns(1));

    // Open closes by itself, even when the caller did not.
    player.setFileName((temp.path() / "fehlt.wav").string());
    EXPECT_THROW(player.Open(), Error);
    EXPECT_FALSE(player.isOpen());
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(AlarmPlayerPlayback, ARelativePathWithBlanksIsOpenedInTheCurrentFolder) {
    writeWav(temp.path() / "Alarm mit Leerzeichen.wav", {{1.0, softAmplitude}});
    const fs::path before = fs::current_path();
    AlarmPlayer player;
    player.setFileName("Alarm mit Leerzeichen.wav");
    // The folder counts at the moment of Open, not when the name was set.
    fs::current_path(temp.path());
    EXPECT_NO_THROW(player.Open());
    fs::current_path(before);
    player.Play();
    EXPECT_TRUE(output.waitUntil([&](const auto&) { return output.hasSound(); }));
}

TEST_F(AlarmPlayerPlayback, ClosingTheProgramStopsTheSoundAndReleasesTheDevice) {
    const fs::path file = temp.path() / "lang.wav";
    writeWav(file, {{30.0, softAmplitude}});
    {
        AlarmPlayer player;
        sound(player, file);
        ASSERT_TRUE(waitForRuns(1));
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(AlarmPlayerPlayback, SdlLeavesSigintAndSigtermToTheProgram) {
    // Even when the environment asks SDL to take them.
    ScopedEnv askForHandlers("SDL_NO_SIGNAL_HANDLERS", "0");
    const fs::path file = temp.path() / "ton.wav";
    writeWav(file, {{0.1, softAmplitude}});
    AlarmPlayer player;
    sound(player, file);
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        ASSERT_EQ(::sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
    }
}

TEST_F(AlarmPlayerPlayback, WithoutAnAudioDeviceOpenFailsAndALaterOpenTriesAgain) {
    const fs::path file = temp.path() / "ton.wav";
    writeWav(file, {{1.0, softAmplitude}});
    const std::string unwritable = (temp.path() / "fehlt" / "output.raw").string();
    // SDL refuses an unknown driver; the disk driver's device fails to open without its file.
    const std::tuple<const char*, std::string, std::string> refusals[] = {
        {"SDL_AUDIODRIVER", "keiner", "Audio target 'keiner' not available"},
        {"SDL_DISKAUDIOFILE", unwritable, "Couldn't open " + unwritable},
    };
    AlarmPlayer player;
    player.setFileName(file.string());
    for (const auto& [variable, value, sdlText] : refusals) {
        SCOPED_TRACE(variable);
        ScopedEnv noDevice(variable, value.c_str());
        try {
            player.Open();
            ADD_FAILURE() << "Open succeeded without an audio device";
        } catch (const Error& error) {
            EXPECT_EQ(error.what(), "Keine Tonausgabe möglich (" + sdlText + ")");
        }
        EXPECT_FALSE(player.isOpen());
    }
    player.Open();
    player.Play();
    EXPECT_TRUE(output.waitUntil([&](const auto&) { return output.hasSound(); }));
}

} // namespace
} // namespace skedula
