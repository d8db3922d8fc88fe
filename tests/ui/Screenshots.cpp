// Writes pictures of the main window, the about dialog, the dialog "Funkgerät" and the window
// "Verlauf" for the documentation, and lists where each control of the main window stands. The
// main window shows a running watch on fakes: a list, the queue of 14:30 being measured, a
// connected link and one alarm report. The history shows eleven weeks of a made-up watch.
//   ui_screenshots <folder>          writes <folder>/main-window.png, about.png, radio.png,
//                                    history.png
//   ui_screenshots --screen <file>   writes a picture of the whole screen
#include "WindowRig.h"
#include "app/SkedulaApplication.h"
#include "storage/HistoryStore.h"
#include "ui/About.h"
#include "ui/HistoryWindow.h"
#include "ui/RadioDialog.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>

namespace {

using skedula::uitest::WindowRig;

int GrabScreen(const QString& file) {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr && screen->grabWindow(0).save(file) ? 0 : 1;
}

void Report(const char* name, QWidget* control) {
    const QRect r = control->geometry();
    std::printf("%-15s %4d %4d %4d %4d\n", name, r.left(), r.top(), r.width(), r.height());
}

void FillRunningWatch(WindowRig& rig) {
    rig.entry(1, "1?:30", "14230000", "USB", "S5", "/usr/share/sounds/alarm.wav");
    rig.entry(2, "??:?0", "7100000", "AM", "S7", "");
    rig.entry(3, "14:3?", "3630000", "LSB", "S3", "melde.mp3");
    rig.entry(4, "06:00", "9650000", "AM", "S6", "");
    rig.link.frequency = "14230000";
    rig.link.mode = "USB";
    rig.link.sMeter = "S7";
    rig.link.followTuning = true;
    rig.clock.set(14, 29, 59, 500);
    rig.engine.StartBtnClick();
    for (int i = 0; i < 21; ++i) // the first entry is measured and reported
        rig.tick();
    for (int i = 0; i < 4; ++i) // the second one is being measured
        rig.tick();
    rig.form().FrequencyDdeClientItemChange();
    rig.form().ModeDdeClientItemChange();
    rig.form().SMeterDdeClientItemChange();
}

// A radio on a USB serial adapter, tested once.
void FillRadioDialog(skedula::RadioDialog& dialog) {
    dialog.ModelFilter->setText("icom ic-7");
    dialog.TestResult->setText("7100000 AM S7");
}

const std::vector<skedula::HamlibModel> SomeModels = {
    {1, "Hamlib", "Dummy"},    {2, "Hamlib", "NET rigctl"}, {4, "FLRig", "FLRig"},
    {3060, "Icom", "IC-718"},  {3070, "Icom", "IC-7100"},   {3073, "Icom", "IC-7300"},
    {3078, "Icom", "IC-7610"}, {3081, "Icom", "IC-9700"},   {2028, "Kenwood", "TS-590S"},
    {1035, "Yaesu", "FT-991"}, {3085, "Icom", "IC-705"},    {3061, "Icom", "IC-7200"}};

// A made-up watch of the last eleven weeks: 9650000 AM every ten minutes, a station there in the
// mornings and evenings that fades in and out with the season; two more entries less often.
void FillHistory(const std::string& path) {
    skedula::HistoryStore store(path, std::chrono::seconds(5));
    unsigned noise = 12345;
    const auto random = [&noise] {
        noise = noise * 1103515245u + 12345u;
        return static_cast<double>((noise >> 16) & 0x7fff) / 0x7fff;
    };
    const int today = static_cast<int>(QDate::currentDate().toJulianDay());
    const struct {
        const char* frequency;
        const char* mode;
        int every; // minutes
        int threshold;
    } entries[] = {{"9650000", "AM", 10, 5}, {"7100000", "AM", 60, 7}, {"14230000", "USB", 30, 3}};
    const int now = QTime::currentTime().hour() * 60 + QTime::currentTime().minute();
    int day = today - 76, minute = 0;
    std::size_t entry = 0;
    store.AppendAll([&](skedula::Measurement& m) {
        for (;; ++entry) {
            if (entry == std::size(entries)) {
                entry = 0;
                if (++minute == 1440) {
                    minute = 0;
                    ++day;
                }
            }
            if (day > today || (day == today && minute > now))
                return false;
            const auto& e = entries[entry];
            // Every 23rd day the radio was off.
            if (minute % e.every == 0 && (day - today) % 23 != -5)
                break;
        }
        const auto& e = entries[entry++];
        char time[40];
        const QDate date = QDate::fromJulianDay(day);
        std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02d:%02d:%02d+01:00", date.year(),
                      date.month(), date.day(), minute / 60, minute % 60,
                      10 + 10 * static_cast<int>(entry - 1));
        m.time = time;
        m.frequency = m.radioFrequency = e.frequency;
        m.mode = m.radioMode = e.mode;
        m.threshold = e.threshold;
        const double hour = minute / 60.0;
        const double season = 0.5 + 0.5 * std::sin((day - today) / 9.0);
        double base = -40;
        if (e.every == 10 && ((hour >= 5 && hour < 8) || (hour >= 17.5 && hour < 22)))
            base = -30 + 28 * season;
        else if (e.every == 60)
            base = -20 - 10 * std::cos(hour / 24 * 6.283);
        else if (e.every == 30)
            base = -36 + 8 * std::sin(hour / 24 * 6.283);
        bool reported = true;
        for (auto& sample : m.samples) {
            const double level = std::round(base + 10 * (random() - 0.5));
            const int unit = std::clamp(static_cast<int>(std::floor((54 + level) / 6)), 0, 9);
            sample = skedula::Sample{unit, level};
            reported = reported && unit >= e.threshold;
        }
        if (random() < 0.003)
            m.samples[2].reset(); // the radio did not answer
        m.reported = reported && m.samples[2].has_value();
        if (m.reported && e.every == 10)
            m.recording = "/home/hoerer/.local/share/Skedula/Aufnahmen/" + m.time + ".flac";
        return true;
    });
}

} // namespace

int main(int argc, char** argv) {
    skedula::SkedulaApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--screen")
        return GrabScreen(args[2]);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: ui_screenshots <folder> | --screen <file>\n");
        return 2;
    }
    const QDir folder(args[1]);

    WindowRig rig;
    FillRunningWatch(rig);
    skedula::TSkedulaForm& form = rig.form();
    form.show();
    skedula::TAboutForm about([](const std::string&) {});
    about.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    std::printf("%-15s %4s %4s %4s %4s\n", "control", "left", "top", "wide", "high");
    Report("ListeSG", form.ListeSG);
    Report("SchlangeSG", form.SchlangeSG);
    Report("StartBtn", form.StartBtn);
    Report("StopBtn", form.StopBtn);
    Report("StatusLabel", form.StatusLabel);
    Report("Label5", form.Label5);
    Report("FrequencyLabel", form.FrequencyLabel);
    Report("Label7", form.Label7);
    Report("ModeLabel", form.ModeLabel);
    Report("Label9", form.Label9);
    Report("SMeterLabel", form.SMeterLabel);
    Report("Label6", form.Label6);
    Report("ZeitLabel", form.ZeitLabel);
    Report("Memo", form.Memo);
    Report("client area", form.centralWidget());

    skedula::RadioChoice radio;
    radio.program = skedula::RadioProgram::Hamlib;
    radio.model = 3073;
    radio.device = "/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge-if00-port0";
    radio.baud = 19200;
    skedula::RadioDialog radioDialog(radio, SomeModels,
                                     {radio.device, "/dev/ttyUSB0", "/dev/ttyS0"});
    FillRadioDialog(radioDialog);
    radioDialog.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    QTemporaryDir data;
    const std::string database = data.filePath("verlauf.sqlite").toStdString();
    FillHistory(database);
    skedula::HistoryWindow history(database, nullptr);
    history.Open();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    const int today = static_cast<int>(QDate::currentDate().toJulianDay());
    history.EntryList->setCurrentItem(history.EntryList->topLevelItem(1)); // 9650000 AM
    history.MapDaysChosen(today - 1, today - 1);
    const QPoint evening = history.Map->CellCentre(today - 1, 19 * 60).value_or(QPoint());
    history.MapPointed(history.Map->MeasurementAt(evening));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    const bool saved = form.grab().save(folder.filePath("main-window.png")) &&
                       about.grab().save(folder.filePath("about.png")) &&
                       radioDialog.grab().save(folder.filePath("radio.png")) &&
                       history.grab().save(folder.filePath("history.png"));
    about.hide();
    radioDialog.hide();
    return saved ? 0 : 1;
}
