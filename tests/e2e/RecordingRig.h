// What the recording tests share: a fake radio whose S-meter depends on the frequency it was
// tuned to, the minute a short queue fits into, the [Recording] settings, and the report file's
// lines split into fields.
#pragma once

#include "fakes/EventLoop.h"
#include "fakes/FakeRigctldServer.h"
#include "storage/ReportFile.h"
#include "storage/SettingsFile.h"
#include "storage/TestFiles.h"

#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace skedula::e2e {

// S7 on the frequencies given as strong, S2 on every other.
class ScriptedRadio {
public:
    explicit ScriptedRadio(std::vector<std::string> strong) : state_(std::make_shared<State>()) {
        state_->strong = std::move(strong);
        server_.SetScript(
            [state = state_](const std::string& line) -> std::optional<FakeLineServer::Answer> {
                if (line.rfind("+F ", 0) == 0)
                    state->frequency = line.substr(3);
                if (line != "+l STRENGTH")
                    return std::nullopt;
                bool strong = false;
                for (const std::string& f : state->strong)
                    strong = strong || f == state->frequency;
                return FakeLineServer::Answer{{std::string("get_level: STRENGTH\n") +
                                               (strong ? "-12" : "-42") + "\nRPRT 0\n"}};
            });
    }
    std::uint16_t Port() const { return server_.Port(); }

private:
    struct State {
        std::vector<std::string> strong;
        std::string frequency;
    };
    std::shared_ptr<State> state_;
    FakeRigctldServer server_;
};

inline LinkSettings Reaching(std::uint16_t port) {
    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Network; // the fake's, never started
    settings.radio->port = port;
    return settings;
}

// The time pattern of a minute that still has the seconds a queue needs: this one, or, when
// it is too far gone, the next, which is waited for.
inline std::string MinuteWithRoom(int seconds) {
    const auto now = [] {
        const std::time_t t = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&t, &local);
        return local;
    };
    if (60 - now().tm_sec < seconds) {
        const int minute = now().tm_min;
        test::WaitUntil([&] { return now().tm_min != minute; }, std::chrono::seconds(61));
    }
    char text[8];
    std::snprintf(text, sizeof text, "%02d?%02d", now().tm_hour, now().tm_min);
    return text; // "?" matches the separator of any locale
}

inline void WriteRecordingSettings(const std::string& lines) {
    std::filesystem::create_directories(
        std::filesystem::path(SettingsFile::DefaultPath()).parent_path());
    test::WriteFile(SettingsFile::DefaultPath(), "[Recording]\n" + lines);
}

// The report file's lines after the header, each split at ";" (the tests' fields hold none).
inline std::vector<std::vector<std::string>> ReportRows() {
    std::vector<std::vector<std::string>> rows;
    const std::string text = test::ReadFile(ReportFilePath());
    std::size_t start = text.find("\r\n");
    while (start != std::string::npos && start + 2 < text.size()) {
        const std::size_t end = text.find("\r\n", start + 2);
        const std::string line = text.substr(start + 2, end - start - 2);
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (std::size_t at; (at = line.find(';', from)) != std::string::npos; from = at + 1)
            fields.push_back(line.substr(from, at - from));
        fields.push_back(line.substr(from));
        rows.push_back(fields);
        start = end;
    }
    return rows;
}

} // namespace skedula::e2e
