// What the model filter of the dialog "Funkgerät" finds: a radio as listeners type it
// ("ic7300", "IC 7300", "icom 7300", "7300 icom", "ft991"), whatever the case, the blanks and
// the hyphens, maker and model in either order. Used by the dialog on every keystroke.
#pragma once

#include "link/RadioChoice.h"

#include <string_view>

namespace skedula {

// True when every word of the filter is found in the model's number, or in its maker and
// model written together in either order; also when the whole filter, blanks and hyphens left
// out, is found there, or maker and the model's number part alone ("icom7300"). An empty
// filter finds every model.
bool ModelMatches(std::string_view filter, const HamlibModel& model);

} // namespace skedula
