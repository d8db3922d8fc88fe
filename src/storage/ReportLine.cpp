#include "storage/ReportLine.h"

#include "engine/Utf8.h"

#include <vector>

namespace skedula {

namespace {

// What a spreadsheet takes for the start of a formula, or turns into one.
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

std::string Number(std::optional<int> value) {
    return value ? std::to_string(*value) : std::string();
}

} // namespace

std::string CsvField(std::string_view bytes) {
    std::string text = Utf8OrWindows1252(bytes);
    // A cell "=HYPERLINK(...)" from a shared list must stay text when the file is opened: the
    // apostrophe is how the spreadsheets themselves mark such a text.
    if (!text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos)
        text.insert(0, 1, '\'');
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
    // In the order of kReportHeader's columns.
    std::vector<std::string> fields = {measurement.time, CsvField(measurement.radioFrequency),
                                       CsvField(measurement.radioMode)};
    for (const std::optional<Sample>& sample : measurement.samples)
        fields.push_back(Number(sample ? std::optional<int>(sample->sUnit) : std::nullopt));
    fields.push_back(Number(measurement.threshold));
    fields.push_back(CsvField(measurement.alarm));
    fields.push_back(CsvField(measurement.recording.value_or("")));

    std::string line = fields.front();
    for (std::size_t i = 1; i < fields.size(); ++i)
        line += ";" + fields[i];
    return line + "\r\n";
}

} // namespace skedula
