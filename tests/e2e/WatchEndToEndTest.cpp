// The whole watch through the real window, the real rigctld, the real list file and the real
// alarm player (on SDL's disk driver): a due entry is tuned, sampled, reported and sounded.
#include "app/Composition.h"
#include "e2e/RigctldProcess.h"
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "fakes/ModalBoxWatcher.h"
#include "sound/SoundTestKit.h"
#include "storage/ListFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using e2e::RigctldProcess;
using fakes::ModalBoxWatcher;
using soundtest::DiskAudioTest;

// The window hands a click to the engine through the event loop.
void Click(QPushButton* button) {
    button->click();
    QCoreApplication::processEvents();
}

class WatchEndToEnd : public DiskAudioTest {
protected:
    // A list file with one entry due every minute, loaded as the user loads one.
    void loadList(Composition& program, const std::string& threshold) {
        soundtest::writeWav(alarm, {{0.5, soundtest::loudAmplitude}});
        const auto list = temp.path() / "liste.txt";
        soundtest::writeFile(list, "??:??\r\n7100000\r\nAM\r\n" + threshold + "\r\n" +
                                       alarm.string() + "\r\n");
        LoadList(program.engine().ListeSG, list.string());
    }

    LinkSettings settingsFor(const RigctldProcess& radio) {
        LinkSettings settings;
        settings.radio = RadioChoice{};
        settings.radio->program = RadioProgram::Network; // never started here
        settings.radio->port = radio.port();
        return settings;
    }

    static QStringList logLines(TSkedulaForm& form) { return form.Memo->toPlainText().split('\n'); }

    const std::filesystem::path alarm = temp.path() / "alarm tone.wav";
};

TEST_F(WatchEndToEnd, ADueEntryAboveItsThresholdIsReportedAndSounded) {
    RigctldProcess radio;
    ASSERT_TRUE(radio.running());
    ModalBoxWatcher boxes;
    Composition program(settingsFor(radio));
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    loadList(program, "S5");

    Click(form.StartBtn);
    ASSERT_TRUE(test::WaitUntil([&] { return form.StatusLabel->text() == "connected"; },
                                std::chrono::milliseconds(10000)));

    // Tuned at the first tick: the radio itself now stands on the entry's frequency and mode.
    ASSERT_TRUE(test::WaitUntil([&] { return form.FrequencyLabel->text() == "7100000"; },
                                std::chrono::milliseconds(10000)));
    EXPECT_EQ(radio.ask("f"), "7100000\n");
    EXPECT_EQ(radio.ask("m").substr(0, 3), "AM\n");

    // Samples at 5, 7.5 and 10 s; the report follows at the third.
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().QueuePos == 1; },
                                std::chrono::milliseconds(40000)));
    const QStringList lines = logLines(form);
    ASSERT_EQ(lines.size(), 6) << form.Memo->toPlainText().toStdString();
    EXPECT_EQ(lines[0], "");
    EXPECT_TRUE(QRegularExpression(R"(^\d\d\D\d\d\D\d\d$)").match(lines[1]).hasMatch())
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], "7100000 AM");
    EXPECT_EQ(lines[3], "S7 >= S5");
    EXPECT_EQ(lines[4], "S7 >= S5");
    EXPECT_EQ(lines[5], "S7 >= S5");
    EXPECT_EQ(form.SMeterLabel->text(), "S7");

    EXPECT_TRUE(output.waitUntil([](const std::vector<int16_t>& samples) {
        return !soundtest::soundRuns(samples).empty();
    })) << "the alarm was not heard";

    Click(form.StopBtn);
    EXPECT_EQ(form.StatusLabel->text(), "disconnected");
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

TEST_F(WatchEndToEnd, AnEntryBelowItsThresholdWritesNothingAndPlaysNothing) {
    RigctldProcess radio;
    ASSERT_TRUE(radio.running());
    ModalBoxWatcher boxes;
    Composition program(settingsFor(radio));
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    loadList(program, "S8");

    Click(form.StartBtn);
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().QueuePos == 1; },
                                std::chrono::milliseconds(40000)));
    EXPECT_EQ(form.Memo->toPlainText(), "");
    EXPECT_FALSE(output.hasSound());
    EXPECT_TRUE(boxes.boxes().empty());
    Click(form.StopBtn);
    form.close();
}

// As the README tells a newcomer: no radio and no rigctld running; Start launches Skedula's
// own rigctld (the dummy radio) and the shipped example list reports within the minute.
TEST_F(WatchEndToEnd, TheShippedExampleReportsWithSkedulasOwnRigctld) {
    const QString source = qEnvironmentVariable("SKEDULA_SOURCE_DIR");
    ASSERT_FALSE(source.isEmpty());
    const QString before = QDir::currentPath();
    QDir::setCurrent(source); // the example names its alarm relative to the project folder

    ModalBoxWatcher boxes;
    {
        LinkSettings settings;
        settings.radio = RadioChoice{}; // Hamlib's dummy radio, as without settings
        settings.radio->port = FreeLoopbackPort();
        Composition program(settings);
        TSkedulaForm& form = program.mainWindow();
        program.showMainWindow();
        LoadList(program.engine().ListeSG, "examples/watch-list.txt");

        Click(form.StartBtn);
        EXPECT_TRUE(test::WaitUntil([&] { return form.StatusLabel->text() == "connected"; },
                                    std::chrono::milliseconds(10000)));
        ASSERT_TRUE(test::WaitUntil([&] { return program.engine().QueuePos >= 1; },
                                    std::chrono::milliseconds(40000)));
        const QStringList lines = form.Memo->toPlainText().split('\n');
        ASSERT_EQ(lines.size(), 6) << form.Memo->toPlainText().toStdString();
        EXPECT_EQ(lines[2], "7100000 AM");
        EXPECT_TRUE(lines[3].endsWith(" >= S0"));
        EXPECT_TRUE(output.waitUntil([](const std::vector<int16_t>& samples) {
            return !soundtest::soundRuns(samples).empty();
        })) << "the example's alarm was not heard";
        Click(form.StopBtn);
        form.close();
    }
    QDir::setCurrent(before);
    EXPECT_TRUE(boxes.boxes().empty());
}

} // namespace
} // namespace skedula
