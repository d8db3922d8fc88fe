#include "ui/RadioDialog.h"

#include "engine/Error.h"
#include "link/ModelSearch.h"
#include "ui/FormDesign.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace skedula {

namespace {

constexpr int ModelNumberRole = Qt::UserRole;
constexpr int ModelMakerRole = Qt::UserRole + 1;
constexpr int ModelNameRole = Qt::UserRole + 2;
const char* const BaudRates[] = {"1200",  "2400",  "4800",  "9600",
                                 "19200", "38400", "57600", "115200"};

QString ModelText(const HamlibModel& model) {
    return QString("%1  %2 %3")
        .arg(model.number, 5)
        .arg(QString::fromStdString(model.maker), QString::fromStdString(model.name));
}

HamlibModel ModelOf(const QListWidgetItem& item) {
    return {item.data(ModelNumberRole).toInt(), item.data(ModelMakerRole).toString().toStdString(),
            item.data(ModelNameRole).toString().toStdString()};
}

} // namespace

RadioDialog::RadioDialog(const RadioChoice& choice, std::vector<HamlibModel> models,
                         const std::vector<std::string>& devices, QWidget* parent)
    : QDialog(parent), models_(std::move(models)) {
    setWindowTitle("Funkgerät");
    setFont(TahomaFont());
    CreateControls();
    for (const std::string& device : devices)
        DeviceBox->addItem(QString::fromStdString(device));
    Show(choice);
}

void RadioDialog::CreateControls() {
    auto* programs = new QGroupBox("Programm", this);
    DummyBtn = new QRadioButton("Hamlib-Dummy (Vorführung ohne Funkgerät)", programs);
    HamlibBtn = new QRadioButton("Funkgerät über Hamlib (rigctld)", programs);
    NetworkBtn = new QRadioButton("rigctld im Netzwerk", programs);
    GqrxBtn = new QRadioButton("gqrx (SDR-Empfänger)", programs);
    auto* programLayout = new QVBoxLayout(programs);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* button : {DummyBtn, HamlibBtn, NetworkBtn, GqrxBtn}) {
        programLayout->addWidget(button);
        group->addButton(button);
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                ProgramChanged();
        });
    }

    ModelFilter = new QLineEdit(this);
    ModelFilter->setPlaceholderText("Suchen (Nummer, Hersteller oder Modell)");
    ModelFilter->setClearButtonEnabled(true);
    ModelList = new QListWidget(this);
    ModelList->setMinimumHeight(140);
    for (const HamlibModel& model : models_) {
        auto* item = new QListWidgetItem(ModelText(model), ModelList);
        item->setData(ModelNumberRole, model.number);
        item->setData(ModelMakerRole, QString::fromStdString(model.maker));
        item->setData(ModelNameRole, QString::fromStdString(model.name));
    }
    connect(ModelFilter, &QLineEdit::textChanged, this, &RadioDialog::FilterModels);
    auto* modelBox = new QVBoxLayout;
    modelBox->addWidget(ModelFilter);
    modelBox->addWidget(ModelList);

    // Editable: a port that is not plugged in yet, or FLRig's 127.0.0.1:12345.
    DeviceBox = new QComboBox(this);
    DeviceBox->setEditable(true);
    DeviceBox->setMinimumWidth(320);
    BaudBox = new QComboBox(this);
    BaudBox->setEditable(true);
    BaudBox->addItem(""); // the model's own default
    for (const char* rate : BaudRates)
        BaudBox->addItem(rate);
    BaudBox->lineEdit()->setPlaceholderText("Vorgabe des Modells");
    HostEdit = new QLineEdit(this);
    PortBox = new QSpinBox(this);
    PortBox->setRange(1, 65535);
    S9Box = new QDoubleSpinBox(this);
    S9Box->setRange(-200, 0);
    S9Box->setDecimals(1);
    S9Box->setSuffix(" dBFS");

    auto* form = new QFormLayout;
    form->addRow("Modell", modelBox);
    form->addRow("Gerät", DeviceBox);
    form->addRow("Baudrate", BaudBox);
    form->addRow("Host", HostEdit);
    form->addRow("Port", PortBox);
    form->addRow("S9 entspricht", S9Box);

    TestBtn = new QPushButton("Testen", this);
    TestResult = new QLabel(this);
    TestResult->setWordWrap(true);
    TestResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(TestBtn, 0, Qt::AlignTop);
    testRow->addWidget(TestResult, 1);
    RunningNote = new QLabel(
        "Die Überwachung läuft: Testen ist erst nach Stop möglich. Änderungen gelten ab dem "
        "nächsten Start.",
        this);
    RunningNote->setWordWrap(true);
    RunningNote->hide();

    OkBtn = new QPushButton("OK", this);
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton("Abbrechen", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(programs);
    layout->addLayout(form);
    layout->addLayout(testRow);
    layout->addWidget(RunningNote);
    layout->addLayout(buttons);

    // A result shown for other settings than those in the dialog would mislead.
    connect(ModelList, &QListWidget::currentItemChanged, this, &RadioDialog::ChoiceChanged);
    connect(DeviceBox, &QComboBox::currentTextChanged, this, &RadioDialog::ChoiceChanged);
    connect(BaudBox, &QComboBox::currentTextChanged, this, &RadioDialog::ChoiceChanged);
    connect(HostEdit, &QLineEdit::textChanged, this, &RadioDialog::ChoiceChanged);
    connect(PortBox, &QSpinBox::valueChanged, this, &RadioDialog::ChoiceChanged);
    connect(S9Box, &QDoubleSpinBox::valueChanged, this, &RadioDialog::ChoiceChanged);

    // Queued, like the main window's handlers: an error reaches the application's catch
    // point, and its box leaves the dialog open with everything typed.
    connect(TestBtn, &QPushButton::clicked, this, &RadioDialog::TestBtnClick, Qt::QueuedConnection);
    connect(OkBtn, &QPushButton::clicked, this, &RadioDialog::OkBtnClick, Qt::QueuedConnection);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void RadioDialog::Show(const RadioChoice& choice) {
    shownProgram_ = choice.program;
    PortBox->setValue(choice.port);
    switch (choice.program) {
    case RadioProgram::Dummy:
        DummyBtn->setChecked(true);
        break;
    case RadioProgram::Hamlib:
        HamlibBtn->setChecked(true);
        break;
    case RadioProgram::Network:
        NetworkBtn->setChecked(true);
        break;
    case RadioProgram::Gqrx:
        GqrxBtn->setChecked(true);
        break;
    }
    if (choice.model) {
        QList<QListWidgetItem*> found;
        for (int row = 0; row < ModelList->count(); ++row)
            if (ModelList->item(row)->data(ModelNumberRole).toInt() == *choice.model)
                found.push_back(ModelList->item(row));
        // A model this Hamlib does not list (or no rigctl at all) stays choosable.
        QListWidgetItem* item = found.isEmpty()
                                    ? new QListWidgetItem(QString::number(*choice.model), ModelList)
                                    : found.front();
        item->setData(ModelNumberRole, *choice.model);
        ModelList->setCurrentItem(item);
        ModelList->scrollToItem(item);
    }
    const QString device = QString::fromStdString(choice.device);
    if (!device.isEmpty() && DeviceBox->findText(device) < 0)
        DeviceBox->insertItem(0, device);
    DeviceBox->setCurrentText(device);
    BaudBox->setCurrentText(choice.baud ? QString::number(*choice.baud) : QString());
    HostEdit->setText(QString::fromStdString(choice.host));
    S9Box->setValue(choice.s9Dbfs);
    ProgramChanged();
}

RadioProgram RadioDialog::program() const {
    if (HamlibBtn->isChecked())
        return RadioProgram::Hamlib;
    if (NetworkBtn->isChecked())
        return RadioProgram::Network;
    if (GqrxBtn->isChecked())
        return RadioProgram::Gqrx;
    return RadioProgram::Dummy;
}

void RadioDialog::ChoiceChanged() {
    TestResult->clear();
}

void RadioDialog::ProgramChanged() {
    ChoiceChanged();
    const RadioProgram now = program();
    // The port follows the program while it is that program's default.
    if (PortBox->value() == DefaultPort(shownProgram_))
        PortBox->setValue(DefaultPort(now));
    shownProgram_ = now;
    const bool hamlib = now == RadioProgram::Hamlib;
    const bool remote = now == RadioProgram::Network || now == RadioProgram::Gqrx;
    for (QWidget* field :
         std::initializer_list<QWidget*>{ModelFilter, ModelList, DeviceBox, BaudBox})
        field->setEnabled(hamlib);
    HostEdit->setEnabled(remote);
    S9Box->setEnabled(now == RadioProgram::Gqrx);
}

void RadioDialog::FilterModels(const QString& filter) {
    const std::string wanted = filter.toStdString();
    QListWidgetItem* onlyMatch = nullptr;
    int matches = 0;
    for (int row = 0; row < ModelList->count(); ++row) {
        QListWidgetItem* item = ModelList->item(row);
        const bool match = ModelMatches(wanted, ModelOf(*item));
        item->setHidden(!match);
        if (match) {
            onlyMatch = item;
            ++matches;
        }
    }
    // What the filter leaves alone is what the listener looks for, and Enter keeps it.
    if (matches == 1 && !filter.trimmed().isEmpty()) {
        ModelList->setCurrentItem(onlyMatch);
        ModelList->scrollToItem(onlyMatch);
    }
}

RadioChoice RadioDialog::choice() const {
    RadioChoice choice;
    choice.program = program();
    // A model the filter hides is not chosen: OK then says so instead of keeping one that the
    // listener no longer sees.
    if (const QListWidgetItem* item = ModelList->currentItem(); item && !item->isHidden())
        choice.model = item->data(ModelNumberRole).toInt();
    choice.device = DeviceBox->currentText().trimmed().toStdString();
    bool isNumber = false;
    const int baud = BaudBox->currentText().trimmed().toInt(&isNumber);
    if (isNumber)
        choice.baud = baud;
    else if (!BaudBox->currentText().trimmed().isEmpty())
        choice.baud = 0; // not a rate: named by the check
    choice.host = HostEdit->text().trimmed().toStdString();
    choice.port = static_cast<std::uint16_t>(PortBox->value());
    choice.s9Dbfs = S9Box->value();
    return choice;
}

void RadioDialog::setWatchRunning(bool running) {
    TestBtn->setEnabled(!running);
    RunningNote->setVisible(running);
}

void RadioDialog::TestBtnClick() {
    const RadioChoice edited = choice();
    const std::vector<ChoiceProblem> problems = ChoiceProblems(edited);
    if (!problems.empty()) {
        TestResult->setText(QString::fromStdString(problems.front().text));
        return;
    }
    TestResult->setText("Teste ...");
    TestResult->repaint();
    if (onTest)
        TestResult->setText(QString::fromStdString(onTest(edited)));
}

void RadioDialog::OkBtnClick() {
    const RadioChoice edited = choice();
    std::string message;
    for (const ChoiceProblem& problem : ChoiceProblems(edited))
        message += (message.empty() ? "" : "\n") + problem.text;
    if (!message.empty())
        throw Error(message);
    if (onAccept)
        onAccept(edited);
    accept();
}

} // namespace skedula
