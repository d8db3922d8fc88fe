#include "app/ReportError.h"

#include "app/ErrorText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QWidget>

namespace skedula {

void ReportError(const std::string& message) {
    // A widget that holds the mouse would keep it while the box is open.
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();

    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr)
        owner = QApplication::activeWindow();
    ShowErrorBox(QApplication::applicationDisplayName().toStdString(), WithClosingPeriod(message),
                 owner);
}

void ShowErrorBox(const std::string& caption, const std::string& text, QWidget* owner) {
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, owner);
    // Desktop styles that put icons on dialog buttons would put one on OK too: the box keeps
    // its error icon, the button stays plain.
    for (QAbstractButton* button : box.buttons())
        button->setIcon(QIcon());
    box.exec();
}

std::string MessageOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unbekannter Fehler";
    }
}

} // namespace skedula
