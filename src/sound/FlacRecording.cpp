#include "sound/FlacRecording.h"

#include "engine/Error.h"
#include "storage/FileError.h"
#include "storage/RegularFile.h"
#include "storage/UserFolders.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

// libsndfile writes through these calls rather than its own, so that a failed write leaves
// its errno here and the message can name the cause as every other file of the program does.
struct FlacRecording::Io {
    int fd = -1;
    int error = 0; // the errno of the first failed call

    static sf_count_t Length(void* self) {
        struct stat info {};
        return ::fstat(static_cast<Io*>(self)->fd, &info) == 0 ? info.st_size : -1;
    }
    static sf_count_t Seek(sf_count_t offset, int whence, void* self) {
        Io& io = *static_cast<Io*>(self);
        const off_t at = ::lseek(io.fd, offset, whence);
        if (at < 0)
            io.Failed(errno);
        return at;
    }
    static sf_count_t Read(void* data, sf_count_t count, void* self) {
        Io& io = *static_cast<Io*>(self);
        for (;;) {
            const ssize_t n = ::read(io.fd, data, static_cast<std::size_t>(count));
            if (n >= 0)
                return n;
            if (errno != EINTR) {
                io.Failed(errno);
                return 0;
            }
        }
    }
    static sf_count_t Write(const void* data, sf_count_t count, void* self) {
        Io& io = *static_cast<Io*>(self);
        const auto* bytes = static_cast<const char*>(data);
        sf_count_t done = 0;
        while (done < count) {
            const ssize_t n = ::write(io.fd, bytes + done, static_cast<std::size_t>(count - done));
            if (n > 0) {
                done += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            io.Failed(n < 0 ? errno : EIO);
            break;
        }
        return done;
    }
    static sf_count_t Tell(void* self) { return ::lseek(static_cast<Io*>(self)->fd, 0, SEEK_CUR); }

    void Failed(int errnum) {
        if (error == 0)
            error = errnum;
    }
};

namespace {

SF_VIRTUAL_IO Calls() {
    SF_VIRTUAL_IO calls{};
    calls.get_filelen = &FlacRecording::Io::Length;
    calls.seek = &FlacRecording::Io::Seek;
    calls.read = &FlacRecording::Io::Read;
    calls.write = &FlacRecording::Io::Write;
    calls.tell = &FlacRecording::Io::Tell;
    return calls;
}

} // namespace

FlacRecording::FlacRecording(std::string path, CaptureFormat format, const RecordingTags& tags)
    : path_(std::move(path)), temporary_(path_ + ".part"), io_(std::make_unique<Io>()) {
    MakeFolders(std::filesystem::path(path_).parent_path().string());
    io_->fd = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0644);
    if (io_->fd < 0)
        ThrowFileError(errno, temporary_);

    SF_INFO info{};
    info.samplerate = format.rate;
    info.channels = format.channels;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SF_VIRTUAL_IO calls = Calls();
    file_ = sf_open_virtual(&calls, SFM_WRITE, &info, io_.get());
    if (file_ == nullptr) {
        const int error = io_->error;
        const std::string why = sf_strerror(nullptr);
        Close();
        if (error != 0)
            ThrowFileError(error, path_);
        throw Error("Die Aufnahme kann nicht geschrieben werden (" + why + ")");
    }
    // Before the first frame: FLAC keeps its tags in front of the audio.
    sf_set_string(file_, SF_STR_TITLE, tags.title.c_str());
    sf_set_string(file_, SF_STR_DATE, tags.date.c_str());
    sf_set_string(file_, SF_STR_COMMENT, tags.comment.c_str());
    sf_set_string(file_, SF_STR_SOFTWARE, "Skedula");
}

FlacRecording::~FlacRecording() {
    if (!done_)
        Close();
}

void FlacRecording::Close() {
    if (file_ != nullptr)
        sf_close(file_);
    file_ = nullptr;
    if (io_->fd >= 0) {
        ::close(io_->fd);
        io_->fd = -1;
        ::unlink(temporary_.c_str());
    }
    done_ = true;
}

void FlacRecording::Write(const std::int16_t* frames, std::size_t count) {
    if (file_ == nullptr || count == 0)
        return;
    const auto wanted = static_cast<sf_count_t>(count);
    const sf_count_t written = sf_writef_short(file_, frames, wanted);
    if (written > 0)
        frames_ += written;
    if (written == wanted && io_->error == 0)
        return;
    ThrowFileError(io_->error != 0 ? io_->error : EIO, path_);
}

void FlacRecording::Finish() {
    if (file_ == nullptr)
        return;
    const int closed = sf_close(file_);
    file_ = nullptr;
    int error = io_->error != 0 ? io_->error : (closed != 0 ? EIO : 0);
    if (error == 0 && ::fsync(io_->fd) != 0)
        error = errno;
    const int fd = io_->fd;
    io_->fd = -1;
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == 0 && std::rename(temporary_.c_str(), path_.c_str()) != 0)
        error = errno;
    done_ = true;
    if (error != 0) {
        ::unlink(temporary_.c_str());
        ThrowFileError(error, path_);
    }
    SyncFolderOf(path_);
}

void FlacRecording::KeepWhatWasWritten() noexcept {
    if (done_)
        return;
    if (file_ != nullptr)
        sf_close(file_); // finishes what it can; the disk may refuse the rest
    file_ = nullptr;
    const int fd = io_->fd;
    io_->fd = -1;
    done_ = true;
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    if (frames_ == 0 || std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        ::unlink(temporary_.c_str());
        return;
    }
    SyncFolderOf(path_);
}

} // namespace skedula
