// The names of the radio-control contract: the service and topic the link connects to, the
// three items it keeps current and the two command forms it sends. The application uses
// them to wire the link; the rigctld backend translates them into its protocol.
#pragma once

#include <string_view>

namespace skedula::contract {

inline constexpr std::string_view Service = "HRD_RADIO_000";
inline constexpr std::string_view Topic = "HRD_CAT";

inline constexpr std::string_view FrequencyItem = "HRD_FREQUENCY";
inline constexpr std::string_view ModeItem = "HRD_MODE";
inline constexpr std::string_view SMeterItem = "HRD_SMETER";

// A command is one of these prefixes followed by a queue cell, unchanged.
inline constexpr std::string_view FrequencyCommand = "freq ";
inline constexpr std::string_view ModeCommand = "mode ";

} // namespace skedula::contract
