#include "storage/ListFile.h"

#include "engine/Error.h"
#include "storage/AtomicFile.h"
#include "storage/FileError.h"
#include "storage/ListText.h"
#include "storage/RegularFile.h"
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
    RegularFile file = OpenRegularFile(path, O_RDONLY);
    UniqueFd& fd = file.fd;

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

void LoadNamedList(CellGrid& list, const std::string& path) {
    const std::string named = "Listendatei '" + path + "'";
    // A missing folder is a missing file here: there is no dialog whose folder could be wrong.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw Error(named + " nicht gefunden");
    } else if (S_ISDIR(info.st_mode)) {
        throw Error(named + " ist ein Ordner");
    }
    try {
        LoadList(list, path);
    } catch (const Error& e) {
        throw Error(named + ": " + e.what());
    }
}

} // namespace skedula
