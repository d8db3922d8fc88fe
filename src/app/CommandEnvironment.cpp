#include "app/CommandEnvironment.h"

#include <algorithm>

namespace skedula {

namespace {

std::string WithoutNul(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

std::string Number(const std::optional<int>& value) {
    return value ? std::to_string(*value) : std::string();
}

std::string SampleUnit(const std::optional<Sample>& sample) {
    return sample ? std::to_string(sample->sUnit) : std::string();
}

} // namespace

std::vector<EnvironmentVariable> ReportVariables(const Measurement& measurement) {
    return {
        {"SKEDULA_ZEIT", WithoutNul(measurement.time)},
        {"SKEDULA_FREQUENZ", WithoutNul(measurement.radioFrequency)},
        {"SKEDULA_MODE", WithoutNul(measurement.radioMode)},
        {"SKEDULA_S1", SampleUnit(measurement.samples[0])},
        {"SKEDULA_S2", SampleUnit(measurement.samples[1])},
        {"SKEDULA_S3", SampleUnit(measurement.samples[2])},
        {"SKEDULA_SCHWELLE", Number(measurement.threshold)},
        {"SKEDULA_ALARM", WithoutNul(measurement.alarm)},
        {"SKEDULA_AUFNAHME", WithoutNul(measurement.recording.value_or(""))},
    };
}

std::string ReportInput(const Measurement& measurement) {
    std::string input;
    for (const std::string& line : measurement.reportLines)
        input += line + "\n";
    return input;
}

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& base,
                                           const std::vector<EnvironmentVariable>& variables) {
    std::vector<std::string> merged;
    for (const std::string& entry : base) {
        const std::string name = entry.substr(0, entry.find('='));
        const bool replaced =
            std::any_of(variables.begin(), variables.end(),
                        [&](const EnvironmentVariable& v) { return v.first == name; });
        if (!replaced)
            merged.push_back(entry);
    }
    for (const auto& [name, value] : variables)
        merged.push_back(name + "=" + value);
    return merged;
}

} // namespace skedula
