// Answers each file dialog as a user does: picks a filter, types a name into the field that has
// the focus and accepts, or cancels; and records what the dialog showed. For the tests of the
// menus that open the list file dialogs.
#pragma once

#include "DialogDriver.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace skedula::uitest {

struct FileDialogAnswer {
    explicit FileDialogAnswer(QString typed, QString chosenFilter = {})
        : name(std::move(typed)), filter(std::move(chosenFilter)) {}

    QString name;        // empty: cancel
    QString filter;      // empty: leave it as shown
    bool cancel = false; // type the name, then cancel
    QString shownName;
    QString shownFilter;
    QString title;

    DialogDriver<QFileDialog> driver{[this](QFileDialog* d) {
        title = d->windowTitle();
        auto* nameEdit = d->findChild<QLineEdit*>("fileNameEdit");
        auto* types = d->findChild<QComboBox*>("fileTypeCombo");
        if (nameEdit == nullptr || types == nullptr) {
            ADD_FAILURE() << "the file dialog has no name or type field";
            d->reject();
            return true;
        }
        shownName = QFileInfo(nameEdit->text()).fileName();
        shownFilter = types->currentText();
        if (!filter.isEmpty()) { // as the user picks it from the list
            const int index = types->findText(filter);
            types->setCurrentIndex(index);
            emit types->activated(index);
            emit types->textActivated(filter);
        }
        if (!name.isEmpty()) { // as the user types it, into the field that has the focus
            QApplication::setActiveWindow(d);
            nameEdit->setFocus();
            nameEdit->setText(name);
        }
        if (name.isEmpty() || cancel)
            d->reject();
        else
            static_cast<QDialog*>(d)->accept(); // as the dialog's own button does
        return true;
    }};
};

} // namespace skedula::uitest
