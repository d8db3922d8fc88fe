#include "engine/WatchEngine.h"

#include "engine/Error.h"
#include "engine/SUnit.h"
#include "engine/TimePattern.h"

#include <array>

namespace skedula {

namespace {

const std::array<const char*, 5> kListHeaders = {
    "Zeit [hh:nn]", "Frequenz [Hz]", "Mode", "Schwelle [S?]", "Alarm [WAV-Datei oder MP3-Datei]"};

constexpr int kTuneStep = 0;
constexpr int kFirstSampleStep = 10;
constexpr int kSecondSampleStep = 15;
constexpr int kLastStep = 20;

std::string SampleLine(int sample, int threshold) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about the chained form.
    std::string line = "S";
    line += std::to_string(sample);
    line += " >= S";
    line += std::to_string(threshold);
    return line;
}

} // namespace

WatchEngine::WatchEngine(Ports ports) : ports_(ports) {}

void WatchEngine::FormCreate() {
    for (int c = 0; c < 5; ++c)
        ListeSG.setCell(c, 0, kListHeaders[c]);
    for (int c = 0; c < 4; ++c)
        SchlangeSG.setCell(c, 0, kListHeaders[c + 1]);
    QueuePos = 0;
    QueueCount = 0;
    zeitLabel_ = "00:00";
    builtFor_.reset();
    ports_.view.showMinute(zeitLabel_);
    ports_.timer.Tag = -1;
    setListEditing(true);
}

void WatchEngine::StartBtnClick() {
    ports_.timer.setInterval(kTickMilliseconds); // may throw: the later steps then do not run
    ports_.view.showRunning(true);
    setListEditing(false);
    ports_.link.SetServiceTopic(kService, kTopic);
    ports_.link.OpenConversation(); // the window learns the outcome from the link's events
}

void WatchEngine::StopBtnClick() {
    ports_.timer.setInterval(0);
    ports_.view.showRunning(false);
    setListEditing(true);
    ports_.link.CloseConversation();
    QueuePos = QueueCount;
    ports_.timer.Tag = -1;
    if (const std::exception_ptr error = Announce([](WatchListener& l) { l.WatchStopped(); }))
        std::rethrow_exception(error);
}

void WatchEngine::setListEditing(bool editable) {
    listEditing_ = editable;
    ports_.view.showListEditing(editable);
}

void WatchEngine::TimerTimer() {
    if (MinuteCheck()) {
        // An entry still under way belongs to the old minute: drop it so that every
        // evaluation uses samples taken after its own entry was tuned.
        ports_.timer.Tag = -1;
    }
    SelectQueueRow(QueuePos + 1);
    if (QueuePos >= QueueCount)
        return;

    const int step = ++ports_.timer.Tag;
    switch (step) {
    case kTuneStep:
        tuneCurrentEntry();
        break;
    case kFirstSampleStep:
        TakeSample(Sample1, 0);
        break;
    case kSecondSampleStep:
        TakeSample(Sample2, 1);
        break;
    case kLastStep:
        finishEntry();
        break;
    default:
        break;
    }
}

void WatchEngine::tuneCurrentEntry() {
    const int row = QueuePos + 1;
    const TunedEntry tuned{SchlangeSG.cell(0, row), SchlangeSG.cell(1, row)};
    ports_.link.SendCommand("freq " + tuned.frequency);
    ports_.link.SendCommand("mode " + tuned.mode);
    Readings = {};
    if (const std::exception_ptr error = Announce([&](WatchListener& l) { l.EntryTuned(tuned); }))
        std::rethrow_exception(error);
}

void WatchEngine::finishEntry() {
    // The entry ends here even when the sample or the evaluation fails, so that one bad
    // threshold or a missing alarm file does not stop the measuring of every later entry.
    struct EndEntry {
        WatchEngine& engine;
        ~EndEntry() {
            engine.ports_.timer.Tag = -1;
            ++engine.QueuePos;
        }
    } endEntry{*this};
    std::exception_ptr sampleError;
    try {
        TakeSample(Sample3, 2);
    } catch (const Error&) {
        sampleError = std::current_exception();
    }
    if (!sampleError) {
        EvaluateEntry();
        return;
    }
    // Without a third reading nothing is reported; the listeners still hear of the
    // measurement, and the sample's error is the one told.
    try {
        EvaluateEntry();
    } catch (const Error&) {
    }
    std::rethrow_exception(sampleError);
}

void WatchEngine::TakeSample(std::int32_t& sample, std::size_t index) {
    Readings[index].reset();
    const std::string text = ports_.link.sMeterText();
    sample = SUnitValue(text);
    if (!text.empty())
        Readings[index] = Sample{sample, ports_.link.sMeterLevelDb()};
}

bool WatchEngine::MinuteCheck() {
    std::string minute = ports_.clock.minuteText();
    if (minute == builtFor_)
        return false;
    builtFor_ = minute;
    zeitLabel_ = std::move(minute);
    ports_.view.showMinute(zeitLabel_);
    BuildQueue();
    return true;
}

void WatchEngine::BuildQueue() {
    for (int r = 1; r <= kListRows; ++r)
        for (int c = 0; c < 4; ++c)
            SchlangeSG.setCell(c, r, {});
    SchlangeSG.setRowCount(2);
    QueuePos = 0;
    QueueCount = 0;
    for (int r = 1; r <= kListRows; ++r) {
        const std::string& pattern = ListeSG.cell(0, r);
        if (pattern.empty() || !MatchTimePattern(pattern, zeitLabel_))
            continue;
        ++QueueCount;
        if (QueueCount + 1 > SchlangeSG.rowCount())
            SchlangeSG.setRowCount(QueueCount + 1);
        for (int c = 1; c <= 4; ++c)
            SchlangeSG.setCell(c - 1, QueueCount, ListeSG.cell(c, r));
    }
}

void WatchEngine::SelectQueueRow(int row) {
    ports_.view.selectQueueRow(row);
}

int WatchEngine::ReadSMeter() const {
    return SUnitValue(ports_.link.sMeterText());
}

void WatchEngine::EvaluateEntry() {
    const int row = QueuePos + 1;
    std::optional<int> threshold;
    std::exception_ptr thresholdError;
    try {
        threshold = SUnitValue(SchlangeSG.cell(2, row));
    } catch (const Error&) {
        thresholdError = std::current_exception();
    }
    const std::array<int, 3> samples = {Sample1, Sample2, Sample3};
    bool reported = threshold.has_value();
    for (std::size_t i = 0; i < samples.size(); ++i)
        reported = reported && Readings[i].has_value() && samples[i] >= *threshold;

    Measurement measurement = Measured(threshold, reported);
    if (reported) {
        measurement.reportLines = {{},
                                   ports_.clock.timeText(),
                                   measurement.radioFrequency + " " + measurement.radioMode,
                                   SampleLine(Sample1, *threshold),
                                   SampleLine(Sample2, *threshold),
                                   SampleLine(Sample3, *threshold)};
        for (const std::string& line : measurement.reportLines)
            ports_.log.appendLine(line);
    }
    // The listeners hear of it before the alarm opens: a missing alarm file must not cost the
    // report's records.
    std::exception_ptr listenerError = Announce([&](WatchListener& l) {
        if (measurement.reported && !measurement.recording)
            measurement.recording = l.RecordingFor(measurement);
    });
    if (const std::exception_ptr error =
            Announce([&](WatchListener& l) { l.EntryMeasured(measurement); }))
        listenerError = listenerError ? listenerError : error;
    if (thresholdError)
        std::rethrow_exception(thresholdError);

    if (reported && !measurement.alarm.empty()) {
        AlarmPort& alarm = ports_.alarm;
        alarm.Close();
        alarm.setFileName(measurement.alarm);
        alarm.Open();
        alarm.Play();
    }
    if (listenerError)
        std::rethrow_exception(listenerError);
}

Measurement WatchEngine::Measured(std::optional<int> threshold, bool reported) const {
    const int row = QueuePos + 1;
    Measurement measurement;
    measurement.time = ports_.clock.isoTimeText();
    measurement.frequency = SchlangeSG.cell(0, row);
    measurement.mode = SchlangeSG.cell(1, row);
    measurement.alarm = SchlangeSG.cell(3, row);
    measurement.threshold = threshold;
    measurement.radioFrequency = ports_.link.frequencyText();
    measurement.radioMode = ports_.link.modeText();
    measurement.samples = Readings;
    measurement.reported = reported;
    return measurement;
}

template <typename Call> std::exception_ptr WatchEngine::Announce(Call call) {
    std::exception_ptr first;
    // Indexes: a listener may attach another while it is told.
    for (std::size_t i = 0; i < listeners_.size(); ++i) {
        try {
            call(*listeners_[i]);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    return first;
}

} // namespace skedula
