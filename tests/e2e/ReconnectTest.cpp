// A radio-control server that hangs, quits or comes back while the watch runs, through the real
// window and real rigctld processes: a stopped server turns the status red, a shorter stall
// comes back in step, and with "Verbindung selbst wiederherstellen" the watch takes a server
// back by itself (starting rigctld where the radio choice says so); without it, it does not.
#include "app/Composition.h"
#include "e2e/MeasurementLog.h"
#include "e2e/RigctldProcess.h"
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "fakes/ModalBoxWatcher.h"
#include "storage/SettingsFile.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>

namespace skedula {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using e2e::MeasurementLog;
using e2e::RigctldProcess;
using fakes::ModalBoxWatcher;

void Click(QPushButton* button) {
    button->click();
    QCoreApplication::processEvents();
}

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Continues a stopped process when the test ends, however it ends, so that it can be ended.
class Stopped {
public:
    explicit Stopped(qint64 pid) : pid_(static_cast<pid_t>(pid)) { ::kill(pid_, SIGSTOP); }
    ~Stopped() { ::kill(pid_, SIGCONT); }
    Stopped(const Stopped&) = delete;
    Stopped& operator=(const Stopped&) = delete;

private:
    pid_t pid_;
};

class Reconnect : public ::testing::Test {
protected:
    // Each test starts from no settings file: the option is off.
    Reconnect() { std::filesystem::remove(SettingsFile::DefaultPath()); }

    static LinkSettings Network(std::uint16_t port) {
        LinkSettings settings;
        settings.radio = RadioChoice{};
        settings.radio->program = RadioProgram::Network;
        settings.radio->port = port;
        return settings;
    }

    // Rows of the list, all due every minute: the watch tunes an entry every 10.5 s.
    static void DueEveryMinute(Composition& program, std::initializer_list<const char*> hertz,
                               const char* threshold) {
        int row = 1;
        for (const char* frequency : hertz) {
            const std::string cells[] = {"?", frequency, "AM", threshold, ""};
            for (int c = 0; c < 5; ++c)
                program.engine().ListeSG.setCell(c, row, cells[c]);
            ++row;
        }
    }

    static bool Green(TSkedulaForm& form) { return form.StatusLabel->text() == "connected"; }
    static bool Red(TSkedulaForm& form) { return form.StatusLabel->text() == "disconnected"; }

    static void SwitchOn(TSkedulaForm& form) {
        form.Verbindungselbstwiederherstellen1->trigger();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form.Verbindungselbstwiederherstellen1->isChecked());
    }
};

// A stopped rigctld (SIGSTOP, as a hung process or a computer without power) still accepts
// connections and answers nothing. Six seconds of it, with an entry tuned meanwhile, and the
// watch goes on in step; for good, and the status turns red after the silence bound of 10 s.
TEST_F(Reconnect, AStoppedServerTurnsRedAndAShorterStallComesBackInStep) {
    RigctldProcess radio;
    ASSERT_TRUE(radio.running());
    ModalBoxWatcher boxes;
    Composition program(Network(radio.port()));
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    DueEveryMinute(program, {"7100000", "7150000"}, "S9");

    Click(form.StartBtn);
    ASSERT_TRUE(Green(form));
    ASSERT_TRUE(test::WaitUntil([&] { return form.FrequencyLabel->text() == "7100000"; }));
    // Two seconds before the next entry is tuned (a new minute on the way drops the entry
    // under way, and the count starts again).
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().stepCounter() >= 16; }, 30s));
    {
        const Stopped stall(radio.pid());
        EXPECT_FALSE(test::WaitUntil([&] { return !Green(form); }, 6s));
    }
    // A new minute meanwhile starts the queue again from the first entry.
    ASSERT_TRUE(test::WaitUntil([&] { return form.FrequencyLabel->text() == "7150000"; }, 25s));
    EXPECT_EQ(form.ModeLabel->text(), "AM");
    EXPECT_EQ(form.SMeterLabel->text(), "S7");
    EXPECT_TRUE(Green(form));

    const Stopped hung(radio.pid());
    const Clock::time_point stopped = Clock::now();
    ASSERT_TRUE(test::WaitUntil([&] { return Red(form); }, 30s));
    std::cout << "red " << MillisecondsSince(stopped) << " ms after rigctld was stopped\n";
    EXPECT_EQ(form.statusColour(), TSkedulaForm::DisconnectedColour);
    // The read-outs keep their texts, as after a server that quit.
    EXPECT_EQ(form.FrequencyLabel->text(), "7150000");
    EXPECT_EQ(form.SMeterLabel->text(), "S7");
    Click(form.StopBtn);
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

// With the option on, a rigctld that quits and comes back is taken back by itself, at the
// latest after 30 s (here at the next entry's tuning step), and a later entry is reported.
TEST_F(Reconnect, WithTheOptionOnAServerThatComesBackIsTakenBackAndReports) {
    auto radio = std::make_unique<RigctldProcess>();
    const std::uint16_t port = radio->port();
    ModalBoxWatcher boxes;
    Composition program(Network(port));
    MeasurementLog log;
    program.engine().Listen(log);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    SwitchOn(form);
    EXPECT_EQ(SettingsFile().Load().Value("Watch", "Reconnect"), "true");
    DueEveryMinute(program, {"7100000", "7100000", "7100000"}, "S5");

    Click(form.StartBtn);
    ASSERT_TRUE(Green(form));
    radio.reset();
    ASSERT_TRUE(test::WaitUntil([&] { return Red(form); }));
    radio = std::make_unique<RigctldProcess>(port);
    ASSERT_TRUE(radio->running());
    const Clock::time_point back = Clock::now();
    ASSERT_TRUE(test::WaitUntil([&] { return Green(form); }, 40s));
    std::cout << "green again " << MillisecondsSince(back) << " ms after rigctld came back\n";
    const std::size_t before = log.measured.size();
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            return std::any_of(log.measured.begin() + static_cast<std::ptrdiff_t>(before),
                               log.measured.end(), [](const Measurement& m) { return m.reported; });
        },
        40s));
    EXPECT_EQ(form.SMeterLabel->text(), "S7");
    Click(form.StopBtn);
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

// Tries that fail show nothing but their reason in the tooltip: the status stays red and the
// read-outs keep their texts. Once the server answers again, the next try takes it, also
// with no entry due.
TEST_F(Reconnect, TriesThatFailShowOnlyTheirReason) {
    auto radio = std::make_unique<RigctldProcess>();
    const std::uint16_t port = radio->port();
    LinkSettings settings = Network(port);
    settings.reconnectPeriod = 500ms;
    ModalBoxWatcher boxes;
    Composition program(settings);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    SwitchOn(form);

    Click(form.StartBtn);
    ASSERT_TRUE(Green(form));
    radio.reset();
    ASSERT_TRUE(test::WaitUntil([&] { return Red(form); }));
    const QString reason =
        "Keine Verbindung: Auf 127.0.0.1:" + QString::number(port) + " antwortet kein rigctld";
    ASSERT_TRUE(test::WaitUntil([&] { return form.StatusLabel->toolTip().contains(reason); }));
    EXPECT_FALSE(test::WaitUntil([&] { return !Red(form); }, 1500ms));
    EXPECT_EQ(form.FrequencyLabel->text(), "145000000");
    EXPECT_EQ(form.SMeterLabel->text(), "S7");

    radio = std::make_unique<RigctldProcess>(port);
    EXPECT_TRUE(test::WaitUntil([&] { return Green(form); }));
    EXPECT_FALSE(form.StatusLabel->toolTip().contains("Keine Verbindung"));

    // Stop ends the trying.
    radio.reset();
    ASSERT_TRUE(test::WaitUntil([&] { return Red(form); }));
    Click(form.StopBtn);
    radio = std::make_unique<RigctldProcess>(port);
    EXPECT_FALSE(test::WaitUntil([&] { return !Red(form); }, 1500ms));
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

// For the dummy and a radio on this computer, a try starts rigctld again when it is gone.
TEST_F(Reconnect, ATryStartsRigctldWhereTheRadioChoiceSaysSo) {
    LinkSettings settings;
    settings.radio = RadioChoice{}; // the dummy: Skedula starts rigctld
    settings.radio->port = FreeLoopbackPort();
    settings.extraServerArguments = {"-C", "static_data=1"};
    settings.reconnectPeriod = 500ms;
    ModalBoxWatcher boxes;
    Composition program(settings);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    SwitchOn(form);

    Click(form.StartBtn);
    ASSERT_TRUE(Green(form));
    const std::optional<int> started = ListeningProcess(settings.radio->port);
    ASSERT_TRUE(started.has_value());
    ::kill(*started, SIGKILL); // the rigctld that Skedula started
    ASSERT_TRUE(test::WaitUntil([&] { return Red(form); }));
    EXPECT_TRUE(test::WaitUntil([&] { return Green(form); }));
    const std::optional<int> again = ListeningProcess(settings.radio->port);
    EXPECT_TRUE(again.has_value() && again != started);

    Click(form.StopBtn);
    form.close();
    EXPECT_TRUE(boxes.boxes().empty());
}

// Without the option, a server that comes back stays unused until Stop and Start, over tries'
// periods and a tuning step. Meanwhile the read-outs keep the last texts, and an entry measured
// from them is not reported.
TEST_F(Reconnect, WithTheOptionOffAServerThatComesBackIsNotTakenBack) {
    auto radio = std::make_unique<RigctldProcess>();
    const std::uint16_t port = radio->port();
    LinkSettings settings = Network(port);
    settings.reconnectPeriod = 500ms;
    ModalBoxWatcher boxes;
    Composition program(settings);
    MeasurementLog log;
    program.engine().Listen(log);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    DueEveryMinute(program, {"7100000", "7100000"}, "S5");
    ASSERT_FALSE(form.Verbindungselbstwiederherstellen1->isChecked());

    Click(form.StartBtn);
    ASSERT_TRUE(Green(form));
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().stepCounter() >= 1; }));
    radio.reset();
    ASSERT_TRUE(test::WaitUntil([&] { return Red(form); }));
    radio = std::make_unique<RigctldProcess>(port);
    // An entry measured meanwhile (a new minute may drop the one under way, so this can take
    // a second entry), the next entry's tuning step, and more than two periods after it.
    ASSERT_TRUE(test::WaitUntil([&] { return !log.measured.empty(); }, 40s));
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().stepCounter() == 0; }, 15s));
    EXPECT_FALSE(test::WaitUntil([&] { return Green(form); }, 1500ms));
    EXPECT_TRUE(Red(form));
    EXPECT_EQ(form.SMeterLabel->text(), "S7");
    EXPECT_TRUE(std::none_of(log.measured.begin(), log.measured.end(),
                             [](const Measurement& m) { return m.reported; }));
    EXPECT_EQ(form.Memo->toPlainText(), "");

    Click(form.StopBtn);
    Click(form.StartBtn);
    EXPECT_TRUE(Green(form));
    Click(form.StopBtn);
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

} // namespace
} // namespace skedula
