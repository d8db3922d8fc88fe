#include "storage/UserFolders.h"

#include "storage/FileError.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

namespace {

std::string Home() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return home;
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/";
}

// A relative path in these variables is invalid by the rules and is ignored.
std::string BaseFolder(const char* variable, const char* fallbackInHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return value;
    return Home() + "/" + fallbackInHome;
}

} // namespace

std::string DataHome() {
    return BaseFolder("XDG_DATA_HOME", ".local/share");
}

std::string ConfigHome() {
    return BaseFolder("XDG_CONFIG_HOME", ".config");
}

void MakeFolders(const std::string& folder) {
    if (folder.empty() || ::mkdir(folder.c_str(), 0700) == 0)
        return;
    int error = errno;
    if (error == ENOENT) {
        const std::string parent = std::filesystem::path(folder).parent_path().string();
        if (parent != folder) {
            MakeFolders(parent);
            if (::mkdir(folder.c_str(), 0700) == 0)
                return;
            error = errno;
        }
    }
    // Something already there that is no folder shows when the file in it is opened.
    if (error != EEXIST)
        ThrowFileError(error, folder);
}

} // namespace skedula
