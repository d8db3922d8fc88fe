// An engine wired to fakes, created as the window creates it.
#pragma once

#include "engine/WatchEngine.h"
#include "fakes/EngineFakes.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace skedula::fakes {

struct EngineRig {
    FakeClock clock;
    FakeStepTimer timer;
    FakeReceiver link;
    FakeAlarm alarm;
    FakeLog log;
    FakeView view;
    FakeListener listener;
    WatchEngine engine{{clock, timer, link, alarm, log, view}};

    EngineRig() {
        engine.Listen(listener);
        engine.FormCreate();
    }
    // With a real listener after the fake.
    explicit EngineRig(WatchListener& real) : EngineRig() { engine.Listen(real); }

    void entry(int row, const std::string& pattern, const std::string& frequency = "7100000",
               const std::string& mode = "AM", const std::string& threshold = "S5",
               const std::string& alarmFile = "") {
        engine.ListeSG.setCell(0, row, pattern);
        engine.ListeSG.setCell(1, row, frequency);
        engine.ListeSG.setCell(2, row, mode);
        engine.ListeSG.setCell(3, row, threshold);
        engine.ListeSG.setCell(4, row, alarmFile);
    }

    // One tick of the running watch, 500 ms after the last one.
    void tick() {
        clock.advanceMilliseconds(500);
        engine.TimerTimer();
    }

    // A tick as the step timer's catch point delivers it: an error that escapes the tick is
    // kept as the error box would show it, and the watch goes on.
    std::vector<std::string> reported;
    void tickReporting() {
        try {
            tick();
        } catch (const Error& e) {
            reported.push_back(e.what());
        }
    }

    // Starts the watch so that the next tick() is the first tick of hour:minute.
    void startBefore(int hour, int minute) {
        const int previous = (hour * 60 + minute + 24 * 60 - 1) % (24 * 60);
        clock.set(previous / 60, previous % 60, 59, 500);
        engine.StartBtnClick();
    }

    // Runs ticks through tickReporting and tells what each did, by its number from 0: the
    // commands sent ("[freq 7100000][mode AM]"), "[S-meter]" when the S-meter was read,
    // "[report <frequency line>]" for a six-line report, "[error <message>]". Ticks that did
    // none of these are left out. beforeTick, when given, runs before each tick with its number.
    std::map<int, std::string> runTicks(int count, std::function<void(int)> beforeTick = {}) {
        std::map<int, std::string> effects;
        for (int i = 0; i < count; ++i) {
            if (beforeTick)
                beforeTick(i);
            const std::size_t commands = link.commands.size();
            const int reads = link.sMeterReads;
            const std::size_t lines = log.lines.size();
            const std::size_t errors = reported.size();
            tickReporting();
            std::string effect;
            for (std::size_t c = commands; c < link.commands.size(); ++c)
                effect += "[" + link.commands[c] + "]";
            if (link.sMeterReads != reads)
                effect += "[S-meter]";
            if (log.lines.size() == lines + 6)
                effect += "[report " + log.lines[lines + 2] + "]";
            else if (log.lines.size() != lines)
                effect += "[" + std::to_string(log.lines.size() - lines) + " lines]";
            for (std::size_t e = errors; e < reported.size(); ++e)
                effect += "[error " + reported[e] + "]";
            if (!effect.empty())
                effects[i] = effect;
        }
        return effects;
    }
};

} // namespace skedula::fakes
