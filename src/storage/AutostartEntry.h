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

// A new entry's whole text: Exec is program, --start and the list's absolute path (not
// cleaned of "..", which behind a symbolic link would name another file).
std::string AutostartEntryText(const std::string& program, const std::string& listPath);

// Switches the entry on for the list. A new entry gets AutostartEntryText; an existing one
// keeps every line the desktop wrote except Exec, which follows the list, and the keys that
// switched it off (Hidden=true, X-GNOME-Autostart-enabled=false), which are switched back. The
// autostart folder is made when it is missing. Throws Error with the German message.
void WriteAutostartEntry(const std::string& entryPath, const std::string& program,
                         const std::string& listPath);
// Lets an existing entry's Exec line follow the list, on or off, and changes nothing else;
// with no entry it does nothing. Throws Error with the German message.
void FollowListInAutostartEntry(const std::string& entryPath, const std::string& program,
                                const std::string& listPath);
// Removes the entry; an entry that is not there is no error.
void RemoveAutostartEntry(const std::string& entryPath);
bool AutostartEntryExists(const std::string& entryPath);
// Whether the entry starts Skedula at login: it exists, can be read, and the desktop has not
// switched it off (Hidden=true, GNOME's X-GNOME-Autostart-enabled=false).
bool AutostartEntryOn(const std::string& entryPath);

} // namespace skedula
