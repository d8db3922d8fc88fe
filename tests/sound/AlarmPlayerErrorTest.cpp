// Every way the alarm file can fail to open, and the message the user then sees.
#include "engine/Error.h"
#include "fakes/ChildProcess.h"
#include "sound/AlarmPlayer.h"
#include "sound/SoundTestKit.h"

#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {
namespace {

using namespace soundtest;
namespace fs = std::filesystem;

class AlarmPlayerErrors : public DiskAudioTest {
protected:
    std::string openError(AlarmPlayer& player, const std::string& fileName) {
        player.setFileName(fileName);
        try {
            player.Open();
        } catch (const Error& error) {
            return error.what();
        }
        return "(opened)";
    }
};

TEST_F(AlarmPlayerErrors, EachFailureCarriesItsMessage) {
    const fs::path dir = temp.path();
    writeWav(dir / "ton.wav", {{0.1, softAmplitude}});
    writeFile(dir / "leer.wav", "");
    writeFile(dir / "leer.mp3", "");
    for (const char* name : {"notiz.xyz", "notiz.mp3", "notiz.flac"})
        writeFile(dir / name, "Dies ist kein Klang, nur eine Notiz.\n");
    fs::create_directory(dir / "Klaenge.wav");
    const std::string missing = (dir / "fehlt.wav").string();
    const std::string noFolder = (dir / "fehlt" / "ton.wav").string();
    const std::string trailingBlank = (dir / "ton.wav ").string();
    const std::string folder = (dir / "Klaenge.wav").string();
    // SDL's reason in brackets where it gives one in words; none where it only names the
    // decoder it tried.
    const auto undecodable = [](const fs::path& file, const std::string& sdlText = "") {
        return "Alarmdatei '" + file.string() + "' ist keine abspielbare WAV- oder MP3-Datei" +
               (sdlText.empty() ? "" : " (" + sdlText + ")");
    };
    // Relative paths count from the working folder, which the message names.
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const std::string here = fs::current_path().string();

    struct Case {
        std::string fileName;
        std::string message;
    };
    // SDL's texts are those of Debian 12's SDL2_mixer 2.6.
    const Case cases[] = {
        {missing, "Alarmdatei '" + missing + "' nicht gefunden"},
        {noFolder, "Alarmdatei '" + noFolder + "' nicht gefunden"},
        {"examples/alarm.wav",
         "Alarmdatei 'examples/alarm.wav' nicht gefunden (relativ zum Arbeitsordner " + here + ")"},
        {"   ", "Alarmdatei '   ' nicht gefunden (relativ zum Arbeitsordner " + here + ")"},
        {trailingBlank, "Alarmdatei '" + trailingBlank + "' nicht gefunden"},
        {(dir / "leer.wav").string(), undecodable(dir / "leer.wav", "Unknown WAVE format")},
        {(dir / "leer.mp3").string(),
         undecodable(dir / "leer.mp3", "corrupt mp3 file (bad tags.)")},
        // A text file: SDL says "ModPlug_Load failed" (with no decoder named by the extension
        // it tries MOD last), "mpg123_getformat: Message: I am done with this track." and
        // "FLAC__stream_decoder_process_until_end_of_metadata() failed".
        {(dir / "notiz.xyz").string(), undecodable(dir / "notiz.xyz")},
        {(dir / "notiz.mp3").string(), undecodable(dir / "notiz.mp3")},
        {(dir / "notiz.flac").string(), undecodable(dir / "notiz.flac")},
        {folder, "'" + folder + "' ist keine Datei"},
        {"/dev/null", "'/dev/null' ist keine Datei"},
    };
    AlarmPlayer player;
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.fileName + "'");
        EXPECT_EQ(openError(player, c.fileName), c.message);
        EXPECT_FALSE(player.isOpen());
        EXPECT_EQ(player.fileName(), c.fileName);
    }
    // None of the failures leaves the player unable to sound the next alarm; a relative name
    // is found in the working folder.
    EXPECT_EQ(openError(player, "ton.wav"), "(opened)");
    fs::current_path(before);
}

TEST_F(AlarmPlayerErrors, AFileTheUserMayNotReadIsNamed) {
    const fs::path file = temp.path() / "geheim.wav";
    writeWav(file, {{0.1, softAmplitude}});
    ::chmod(file.c_str(), 0);
    ::chmod(temp.path().c_str(), 0755); // the folder stays open: only the file refuses
    // File modes stop every user but root: root tries as nobody.
    const test::ChildReport child = test::RunInChild([&] {
        test::BecomeUnprivileged();
        AlarmPlayer player;
        return openError(player, file.string());
    });
    if (child.skipped) {
        GTEST_SKIP() << child.report;
    }
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "Alarmdatei '" + file.string() + "': Dateizugriff verweigert");
}

TEST_F(AlarmPlayerErrors, AFifoFailsAtOnceInsteadOfBlocking) {
    const fs::path fifo = temp.path() / "alarm.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    AlarmPlayer player;
    auto message = std::async(std::launch::async, [&] { return openError(player, fifo); });

    if (message.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Release the blocked open with a writer that goes away at once, so the test ends.
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            ::close(writer);
        }
        message.wait();
        FAIL() << "Open blocked on a FIFO";
    }
    EXPECT_EQ(message.get(), "'" + fifo.string() + "' ist keine Datei");
}

} // namespace
} // namespace skedula
