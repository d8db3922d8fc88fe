#include "link/rigctld/RigctldProtocol.h"

#include "link/RadioContract.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <initializer_list>

namespace skedula::rigctld {

namespace {

constexpr std::size_t MaxArgumentLength = 64;
constexpr std::size_t MaxModeLength = 32;
constexpr std::size_t MaxDigits = 15;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// The value of "Label: value", or of a bare "value"; nothing under any other label.
std::optional<std::string_view> ValueOf(std::string_view line,
                                        std::initializer_list<std::string_view> labels) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return Trim(line);
    }
    const std::string_view label = Trim(line.substr(0, colon));
    if (std::find(labels.begin(), labels.end(), label) == labels.end()) {
        return std::nullopt;
    }
    return Trim(line.substr(colon + 1));
}

// A blank would end the argument early and a control byte would end the line; "?" asks
// rigctld for a list and "\" names a command, so neither may start an argument.
bool SafeArgument(std::string_view argument) {
    if (argument.empty() || argument.size() > MaxArgumentLength || argument[0] == '?' ||
        argument[0] == '\\') {
        return false;
    }
    return std::none_of(argument.begin(), argument.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

long long FloorDivide(long long numerator, long long denominator) {
    const long long quotient = numerator / denominator;
    return (numerator % denominator != 0 && numerator < 0) ? quotient - 1 : quotient;
}

} // namespace

std::optional<Query> QueryForItem(std::string_view item) {
    if (item == contract::FrequencyItem) {
        return Query::Frequency;
    }
    if (item == contract::ModeItem) {
        return Query::Mode;
    }
    if (item == contract::SMeterItem) {
        return Query::SMeter;
    }
    return std::nullopt;
}

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

std::optional<WireLine> CommandLine(std::string_view command) {
    if (command.starts_with(contract::FrequencyCommand)) {
        const std::string_view argument = command.substr(contract::FrequencyCommand.size());
        if (SafeArgument(argument)) {
            return WireLine{"+F " + std::string(argument) + "\n", "set_freq"};
        }
    } else if (command.starts_with(contract::ModeCommand)) {
        const std::string_view argument = command.substr(contract::ModeCommand.size());
        if (SafeArgument(argument)) {
            // 0: the radio's default passband for the mode.
            return WireLine{"+M " + std::string(argument) + " 0\n", "set_mode"};
        }
    }
    return std::nullopt;
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

std::optional<std::string> FrequencyText(std::string_view valueLine) {
    const std::optional<std::string_view> value = ValueOf(valueLine, {"Frequency"});
    if (!value) {
        return std::nullopt;
    }
    // Whole hertz; a fraction that some builds print is dropped.
    const std::size_t point = value->find('.');
    const std::string_view hertz = value->substr(0, point);
    if (!AllDigits(hertz) || hertz.size() > MaxDigits ||
        (point != std::string_view::npos && !AllDigits(value->substr(point + 1)))) {
        return std::nullopt;
    }
    std::uint64_t number = 0;
    std::from_chars(hertz.data(), hertz.data() + hertz.size(), number);
    return std::to_string(number);
}

std::optional<std::string> ModeText(std::string_view valueLine) {
    const std::optional<std::string_view> value = ValueOf(valueLine, {"Mode"});
    if (!value || value->empty() || value->size() > MaxModeLength) {
        return std::nullopt;
    }
    const bool plain = std::all_of(value->begin(), value->end(), [](char c) {
        return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
               c == '-';
    });
    if (!plain) {
        return std::nullopt;
    }
    return std::string(*value);
}

std::optional<std::string> SMeterText(std::string_view valueLine) {
    const std::optional<std::string_view> value = ValueOf(valueLine, {"STRENGTH", "Level"});
    if (!value) {
        return std::nullopt;
    }
    std::string_view digits = *value;
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        digits.remove_prefix(1);
    }
    if (!AllDigits(digits) || digits.size() > 6) {
        return std::nullopt;
    }
    long long db = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), db);
    return SMeterTextForDb(negative ? -db : db);
}

std::string SMeterTextForDb(long long dbOverS9) {
    if (dbOverS9 > 0) {
        return "S9+" + std::to_string(dbOverS9) + "dB";
    }
    // Six dB per S-unit below S9.
    const long long units = std::clamp(FloorDivide(54 + dbOverS9, 6), 0LL, 9LL);
    return std::string{'S', static_cast<char>('0' + units)};
}

} // namespace skedula::rigctld
