#include "ui/Skedula.h"

#include "engine/WatchEngine.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace skedula {

TSkedulaForm::TSkedulaForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Skedula");
    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right);

    ListeSG = new QTableView(central);
    SchlangeSG = new QTableView(central);
    Memo = new QPlainTextEdit(central);
    Memo->setReadOnly(true);
    left->addWidget(ListeSG);
    left->addWidget(SchlangeSG);
    left->addWidget(Memo);

    StartBtn = new QPushButton("&Start", central);
    StopBtn = new QPushButton("S&top", central);
    StopBtn->setEnabled(false);
    ZeitLabel = new QLabel(central);
    right->addWidget(StartBtn);
    right->addWidget(StopBtn);
    right->addWidget(new QLabel("Zeit", central));
    right->addWidget(ZeitLabel);
    right->addStretch();
    setCentralWidget(central);

    connect(StartBtn, &QPushButton::clicked, this, &TSkedulaForm::StartBtnClick);
    connect(StopBtn, &QPushButton::clicked, this, &TSkedulaForm::StopBtnClick);
}

void TSkedulaForm::attach(WatchEngine& engine) {
    engine_ = &engine;
    listModel_ = new CellGridModel(engine.ListeSG, this);
    queueModel_ = new CellGridModel(engine.SchlangeSG, this);
    ListeSG->setModel(listModel_);
    SchlangeSG->setModel(queueModel_);
    ListeSG->verticalHeader()->hide();
    SchlangeSG->verticalHeader()->hide();
    SchlangeSG->setSelectionBehavior(QAbstractItemView::SelectRows);
    engine.FormCreate();
}

void TSkedulaForm::StartBtnClick() {
    engine_->StartBtnClick();
}
void TSkedulaForm::StopBtnClick() {
    engine_->StopBtnClick();
}

void TSkedulaForm::showRunning(bool running) {
    StartBtn->setEnabled(!running);
    StopBtn->setEnabled(running);
}

void TSkedulaForm::showListEditing(bool editable) {
    listModel_->setEditable(editable);
    ListeSG->setEditTriggers(editable ? QAbstractItemView::AllEditTriggers
                                      : QAbstractItemView::NoEditTriggers);
}

void TSkedulaForm::showMinute(const std::string& minuteText) {
    ZeitLabel->setText(QString::fromStdString(minuteText));
}

void TSkedulaForm::selectQueueRow(int row) {
    SchlangeSG->selectionModel()->clearSelection();
    const int modelRow = row - 1;
    if (modelRow >= 0 && modelRow < queueModel_->rowCount())
        SchlangeSG->selectionModel()->select(queueModel_->index(modelRow, 0),
                                             QItemSelectionModel::Select |
                                                 QItemSelectionModel::Rows);
}

void TSkedulaForm::appendLine(const std::string& line) {
    Memo->appendPlainText(QString::fromStdString(line));
}

} // namespace skedula
