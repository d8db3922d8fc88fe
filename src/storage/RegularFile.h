// Opening a file by the user's path where only a regular file will do, and making a new or
// renamed name durable. Shared by the list file, the atomic save and the report file.
#pragma once

#include "storage/UniqueFd.h"

#include <cstddef>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace skedula {

struct RegularFile {
    UniqueFd fd;
    struct stat info;
};

// Opens path with the flags (O_CLOEXEC, O_NOCTTY and O_NONBLOCK are added: a pipe without a
// writer must not hang the program before it is refused) and checks that it is a regular
// file. A folder, a pipe or a device throws the list files' error for it, as does a failed
// open.
RegularFile OpenRegularFile(const std::string& path, int flags, mode_t mode = 0);

// The content of a small file the program reads whole (the settings file, the autostart entry),
// opened as OpenRegularFile opens it, so that a pipe or a device of that name never hangs the
// program. Nothing when the file or its folder does not exist. Reads at most maxBytes + 1
// bytes: more than maxBytes tells the caller that the file is not what it should be.
// Throws the list files' error for any other failure.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes);

// Flushes the folder that holds file, so that a file's new name survives a power cut. Best
// effort: not every file system can flush a folder, and the content is safe already.
void SyncFolderOf(const std::string& file);

} // namespace skedula
