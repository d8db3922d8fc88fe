#include "storage/ReportWriter.h"

#include "engine/Error.h"
#include "storage/ReportFile.h"
#include "storage/ReportLine.h"

namespace skedula {

ReportWriter::ReportWriter(std::string path, ErrorSink onError)
    : path_(std::move(path)), onError_(std::move(onError)) {}

void ReportWriter::setEnabled(bool enabled) {
    // Switched on again, a failure that persists deserves to be told again.
    if (enabled && !enabled_)
        failing_ = false;
    enabled_ = enabled;
}

void ReportWriter::EntryMeasured(const Measurement& measurement) {
    if (!enabled_ || !measurement.reported)
        return;
    // Caught here rather than at the catch points: a failed report file must not stop the
    // alarm that follows, nor open a box for every report of a night.
    try {
        AppendToReportFile(path_, FormatReportLine(measurement));
        failing_ = false;
    } catch (const Error& e) {
        if (failing_)
            return;
        failing_ = true;
        if (onError_)
            onError_(path_ + ": " + e.what());
    }
}

} // namespace skedula
