// The group [Radio] of the settings file: the keys Program, Model, Device, Baud, Host, Port
// and S9dBFS, read into the radio choice with every value that is not valid named, and
// written from a choice. Used by the radio setup when the program starts and on OK.
#pragma once

#include "link/RadioChoice.h"
#include "storage/IniDocument.h"

#include <string>
#include <vector>

namespace skedula {

inline constexpr std::string_view RadioGroup = "Radio";

struct RadioSettings {
    // The choice as far as it could be read; a value that is not valid leaves its default.
    RadioChoice choice;
    // One line per value that is not valid, naming key and value: "Port=70000: ...".
    std::vector<std::string> problems;
};

// No group [Radio] (or no file) is Hamlib's dummy radio on 127.0.0.1:4532. An empty value
// is a key not set. Port defaults to the program's own (gqrx 7356, rigctld 4532).
RadioSettings ReadRadioSettings(const IniDocument& document);
// Sets every key of the group from the choice; the document's other lines stay.
void WriteRadioSettings(IniDocument& document, const RadioChoice& choice);

} // namespace skedula
