#include "app/RecordingSettings.h"

#include <algorithm>

namespace skedula {

namespace {

bool HasControl(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

const char* const SourceProblem = "kein Name einer Tonquelle";
const char* const FolderProblem = "kein absoluter Pfad eines Ordners";
const char* const AfterProblem = "keine Sekundenzahl von 0 bis 600";

bool ValidFolder(const std::string& folder) {
    return !folder.empty() && folder.front() == '/' && !HasControl(folder);
}

} // namespace

RecordingSettings ReadRecordingSettings(const IniDocument& document) {
    RecordingSettings settings;
    RecordingChoice& choice = settings.choice;
    choice.folder = DefaultRecordingFolder();
    const auto get = [&](std::string_view key) -> std::optional<std::string> {
        std::optional<std::string> value = document.Value(RecordingGroup, key);
        if (value && value->empty())
            return std::nullopt;
        return value;
    };
    const auto invalid = [&](std::string_view key, const std::string& value, const char* why) {
        settings.problems.push_back(std::string(key) + "=" + value + ": " + why);
    };

    if (const auto source = get("Source")) {
        if (HasControl(*source))
            invalid("Source", *source, SourceProblem);
        else
            choice.source = *source;
    }
    if (const auto folder = get("Folder")) {
        if (ValidFolder(*folder))
            choice.folder = *folder;
        else
            invalid("Folder", *folder, FolderProblem);
    }
    if (const auto after = get("After")) {
        const bool digits =
            after->size() <= 3 && after->find_first_not_of("0123456789") == std::string::npos;
        const int seconds = digits ? std::stoi(*after) : -1;
        if (seconds >= 0 && seconds <= MostAfterSeconds)
            choice.afterSeconds = seconds;
        else
            invalid("After", *after, AfterProblem);
    }
    return settings;
}

void WriteRecordingSettings(IniDocument& document, const RecordingChoice& choice) {
    document.SetValue(RecordingGroup, "Source", choice.source.value_or(""));
    document.SetValue(RecordingGroup, "Folder", choice.folder);
    document.SetValue(RecordingGroup, "After", std::to_string(choice.afterSeconds));
}

std::vector<std::string> RecordingChoiceProblems(const RecordingChoice& choice) {
    std::vector<std::string> problems;
    if (choice.source && (choice.source->empty() || HasControl(*choice.source)))
        problems.push_back(std::string("Quelle: ") + SourceProblem);
    if (!ValidFolder(choice.folder))
        problems.push_back(std::string("Ordner: ") + FolderProblem);
    if (choice.afterSeconds < 0 || choice.afterSeconds > MostAfterSeconds)
        problems.push_back(std::string("Nachlauf: ") + AfterProblem);
    return problems;
}

} // namespace skedula
