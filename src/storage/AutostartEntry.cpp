#include "storage/AutostartEntry.h"

#include "engine/Error.h"
#include "engine/Utf8.h"
#include "storage/AtomicFile.h"
#include "storage/FileError.h"
#include "storage/UserFolders.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kDeletedSuffix = " (deleted)";

bool Representable(std::string_view text) {
    if (!IsValidUtf8(text))
        return false;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\t' && c != '\n' && c != '\r') || b == 0x7F)
            return false;
    }
    return true;
}

// The escapes of a desktop entry's string values, applied after the Exec quoting.
std::string StringValue(std::string_view text) {
    std::string value;
    for (char c : text) {
        switch (c) {
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\t':
            value += "\\t";
            break;
        case '\r':
            value += "\\r";
            break;
        default:
            value += c;
        }
    }
    return value;
}

} // namespace

std::string AutostartEntryPath() {
    return ConfigHome() + "/autostart/skedula.desktop";
}

std::string ThisProgram() {
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error || path.empty())
        return "skedula";
    // A program rebuilt while it runs: the entry is to start the new one at the same place.
    if (path.ends_with(kDeletedSuffix))
        path.resize(path.size() - kDeletedSuffix.size());
    return path;
}

std::string ExecArgument(std::string_view argument) {
    if (!Representable(argument))
        throw Error("Ungültiger Dateiname");
    const bool quoted =
        argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    std::string text = quoted ? "\"" : "";
    for (char c : argument) {
        if (c == '%')
            text += '%'; // "%%" is a literal percent; a single one would start a field code
        else if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\'))
            text += '\\';
        text += c;
    }
    return quoted ? text + "\"" : text;
}

std::string AutostartEntryText(const std::string& program, const std::string& listPath) {
    const std::string list = std::filesystem::absolute(listPath).lexically_normal().string();
    const std::string exec = ExecArgument(program) + " --start " + ExecArgument(list);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Skedula\n"
           "Comment=Startet beim Anmelden die Überwachung\n"
           "Exec=" +
           StringValue(exec) +
           "\n"
           "TryExec=" +
           StringValue(program) +
           "\n"
           "Icon=skedula\n"
           "Terminal=false\n";
}

void WriteAutostartEntry(const std::string& entryPath, const std::string& program,
                         const std::string& listPath) {
    const std::string text = AutostartEntryText(program, listPath);
    MakeFolders(std::filesystem::path(entryPath).parent_path().string());
    ReplaceFileContent(entryPath, text);
}

void RemoveAutostartEntry(const std::string& entryPath) {
    if (::unlink(entryPath.c_str()) != 0 && errno != ENOENT)
        ThrowFileError(errno, entryPath);
}

bool AutostartEntryExists(const std::string& entryPath) {
    struct stat info {};
    return ::stat(entryPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace skedula
