#include "storage/SettingsFile.h"

#include "engine/Error.h"
#include "storage/AtomicFile.h"
#include "storage/FileError.h"
#include "storage/UniqueFd.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

namespace {

// A settings file is a few hundred bytes; anything this large is not one.
constexpr std::size_t MaxSettingsBytes = 1024 * 1024;

// The XDG rule: a variable that is unset, empty or not an absolute path is ignored.
std::string ConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return config;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return std::string(home) + "/.config";
}

[[noreturn]] void ThrowNamed(const std::string& path, const std::string& message) {
    throw Error(path + ": " + message);
}

void MakeFolders(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        ThrowNamed(path, FileErrorMessage(error.value(), false));
}

} // namespace

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

std::string SettingsFile::DefaultPath() {
    return ConfigFolder() + "/Skedula/Skedula.conf";
}

IniDocument SettingsFile::Load() const {
    const UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return IniDocument();
        ThrowNamed(path_, FileErrorMessage(errno, false));
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowNamed(path_, FileErrorMessage(errno, false));
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > MaxSettingsBytes)
            ThrowNamed(path_, "zu groß für eine Einstellungsdatei");
    }
    return IniDocument(text);
}

void SettingsFile::Update(const std::function<void(IniDocument&)>& change) const {
    IniDocument document = Load();
    change(document);
    MakeFolders(path_);
    try {
        ReplaceFileContent(path_, document.Text());
    } catch (const Error& e) {
        ThrowNamed(path_, e.what());
    }
}

} // namespace skedula
