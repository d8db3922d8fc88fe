// Writes pictures of the main window and the about dialog for the documentation, and lists
// where each control of the main window stands. The window shows a running watch on fakes:
// a list, the queue of 14:30 being measured, a connected link and one alarm report.
//   ui_screenshots <folder>          writes <folder>/main-window.png and <folder>/about.png
//   ui_screenshots --screen <file>   writes a picture of the whole screen
#include "WindowRig.h"
#include "app/SkedulaApplication.h"
#include "ui/About.h"

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

    const bool saved = form.grab().save(folder.filePath("main-window.png")) &&
                       about.grab().save(folder.filePath("about.png"));
    about.hide();
    return saved ? 0 : 1;
}
