// The program's settings file, $XDG_CONFIG_HOME/Skedula/Skedula.conf (~/.config/Skedula/...
// when that variable is unset): an INI file that the user may also edit by hand. Read when
// the program starts; rewritten whole and atomically when a dialog's OK changes it. Each
// settings group (the radio, the watch) reads and sets its own keys in the document.
#pragma once

#include "storage/IniDocument.h"

#include <functional>
#include <string>

namespace skedula {

class SettingsFile {
public:
    explicit SettingsFile(std::string path = DefaultPath());

    // From the environment as it is now.
    static std::string DefaultPath();
    const std::string& Path() const { return path_; }

    // An empty document when the file (or its folder) does not exist. Throws Error naming
    // the file when it exists but cannot be read, is no regular file (a pipe or a device of
    // that name is refused at once, never waited on) or is far larger than settings can be.
    IniDocument Load() const;
    // Reads the file afresh, so that what was written meanwhile (by hand or by another
    // dialog) stays, lets change set its keys and replaces the file with the result. Missing
    // folders are made as UserFolders makes them (0700). On failure Error names the file, and the
    // file is as it was.
    void Update(const std::function<void(IniDocument&)>& change) const;

private:
    std::string path_;
};

} // namespace skedula
