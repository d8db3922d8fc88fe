// The dialog "Aufnahme": which sound source the watch records around each report (or none),
// the folder for the recordings and the seconds of "Nachlauf". It edits a recording choice and
// nothing else; the sources come from the recording setup, which also checks, keeps and
// stores the choice on OK.
#pragma once

#include "sound/RecordingChoice.h"
#include "sound/SoundServer.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace skedula {

class RecordingDialog : public QDialog {
    Q_OBJECT

public:
    explicit RecordingDialog(const RecordingChoice& choice, QWidget* parent = nullptr);

    // The choice as the dialog shows it now.
    RecordingChoice choice() const;

    // The sound server's sources, once they are known; the source chosen stays chosen, also
    // when the server does not offer it now (a sound card that is not plugged in).
    void ShowSources(const std::vector<SoundSource>& sources);
    // Why the sources could not be listed.
    void ShowSourceProblem(const std::string& reason);

    // OK: checks and keeps the choice; throws Error when it cannot, and the dialog stays open.
    std::function<void(const RecordingChoice&)> onAccept;
    // "Wählen ...": the folder the user picked, nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& shown)> chooseFolder;

    QComboBox* SourceBox = nullptr;
    QLabel* SourceNote = nullptr;
    QLineEdit* FolderEdit = nullptr;
    QPushButton* FolderBtn = nullptr;
    QSpinBox* AfterBox = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void FolderBtnClick();
    void OkBtnClick();

private:
    void CreateControls();
    // The source's name as the list keeps it; nothing for "Keine Aufnahme".
    std::optional<std::string> chosenSource() const;
    void AddMissing(const std::string& name);
};

} // namespace skedula
