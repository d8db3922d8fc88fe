// Watches for message boxes while a test runs the event loop: records each box's caption and
// text once, and closes it when the test says so.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

namespace skedula::fakes {

class ModalBoxWatcher {
public:
    struct Box {
        QString caption;
        QString text;
        QWidget* owner;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;         // their texts
        bool buttonWithIcon = false; // any of them shows an icon
    };

    // closeWhen: asked each time the watcher looks while a box is open; true closes the box.
    explicit ModalBoxWatcher(std::function<bool()> closeWhen = [] { return true; })
        : closeWhen_(std::move(closeWhen)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { look(); });
        poll_.start(5);
    }

    const std::vector<Box>& boxes() const { return boxes_; }

private:
    void look() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr || !box->isVisible())
                continue;
            // Boxes live on the stack, so a later one may reuse an earlier one's address:
            // mark each box itself instead of remembering addresses.
            if (!box->property("skedulaSeen").toBool()) {
                box->setProperty("skedulaSeen", true);
                Box seen{box->windowTitle(), box->text(), box->parentWidget(), box->icon(), {}};
                for (QAbstractButton* button : box->buttons()) {
                    seen.buttons << button->text();
                    seen.buttonWithIcon |= !button->icon().isNull();
                }
                boxes_.push_back(seen);
            }
            if (!closeWhen_())
                continue;
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->close();
        }
    }

    std::function<bool()> closeWhen_;
    QTimer poll_;
    std::vector<Box> boxes_;
};

} // namespace skedula::fakes
