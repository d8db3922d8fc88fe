#include "storage/AutostartEntry.h"

#include "engine/Error.h"
#include "engine/Utf8.h"
#include "storage/AtomicFile.h"
#include "storage/FileError.h"
#include "storage/IniDocument.h"
#include "storage/RegularFile.h"
#include "storage/UserFolders.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kDeletedSuffix = " (deleted)";
constexpr std::string_view kGroup = "Desktop Entry";
// An entry is a dozen lines; a file far larger is not one to edit.
constexpr std::size_t kMaxEntryBytes = 64 * 1024;

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

std::string ExecValue(const std::string& program, const std::string& listPath) {
    // Not cleaned of "..": behind a symbolic link that would be another file.
    const std::string list = std::filesystem::absolute(listPath).string();
    return StringValue(ExecArgument(program) + " --start " + ExecArgument(list));
}

// The entry as the desktop keeps it; nothing when there is none.
std::optional<IniDocument> ReadEntry(const std::string& entryPath) {
    const std::optional<std::string> text = ReadRegularFile(entryPath, kMaxEntryBytes);
    if (!text)
        return std::nullopt;
    if (text->size() > kMaxEntryBytes)
        ThrowFileError(EFBIG, entryPath);
    return IniDocument(*text);
}

// Booleans as GLib reads them for the desktops.
bool Is(const std::optional<std::string>& value, bool expected) {
    if (!value)
        return false;
    return expected ? (*value == "true" || *value == "1") : (*value == "false" || *value == "0");
}

bool SwitchedOff(const IniDocument& entry) {
    return Is(entry.WrittenValue(kGroup, "Hidden"), true) ||
           Is(entry.WrittenValue(kGroup, "X-GNOME-Autostart-enabled"), false);
}

void WriteEntry(const std::string& entryPath, const IniDocument& entry) {
    MakeFolders(std::filesystem::path(entryPath).parent_path().string());
    ReplaceFileContent(entryPath, entry.Text());
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
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Skedula\n"
           "Comment=Startet beim Anmelden die Überwachung\n"
           "Exec=" +
           ExecValue(program, listPath) +
           "\n"
           "TryExec=" +
           StringValue(program) +
           "\n"
           "Icon=skedula\n"
           "Terminal=false\n";
}

void WriteAutostartEntry(const std::string& entryPath, const std::string& program,
                         const std::string& listPath) {
    std::optional<IniDocument> entry = ReadEntry(entryPath);
    if (!entry || !entry->HasGroup(kGroup)) {
        WriteEntry(entryPath, IniDocument(AutostartEntryText(program, listPath)));
        return;
    }
    // The desktop's own lines stay; only what switched the entry off is switched back.
    entry->SetWrittenValue(kGroup, "Exec", ExecValue(program, listPath));
    if (Is(entry->WrittenValue(kGroup, "Hidden"), true))
        entry->SetWrittenValue(kGroup, "Hidden", "false");
    if (Is(entry->WrittenValue(kGroup, "X-GNOME-Autostart-enabled"), false))
        entry->SetWrittenValue(kGroup, "X-GNOME-Autostart-enabled", "true");
    WriteEntry(entryPath, *entry);
}

void FollowListInAutostartEntry(const std::string& entryPath, const std::string& program,
                                const std::string& listPath) {
    std::optional<IniDocument> entry = ReadEntry(entryPath);
    if (!entry || !entry->HasGroup(kGroup))
        return;
    const std::string exec = ExecValue(program, listPath);
    if (entry->WrittenValue(kGroup, "Exec") == exec)
        return;
    entry->SetWrittenValue(kGroup, "Exec", exec);
    WriteEntry(entryPath, *entry);
}

void RemoveAutostartEntry(const std::string& entryPath) {
    if (::unlink(entryPath.c_str()) != 0 && errno != ENOENT)
        ThrowFileError(errno, entryPath);
}

bool AutostartEntryExists(const std::string& entryPath) {
    struct stat info {};
    return ::stat(entryPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool AutostartEntryOn(const std::string& entryPath) {
    try {
        const std::optional<IniDocument> entry = ReadEntry(entryPath);
        return entry && entry->HasGroup(kGroup) && !SwitchedOff(*entry);
    } catch (const Error&) {
        return false; // what cannot be read here, the desktop cannot start either
    }
}

} // namespace skedula
