// The watch through the real window against a radio that misbehaves as real ones do: a serial
// radio with a bad start, then switched off; and a host name that no resolver answers for.
#include "app/Composition.h"
#include "e2e/MeasurementLog.h"
#include "fakes/EventLoop.h"
#include "fakes/FakeSerialRadio.h"
#include "fakes/HangingResolver.h"
#include "fakes/ModalBoxWatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

namespace skedula {
namespace {

using namespace std::chrono_literals;
using e2e::MeasurementLog;
using fakes::ModalBoxWatcher;

LinkSettings Network(const std::string& host, std::uint16_t port) {
    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Network;
    settings.radio->host = host;
    settings.radio->port = port;
    return settings;
}

void Click(QPushButton* button) {
    button->click();
    QCoreApplication::processEvents();
}

// The radio's first answer comes after the link's bound, its first frequency is an error and
// it has no mode until one is set: the read-outs follow it all the same, and an entry is
// reported with what the radio was tuned to. The frequency cell was pasted with a blank
// behind the number. Then the radio is switched off: rigctld fails every query, the S-meter
// read-out goes blank, and the entry measured meanwhile is not reported.
TEST(LinkTrust, ASerialRadioWithABadStartIsWatchedAndItsFailedReadingsAreNone) {
    FakeSerialRadio radio;
    ModalBoxWatcher boxes;
    Composition program(Network("127.0.0.1", radio.Port()));
    MeasurementLog log;
    log.onMeasured = [&](const Measurement&) { radio.SwitchOff(); };
    program.engine().Listen(log);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    for (int row : {1, 2}) {
        const std::string cells[] = {"?", "7100000 ", "AM", "S5", ""};
        for (int c = 0; c < 5; ++c)
            program.engine().ListeSG.setCell(c, row, cells[c]);
    }

    Click(form.StartBtn);
    EXPECT_EQ(form.StatusLabel->text(), "connected");
    ASSERT_TRUE(test::WaitUntil([&] { return log.measured.size() >= 2; }, 40s));

    const Measurement& first = log.measured[0];
    EXPECT_TRUE(first.reported);
    EXPECT_EQ(first.reportLines.at(2), "7100000 AM");
    EXPECT_EQ(first.reportLines.at(3), "S9 >= S5");
    EXPECT_EQ(program.engine().ListeSG.cell(1, 1), "7100000 ");

    const Measurement& second = log.measured[1];
    EXPECT_FALSE(second.reported);
    EXPECT_TRUE(
        std::none_of(second.samples.begin(), second.samples.end(),
                     [](const std::optional<Sample>& sample) { return sample.has_value(); }));
    EXPECT_EQ(form.SMeterLabel->text(), "");
    EXPECT_EQ(form.FrequencyLabel->text(), "7100000");
    EXPECT_EQ(form.ModeLabel->text(), "AM");
    EXPECT_EQ(form.StatusLabel->text(), "connected");
    EXPECT_EQ(form.Memo->toPlainText().split('\n').size(), 6) << "one report";
    Click(form.StopBtn);
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

// With the computer offline, a lookup of "raspberrypi.local" never ends: Start and "Testen"
// give up on the name within the bound and say so, and the window's event loop keeps turning.
TEST(LinkTrust, AHostNameThatIsNotFoundNeverHoldsTheWindow) {
    test::HangingResolver hanging;
    LinkSettings settings = Network("raspberrypi.local", 4532);
    settings.timings.resolver = hanging.resolver();
    ModalBoxWatcher boxes;
    Composition program(settings);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();

    // The longest time between two turns of the event loop, while Start runs.
    QElapsedTimer sinceLastTurn;
    qint64 longest = 0;
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout,
                     [&] { longest = std::max(longest, sinceLastTurn.restart()); });
    turns.start(10);
    sinceLastTurn.start();
    form.StartBtn->click();
    const QString reason = "Keine Verbindung: Rechnername raspberrypi.local nicht gefunden";
    ASSERT_TRUE(test::WaitUntil([&] { return form.StatusLabel->toolTip().contains(reason); }));
    test::WaitUntil([] { return false; }, 100ms); // a few more turns after Start
    turns.stop();
    std::cout << "the event loop stood still for at most " << longest
              << " ms while the name went unanswered (bound 1000 ms)\n";
    EXPECT_EQ(hanging.asked(), 1);
    EXPECT_EQ(form.StatusLabel->text(), "diconnected");

    EXPECT_EQ(program.radioSetup().Test(*settings.radio).text, reason.toStdString());
    EXPECT_EQ(hanging.asked(), 2);
    Click(form.StopBtn);
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

} // namespace
} // namespace skedula
