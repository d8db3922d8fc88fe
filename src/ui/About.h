// The about dialog: the program's name, version, description and freeware note, and two
// links (the author's web page and mail address). The application creates it once, hidden;
// the main window's "Info" shows it modally as often as the user asks.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPoint>
#include <QPushButton>
#include <functional>
#include <optional>
#include <string>

namespace skedula {

class LinkLabel;

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    // What a link click hands its text to; ShellOpen in the program.
    using Opener = std::function<void(const std::string& text)>;

    static const char* const WebAddress;  // shown in Label6, without a scheme
    static const char* const MailAddress; // shown in Label7

    explicit TAboutForm(Opener open = {}, QWidget* parent = nullptr);

    QPushButton* OKButton = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QWidget* Shape1 = nullptr;
    LinkLabel* Label6 = nullptr;
    LinkLabel* Label7 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;

    // One pair of hover handlers serves both link labels: each acts on the label that
    // raised the event.
    void Label6MouseEnter(QLabel* sender);
    void Label6MouseLeave(QLabel* sender);
    void Label6Click();
    void Label7Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Opener open_;
    std::optional<QPoint> lastPlace_;
};

} // namespace skedula
