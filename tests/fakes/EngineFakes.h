// Plain fakes of the engine's ports: they record what the engine asked of them.
#pragma once

#include "engine/Error.h"
#include "engine/Ports.h"
#include "engine/WatchListener.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace skedula::fakes {

class FakeClock : public Clock {
public:
    int hour = 12, minute = 0, second = 0;
    std::string separator = ":";

    std::string minuteText() const override { return two(hour) + separator + two(minute); }
    std::string timeText() const override { return minuteText() + separator + two(second); }
    std::string isoTimeText() const override {
        return "2026-12-07T" + two(hour) + ":" + two(minute) + ":" + two(second) + "+01:00";
    }

    void set(int h, int m, int s = 0, int ms = 0) {
        hour = h;
        minute = m;
        second = s;
        millis = ms;
    }
    // Moves the clock on by the given milliseconds, carrying into minutes, hours and days.
    void advanceMilliseconds(int ms) {
        millis += ms;
        second += millis / 1000;
        millis %= 1000;
        minute += second / 60;
        second %= 60;
        hour += minute / 60;
        minute %= 60;
        hour %= 24;
    }

private:
    static std::string two(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }
    int millis = 0;
};

class FakeStepTimer : public StepTimer {
public:
    int current = 0;
    int starts = 0; // how often a new platform timer would have been started
    bool refuse = false;

    void setInterval(int ms) override {
        if (ms == current)
            return;
        if (ms != 0 && refuse)
            throw Error("Nicht genügend Timer verfügbar"); // the interval stays as it was
        current = ms;
        if (ms != 0)
            ++starts;
    }
    int interval() const override { return current; }
};

class FakeReceiver : public ReceiverPort {
public:
    std::vector<std::string> calls;    // every operation, in order
    std::vector<std::string> commands; // the texts handed to SendCommand
    std::string frequency, mode, sMeter;
    std::optional<double> sMeterLevel; // the level behind the S-meter text
    bool open = false;
    // When set, the frequency and mode texts follow the last "freq " and "mode " commands, as
    // a receiver that obeys every command reports them.
    bool followTuning = false;
    // The S-meter text while a frequency is tuned; the plain sMeter text for any other.
    std::map<std::string, std::string> sMeterAt;
    mutable int sMeterReads = 0;

    bool SetServiceTopic(const std::string& service, const std::string& topic) override {
        calls.push_back("SetServiceTopic " + service + " " + topic);
        return true;
    }
    bool OpenConversation() override {
        calls.push_back("OpenConversation");
        open = true;
        return true;
    }
    void CloseConversation() override {
        calls.push_back("CloseConversation");
        open = false;
    }
    bool SendCommand(const std::string& text) override {
        calls.push_back("SendCommand " + text);
        commands.push_back(text);
        if (followTuning && text.starts_with("freq "))
            frequency = text.substr(5);
        if (followTuning && text.starts_with("mode "))
            mode = text.substr(5);
        return open;
    }
    std::string frequencyText() const override { return frequency; }
    std::string modeText() const override { return mode; }
    std::string sMeterText() const override {
        ++sMeterReads;
        const auto it = sMeterAt.find(frequency);
        return it == sMeterAt.end() ? sMeter : it->second;
    }
    std::optional<double> sMeterLevelDb() const override { return sMeterLevel; }
};

class FakeAlarm : public AlarmPort {
public:
    std::vector<std::string> calls;
    std::string fileName;
    std::string failOpenWith; // when not empty, Open throws this message

    void Close() override { calls.push_back("Close"); }
    void setFileName(const std::string& name) override {
        fileName = name;
        calls.push_back("FileName " + name);
    }
    void Open() override {
        calls.push_back("Open");
        if (!failOpenWith.empty())
            throw Error(failOpenWith);
    }
    void Play() override { calls.push_back("Play"); }
};

class FakeLog : public LogPort {
public:
    std::vector<std::string> lines;
    void appendLine(const std::string& line) override { lines.push_back(line); }
};

// A reported measurement as the report file writes it: "7100000 AM", S7 S7 S7 against S5.
inline Measurement ReportedMeasurement(std::string time = "2026-12-07T14:30:10+01:00") {
    Measurement m;
    m.time = std::move(time);
    m.frequency = m.radioFrequency = "7100000";
    m.mode = m.radioMode = "AM";
    m.threshold = 5;
    m.samples = {Sample{7, -12.0}, Sample{7, -12.0}, Sample{7, -12.0}};
    m.reported = true;
    m.reportLines = {"", "14:30:10", "7100000 AM", "S7 >= S5", "S7 >= S5", "S7 >= S5"};
    return m;
}

// Hears the watch's moments: what was tuned and measured, and the Stops.
class FakeListener : public WatchListener {
public:
    std::vector<TunedEntry> tuned;
    std::vector<Measurement> measured;
    int stops = 0;
    std::optional<std::string> recording; // named for every reported measurement

    void EntryTuned(const TunedEntry& entry) override { tuned.push_back(entry); }
    std::optional<std::string> RecordingFor(const Measurement&) override { return recording; }
    void EntryMeasured(const Measurement& measurement) override { measured.push_back(measurement); }
    void WatchStopped() override { ++stops; }
    std::vector<Measurement> reported() const {
        std::vector<Measurement> kept;
        for (const Measurement& m : measured)
            if (m.reported)
                kept.push_back(m);
        return kept;
    }
};

class FakeView : public WatchView {
public:
    bool running = false;
    bool listEditable = false;
    std::string minute;
    int selectedRow = -100;
    int selections = 0;

    void showRunning(bool r) override { running = r; }
    void showListEditing(bool e) override { listEditable = e; }
    void showMinute(const std::string& m) override { minute = m; }
    void selectQueueRow(int row) override {
        selectedRow = row;
        ++selections;
    }
};

} // namespace skedula::fakes
