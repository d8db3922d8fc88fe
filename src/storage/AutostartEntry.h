// The autostart entry that starts Skedula's watch when the user logs in: a freedesktop
// desktop entry in $XDG_CONFIG_HOME/autostart that runs `skedula --start <list>`. Written,
// removed and looked for by the "Optionen" menu.
#pragma once

#include <string>
#include <string_view>

namespace skedula {

// $XDG_CONFIG_HOME/autostart/skedula.desktop, by default ~/.config/autostart/skedula.desktop.
std::string AutostartEntryPath();

// The path of the running program, for the entry to start this same one.
std::string ThisProgram();

// One argument as an Exec key holds it, before the key's string escapes: as it is when it
// needs no quoting, else in double quotes with '"', '`', '$' and '\' escaped; '%' is doubled
// either way. Throws Error("Ungültiger Dateiname") for text that a desktop entry cannot hold
// (not UTF-8, or a control character other than tab, line feed and carriage return).
std::string ExecArgument(std::string_view argument);

// The entry's whole text: Exec is program, --start and the list's absolute path.
std::string AutostartEntryText(const std::string& program, const std::string& listPath);

// Writes the entry atomically, making the autostart folder when it is missing.
// Throws Error with the German message.
void WriteAutostartEntry(const std::string& entryPath, const std::string& program,
                         const std::string& listPath);
// Removes the entry; an entry that is not there is no error.
void RemoveAutostartEntry(const std::string& entryPath);
bool AutostartEntryExists(const std::string& entryPath);

} // namespace skedula
