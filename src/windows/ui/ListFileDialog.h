// The file dialogs of the "Liste" menu, the platform's common dialogs (GetOpenFileNameA,
// GetSaveFileNameA): Explorer style, resizable, without the read-only check box, the filter
// "Skedula (*.txt)|*.txt|Alle Dateien (*.*)|*.*", "txt" for a name typed without an extension.
// Each opens with the name and the filter last chosen in it. The main window owns one of each.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <optional>
#include <string>

namespace skedula {

class ListFileDialog {
public:
    enum class Purpose { Load, Save };

    static const char* const Filter; // the pairs, each part ended by a zero byte
    static const char* const DefaultExtension;

    explicit ListFileDialog(Purpose purpose) : purpose_(purpose) {}

    // "Liste laden ..." or "Liste speichern ...".
    const char* Title() const;
    // The dialog's settings for its next showing, owned by the window given.
    OPENFILENAMEA Settings(HWND owner, char* fileName, DWORD fileNameSize) const;

    // Shows the dialog modally; the chosen path, or nothing when the user cancelled.
    std::optional<std::string> Execute(HWND owner);

    const std::string& fileName() const { return fileName_; }
    DWORD filterIndex() const { return filterIndex_; }

private:
    Purpose purpose_;
    std::string fileName_;
    DWORD filterIndex_ = 1;
};

} // namespace skedula
