// The user's message for a failed file operation, chosen from errno.
// Used by the list file and the alarm player; any layer that opens files by the user's choice
// may share it.
#pragma once

#include <string>

namespace skedula {

// The German message for errnum; folderMissing tells a missing folder ("Ungültiger Dateiname")
// from a missing file ("Datei nicht gefunden") when errnum is ENOENT.
std::string FileErrorMessage(int errnum, bool folderMissing);

// Whether the folder that path puts its file in is missing (or is no folder); a bare name's
// folder is the current one.
bool FolderMissing(const std::string& path);

// Throws Error with the message for errnum; for ENOENT it looks whether the folder of path exists.
[[noreturn]] void ThrowFileError(int errnum, const std::string& path);

} // namespace skedula
