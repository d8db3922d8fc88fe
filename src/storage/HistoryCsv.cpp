#include "storage/HistoryCsv.h"

#include "engine/Error.h"
#include "storage/AtomicFile.h"
#include "storage/ReportLine.h"

#include <cmath>
#include <cstdio>

namespace skedula {

namespace {

// Up to one decimal, as the radios give it: "-12", "-71,5".
std::string Level(const std::optional<Sample>& sample) {
    if (!sample || !sample->levelDb || !std::isfinite(*sample->levelDb))
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", *sample->levelDb);
    std::string level(text);
    if (level.ends_with(".0"))
        level.resize(level.size() - 2);
    if (const auto point = level.find('.'); point != std::string::npos)
        level[point] = ',';
    return level == "-0" ? "0" : level;
}

} // namespace

std::string FormatHistoryCsvLine(const Measurement& m) {
    std::string line = CsvField(m.time) + ";" + CsvField(m.frequency) + ";" + CsvField(m.mode) +
                       ";" + (m.threshold ? std::to_string(*m.threshold) : "") + ";" +
                       CsvField(m.radioFrequency) + ";" + CsvField(m.radioMode);
    for (const std::optional<Sample>& sample : m.samples)
        line += ";" + (sample ? std::to_string(sample->sUnit) : std::string());
    for (const std::optional<Sample>& sample : m.samples)
        line += ";" + Level(sample);
    return line + ";" + (m.reported ? "1" : "0") + ";" + CsvField(m.recording.value_or("")) +
           "\r\n";
}

void ExportHistoryCsv(HistoryReader& reader, const HistoryKey& key, const std::string& file) {
    std::string text(kHistoryCsvHeader);
    reader.EachMeasurement(key, [&](const Measurement& m) { text += FormatHistoryCsvLine(m); });
    try {
        ReplaceFileContent(file, text);
    } catch (const Error& e) {
        throw Error(file + ": " + e.what());
    }
}

} // namespace skedula
