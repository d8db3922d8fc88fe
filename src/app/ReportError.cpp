#include "app/ReportError.h"

#include "app/ErrorText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QWidget>

#include <set>

namespace skedula {

namespace {

// The texts of the boxes open now. A watch left alone overnight would otherwise stack one box
// per tick or report for the same failure (an alarm file that is gone): hundreds by morning.
std::set<std::string>& OpenTexts() {
    static std::set<std::string> texts;
    return texts;
}

} // namespace

void ReportError(const std::string& message) {
    const std::string text = WithClosingPeriod(message);
    if (!OpenTexts().insert(text).second)
        return;
    // Taken out again however the box ends.
    struct Closed {
        std::string text;
        ~Closed() { OpenTexts().erase(text); }
    } closed{text};

    // A widget that holds the mouse would keep it while the box is open.
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();

    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr)
        owner = QApplication::activeWindow();
    ShowErrorBox(QApplication::applicationDisplayName().toStdString(), text, owner);
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
