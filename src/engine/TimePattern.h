// The time pattern of a watch entry against the minute text ("hh:nn").
#pragma once

#include <string_view>

namespace skedula {

// "?" matches any character; every other character must equal the minute text's byte at the
// same position. A short pattern matches as a prefix ("1" is 10:00 to 19:59); a longer one
// matches only with "?" past the minute text's end.
bool MatchTimePattern(std::string_view pattern, std::string_view minute);

} // namespace skedula
