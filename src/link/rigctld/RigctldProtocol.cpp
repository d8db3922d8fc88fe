#include "link/rigctld/RigctldProtocol.h"

#include <algorithm>
#include <initializer_list>

namespace skedula::rigctld {

namespace {

// rigctld prints its level as a whole number; more digits than this are no S-meter.
constexpr std::size_t MaxLevelDigits = 6;

// The value of "Label: value", or of a bare "value"; nothing under any other label.
std::optional<std::string_view> ValueOf(std::string_view line,
                                        std::initializer_list<std::string_view> labels) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return TrimBlanks(line);
    }
    const std::string_view label = TrimBlanks(line.substr(0, colon));
    if (std::find(labels.begin(), labels.end(), label) == labels.end()) {
        return std::nullopt;
    }
    return TrimBlanks(line.substr(colon + 1));
}

} // namespace

WireLine QueryLine(Query query) {
    switch (query) {
    case Query::Frequency:
        return {"+f\n", "get_freq"};
    case Query::Mode:
        return {"+m\n", "get_mode"};
    case Query::SMeter:
        return {"+l STRENGTH\n", "get_level"};
    }
    return {"+f\n", "get_freq"};
}

WireLine GreetLine() {
    return {"\\chk_vfo\n", "chk_vfo"};
}

bool Unknown(const Reply& reply) {
    constexpr int NotImplemented = -4;
    constexpr int NotAvailable = -11;
    return reply.result == NotImplemented || reply.result == NotAvailable;
}

std::optional<WireLine> CommandLine(std::string_view command) {
    const std::optional<wire::ContractCommand> parsed = wire::ParseCommand(command);
    if (!parsed) {
        return std::nullopt;
    }
    const std::string argument(parsed->argument);
    if (parsed->kind == wire::CommandKind::Frequency) {
        return WireLine{"+F " + argument + "\n", "set_freq"};
    }
    // 0: the radio's default passband for the mode.
    return WireLine{"+M " + argument + " 0\n", "set_mode"};
}

std::optional<std::string> ItemText(Query query, const Reply& reply) {
    if (!reply.Succeeded() || reply.values.empty() || reply.echoName != QueryLine(query).echoName) {
        return std::nullopt;
    }
    switch (query) {
    case Query::Frequency:
        return FrequencyText(reply.values.front());
    case Query::Mode:
        return ModeText(reply.values.front());
    case Query::SMeter:
        return SMeterText(reply.values.front());
    }
    return std::nullopt;
}

std::optional<double> LevelDb(Query query, const Reply& reply) {
    if (query != Query::SMeter || !ItemText(query, reply)) {
        return std::nullopt;
    }
    const std::optional<std::string_view> value =
        ValueOf(reply.values.front(), {"STRENGTH", "Level"});
    const std::optional<long long> thousandths = wire::DecimalThousandths(*value, MaxLevelDigits);
    return static_cast<double>(*thousandths) / 1000.0;
}

std::optional<std::string> FrequencyText(std::string_view valueLine) {
    const std::optional<std::string_view> value = ValueOf(valueLine, {"Frequency"});
    return value ? wire::HertzText(*value) : std::nullopt;
}

std::optional<std::string> ModeText(std::string_view valueLine) {
    const std::optional<std::string_view> value = ValueOf(valueLine, {"Mode"});
    if (!value || !wire::IsModeName(*value)) {
        return std::nullopt;
    }
    return std::string(*value);
}

std::optional<std::string> SMeterText(std::string_view valueLine) {
    const std::optional<std::string_view> value = ValueOf(valueLine, {"STRENGTH", "Level"});
    if (!value) {
        return std::nullopt;
    }
    const std::optional<long long> thousandths = wire::DecimalThousandths(*value, MaxLevelDigits);
    if (!thousandths) {
        return std::nullopt;
    }
    return SMeterTextForDb(wire::FloorDivide(*thousandths, 1000));
}

} // namespace skedula::rigctld
