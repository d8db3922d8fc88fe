#include "storage/SettingsFile.h"

#include "engine/Error.h"
#include "storage/AtomicFile.h"
#include "storage/RegularFile.h"
#include "storage/UserFolders.h"

#include <filesystem>

namespace skedula {

namespace {

// A settings file is a few hundred bytes; anything this large is not one.
constexpr std::size_t MaxSettingsBytes = 1024 * 1024;

[[noreturn]] void ThrowNamed(const std::string& path, const std::string& message) {
    throw Error(path + ": " + message);
}

} // namespace

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

std::string SettingsFile::DefaultPath() {
    return ConfigHome() + "/Skedula/Skedula.conf";
}

IniDocument SettingsFile::Load() const {
    std::optional<std::string> text;
    try {
        text = ReadRegularFile(path_, MaxSettingsBytes);
    } catch (const Error& e) {
        ThrowNamed(path_, e.what());
    }
    if (!text)
        return IniDocument();
    if (text->size() > MaxSettingsBytes)
        ThrowNamed(path_, "zu groß für eine Einstellungsdatei");
    return IniDocument(*text);
}

void SettingsFile::Update(const std::function<void(IniDocument&)>& change) const {
    IniDocument document = Load();
    change(document);
    try {
        MakeFolders(std::filesystem::path(path_).parent_path().string());
        ReplaceFileContent(path_, document.Text());
    } catch (const Error& e) {
        ThrowNamed(path_, e.what());
    }
}

} // namespace skedula
