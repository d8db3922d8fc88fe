// The main window: a view over the watch engine's grids and fields. It forwards Start, Stop
// and the step timer's tick to the engine and shows what the engine reports.
#pragma once

#include "engine/Ports.h"
#include "ui/CellGridModel.h"

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

namespace skedula {

class WatchEngine;

class TSkedulaForm : public QMainWindow, public WatchView, public LogPort {
    Q_OBJECT

public:
    explicit TSkedulaForm(QWidget* parent = nullptr);

    // Connects the window to the engine; FormCreate runs here.
    void attach(WatchEngine& engine);

    QTableView* ListeSG = nullptr;
    QTableView* SchlangeSG = nullptr;
    QPushButton* StartBtn = nullptr;
    QPushButton* StopBtn = nullptr;
    QLabel* ZeitLabel = nullptr;
    QPlainTextEdit* Memo = nullptr;

    // WatchView
    void showRunning(bool running) override;
    void showListEditing(bool editable) override;
    void showMinute(const std::string& minuteText) override;
    void selectQueueRow(int row) override;
    // LogPort
    void appendLine(const std::string& line) override;

private:
    void StartBtnClick();
    void StopBtnClick();

    WatchEngine* engine_ = nullptr;
    CellGridModel* listModel_ = nullptr;
    CellGridModel* queueModel_ = nullptr;
};

} // namespace skedula
