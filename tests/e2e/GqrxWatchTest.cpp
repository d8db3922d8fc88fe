// The watch through the real window and a real, headless gqrx whose input is a file with one
// carrier: "Testen" reads it, Start tunes gqrx onto the carrier and reports it, an entry off
// the carrier stays below its threshold, another program taking gqrx ends the watch's
// connection, and a gqrx whose remote control does not answer leaves the status field red
// with the reason in its tooltip.
#include "app/Composition.h"
#include "fakes/EventLoop.h"
#include "fakes/FreePort.h"
#include "fakes/GqrxProcess.h"
#include "fakes/ModalBoxWatcher.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using namespace std::chrono_literals;
using fakes::ModalBoxWatcher;

void Click(QPushButton* button) {
    button->click();
    QCoreApplication::processEvents();
}

LinkSettings Using(const std::string& host, std::uint16_t port) {
    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Gqrx;
    settings.radio->host = host;
    settings.radio->port = port;
    return settings;
}

// The S-unit digit of a read-out, 10 over S9.
int Units(const QString& text) {
    if (text.startsWith("S9+"))
        return 10;
    return text.size() == 2 && text[0] == 'S' && text[1].isDigit() ? text[1].digitValue() : -1;
}

// gqrx's reply to one command, over a connection of our own (which drops any other).
std::string Ask(const GqrxProcess& gqrx, const std::string& command) {
    QTcpSocket socket;
    socket.connectToHost(QString::fromStdString(gqrx.Host()), gqrx.Port());
    if (!socket.waitForConnected(2000))
        return {};
    socket.write((command + "\n").c_str());
    if (!socket.waitForReadyRead(2000))
        return {};
    return socket.readLine().trimmed().toStdString();
}

TEST(GqrxWatch, TheCarrierIsReportedWithGqrxsOwnTextsAndAnEntryOffItIsNot) {
    GqrxProcess gqrx;
    ASSERT_TRUE(gqrx.Started()) << gqrx.Failure();
    ModalBoxWatcher boxes;
    Composition program(Using(gqrx.Host(), gqrx.Port()));
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();

    // Calibration first, as the listener does: gqrx as it started, with its raw level.
    const auto before = std::chrono::steady_clock::now();
    const RadioTestResult tested =
        program.radioSetup().Test(*Using(gqrx.Host(), gqrx.Port()).radio);
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_TRUE(tested.reached) << tested.text;
    std::cout << "Testen: " << tested.text << " in "
              << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
    // Its DSP was stopped: the level is the signal's, not the floor or the full scale of a
    // receiver just switched on. The carrier lies outside the AM passband here.
    const QRegularExpressionMatch shown =
        QRegularExpression(R"(^7100000 AM S\d \((-\d+\.\d) dBFS\)$)")
            .match(QString::fromStdString(tested.text));
    ASSERT_TRUE(shown.hasMatch()) << tested.text;
    EXPECT_GT(shown.captured(1).toDouble(), -200.0) << tested.text;
    EXPECT_LT(shown.captured(1).toDouble(), -40.0) << tested.text;

    // Both due every minute. The carrier's frequency cell has a leading zero, so that the
    // report's frequency can only be what gqrx says it is tuned to.
    CellGrid& list = program.engine().ListeSG;
    const std::string carrier = std::to_string(GqrxProcess::CarrierHz);
    const std::string offCarrier = std::to_string(GqrxProcess::OffCarrierHz);
    for (int row : {1, 2}) {
        list.setCell(0, row, "??:??");
        list.setCell(2, row, "AM");
    }
    list.setCell(1, 1, "0" + carrier);
    list.setCell(3, 1, "S9");
    list.setCell(1, 2, offCarrier);
    list.setCell(3, 2, "S5");

    Click(form.StartBtn);
    ASSERT_EQ(form.StatusLabel->text(), "connected");
    EXPECT_EQ(form.StatusLabel->toolTip().toStdString(),
              "gqrx auf 127.0.0.1:" + std::to_string(gqrx.Port()));

    EXPECT_TRUE(test::WaitUntil(
        [&] {
            return form.FrequencyLabel->text().toStdString() == carrier &&
                   form.ModeLabel->text() == "AM" && Units(form.SMeterLabel->text()) == 10;
        },
        15s))
        << form.FrequencyLabel->text().toStdString() << " "
        << form.SMeterLabel->text().toStdString();
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            return form.FrequencyLabel->text().toStdString() == offCarrier &&
                   Units(form.SMeterLabel->text()) >= 0 && Units(form.SMeterLabel->text()) < 5;
        },
        25s))
        << form.FrequencyLabel->text().toStdString() << " "
        << form.SMeterLabel->text().toStdString();
    // Should the minute turn meanwhile, the queue starts again: wait for the whole of it.
    ASSERT_TRUE(test::WaitUntil([&] { return program.engine().QueuePos == 2; }, 60s));

    // Only the carrier's reports, each with gqrx's own frequency and mode.
    const QStringList lines = form.Memo->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 6) << form.Memo->toPlainText().toStdString();
    ASSERT_EQ(lines.size() % 6, 0) << form.Memo->toPlainText().toStdString();
    for (qsizetype report = 0; report < lines.size(); report += 6) {
        EXPECT_EQ(lines[report + 2].toStdString(), carrier + " AM");
        for (int sample = 3; sample < 6; ++sample)
            EXPECT_EQ(lines[report + sample], "S9 >= S9");
    }

    Click(form.StopBtn);
    EXPECT_EQ(form.StatusLabel->text(), "disconnected");
    // gqrx goes on as the listener left it, tuned by the watch's last entry.
    EXPECT_TRUE(gqrx.Running());
    EXPECT_EQ(Ask(gqrx, "f"), offCarrier);

    // gqrx serves one program at a time: another one taking its remote control ends the
    // watch's connection.
    Click(form.StartBtn);
    ASSERT_EQ(form.StatusLabel->text(), "connected");
    EXPECT_FALSE(Ask(gqrx, "f").empty());
    EXPECT_TRUE(test::WaitUntil([&] { return form.StatusLabel->text() == "disconnected"; }));
    Click(form.StopBtn);
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

TEST(GqrxWatch, ARemoteControlThatDoesNotAnswerFailsTheOpen) {
    const std::uint16_t port = FreeLoopbackPort();
    ModalBoxWatcher boxes;
    Composition program(Using("127.0.0.1", port));
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();

    Click(form.StartBtn);
    EXPECT_EQ(form.StatusLabel->text(), "diconnected");
    EXPECT_EQ(form.statusColour(), QColor(255, 0, 0));
    EXPECT_EQ(form.FrequencyLabel->text(), "");
    EXPECT_EQ(form.SMeterLabel->text(), "");
    EXPECT_TRUE(form.StatusLabel->toolTip().contains(
        QString("Keine Verbindung: Die Fernsteuerung von gqrx antwortet nicht auf 127.0.0.1:%1")
            .arg(port)))
        << form.StatusLabel->toolTip().toStdString();
    Click(form.StopBtn);
    EXPECT_TRUE(boxes.boxes().empty());
    form.close();
}

} // namespace
} // namespace skedula
