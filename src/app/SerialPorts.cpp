#include "app/SerialPorts.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

namespace {

// "ttyUSB10" after "ttyUSB9": the number at the end counts, not its characters.
bool NumberedBefore(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& name) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])) != 0)
            --digits;
        const std::string number = name.substr(digits);
        return std::make_pair(name.substr(0, digits),
                              number.empty() || number.size() > 9 ? -1 : std::stoi(number));
    };
    return split(a) < split(b);
}

std::vector<std::string> Matching(const std::filesystem::path& folder, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NumberedBefore);
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back((folder / name).string());
    return paths;
}

std::string UserName() {
    const passwd* user = ::getpwuid(::geteuid());
    return user != nullptr ? user->pw_name : "$USER";
}

} // namespace

std::vector<std::string> SerialPorts(const std::string& devFolder) {
    const std::filesystem::path dev(devFolder);
    std::vector<std::string> ports = Matching(dev / "serial" / "by-id", "");
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        const std::vector<std::string> more = Matching(dev, prefix);
        ports.insert(ports.end(), more.begin(), more.end());
    }
    return ports;
}

std::optional<std::string> DeviceProblem(const std::string& device) {
    if (device.empty() || device.front() != '/')
        return std::nullopt;
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))
        return "Das Gerät " + device +
               " gibt es nicht: Ist das Funkgerät angeschlossen und eingeschaltet?";
    if (::faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) == 0)
        return std::nullopt;
    if (errno == EACCES || errno == EPERM) {
        const std::string user = UserName();
        return "Keine Berechtigung für " + device + ": Der Benutzer " + user +
               " muss zur Gruppe dialout gehören (sudo adduser " + user +
               " dialout, danach neu anmelden)";
    }
    return "Das Gerät " + device + " lässt sich nicht öffnen: " + std::strerror(errno);
}

} // namespace skedula
