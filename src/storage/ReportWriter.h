// The keeper of reports that the engine hands every alarm report to: appends it to the report
// file, and tells of a failure once, until a write succeeds again, so that a full disk during
// a night's watch gives one box instead of one per report. The composition root owns it.
#pragma once

#include "engine/Ports.h"

#include <ctime>
#include <functional>
#include <string>

namespace skedula {

class ReportWriter final : public ReportPort {
public:
    using ErrorSink = std::function<void(const std::string& message)>;
    using TimeSource = std::function<std::time_t()>;

    // onError gets "<path>: <German message>"; now stamps each report.
    ReportWriter(
        std::string path, ErrorSink onError, TimeSource now = [] { return std::time(nullptr); });

    const std::string& path() const { return path_; }

    // Off, reports stay in the window's log only. On by default.
    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }

    // Never throws: the watch and the alarm go on when the file cannot be written, and the
    // next report tries again.
    void keepReport(const AlarmReport& report) override;

private:
    std::string path_;
    ErrorSink onError_;
    TimeSource now_;
    bool enabled_ = true;
    bool failing_ = false; // the last write failed and was told
};

} // namespace skedula
