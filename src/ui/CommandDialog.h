// The dialog "Befehl bei Meldung": the command that runs for every report, as one line that is
// split as desktop files split their Exec line. It edits that line and nothing else; "Testen"
// and OK hand it to the watch options, which run it once or keep and store it.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <string>

namespace skedula {

class CommandDialog : public QDialog {
    Q_OBJECT

public:
    explicit CommandDialog(const std::string& line, QWidget* parent = nullptr);

    // The line as the field holds it, unchanged.
    std::string line() const;

    // Shows the outcome of "Testen"; may be called after the dialog has gone, and then does
    // nothing.
    using ShowResult = std::function<void(const std::string& text)>;
    // "Testen": runs the line once; the result comes later, through show. Throws Error when the
    // line cannot be run at all, which the dialog shows in the same place.
    std::function<void(const std::string& line, ShowResult show)> onTest;
    // OK: keeps the line; throws Error when it cannot, and the dialog stays open.
    std::function<void(const std::string& line)> onAccept;

    QLineEdit* CommandEdit = nullptr;
    QLabel* Explanation = nullptr;
    QPushButton* TestBtn = nullptr;
    QLabel* TestResult = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void TestBtnClick();
    void OkBtnClick();

private:
    void CreateControls();
};

} // namespace skedula
