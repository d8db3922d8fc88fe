#include "storage/RegularFile.h"

#include "storage/FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace skedula {

RegularFile OpenRegularFile(const std::string& path, int flags, mode_t mode) {
    UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, mode));
    if (!fd.valid())
        ThrowFileError(errno, path);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        ThrowFileError(errno, path);
    if (S_ISDIR(info.st_mode))
        ThrowFileError(EISDIR, path);
    if (!S_ISREG(info.st_mode))
        // A device or a pipe may never end (/dev/zero would fill the memory): only files do.
        ThrowFileError(EINVAL, path);
    return {std::move(fd), info};
}

void SyncFolderOf(const std::string& file) {
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (folder.empty())
        folder = ".";
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        (void)::fsync(fd.get());
}

} // namespace skedula
