#include "engine/TimePattern.h"

namespace skedula {

bool MatchTimePattern(std::string_view pattern, std::string_view minute) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '?')
            continue;
        if (i >= minute.size() || pattern[i] != minute[i])
            return false;
    }
    return true;
}

} // namespace skedula
