// Acts on modal dialogs of one kind while a test runs the event loop: each time it looks, it
// hands every visible dialog of that kind to the test's action, until the action says it is
// done with that dialog.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace skedula::uitest {

template <class Dialog> class DialogDriver {
public:
    // act: called with the dialog while it is shown; true when the test is done with it.
    explicit DialogDriver(std::function<bool(Dialog*)> act) : act_(std::move(act)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { look(); });
        poll_.start(5);
    }

    int dialogsSeen() const { return static_cast<int>(seen_.size()); }

private:
    void look() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<Dialog*>(w);
            if (dialog == nullptr || !dialog->isVisible() || done_.contains(dialog))
                continue;
            if (!known_.contains(dialog)) {
                known_.insert(dialog);
                // Each showing is new: forget the dialog when it ends or goes.
                QObject::connect(dialog, &QDialog::finished, &poll_,
                                 [this, dialog] { done_.remove(dialog); });
                QObject::connect(dialog, &QObject::destroyed, &poll_, [this, dialog] {
                    done_.remove(dialog);
                    known_.remove(dialog);
                });
            }
            seen_.insert(dialog);
            done_.insert(dialog); // the action may end the showing itself
            if (!act_(dialog) && dialog->isVisible())
                done_.remove(dialog);
        }
    }

    std::function<bool(Dialog*)> act_;
    QTimer poll_;
    QSet<QWidget*> seen_;
    QSet<QWidget*> known_;
    QSet<QWidget*> done_;
};

} // namespace skedula::uitest
