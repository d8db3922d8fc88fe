#include "link/ModelSearch.h"

#include <algorithm>
#include <array>
#include <string>

namespace skedula {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Lower case (ASCII only: makers and models are ASCII in Hamlib's table), without blanks and
// hyphens, which listeners type or leave out as they like.
std::string Compact(std::string_view text) {
    std::string compact;
    for (const char c : text) {
        if (IsBlank(c) || c == '-')
            continue;
        compact += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return compact;
}

// "ic7300" -> "7300": the model's number part, which listeners put beside the maker.
std::string NumberPart(const std::string& compactName) {
    const std::size_t digit = compactName.find_first_of("0123456789");
    return digit == std::string::npos ? std::string() : compactName.substr(digit);
}

} // namespace

bool ModelMatches(std::string_view filter, const HamlibModel& model) {
    const std::string maker = Compact(model.maker);
    const std::string name = Compact(model.name);
    const std::string number = NumberPart(name);
    const std::array<std::string, 5> texts = {std::to_string(model.number), maker + name,
                                              name + maker,
                                              number.empty() ? std::string() : maker + number,
                                              number.empty() ? std::string() : number + maker};
    const auto found = [&](const std::string& word) {
        return std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
            return text.find(word) != std::string::npos;
        });
    };

    const std::string whole = Compact(filter);
    if (whole.empty() || found(whole))
        return true;
    std::size_t start = 0;
    while (start < filter.size()) {
        while (start < filter.size() && IsBlank(filter[start]))
            ++start;
        std::size_t end = start;
        while (end < filter.size() && !IsBlank(filter[end]))
            ++end;
        const std::string word = Compact(filter.substr(start, end - start));
        if (!word.empty() && !found(word))
            return false;
        start = end;
    }
    return true;
}

} // namespace skedula
