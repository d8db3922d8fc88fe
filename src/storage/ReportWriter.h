// The keeper of reports: a listener of the watch that appends every reported measurement to
// the report file, and tells of a failure once, until a write succeeds again, so that a full
// disk during a night's watch gives one box instead of one per report. The composition root
// owns it.
#pragma once

#include "engine/WatchListener.h"

#include <functional>
#include <string>

namespace skedula {

class ReportWriter final : public WatchListener {
public:
    using ErrorSink = std::function<void(const std::string& message)>;

    // onError gets "<path>: <German message>".
    ReportWriter(std::string path, ErrorSink onError);

    const std::string& path() const { return path_; }

    // Off, reports stay in the window's log only. On by default.
    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }

    // Never throws: the watch and the alarm go on when the file cannot be written, and the
    // next report tries again. A measurement that was not reported is not written.
    void EntryMeasured(const Measurement& measurement) override;

private:
    std::string path_;
    ErrorSink onError_;
    bool enabled_ = true;
    bool failing_ = false; // the last write failed and was told
};

} // namespace skedula
