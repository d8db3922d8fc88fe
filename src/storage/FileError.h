// The user's message for a failed file operation, chosen from errno.
// Used by the list file; any layer that opens files by the user's choice may share it.
#pragma once

#include <string>

namespace skedula {

// The German message for errnum; folderMissing tells a missing folder ("Ungültiger Dateiname")
// from a missing file ("Datei nicht gefunden") when errnum is ENOENT.
std::string FileErrorMessage(int errnum, bool folderMissing);

// Throws Error with the message for errnum; for ENOENT it looks whether the folder of path exists.
[[noreturn]] void ThrowFileError(int errnum, const std::string& path);

} // namespace skedula
