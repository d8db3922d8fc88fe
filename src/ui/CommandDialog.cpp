#include "ui/CommandDialog.h"

#include "engine/Error.h"
#include "ui/FormDesign.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>

namespace skedula {

CommandDialog::CommandDialog(const std::string& line, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Befehl bei Meldung");
    setFont(TahomaFont());
    CreateControls();
    CommandEdit->setText(QString::fromStdString(line));
}

void CommandDialog::CreateControls() {
    auto* caption = new QLabel("Befehl (Programm und Argumente):", this);
    CommandEdit = new QLineEdit(this);
    CommandEdit->setMinimumWidth(480);
    CommandEdit->setPlaceholderText("leer: kein Befehl");
    caption->setBuddy(CommandEdit);
    Explanation = new QLabel(
        "Läuft bei jeder Meldung, ohne Shell; Argumente mit Leerzeichen stehen in \"...\", wie in "
        ".desktop-Dateien. Die Meldung steht in SKEDULA_ZEIT, SKEDULA_FREQUENZ, SKEDULA_MODE, "
        "SKEDULA_S1, SKEDULA_S2, SKEDULA_S3, SKEDULA_SCHWELLE, SKEDULA_ALARM und "
        "SKEDULA_AUFNAHME, ihre sechs Zeilen auf der Standardeingabe.",
        this);
    Explanation->setWordWrap(true);

    TestBtn = new QPushButton("Testen", this);
    TestResult = new QLabel(this);
    TestResult->setWordWrap(true);
    TestResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    TestResult->setTextFormat(Qt::PlainText);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(TestBtn, 0, Qt::AlignTop);
    testRow->addWidget(TestResult, 1);

    OkBtn = new QPushButton("OK", this);
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton("Abbrechen", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(CommandEdit);
    layout->addWidget(Explanation);
    layout->addLayout(testRow);
    layout->addLayout(buttons);

    // Queued, like the main window's handlers: an error reaches the application's catch
    // point, and its box leaves the dialog open with everything typed.
    connect(TestBtn, &QPushButton::clicked, this, &CommandDialog::TestBtnClick,
            Qt::QueuedConnection);
    connect(OkBtn, &QPushButton::clicked, this, &CommandDialog::OkBtnClick, Qt::QueuedConnection);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

std::string CommandDialog::line() const {
    return CommandEdit->text().toStdString();
}

void CommandDialog::TestBtnClick() {
    if (!onTest)
        return;
    TestResult->setText("Läuft ...");
    const QPointer<QLabel> result = TestResult;
    const ShowResult show = [result](const std::string& text) {
        if (result)
            result->setText(QString::fromStdString(text));
    };
    try {
        onTest(line(), show);
    } catch (const Error& e) {
        show(e.what());
    }
}

void CommandDialog::OkBtnClick() {
    if (onAccept)
        onAccept(line());
    accept();
}

} // namespace skedula
