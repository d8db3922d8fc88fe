// The engine's small ports to the world outside it: the clock, the step timer, the receiver
// link, the alarm player, the log and the window. The application connects the real ones; the
// tests connect fakes. Who listens to the watch's moments is in WatchListener.h.
#pragma once

#include <optional>
#include <string>

namespace skedula {

// Local wall-clock time, formatted with the time separator of the user's locale.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::string minuteText() const = 0; // "hh:nn"
    virtual std::string timeText() const = 0;   // "hh:nn:ss"
    // The date and time with its offset from UTC, "2026-12-07T14:30:10+01:00", for the records
    // that outlive the window.
    virtual std::string isoTimeText() const = 0;
};

// The step timer that drives the watch. Interval 0 is off. Tag holds the step counter.
class StepTimer {
public:
    virtual ~StepTimer() = default;
    // Same value: nothing. New value: stop, then start anew unless 0.
    // Throws Error("Nicht genügend Timer verfügbar") when no timer can be had; the timer is
    // then off.
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    int Tag = 0;
};

// What the engine needs of the receiver link and its three advised items.
class ReceiverPort {
public:
    virtual ~ReceiverPort() = default;
    virtual bool SetServiceTopic(const std::string& service, const std::string& topic) = 0;
    virtual bool OpenConversation() = 0;
    virtual void CloseConversation() = 0;
    virtual bool SendCommand(const std::string& text) = 0;
    virtual std::string frequencyText() const = 0;
    virtual std::string modeText() const = 0;
    virtual std::string sMeterText() const = 0;
    // The level in dB relative to S9 behind the current S-meter text, where the radio gives one.
    virtual std::optional<double> sMeterLevelDb() const { return std::nullopt; }
};

// The alarm player, called in the order Close, setFileName, Open, Play.
class AlarmPort {
public:
    virtual ~AlarmPort() = default;
    virtual void Close() = 0;
    virtual void setFileName(const std::string& fileName) = 0;
    virtual void Open() = 0; // throws Error with the player's text
    virtual void Play() = 0;
};

// The log the alarm reports go to.
class LogPort {
public:
    virtual ~LogPort() = default;
    virtual void appendLine(const std::string& line) = 0;
};

// What the engine shows in the window besides the grid cells.
class WatchView {
public:
    virtual ~WatchView() = default;
    virtual void showRunning(bool running) = 0; // Start disabled and Stop enabled while running
    virtual void showListEditing(bool editable) = 0;
    virtual void showMinute(const std::string& minuteText) = 0; // the ZeitLabel read-out
    virtual void selectQueueRow(int row) = 0;
};

} // namespace skedula
