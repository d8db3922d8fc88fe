#include "ui/ListFileDialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace skedula {

const QString ListFileDialog::SkedulaFilter = "Skedula (*.txt)";
const QString ListFileDialog::AllFilesFilter = "Alle Dateien (*.*)";
const QString ListFileDialog::DefaultSuffix = "txt";

namespace {

// The dialog shows each filter's text up to its last bracketed pattern list and matches that
// list, so a filter is written as the text the user reads followed by the patterns it matches.
// "All files" matches every file, as "*.*" does on Windows; as a glob "*.*" would hide every
// name without a dot.
const QString kSkedulaEntry = ListFileDialog::SkedulaFilter + " (*.txt)";
const QString kAllFilesEntry = ListFileDialog::AllFilesFilter + " (*)";

QString EntryFor(const QString& shownFilter) {
    return shownFilter == ListFileDialog::AllFilesFilter ? kAllFilesEntry : kSkedulaEntry;
}

// The dialog reports the chosen filter either as its entry or as the text it shows.
QString ShownFilter(const QString& chosen) {
    const bool allFiles = chosen == kAllFilesEntry || chosen == ListFileDialog::AllFilesFilter;
    return allFiles ? ListFileDialog::AllFilesFilter : ListFileDialog::SkedulaFilter;
}

// Accepting the dialog with Enter while the name's completion list shows leaves that list on
// the screen: a popup window of its own, not a part of the dialog, which would go on taking
// the next key or click from the main window.
void CloseCompletion(QFileDialog* dialog) {
    for (QCompleter* completer : dialog->findChildren<QCompleter*>())
        if (QAbstractItemView* list = completer->popup(); list->isVisible())
            list->hide();
}

} // namespace

ListFileDialog::ListFileDialog(Purpose purpose, QWidget* parent)
    : purpose_(purpose), parent_(parent), lastFilter_(SkedulaFilter) {
    dialog_ = MakeDialog();
}

std::unique_ptr<QFileDialog> ListFileDialog::MakeDialog() const {
    const bool load = purpose_ == Purpose::Load;
    auto dialog = std::make_unique<QFileDialog>(parent_);
    dialog->setWindowTitle(load ? "Liste laden ..." : "Liste speichern ...");
    // Qt's own dialog: a dialog of the desktop would run outside our loop's control.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(load ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Loading accepts a name that does not exist: the list file then reports the error.
    dialog->setFileMode(QFileDialog::AnyFile);
    // The save dialog gives a name typed without an extension ".txt". The load dialog does
    // the same only when no file of the name as typed exists: files without an extension are
    // common here, and choosing one must load it.
    if (!load)
        dialog->setDefaultSuffix(DefaultSuffix);
    dialog->setNameFilters({kSkedulaEntry, kAllFilesEntry});
    dialog->setModal(true);
    return dialog;
}

std::optional<std::string> ListFileDialog::Execute() {
    // A fresh dialog for every showing: a name typed, a file marked or a folder opened in a
    // cancelled showing does not come back. It opens with what was last accepted.
    dialog_ = MakeDialog();
    dialog_->selectNameFilter(EntryFor(lastFilter_));
    if (!lastName_.isEmpty())
        dialog_->selectFile(lastName_);
    const int result = dialog_->exec();
    CloseCompletion(dialog_.get());
    if (result != QDialog::Accepted)
        return std::nullopt;
    lastFilter_ = ShownFilter(dialog_->selectedNameFilter());
    const QStringList files = dialog_->selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    lastName_ = files.front();
    if (purpose_ == Purpose::Load && !QFileInfo::exists(lastName_) &&
        !QFileInfo(lastName_).fileName().contains('.'))
        lastName_ += "." + DefaultSuffix;
    return QFile::encodeName(lastName_).toStdString();
}

QString ListFileDialog::selectedFilter() const {
    return lastFilter_;
}

} // namespace skedula
