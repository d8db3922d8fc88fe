#include "app/ReportError.h"

#include "app/ErrorText.h"

#include <QApplication>
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
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    QString::fromStdString(WithClosingPeriod(message)), QMessageBox::Ok, owner);
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
