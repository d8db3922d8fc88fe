// Writes pictures of the Windows program's main window and about dialog, as Wine draws them,
// for the documentation: a watch that runs on fakes, with a list of four entries, the queue of
// 14:30 with its second entry being measured, the link connected and one alarm report.
//   win_screenshots FOLDER   writes FOLDER\windows-main-window.bmp and windows-about.bmp
#include "FormRig.h"

#include <cstdio>

int main(int argc, char** argv) {
    using namespace skedula;
    if (argc != 2) {
        std::fprintf(stderr, "usage: win_screenshots FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    uitest::FormRig rig;
    const char* entries[][5] = {{"1?:30", "14230000", "USB", "S5", "C:\\Sounds\\alarm.wav"},
                                {"??:?0", "7100000", "AM", "S7", ""},
                                {"14:3?", "3630000", "LSB", "S3", "melde.mp3"},
                                {"06:00", "9650000", "AM", "S6", ""}};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 5; ++column)
            rig.engine().ListeSG.setCell(column, row + 1, entries[row][column]);
    rig.conversation.values = {
        {"HRD_FREQUENCY", "14230000"}, {"HRD_MODE", "USB"}, {"HRD_SMETER", "S7"}};
    rig.clock.set(14, 29, 59, 500);
    rig.form().StartBtnClick();
    rig.composition->stepTimer().setInterval(0); // the fake clock's ticks, not the timer's
    for (int i = 0; i < 21 + 4; ++i) // the first entry is reported, the second being measured
        rig.tick();
    rig.conversation.values = {{"HRD_FREQUENCY", "7100000"}, {"HRD_MODE", "AM"}};
    for (const char* item : {"HRD_FREQUENCY", "HRD_MODE"})
        rig.conversation.AnnounceChange(item);
    rig.Show();
    TSkedulaForm& form = rig.form();
    std::printf("%-15s %4s %4s %4s %4s\n", "control", "left", "top", "wide", "high");
    const std::pair<const char*, HWND> controls[] = {{"ListeSG", form.ListeSG->handle()},
                                                     {"SchlangeSG", form.SchlangeSG->handle()},
                                                     {"StartBtn", form.StartBtn},
                                                     {"StopBtn", form.StopBtn},
                                                     {"StatusLabel", form.StatusLabel},
                                                     {"Label5", form.Label5},
                                                     {"FrequencyLabel", form.FrequencyLabel},
                                                     {"ZeitLabel", form.ZeitLabel},
                                                     {"Memo", form.Memo}};
    for (const auto& [name, control] : controls) {
        const RECT r = uitest::PlaceInParent(control);
        std::printf("%-15s %4ld %4ld %4ld %4ld\n", name, r.left, r.top, r.right - r.left,
                    r.bottom - r.top);
    }
    // How wide the font draws the texts that must fit their columns.
    for (const char* text : {"Frequenz [Hz]", "Schwelle [S?]", "Frequenz", "connected"})
        std::printf("width of \"%s\": %d\n", text, TextWidth(form.Label5, text));
    {
        HDC dc = ::GetDC(form.Label5);
        HGDIOBJ old = ::SelectObject(dc, form.font());
        char face[64] = {};
        ::GetTextFaceA(dc, sizeof face, face);
        TEXTMETRICA metrics{};
        ::GetTextMetricsA(dc, &metrics);
        std::printf("font drawn: %s, %ld pixels high, %ld wide on average\n", face,
                    metrics.tmHeight, metrics.tmAveCharWidth);
        ::SelectObject(dc, old);
        ::ReleaseDC(form.Label5, dc);
    }
    const uitest::Picture main = uitest::Picture::OfWindow(rig.window());

    TAboutForm& about = rig.composition->about();
    uitest::TimedSteps steps({uitest::Do([&] {
        uitest::Picture::OfWindow(about.handle()).Save(folder + "\\windows-about.bmp");
        ::PostMessageA(about.handle(), WM_COMMAND, IDOK, 0);
    })});
    about.ShowModal();
    main.Save(folder + "\\windows-main-window.bmp");
    return 0;
}
