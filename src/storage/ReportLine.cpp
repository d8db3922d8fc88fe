#include "storage/ReportLine.h"

#include "engine/Utf8.h"

#include <cstdio>
#include <cstdlib>

namespace skedula {

std::string LocalIsoTime(std::time_t when) {
    // localtime_r need not look at TZ again; tzset makes it.
    ::tzset();
    std::tm local{};
    ::localtime_r(&when, &local);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long magnitude = std::labs(offsetMinutes);
    std::snprintf(text + length, sizeof text - length, "%c%02ld:%02ld",
                  offsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

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

std::string FormatReportLine(const AlarmReport& report, std::time_t when) {
    return LocalIsoTime(when) + ";" + CsvField(report.frequency) + ";" + CsvField(report.mode) +
           ";" + std::to_string(report.sample1) + ";" + std::to_string(report.sample2) + ";" +
           std::to_string(report.sample3) + ";" + std::to_string(report.threshold) + ";" +
           CsvField(report.alarmFile) + "\r\n";
}

} // namespace skedula
