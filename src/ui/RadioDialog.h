// The dialog "Funkgerät": which radio-control program the watch talks to, with the model,
// device, baud rate, host, port and gqrx calibration that the program needs. It edits a
// radio choice and nothing else; "Testen" and OK hand the choice to the radio setup, which
// tests, keeps and stores it.
#pragma once

#include "link/RadioChoice.h"

#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <functional>
#include <string>
#include <vector>

namespace skedula {

class RadioDialog : public QDialog {
    Q_OBJECT

public:
    RadioDialog(const RadioChoice& choice, std::vector<HamlibModel> models,
                const std::vector<std::string>& devices, QWidget* parent = nullptr);

    // The choice as the dialog shows it now.
    RadioChoice choice() const;
    // While the watch runs nothing may be tested: the radio is in use.
    void setWatchRunning(bool running);

    // "Testen": the text to show, "7100000 AM S7" or why not.
    std::function<std::string(const RadioChoice&)> onTest;
    // OK: keeps the choice; throws Error when it cannot, and the dialog stays open.
    std::function<void(const RadioChoice&)> onAccept;

    QRadioButton* DummyBtn = nullptr;
    QRadioButton* HamlibBtn = nullptr;
    QRadioButton* NetworkBtn = nullptr;
    QRadioButton* GqrxBtn = nullptr;
    QLineEdit* ModelFilter = nullptr;
    QListWidget* ModelList = nullptr;
    QComboBox* DeviceBox = nullptr;
    QComboBox* BaudBox = nullptr;
    QLineEdit* HostEdit = nullptr;
    QSpinBox* PortBox = nullptr;
    QDoubleSpinBox* S9Box = nullptr;
    QPushButton* TestBtn = nullptr;
    QLabel* TestResult = nullptr;
    QLabel* RunningNote = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void TestBtnClick();
    void OkBtnClick();

private:
    void CreateControls();
    void Show(const RadioChoice& choice);
    // Hides the models the filter does not find; a single one left becomes the choice.
    void FilterModels(const QString& filter);
    void ProgramChanged();
    // Any field changed: the last test's result no longer describes the settings.
    void ChoiceChanged();
    RadioProgram program() const;

    std::vector<HamlibModel> models_;
    RadioProgram shownProgram_ = RadioProgram::Dummy;
};

} // namespace skedula
