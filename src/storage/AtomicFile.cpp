#include "storage/AtomicFile.h"

#include "engine/Error.h"
#include "storage/FileError.h"
#include "storage/RegularFile.h"
#include "storage/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

namespace {

// Long enough to never collide by chance, short enough to fit next to a long file name.
constexpr std::size_t kMaxTempBaseLength = 200;
constexpr int kTempAttempts = 100;

// As many links in a row as the kernel itself follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;

struct Target {
    std::string path;                 // the file that is written, links followed
    std::optional<struct stat> stats; // absent when the file does not exist yet
};

std::string FolderOf(const std::string& file) {
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// The kernel's rule for links in shared folders such as /tmp (fs.protected_symlinks), which
// links the program follows itself never meet: a link in a sticky folder that everybody may
// write to is followed only when it belongs to the saving user or to the folder's owner.
// Applied whatever the system's setting, so that another user's link there can never turn a
// save onto the listener's own files.
bool MayFollow(const std::string& link, const struct stat& linkInfo) {
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folder.st_uid;
}

// The name at the end of a chain of symbolic links, which need not exist yet: saving through
// a link whose target is missing creates the target and leaves the link in place.
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        // Any other failure than "not a link" shows again, with its errno, when the end is used.
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        if (!MayFollow(current, info))
            ThrowFileError(EACCES, path);
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(current, error);
        if (error)
            ThrowFileError(error.value(), path);
        // A relative link counts from its own folder. The join stays unresolved on purpose:
        // the kernel resolves ".." against the real folder, lexical cleaning would not.
        current = next.is_absolute()
                      ? next.string()
                      : (std::filesystem::path(current).parent_path() / next).string();
    }
    ThrowFileError(ELOOP, path);
}

Target ResolveTarget(const std::string& path) {
    const std::string file = FollowLinks(path);
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return {file, std::nullopt};
        ThrowFileError(errno, file);
    }
    if (S_ISDIR(info.st_mode))
        ThrowFileError(EISDIR, file);
    if (!S_ISREG(info.st_mode))
        // A device or a pipe cannot be replaced by renaming, and must not be.
        ThrowFileError(EINVAL, file);

    // The old content is replaced only where it could be overwritten in place: a
    // write-protected file or a read-only disk refuses, as it would without the temporary file.
    if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0)
        ThrowFileError(errno, file);
    return {file, info};
}

std::string TempPathFor(const std::filesystem::path& target, unsigned long long salt) {
    std::string base = target.filename().string().substr(0, kMaxTempBaseLength);
    static const char kDigits[] = "0123456789abcdef";
    std::string suffix;
    for (int i = 0; i < 12; ++i, salt >>= 4)
        suffix += kDigits[salt & 15];
    // A leading dot keeps the half-written file out of the file dialogs.
    return (target.parent_path() / ("." + base + "." + suffix + ".tmp")).string();
}

UniqueFd CreateTemp(const std::string& target, std::string& tempPath) {
    std::random_device seed;
    std::mt19937_64 random((static_cast<unsigned long long>(seed()) << 32) ^ seed() ^
                           static_cast<unsigned long long>(::getpid()));
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        tempPath = TempPathFor(target, random());
        // 0666 lets the umask decide a new file's permissions, as for any file the user makes.
        const int fd =
            ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0)
            return UniqueFd(fd);
        if (errno != EEXIST)
            ThrowFileError(errno, target);
    }
    ThrowFileError(EEXIST, target);
}

// Returns 0, or the errno of the failed write.
int WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// A writable file whose folder takes no new names cannot be replaced by renaming, and a file
// with further names (hard links) would be split from them by it: both are written in place.
bool MustWriteInPlace(const Target& target) {
    if (!target.stats)
        return false;
    return target.stats->st_nlink > 1 ||
           ::faccessat(AT_FDCWD, FolderOf(target.path).c_str(), W_OK | X_OK, AT_EACCESS) != 0;
}

// Makes room for length bytes from the start of the file, so that overwriting the old bytes
// cannot run out of it half-way. Returns 0, or the errno; a failed reservation leaves the file
// as it was.
int Reserve(int fd, off_t oldSize, std::size_t length) {
    if (length == 0)
        return 0; // nothing to make room for, and posix_fallocate refuses a length of 0
    int errnum = 0;
    do
        errnum = ::posix_fallocate(fd, 0, static_cast<off_t>(length));
    while (errnum == EINTR);
    if (errnum == 0)
        return 0;
    // Some file systems keep what they could allocate, with the file grown over it: give the
    // zeros back.
    struct stat now {};
    if (::fstat(fd, &now) == 0 && now.st_size > oldSize)
        (void)::ftruncate(fd, oldSize);
    return errnum;
}

// Not atomic, but a full disk or quota changes nothing: the new length is reserved before the
// first old byte is overwritten, and only then is the content written over the old one, cut to
// its length and flushed. Only a failure after the reservation (a disk that fails to write)
// can leave the file incomplete, as the old program's save did.
void WriteInPlace(const Target& target, std::string_view content) {
    // O_NONBLOCK: should the file have become a pipe since it was looked at, the open fails
    // instead of waiting for a reader.
    UniqueFd fd(::open(target.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid())
        ThrowFileError(errno, target.path);
    struct stat before {};
    if (::fstat(fd.get(), &before) != 0)
        ThrowFileError(errno, target.path);
    if (!S_ISREG(before.st_mode))
        ThrowFileError(EINVAL, target.path);
    int errnum = Reserve(fd.get(), before.st_size, content.size());
    if (errnum == 0)
        errnum = WriteAll(fd.get(), content);
    if (errnum == 0 && ::ftruncate(fd.get(), static_cast<off_t>(content.size())) != 0)
        errnum = errno;
    if (errnum == 0 && ::fsync(fd.get()) != 0)
        errnum = errno;
    if (errnum == 0 && fd.close() != 0)
        errnum = errno;
    if (errnum != 0)
        ThrowFileError(errnum, target.path);
}

void KeepOwnerAndPermissions(int fd, const struct stat& old) {
    // Both are best effort: a file system without owners or permission bits (a FAT stick)
    // refuses them, and there the old file had nothing to keep either. Owner first, since
    // changing it clears set-id bits that the permissions then restore.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // Neither owner nor group can be kept: the new file stays the saver's own.
    }
    (void)::fchmod(fd, old.st_mode & 07777);
}

// Returns 0 once the temporary file has its content on the disk and stands in the target's
// place, or the errno of the step that failed.
int FillAndCommit(UniqueFd& fd, const std::string& tempPath, const Target& target,
                  std::string_view content) {
    if (target.stats)
        KeepOwnerAndPermissions(fd.get(), *target.stats);
    if (const int errnum = WriteAll(fd.get(), content))
        return errnum;
    if (::fsync(fd.get()) != 0)
        return errno;
    // Some file systems (NFS among them) report a failed write only when the file is closed.
    if (fd.close() != 0)
        return errno;
    if (::rename(tempPath.c_str(), target.path.c_str()) != 0)
        return errno;
    return 0;
}

} // namespace

void ReplaceFileContent(const std::string& path, std::string_view content) {
    if (std::filesystem::path(path).filename().empty())
        throw Error(FileErrorMessage(ENOENT, true));

    const Target target = ResolveTarget(path);
    if (MustWriteInPlace(target)) {
        WriteInPlace(target, content);
        return;
    }
    std::string tempPath;
    UniqueFd fd = CreateTemp(target.path, tempPath);

    // From here on every failure removes the temporary file; the old file was never touched.
    if (const int errnum = FillAndCommit(fd, tempPath, target, content)) {
        ::unlink(tempPath.c_str());
        ThrowFileError(errnum, target.path);
    }
    // Makes the rename itself durable. The new content is already in place, so a file system
    // that cannot sync a folder is no reason to report the save as failed.
    SyncFolderOf(target.path);
}

} // namespace skedula
