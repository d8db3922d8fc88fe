#include "storage/ReportLine.h"

#include "engine/Utf8.h"

namespace skedula {

std::string CsvField(std::string_view bytes) {
    std::string text = Utf8OrWindows1252(bytes);
    if (text.find_first_of(";\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string FormatReportLine(const Measurement& measurement) {
    std::string line = measurement.time + ";" + CsvField(measurement.radioFrequency) + ";" +
                       CsvField(measurement.radioMode);
    for (const std::optional<Sample>& sample : measurement.samples)
        line += ";" + (sample ? std::to_string(sample->sUnit) : std::string());
    return line + ";" + (measurement.threshold ? std::to_string(*measurement.threshold) : "") +
           ";" + CsvField(measurement.alarm) + ";" + CsvField(measurement.recording.value_or("")) +
           "\r\n";
}

} // namespace skedula
