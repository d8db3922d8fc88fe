#include "windows/ui/ListFileDialog.h"

#include <vector>

namespace skedula {

const char* const ListFileDialog::Filter = "Skedula (*.txt)\0*.txt\0Alle Dateien (*.*)\0*.*\0";
const char* const ListFileDialog::DefaultExtension = "txt";

const char* ListFileDialog::Title() const {
    return purpose_ == Purpose::Load ? "Liste laden ..." : "Liste speichern ...";
}

OPENFILENAMEA ListFileDialog::Settings(HWND owner, char* fileName, DWORD fileNameSize) const {
    OPENFILENAMEA settings{};
    settings.lStructSize = sizeof settings;
    settings.hwndOwner = owner;
    settings.lpstrFilter = Filter;
    settings.nFilterIndex = filterIndex_;
    settings.lpstrFile = fileName;
    settings.nMaxFile = fileNameSize;
    settings.lpstrTitle = Title();
    settings.lpstrDefExt = DefaultExtension;
    // Neither the file nor its folder has to exist: a load that fails says so in its box. The
    // current folder follows the dialog, so an alarm cell without a folder names a file beside
    // the list.
    settings.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY;
    if (purpose_ == Purpose::Save)
        settings.Flags |= OFN_OVERWRITEPROMPT;
    return settings;
}

std::optional<std::string> ListFileDialog::Execute(HWND owner) {
    std::vector<char> name(32768, '\0');
    fileName_.copy(name.data(), name.size() - 1);
    OPENFILENAMEA settings = Settings(owner, name.data(), static_cast<DWORD>(name.size()));
    const BOOL chosen =
        purpose_ == Purpose::Load ? ::GetOpenFileNameA(&settings) : ::GetSaveFileNameA(&settings);
    if (!chosen)
        return std::nullopt;
    fileName_ = name.data();
    filterIndex_ = settings.nFilterIndex;
    return fileName_;
}

} // namespace skedula
