#include "engine/SUnit.h"

#include "engine/Error.h"
#include "engine/Utf8.h"

namespace skedula {

void ThrowConversionError(const std::string& text) {
    throw Error("'" + text + "' ist kein gültiger Integerwert");
}

int SUnitValue(const std::string& text) {
    const auto characters = SplitCharacters(text);
    if (characters.size() < 2)
        return 0;
    const std::string& second = characters[1];
    if (second.size() == 1 && second[0] >= '0' && second[0] <= '9')
        return second[0] - '0';
    ThrowConversionError(second);
}

} // namespace skedula
