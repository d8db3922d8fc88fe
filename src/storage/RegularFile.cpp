#include "storage/RegularFile.h"

#include "storage/FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <utility>

namespace skedula {

namespace {

constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

RegularFile CheckedRegular(UniqueFd fd, const std::string& path) {
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

} // namespace

RegularFile OpenRegularFile(const std::string& path, int flags, mode_t mode) {
    UniqueFd fd(::open(path.c_str(), flags | kOpenFlags, mode));
    if (!fd.valid())
        ThrowFileError(errno, path);
    return CheckedRegular(std::move(fd), path);
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | kOpenFlags));
    if (!fd.valid()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        ThrowFileError(errno, path);
    }
    const RegularFile file = CheckedRegular(std::move(fd), path);
    std::string text;
    char buffer[4096];
    while (text.size() <= maxBytes) {
        const ssize_t n = ::read(file.fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowFileError(errno, path);
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    if (text.size() > maxBytes + 1)
        text.resize(maxBytes + 1);
    return text;
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
