// Where the user's own files live, after the XDG base directory rules. The report file, the
// autostart entry and the settings file find their folders here, and make them with it.
#pragma once

#include <string>

namespace skedula {

// $XDG_DATA_HOME, or ~/.local/share when it is unset, empty or not an absolute path.
std::string DataHome();
// $XDG_CONFIG_HOME, or ~/.config likewise.
std::string ConfigHome();

// Creates the folder and any missing folders above it, each with mode 0700 as the XDG rules
// ask for folders a program makes in the user's home. Throws Error with the German message.
void MakeFolders(const std::string& folder);

} // namespace skedula
