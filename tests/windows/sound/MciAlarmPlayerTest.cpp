// The alarm player over MCI under Wine, playing into the test session's private PulseAudio
// (a null sink): a WAV and an MP3 open and play to their end, a missing file gives MCI's text.
#include "windows/sound/MciAlarmPlayer.h"

#include "engine/Error.h"
#include "windows/fakes/FakeDdeServerProcess.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace skedula {
namespace {

using test::PumpUntil;

std::string TempFolder() {
    char path[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, path);
    return path;
}

// Half a second of a 440 Hz tone, 16-bit mono at 22050 Hz.
void WriteTone(const std::string& path) {
    constexpr std::uint32_t rate = 22050;
    constexpr std::uint32_t samples = rate / 2;
    std::string bytes;
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    bytes += "RIFF";
    put(36 + samples * 2, 4);
    bytes += "WAVEfmt ";
    put(16, 4);
    put(1, 2); // PCM
    put(1, 2); // mono
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    bytes += "data";
    put(samples * 2, 4);
    for (std::uint32_t i = 0; i < samples; ++i)
        put(static_cast<std::uint16_t>(
                static_cast<std::int16_t>(8000 * std::sin(2 * 3.14159265 * 440 * i / rate))),
            2);
    std::ofstream(path, std::ios::binary) << bytes;
}

// Plays the file and waits for MCI's notice that it played to its end.
void ExpectPlaysToTheEnd(MciAlarmPlayer& player, const std::string& path) {
    player.Close();
    player.setFileName(path);
    ASSERT_NO_THROW(player.Open()) << path;
    EXPECT_TRUE(player.isOpen());
    player.Play();
    EXPECT_EQ(player.lastResult(), 0u) << MciErrorText(player.lastResult());
    EXPECT_TRUE(PumpUntil([&] { return player.lastNotice() == MCI_NOTIFY_SUCCESSFUL; }, 10000))
        << path << ": notice " << player.lastNotice();
    // Played to the end, the device stays open holding the file.
    EXPECT_TRUE(player.isOpen());
}

TEST(MciAlarmPlayer, PlaysAWavAndAnMp3ToTheirEnd) {
    const std::string wav = TempFolder() + "skedula alarm tone.wav"; // blanks need no quotes
    WriteTone(wav);
    MciAlarmPlayer player;
    ExpectPlaysToTheEnd(player, wav);
    // The same file again starts from its beginning.
    ExpectPlaysToTheEnd(player, wav);

    const char* data = std::getenv("SKEDULA_TEST_DATA");
    ASSERT_NE(data, nullptr);
    ExpectPlaysToTheEnd(player, std::string(data) + "\\sound\\tone.mp3");
    player.Close();
    EXPECT_FALSE(player.isOpen());
    ::DeleteFileA(wav.c_str());
}

TEST(MciAlarmPlayer, ANewAlarmCutsOffTheOneStillPlaying) {
    const std::string wav = TempFolder() + "skedula-cut.wav";
    WriteTone(wav);
    MciAlarmPlayer player;
    player.setFileName(wav);
    player.Open();
    player.Play();
    EXPECT_EQ(player.mode(), static_cast<DWORD>(MCI_MODE_PLAY));
    player.Close();
    EXPECT_FALSE(player.isOpen());
    player.Open();
    EXPECT_EQ(player.mode(), static_cast<DWORD>(MCI_MODE_STOP));
    player.Close();
    ::DeleteFileA(wav.c_str());
}

TEST(MciAlarmPlayer, AFileThatCannotOpenGivesMcisOwnText) {
    MciAlarmPlayer player;
    player.setFileName(TempFolder() + "no such alarm.wav");
    try {
        player.Open();
        FAIL() << "a missing file opened";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), MciErrorText(MCIERR_FILE_NOT_FOUND));
        EXPECT_NE(std::string(error.what()), "Unbekannter Fehler-Code");
    }
    EXPECT_FALSE(player.isOpen());
    EXPECT_EQ(player.lastResult(), static_cast<DWORD>(MCIERR_FILE_NOT_FOUND));

    // Blanks alone are a name too: tried, and refused with MCI's text.
    player.setFileName("   ");
    EXPECT_THROW(player.Open(), Error);
    EXPECT_FALSE(player.isOpen());

    try {
        player.Play();
        FAIL() << "played without a device";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Kein MCI-Ger\xc3\xa4t ge\xc3\xb6"
                                   "ffnet");
    }
    EXPECT_EQ(MciErrorText(0xFFFF), "Unbekannter Fehler-Code");
}

} // namespace
} // namespace skedula
