// The watch records through the real window and a private PulseAudio: a null sink with a
// known tone in it, its monitor chosen as the source, a fake radio that is strong on one
// entry's frequency only. The reported entry leaves exactly one FLAC file holding the tone
// from its tuning through the "Nachlauf", tagged and named in the report file; the source
// unplugged in the middle of a watch gives one box, and the watch goes on.
#include "app/Composition.h"
#include "e2e/RecordingRig.h"
#include "fakes/EnvScope.h"
#include "fakes/ModalBoxWatcher.h"
#include "fakes/PulseServer.h"
#include "sound/FlacReader.h"
#include "storage/UserFolders.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using namespace std::chrono_literals;
using e2e::ScriptedRadio;
using fakes::ModalBoxWatcher;

constexpr int Tone = 1000;

class RecordingWatch : public ::testing::Test {
protected:
    RecordingWatch() {
        Clear();
        if (pulse.Started())
            sink = pulse.AddToneSink("radio", Tone, 22050, 1);
    }
    ~RecordingWatch() override { Clear(); }
    static void Clear() {
        std::filesystem::remove_all(DataHome() + "/Skedula");
        std::filesystem::remove_all(
            std::filesystem::path(SettingsFile::DefaultPath()).parent_path());
    }

    // Two entries due in the same minute: 7150000 (weak) first, then 7100000 (strong).
    static void List(Composition& program, const std::string& first, const std::string& second) {
        const std::string pattern = e2e::MinuteWithRoom(25);
        CellGrid& list = program.engine().ListeSG;
        const std::string frequencies[] = {first, second};
        for (int row = 1; row <= 2; ++row) {
            list.setCell(0, row, pattern);
            list.setCell(1, row, frequencies[row - 1]);
            list.setCell(2, row, "AM");
            list.setCell(3, row, "S5");
        }
    }
    static void Start(TSkedulaForm& form) {
        form.StartBtn->click();
        QCoreApplication::processEvents();
    }
    static bool Finished(const std::string& folder, std::size_t files) {
        return soundtest::FlacFiles(folder).size() == files &&
               soundtest::OtherFiles(folder).empty();
    }

    test::PulseServer pulse;
    std::optional<int> sink;
    const std::string folder = DataHome() + "/Skedula/Aufnahmen";
};

TEST_F(RecordingWatch, TheReportedEntryKeepsTheToneFromItsTuningThroughTheNachlauf) {
    ASSERT_TRUE(pulse.Started()) << pulse.Failure();
    ASSERT_TRUE(sink);
    const test::EnvScope server("PULSE_SERVER", pulse.Address().c_str());
    e2e::WriteRecordingSettings("Source=radio.monitor\nAfter=2\n"); // the folder: its default
    ScriptedRadio radio({"7100000"});
    ModalBoxWatcher boxes;
    Composition program(e2e::Reaching(radio.Port()));
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    List(program, "7150000", "7100000");

    Start(form);
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().QueuePos == 2; }, 50s));
    ASSERT_TRUE(test::WaitUntil([&] { return Finished(folder, 1); }, 10s))
        << testing::PrintToString(soundtest::FlacFiles(folder))
        << testing::PrintToString(soundtest::OtherFiles(folder));
    form.StopBtn->click();
    QCoreApplication::processEvents();

    const auto rows = e2e::ReportRows();
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].size(), 9u);
    const std::string time = rows[0][0];
    const std::string name = time.substr(0, 11) + time.substr(11, 2) + time.substr(14, 2) +
                             time.substr(17, 2) + "_7100000_AM.flac";
    EXPECT_EQ(rows[0][8], folder + "/" + name);
    EXPECT_EQ(soundtest::FlacFiles(folder), std::vector<std::string>{name});

    const auto recording = soundtest::ReadFlac(folder + "/" + name);
    ASSERT_TRUE(recording);
    EXPECT_TRUE(recording->flac);
    EXPECT_EQ(recording->rate, 22050);
    EXPECT_EQ(recording->channels, 1);
    // From the tuning to the report (twenty ticks), then two seconds of "Nachlauf".
    EXPECT_NEAR(recording->seconds(), 12.0, 0.7);
    EXPECT_GT(soundtest::ToneShare(*recording, Tone), 0.9);
    EXPECT_LT(soundtest::ToneShare(*recording, 1500), 0.01);
    EXPECT_EQ(recording->title, "7100000 AM");
    EXPECT_EQ(recording->date, time);
    EXPECT_EQ(recording->comment, "S7 >= S5\nS7 >= S5\nS7 >= S5");
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

// The first entry is weak: PulseAudio's null sink delivers its first audio up to two seconds
// late, and the entry's capture wakes it for the second.
TEST_F(RecordingWatch, ASourceUnpluggedDuringTheWatchIsToldOnceAndTheWatchGoesOn) {
    ASSERT_TRUE(pulse.Started()) << pulse.Failure();
    ASSERT_TRUE(sink);
    const test::EnvScope server("PULSE_SERVER", pulse.Address().c_str());
    e2e::WriteRecordingSettings("Source=radio.monitor\nAfter=30\n");
    ScriptedRadio radio({"7100000"});
    ModalBoxWatcher boxes;
    Composition program(e2e::Reaching(radio.Port()));
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    List(program, "7150000", "7100000");

    Start(form);
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().QueuePos == 1; }, 50s));
    test::WaitUntil([] { return false; }, 3s); // three seconds into the second entry
    ASSERT_TRUE(pulse.Unload(*sink));
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); }, 5s));
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().QueuePos == 2; }, 20s));
    ASSERT_TRUE(test::WaitUntil([&] { return Finished(folder, 1); }, 5s));
    EXPECT_EQ(form.StatusLabel->text(), "connected");
    form.StopBtn->click();
    QCoreApplication::processEvents();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().front().text.toStdString(),
              "Aufnahme von radio.monitor: Die Quelle ist verschwunden (ausgesteckt?)");
    // The report came, with what was captured before the source went.
    EXPECT_EQ(form.Memo->toPlainText().count('\n'), 5);
    const auto rows = e2e::ReportRows();
    ASSERT_EQ(rows.size(), 1u);
    const auto kept = soundtest::ReadFlac(rows[0].at(8));
    ASSERT_TRUE(kept);
    EXPECT_NEAR(kept->seconds(), 3.0, 1.0);
    EXPECT_GT(soundtest::ToneShare(*kept, Tone), 0.9);
    form.close();
}

} // namespace
} // namespace skedula
