#include "windows/storage/WinListFile.h"

#include "engine/Error.h"
#include "storage/ListText.h"

#include <array>
#include <string_view>

namespace skedula {

namespace {

constexpr DWORD kReadChunk = 64 * 1024;

[[noreturn]] void Fail(DWORD code) {
    throw Error(ListFileErrorText(code));
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Closes now and reports a failure: the last writes may fail only here.
    void close() {
        const BOOL closed = ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        if (!closed)
            Fail(::GetLastError());
    }

private:
    HANDLE handle_;
};

// Only a file on a disk is a list file: a device name (CON, COM1, ...) or a pipe is refused
// before it is read or written.
void RequireDiskFile(const Handle& file) {
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        Fail(ERROR_ACCESS_DENIED);
}

void WriteAll(const Handle& file, std::string_view content) {
    while (!content.empty()) {
        DWORD written = 0;
        if (!::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                         nullptr))
            Fail(::GetLastError());
        if (written == 0)
            Fail(101);
        content.remove_prefix(written);
    }
    if (!::FlushFileBuffers(file.get()))
        Fail(::GetLastError());
}

std::string TempNameFor(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/:");
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "~" + name + "." + std::to_string(::GetCurrentProcessId()) + "." +
           std::to_string(::GetTickCount64()) + ".tmp";
}

void WriteInPlace(const std::string& path, std::string_view content) {
    Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        Fail(::GetLastError());
    RequireDiskFile(file);
    WriteAll(file, content);
    file.close();
}

} // namespace

std::string ListFileErrorText(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return "Datei nicht gefunden";
    case ERROR_PATH_NOT_FOUND:
        return "Ungültiger Dateiname";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "Zu viele geöffnete Dateien";
    case ERROR_ACCESS_DENIED:
        return "Dateizugriff verweigert";
    case 100:
        return "Versuch hinter dem Dateiende zu lesen";
    case 101:
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "Zu wenig Speicherplatz";
    case 106:
        return "Ungültige numerische Eingabe";
    default:
        return "E/A-Fehler " + std::to_string(code);
    }
}

void SaveList(const CellGrid& list, const std::string& path) {
    const std::string content = FormatList(list);
    // Windows refuses to replace a write-protected file; Wine would not, so ask first.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        Fail(ERROR_ACCESS_DENIED);
    const std::string temp = TempNameFor(path);
    Handle file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        // A folder that takes no new file may still hold a writable list.
        if (error == ERROR_ACCESS_DENIED) {
            WriteInPlace(path, content);
            return;
        }
        Fail(error);
    }
    try {
        WriteAll(file, content);
        file.close();
        ::SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!::MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Fail(::GetLastError());
    } catch (...) {
        ::DeleteFileA(temp.c_str());
        throw;
    }
}

void LoadList(CellGrid& list, const std::string& path) {
    Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        Fail(::GetLastError());
    RequireDiskFile(file);
    ListReader reader(list);
    std::array<char, kReadChunk> buffer;
    while (!reader.ended()) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer.data(), kReadChunk, &got, nullptr))
            Fail(::GetLastError());
        if (got == 0)
            reader.finish();
        else
            reader.feed({buffer.data(), got});
    }
    file.close();
}

} // namespace skedula
