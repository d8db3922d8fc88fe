// The radio models that the installed Hamlib knows, from `rigctl -l`, for the dialog
// "Funkgerät" to offer and the tooltip to name.
#pragma once

#include "link/RadioChoice.h"

#include <vector>

namespace skedula {

// Empty when rigctl is missing or says nothing within a few seconds.
std::vector<HamlibModel> ListHamlibModels();

} // namespace skedula
