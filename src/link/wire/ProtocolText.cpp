#include "link/wire/ProtocolText.h"

#include "link/RadioContract.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace skedula::wire {

namespace {

constexpr std::size_t MaxArgumentLength = 64;
constexpr std::size_t MaxModeLength = 32;
constexpr std::size_t MaxHertzDigits = 15;
constexpr std::size_t MaxFractionDigits = 9;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

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

long long DigitsValue(std::string_view digits) {
    long long value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
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

std::optional<ContractCommand> ParseCommand(std::string_view command) {
    for (const auto& [prefix, kind] :
         {std::pair{contract::FrequencyCommand, CommandKind::Frequency},
          std::pair{contract::ModeCommand, CommandKind::Mode}}) {
        if (command.starts_with(prefix)) {
            // A cell pasted with a blank after the number still names a frequency.
            const std::string_view argument = TrimBlanks(command.substr(prefix.size()));
            if (SafeArgument(argument)) {
                return ContractCommand{kind, argument};
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<int> ReportNumber(std::string_view line) {
    if (!line.starts_with("RPRT")) {
        return std::nullopt;
    }
    const std::string_view rest = line.substr(4);
    if (rest.empty() || (rest[0] != ' ' && rest[0] != '\t')) {
        return std::nullopt;
    }
    const std::string_view number = TrimBlanks(rest);
    int value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> HertzText(std::string_view value) {
    // Whole hertz; a fraction that some builds print is dropped.
    const std::size_t point = value.find('.');
    const std::string_view hertz = value.substr(0, point);
    if (!AllDigits(hertz) || hertz.size() > MaxHertzDigits ||
        (point != std::string_view::npos && !AllDigits(value.substr(point + 1)))) {
        return std::nullopt;
    }
    std::uint64_t number = 0;
    std::from_chars(hertz.data(), hertz.data() + hertz.size(), number);
    return std::to_string(number);
}

bool IsModeName(std::string_view value) {
    return !value.empty() && value.size() <= MaxModeLength &&
           std::all_of(value.begin(), value.end(), [](char c) {
               return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
                      c == '-';
           });
}

std::optional<long long> DecimalThousandths(std::string_view text, std::size_t maxIntegerDigits) {
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        text.remove_prefix(1);
    }
    const std::size_t mark = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, mark);
    const std::string_view fraction =
        mark == std::string_view::npos ? std::string_view{} : text.substr(mark + 1);
    if (!AllDigits(whole) || whole.size() > maxIntegerDigits ||
        (mark != std::string_view::npos &&
         (!AllDigits(fraction) || fraction.size() > MaxFractionDigits))) {
        return std::nullopt;
    }
    std::string thousandths(fraction.substr(0, 3));
    thousandths.resize(3, '0');
    const long long magnitude = DigitsValue(whole) * 1000 + DigitsValue(thousandths);
    // Rounded down: below zero, any digit past the thousandths takes it one further.
    const bool beyond =
        fraction.size() > 3 && fraction.substr(3).find_first_not_of('0') != std::string_view::npos;
    return negative ? -magnitude - (beyond ? 1 : 0) : magnitude;
}

long long FloorDivide(long long numerator, long long denominator) {
    const long long quotient = numerator / denominator;
    return (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) ? quotient - 1
                                                                                  : quotient;
}

std::string SMeterTextForDb(long long dbOverS9) {
    if (dbOverS9 > 0) {
        return "S9+" + std::to_string(dbOverS9) + "dB";
    }
    const long long units = std::clamp(FloorDivide(54 + dbOverS9, 6), 0LL, 9LL);
    return std::string{'S', static_cast<char>('0' + units)};
}

} // namespace skedula::wire
