// Writes pictures of the main window, the about dialog and the dialog "Funkgerät" for the
// documentation, and lists where each control of the main window stands. The window shows a
// running watch on fakes: a list, the queue of 14:30 being measured, a connected link and one
// alarm report.
//   ui_screenshots <folder>          writes <folder>/main-window.png, about.png, radio.png
//   ui_screenshots --screen <file>   writes a picture of the whole screen
#include "WindowRig.h"
#include "app/SkedulaApplication.h"
#include "ui/About.h"
#include "ui/RadioDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
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

    const bool saved = form.grab().save(folder.filePath("main-window.png")) &&
                       about.grab().save(folder.filePath("about.png")) &&
                       radioDialog.grab().save(folder.filePath("radio.png"));
    about.hide();
    radioDialog.hide();
    return saved ? 0 : 1;
}
