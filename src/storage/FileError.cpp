#include "storage/FileError.h"

#include "engine/Error.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace skedula {

std::string FileErrorMessage(int errnum, bool folderMissing) {
    // Map errno straight to the text: going through the old program's numbers would let an
    // unrelated errno of the same value (EIO is 5) pose as "access denied".
    switch (errnum) {
    case ENOENT:
        return folderMissing ? "Ungültiger Dateiname" : "Datei nicht gefunden";
    case ENOTDIR:
        // A part of the path that should be a folder is a file: the folder is missing.
        return "Ungültiger Dateiname";
    case EMFILE:
    case ENFILE:
        return "Zu viele geöffnete Dateien";
    case EACCES:
    case EPERM:
    case EROFS:
        return "Dateizugriff verweigert";
    case ENOSPC:
    case EDQUOT:
        return "Zu wenig Speicherplatz";
    default:
        return "E/A-Fehler " + std::to_string(errnum);
    }
}

bool FolderMissing(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    struct stat info {};
    return ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode);
}

void ThrowFileError(int errnum, const std::string& path) {
    const bool folderMissing = errnum == ENOENT && FolderMissing(path);
    throw Error(FileErrorMessage(errnum, folderMissing));
}

} // namespace skedula
