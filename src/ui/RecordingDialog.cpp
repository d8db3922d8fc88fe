#include "ui/RecordingDialog.h"

#include "ui/FormDesign.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace skedula {

namespace {

constexpr int SourceNameRole = Qt::UserRole;
const char* const NoRecording = "Keine Aufnahme";

} // namespace

RecordingDialog::RecordingDialog(const RecordingChoice& choice, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Aufnahme");
    setFont(TahomaFont());
    CreateControls();
    // Until the server has answered, the source chosen before is all the list offers.
    if (choice.source) {
        AddMissing(*choice.source);
        SourceBox->setCurrentIndex(1);
    }
    SourceNote->setText("Die Quellen des Sound-Servers werden gesucht ...");
    FolderEdit->setText(QString::fromStdString(choice.folder));
    AfterBox->setValue(choice.afterSeconds);
    chooseFolder = [this](const std::string& shown) -> std::optional<std::string> {
        // Qt's own dialog, as the list files': a dialog of the desktop would run outside our
        // loop's control.
        const QString folder = QFileDialog::getExistingDirectory(
            this, "Ordner für Aufnahmen", QString::fromStdString(shown),
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        if (folder.isEmpty())
            return std::nullopt;
        return folder.toStdString();
    };
}

void RecordingDialog::CreateControls() {
    SourceBox = new QComboBox(this);
    SourceBox->setMinimumWidth(360);
    SourceBox->addItem(NoRecording, QString());
    SourceNote = new QLabel(this);
    SourceNote->setWordWrap(true);
    auto* sourceColumn = new QVBoxLayout;
    sourceColumn->addWidget(SourceBox);
    sourceColumn->addWidget(SourceNote);

    FolderEdit = new QLineEdit(this);
    FolderBtn = new QPushButton("Wählen ...", this);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(FolderEdit, 1);
    folderRow->addWidget(FolderBtn);

    AfterBox = new QSpinBox(this);
    AfterBox->setRange(0, MostAfterSeconds);
    AfterBox->setSuffix(" s");
    AfterBox->setToolTip("So lange wird nach einer Meldung weiter aufgenommen, höchstens bis "
                         "zum nächsten Eintrag.");

    auto* form = new QFormLayout;
    form->addRow("Quelle", sourceColumn);
    form->addRow("Ordner", folderRow);
    form->addRow("Nachlauf", AfterBox);

    OkBtn = new QPushButton("OK", this);
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton("Abbrechen", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    // Queued, like the main window's handlers: an error reaches the application's catch
    // point, and its box leaves the dialog open with everything typed.
    connect(FolderBtn, &QPushButton::clicked, this, &RecordingDialog::FolderBtnClick,
            Qt::QueuedConnection);
    connect(OkBtn, &QPushButton::clicked, this, &RecordingDialog::OkBtnClick, Qt::QueuedConnection);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void RecordingDialog::AddMissing(const std::string& name) {
    const QString shown = QString::fromStdString(name);
    SourceBox->addItem(shown + " (nicht vorhanden)", shown);
    SourceBox->setItemData(SourceBox->count() - 1, shown, Qt::ToolTipRole);
}

std::optional<std::string> RecordingDialog::chosenSource() const {
    const QString name = SourceBox->currentData(SourceNameRole).toString();
    if (name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

void RecordingDialog::ShowSources(const std::vector<SoundSource>& sources) {
    const std::optional<std::string> chosen = chosenSource();
    SourceBox->clear();
    SourceBox->addItem(NoRecording, QString());
    bool offered = false;
    for (const SoundSource& source : sources) {
        const QString name = QString::fromStdString(source.name);
        SourceBox->addItem(QString::fromStdString(source.description), name);
        SourceBox->setItemData(SourceBox->count() - 1, name, Qt::ToolTipRole);
        if (chosen && source.name == *chosen) {
            SourceBox->setCurrentIndex(SourceBox->count() - 1);
            offered = true;
        }
    }
    if (chosen && !offered) {
        AddMissing(*chosen);
        SourceBox->setCurrentIndex(SourceBox->count() - 1);
    }
    SourceNote->setText(sources.empty() ? "Der Sound-Server bietet keine Quelle an." : QString());
    SourceNote->setVisible(sources.empty());
}

void RecordingDialog::ShowSourceProblem(const std::string& reason) {
    SourceNote->setText(QString::fromStdString(reason));
    SourceNote->setVisible(true);
}

RecordingChoice RecordingDialog::choice() const {
    RecordingChoice choice;
    choice.source = chosenSource();
    choice.folder = FolderEdit->text().trimmed().toStdString();
    choice.afterSeconds = AfterBox->value();
    return choice;
}

void RecordingDialog::FolderBtnClick() {
    if (!chooseFolder)
        return;
    if (const std::optional<std::string> folder = chooseFolder(FolderEdit->text().toStdString()))
        FolderEdit->setText(QString::fromStdString(*folder));
}

void RecordingDialog::OkBtnClick() {
    if (onAccept)
        onAccept(choice());
    accept();
}

} // namespace skedula
