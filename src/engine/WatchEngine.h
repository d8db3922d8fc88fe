// The watch: the list and queue grids, the engine's fields and the handlers that drive them
// (window creation, Start, Stop and the step timer's tick). Used by the main window, which
// forwards its events here and shows what the ports report.
#pragma once

#include "engine/CellGrid.h"
#include "engine/Ports.h"

#include <cstdint>
#include <optional>
#include <string>

namespace skedula {

inline constexpr const char* kService = "HRD_RADIO_000";
inline constexpr const char* kTopic = "HRD_CAT";
inline constexpr int kTickMilliseconds = 500;
inline constexpr int kListRows = 11; // ten shown entries and the hidden row 11

class WatchEngine {
public:
    struct Ports {
        Clock& clock;
        StepTimer& timer;
        ReceiverPort& link;
        AlarmPort& alarm;
        LogPort& log;
        WatchView& view;
        ReportPort* reports = nullptr; // none: the reports stay in the log only
    };

    explicit WatchEngine(Ports ports);

    CellGrid ListeSG{5, kListRows};
    CellGrid SchlangeSG{4, 2};

    std::int32_t QueuePos = 0;
    std::int32_t QueueCount = 0;
    std::int32_t Sample1 = 0;
    std::int32_t Sample2 = 0;
    std::int32_t Sample3 = 0;

    // The step counter lives in the step timer's Tag: -1 idle, 0 to 20 within an entry.
    int stepCounter() const { return ports_.timer.Tag; }
    // The window's clock read-out: "00:00" until the first tick, then the minute the queue was
    // last built for.
    const std::string& ZeitLabel() const { return zeitLabel_; }
    bool listEditing() const { return listEditing_; }

    void FormCreate();
    void StartBtnClick();
    void StopBtnClick();
    void TimerTimer();

    // The tick's own steps, public so that the window and the tests can name them.
    bool MinuteCheck(); // true when the minute changed and the queue was rebuilt
    void BuildQueue();
    void SelectQueueRow(int row);
    int ReadSMeter() const;
    void EvaluateEntry();

private:
    void setListEditing(bool editable);
    void tuneCurrentEntry();
    void finishEntry();

    Ports ports_;
    std::string zeitLabel_;
    // The minute the queue was built for; none before the first tick, so that the first tick
    // after the first Start builds a queue also in the minute 00:00.
    std::optional<std::string> builtFor_;
    bool listEditing_ = true;
};

} // namespace skedula
