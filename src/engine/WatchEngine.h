// The watch: the list and queue grids, the engine's fields and the handlers that drive them
// (window creation, Start, Stop and the step timer's tick). Used by the main window, which
// forwards its events here and shows what the ports report.
#pragma once

#include "engine/CellGrid.h"
#include "engine/Ports.h"
#include "engine/WatchListener.h"

#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

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
    };

    explicit WatchEngine(Ports ports);

    // Told of every tuning, measurement and Stop from now on, after the listeners before it.
    void Listen(WatchListener& listener) { listeners_.push_back(&listener); }

    CellGrid ListeSG{5, kListRows};
    CellGrid SchlangeSG{4, 2};

    std::int32_t QueuePos = 0;
    std::int32_t QueueCount = 0;
    std::int32_t Sample1 = 0;
    std::int32_t Sample2 = 0;
    std::int32_t Sample3 = 0;
    // The samples of the entry under way as they were read; nothing for a sample without a
    // reading (an empty S-meter text: no link, or the radio did not answer; or one that is not
    // readable). An entry with a sample that was no reading is never reported: a report says
    // that a signal was measured.
    std::array<std::optional<Sample>, 3> Readings;

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
    // Reports the entry when every sample is a reading at or above the threshold, and tells the
    // listeners of the measurement either way. Throws the conversion error of a threshold cell
    // that is not readable, after the listeners heard of the measurement.
    void EvaluateEntry();

private:
    void setListEditing(bool editable);
    void tuneCurrentEntry();
    void finishEntry();
    // Reads the S-meter into the sample and its reading; a conversion error leaves the sample's
    // value and no reading, and is thrown on.
    void TakeSample(std::int32_t& sample, std::size_t index);
    Measurement Measured(std::optional<int> threshold, bool reported) const;
    // Every listener hears it, also when one of them throws; the first error is returned.
    template <typename Call> std::exception_ptr Announce(Call call);

    Ports ports_;
    std::string zeitLabel_;
    // The minute the queue was built for; none before the first tick, so that the first tick
    // after the first Start builds a queue also in the minute 00:00.
    std::optional<std::string> builtFor_;
    bool listEditing_ = true;
    std::vector<WatchListener*> listeners_;
};

} // namespace skedula
