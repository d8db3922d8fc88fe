// The Windows program's composition on fakes: the real windows, step timer and receiver link,
// with a fake clock, a scripted conversation port, a recording alarm player and list files,
// and the application whose title the error boxes show.
#pragma once

#include "UiKit.h"
#include "engine/Error.h"
#include "fakes/EngineFakes.h"
#include "fakes/FakeConversation.h"
#include "windows/app/Composition.h"

#include <memory>
#include <string>
#include <vector>

namespace skedula::uitest {

class FakeLists : public ListFilePort {
public:
    std::vector<std::string> calls; // "Load PATH", "Save PATH"
    std::string failWith;           // when not empty, both throw Error with it
    std::vector<std::string> loadedCells = {"??:??", "7100000", "AM", "S5", ""};

    void Load(CellGrid& list, const std::string& path) override {
        calls.push_back("Load " + path);
        if (!failWith.empty())
            throw Error(failWith);
        for (int c = 0; c < 5; ++c)
            list.setCell(c, 1, loadedCells[static_cast<std::size_t>(c)]);
    }
    void Save(const CellGrid&, const std::string& path) override {
        calls.push_back("Save " + path);
        if (!failWith.empty())
            throw Error(failWith);
    }
};

class FormRig {
public:
    FormRig() {
        application.SetTitle("Skedula");
        conversation.values = {
            {"HRD_FREQUENCY", "7100000"}, {"HRD_MODE", "AM"}, {"HRD_SMETER", "S7"}};
    }

    Application application;
    fakes::FakeClock clock;
    FakeConversation conversation;
    fakes::FakeAlarm alarm;
    FakeLists lists;
    std::unique_ptr<Composition> composition = std::make_unique<Composition>(
        application, Composition::Platform{clock, conversation, alarm, lists, {"C:\\hrd.exe"}});

    TSkedulaForm& form() { return composition->form(); }
    WatchEngine& engine() { return composition->engine(); }
    HWND window() { return composition->mainWindow(); }
    // The windows and the link go, as at the program's end; the fakes stay to be looked at.
    void End() { composition.reset(); }

    // Shown, in front and painted.
    void Show() {
        ::ShowWindow(window(), SW_SHOW);
        BringToFront(window());
        ::UpdateWindow(window());
        uitest::Pump(application, 150);
    }
    void Pump(DWORD milliseconds = 100) { uitest::Pump(application, milliseconds); }
    void Settle() { uitest::Settle(application); }
    bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000) {
        return uitest::PumpUntil(application, done, milliseconds);
    }

    void entry(int row, const std::string& pattern, const std::string& frequency = "7100000",
               const std::string& mode = "AM", const std::string& threshold = "S5") {
        const std::string cells[] = {pattern, frequency, mode, threshold};
        for (int c = 0; c < 4; ++c)
            engine().ListeSG.setCell(c, row, cells[c]);
    }
    void tick() {
        clock.advanceMilliseconds(500);
        engine().TimerTimer();
    }
    // A point inside a grid cell, in the grid's client area.
    static POINT InCell(const StringGrid& grid, int column, int row) {
        const PixelRect r = *grid.cellRect({column, row});
        return POINT{r.left + 4, r.top + 4};
    }
};

} // namespace skedula::uitest
