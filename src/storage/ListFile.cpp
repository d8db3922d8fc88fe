#include "storage/ListFile.h"

#include "storage/AtomicFile.h"
#include "storage/FileError.h"
#include "storage/ListText.h"
#include "storage/UniqueFd.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

namespace {
constexpr std::size_t kReadChunk = 64 * 1024;
}

void SaveList(const CellGrid& list, const std::string& path) {
    ReplaceFileContent(path, FormatList(list));
}

void LoadList(CellGrid& list, const std::string& path) {
    // O_NONBLOCK: a pipe without a writer must not hang the program before it is refused.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid())
        ThrowFileError(errno, path);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        ThrowFileError(errno, path);
    if (S_ISDIR(info.st_mode))
        ThrowFileError(EISDIR, path);
    if (!S_ISREG(info.st_mode))
        // A device or a pipe may never end (/dev/zero would fill the memory): only files load.
        ThrowFileError(EINVAL, path);

    ListReader reader(list);
    std::array<char, kReadChunk> buffer;
    while (!reader.ended()) {
        const ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ThrowFileError(errno, path);
        }
        if (got == 0)
            reader.finish();
        else
            reader.feed({buffer.data(), static_cast<std::size_t>(got)});
    }
    if (fd.close() != 0 && errno != EINTR)
        ThrowFileError(errno, path);
}

} // namespace skedula
