#include "storage/ReportFile.h"

#include "engine/Error.h"
#include "storage/AtomicFile.h"
#include "storage/FileError.h"
#include "storage/RegularFile.h"
#include "storage/ReportLine.h"
#include "storage/UniqueFd.h"
#include "storage/UserFolders.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

namespace {

// What must go before the line: the header in an empty file, a line end after a cut line.
std::string Lead(int fd, off_t size) {
    if (size == 0)
        return std::string(kReportHeader);
    char last = '\n';
    if (::pread(fd, &last, 1, size - 1) == 1 && last != '\n')
        return "\r\n";
    return {};
}

// Skedula is the file's only writer, so what a failed write added is the cut line to take
// back. When that fails too, the next report's line end keeps it from swallowing a line.
void TakeBack(int fd, off_t size) {
    if (::ftruncate(fd, size) != 0)
        return; // the write's own error is the one to tell
}

bool ReadAll(int fd, std::string& text) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

// A file from before reports named their recordings gets the header with the column
// "Aufnahme", once and atomically; its lines stay as they are. When that cannot be done the
// report is appended all the same, and the next one tries again.
void UpgradeHeader(const std::string& path) {
    try {
        RegularFile file = OpenRegularFile(path, O_RDONLY);
        // Only the header is read for every report; the whole file only once.
        std::string text(kReportHeaderWithoutRecording.size(), '\0');
        if (::pread(file.fd.get(), text.data(), text.size(), 0) !=
                static_cast<ssize_t>(text.size()) ||
            text != kReportHeaderWithoutRecording)
            return;
        text.clear();
        if (!ReadAll(file.fd.get(), text))
            return;
        ReplaceFileContent(path, std::string(kReportHeader) +
                                     text.substr(kReportHeaderWithoutRecording.size()));
    } catch (const Error&) {
    }
}

} // namespace

std::string ReportFilePath() {
    return DataHome() + "/Skedula/berichte.csv";
}

void AppendToReportFile(const std::string& path, std::string_view line) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    MakeFolders(folder);
    struct stat before {};
    const bool existed = ::lstat(path.c_str(), &before) == 0;
    if (existed)
        UpgradeHeader(path);
    RegularFile file = OpenRegularFile(path, O_RDWR | O_APPEND | O_CREAT, 0644);
    UniqueFd& fd = file.fd;
    const struct stat& info = file.info;

    const std::string text = Lead(fd.get(), info.st_size) + std::string(line);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd.get(), text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int error = n < 0 ? errno : EIO;
        if (done > 0)
            TakeBack(fd.get(), info.st_size);
        ThrowFileError(error, path);
    }
    if (::fsync(fd.get()) != 0)
        ThrowFileError(errno, path);
    if (fd.close() != 0 && errno != EINTR)
        ThrowFileError(errno, path);
    // A new file's name is only safe on the disk once its folder is flushed too.
    if (!existed)
        SyncFolderOf(path);
}

} // namespace skedula
