#include "engine/WatchEngine.h"

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
        Sample1 = ReadSMeter();
        break;
    case kSecondSampleStep:
        Sample2 = ReadSMeter();
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
    ports_.link.SendCommand("freq " + SchlangeSG.cell(0, row));
    ports_.link.SendCommand("mode " + SchlangeSG.cell(1, row));
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
    Sample3 = ReadSMeter();
    EvaluateEntry();
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
    const int threshold = SUnitValue(SchlangeSG.cell(2, row));
    if (Sample1 < threshold || Sample2 < threshold || Sample3 < threshold)
        return;

    const std::string frequency = ports_.link.frequencyText();
    const std::string mode = ports_.link.modeText();
    LogPort& log = ports_.log;
    log.appendLine({});
    log.appendLine(ports_.clock.timeText());
    log.appendLine(frequency + " " + mode);
    log.appendLine(SampleLine(Sample1, threshold));
    log.appendLine(SampleLine(Sample2, threshold));
    log.appendLine(SampleLine(Sample3, threshold));

    const std::string alarmFile = SchlangeSG.cell(3, row);
    // Kept before the alarm opens: a missing alarm file must not cost the report.
    if (ports_.reports != nullptr)
        ports_.reports->keepReport(
            {frequency, mode, Sample1, Sample2, Sample3, threshold, alarmFile});
    if (alarmFile.empty())
        return;
    AlarmPort& alarm = ports_.alarm;
    alarm.Close();
    alarm.setFileName(alarmFile);
    alarm.Open();
    alarm.Play();
}

} // namespace skedula
