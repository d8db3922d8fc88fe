// The file dialogs of the "Liste" menu: one for loading, one for saving a list file. Each
// opens with the name and the filter last accepted in it; the main window owns one of each.
#pragma once

#include <QFileDialog>
#include <QString>
#include <memory>
#include <optional>
#include <string>

namespace skedula {

class ListFileDialog {
public:
    enum class Purpose { Load, Save };

    // The filters as the user reads them.
    static const QString SkedulaFilter;  // "Skedula (*.txt)"
    static const QString AllFilesFilter; // "Alle Dateien (*.*)"
    static const QString DefaultSuffix;  // "txt", for a name typed without an extension

    ListFileDialog(Purpose purpose, QWidget* parent);

    // Shows the dialog modally; the chosen path, or nothing when the user cancelled. The
    // dialog's completion list closes with it.
    std::optional<std::string> Execute();

    // The dialog of the last showing (before the first one: the dialog it will look like).
    QFileDialog* dialog() const { return dialog_.get(); }
    // The filter chosen last, as the user reads it.
    QString selectedFilter() const;

private:
    std::unique_ptr<QFileDialog> MakeDialog() const;

    Purpose purpose_;
    QWidget* parent_;
    std::unique_ptr<QFileDialog> dialog_;
    QString lastName_;
    QString lastFilter_;
};

} // namespace skedula
