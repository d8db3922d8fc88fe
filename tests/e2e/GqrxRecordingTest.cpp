// The watch records what a real, headless gqrx demodulates: its input carries an AM tone, its
// audio goes to PulseAudio's null sink, and the sink's monitor is the source, reached through
// XDG_RUNTIME_DIR as a desktop's PulseAudio client reaches it. The reported entry's file holds
// the tone, up to the next entry's tuning.
#include "app/Composition.h"
#include "e2e/RecordingRig.h"
#include "fakes/EnvScope.h"
#include "fakes/GqrxProcess.h"
#include "fakes/ModalBoxWatcher.h"
#include "sound/FlacReader.h"
#include "storage/UserFolders.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using namespace std::chrono_literals;

TEST(GqrxRecording, TheReportedEntryHoldsTheToneGqrxDemodulates) {
    constexpr int Tone = 1000;
    GqrxProcess gqrx(30s, Tone);
    ASSERT_TRUE(gqrx.Started()) << gqrx.Failure();
    const test::EnvScope noServer("PULSE_SERVER", nullptr);
    const test::EnvScope runtime("XDG_RUNTIME_DIR", gqrx.PulseRuntimeFolder().c_str());
    // The reports and recordings of this program's tests before are not this one's.
    std::filesystem::remove_all(DataHome() + "/Skedula");
    const std::string folder = DataHome() + "/Skedula/Aufnahmen";
    e2e::WriteRecordingSettings("Source=null.monitor\n"); // "Nachlauf" 30 s: the next entry ends it

    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Gqrx;
    settings.radio->host = gqrx.Host();
    settings.radio->port = gqrx.Port();
    fakes::ModalBoxWatcher boxes;
    Composition program(settings);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    const std::string pattern = e2e::MinuteWithRoom(25);
    const std::string frequencies[] = {std::to_string(GqrxProcess::CarrierHz),
                                       std::to_string(GqrxProcess::OffCarrierHz)};
    for (int row = 1; row <= 2; ++row) {
        const std::string cells[] = {pattern, frequencies[row - 1], "AM", "S9"};
        for (int c = 0; c < 4; ++c)
            program.engine().ListeSG.setCell(c, row, cells[c]);
    }
    form.StartBtn->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().QueuePos == 2; }, 50s));
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            return soundtest::FlacFiles(folder).size() == 1 &&
                   soundtest::OtherFiles(folder).empty();
        },
        5s));
    form.StopBtn->click();
    QCoreApplication::processEvents();

    const auto rows = e2e::ReportRows();
    ASSERT_EQ(rows.size(), 1u) << form.Memo->toPlainText().toStdString();
    const auto recording = soundtest::ReadFlac(rows[0].at(8));
    ASSERT_TRUE(recording);
    std::cout << "gqrx's monitor: " << recording->rate << " Hz, " << recording->channels
              << " channels, " << recording->seconds() << " s, tone share "
              << soundtest::ToneShare(*recording, Tone) << "\n";
    EXPECT_NEAR(recording->seconds(), 10.5, 1.0);
    // Past the first second, in which gqrx's AGC settles after the tuning.
    EXPECT_GT(soundtest::ToneShare(*recording, Tone, recording->rate), 0.8);
    EXPECT_EQ(recording->title, frequencies[0] + " AM");
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

} // namespace
} // namespace skedula
