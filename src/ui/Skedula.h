// The main window: the watch list and queue grids, Start and Stop, the link's status field and
// read-outs, the minute read-out, the log and the "Liste", "Optionen", "Verlauf" and "Hilfe" menus.
// It is a view: it forwards Start and Stop to the watch engine, shows what the engine and the
// receiver link report, hands the list to the list file and the options to the watch options. The
// composition root connects it.
#pragma once

#include "engine/Ports.h"
#include "ui/ListFileDialog.h"
#include "ui/StringGrid.h"
#include "ui/WatchOptionsPort.h"

#include <QAction>
#include <QColor>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>
#include <memory>

namespace skedula {

class WatchEngine;

class TSkedulaForm : public QMainWindow, public WatchView, public LogPort {
    Q_OBJECT

public:
    static const QColor ConnectedColour;    // green, 0x008000
    static const QColor DisconnectedColour; // red
    static const QColor StatusTextColour;   // navy
    // The log keeps its newest lines up to this many: a day of reports even when every entry
    // of every minute reports (one entry per 10.5 s, six lines each, is 49,371 lines a day),
    // while the memory the log can take stays bounded for a watch that runs for weeks.
    static constexpr int MemoLineLimit = 50000;

    explicit TSkedulaForm(QWidget* parent = nullptr);
    // Runs FormDestroy while every control still exists.
    ~TSkedulaForm() override;

    // Connects the window to the watch engine, whose grids it shows and to which it forwards
    // Start and Stop, and to the receiver link, whose item texts the read-outs show and which
    // it closes on its way out. FormCreate runs here.
    void attach(WatchEngine& engine, ReceiverPort& link);
    // The about dialog that "Info" shows; the application creates it after the window.
    void setAboutForm(QDialog* about) { aboutForm_ = about; }
    // What "Funkgerät ..." opens; the application's radio setup.
    void setRadioSetup(std::function<void()> open) { radioSetup_ = std::move(open); }
    // What "Aufnahme ..." opens; the application's recording setup.
    void setRecordingSetup(std::function<void()> open) { recordingSetup_ = std::move(open); }
    // What "Befehl bei Meldung ..." opens; the application's watch options.
    void setReportCommandSetup(std::function<void()> open) {
        reportCommandSetup_ = std::move(open);
    }
    // What "Verlauf anzeigen ..." opens; the application's history window.
    void setHistoryWindow(std::function<void()> open) { historyWindow_ = std::move(open); }
    // What the checkable "Optionen" items switch, and what is told of every list file loaded or
    // saved; the application's watch options.
    void setWatchOptions(WatchOptionsPort* options);

    // The save dialog, then the list saved to the chosen file: its path, or nothing when the
    // dialog was cancelled. "Speichern ..." runs it, and so does start at login that has no
    // list to start yet.
    std::optional<std::string> SaveListAs();

    StringGrid* ListeSG = nullptr;
    StringGrid* SchlangeSG = nullptr;
    QPushButton* StartBtn = nullptr;
    QPushButton* StopBtn = nullptr;
    QLabel* StatusLabel = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* FrequencyLabel = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* ModeLabel = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* SMeterLabel = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* ZeitLabel = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QMenu* Liste1 = nullptr;
    QAction* Laden1 = nullptr;
    QAction* Speicherm1 = nullptr;
    QAction* NeuerEintrag1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Beenden1 = nullptr;
    std::unique_ptr<ListFileDialog> OpenDialog;
    std::unique_ptr<ListFileDialog> SaveDialog;
    QMenu* Optionen1 = nullptr;
    QAction* Funkgeraet1 = nullptr;
    QAction* Aufnahme1 = nullptr;
    QAction* BefehlbeiMeldung1 = nullptr;
    QAction* N2 = nullptr;
    QAction* BeimAnmeldenstarten1 = nullptr;
    QAction* BerichteinDateischreiben1 = nullptr;
    QAction* Verlaufspeichern1 = nullptr;
    QAction* MeldungaufdemBildschirm1 = nullptr;
    QAction* Verbindungselbstwiederherstellen1 = nullptr;
    QAction* ZeiteninUTC1 = nullptr;
    QMenu* Verlauf1 = nullptr;
    QAction* Verlaufanzeigen1 = nullptr;
    QMenu* Hilfe1 = nullptr;
    QAction* Info1 = nullptr;

    // The window's handlers.
    void FormDestroy();
    void StartBtnClick();
    void StopBtnClick();
    void DdeClientConvOpen();
    void DdeClientConvClose();
    void FrequencyDdeClientItemChange();
    void ModeDdeClientItemChange();
    void SMeterDdeClientItemChange();
    void Laden1Click();
    void Speicherm1Click();
    void Beenden1Click();
    void Optionen1Click(); // the menu opens
    void Funkgeraet1Click();
    void Aufnahme1Click();
    void BefehlbeiMeldung1Click();
    void BeimAnmeldenstarten1Click();
    void BerichteinDateischreiben1Click();
    void Verlaufspeichern1Click();
    void Verlaufanzeigen1Click();
    void MeldungaufdemBildschirm1Click();
    void Verbindungselbstwiederherstellen1Click();
    void ZeiteninUTC1Click();
    void Info1Click();

    // The colour of the status field: the window's only record that the link is open.
    QColor statusColour() const;

    // WatchView
    void showRunning(bool running) override;
    void showListEditing(bool editable) override;
    void showMinute(const std::string& minuteText) override;
    void selectQueueRow(int row) override;
    // Whether the clock read-out's minute is in UTC: its caption then says so.
    void showClockZone(bool utc);
    // LogPort
    void appendLine(const std::string& line) override;

private:
    void CreateControls(QWidget* client);
    void CreateMenu();
    void ConnectHandlers();
    void setStatus(const QString& text, const QColor& colour);
    // The options' checks as the watch options have them.
    void ShowOptionChecks();
    class OptionChecksAfter;

    WatchEngine* engine_ = nullptr;
    ReceiverPort* link_ = nullptr;
    QDialog* aboutForm_ = nullptr;
    std::function<void()> radioSetup_;
    std::function<void()> recordingSetup_;
    std::function<void()> reportCommandSetup_;
    std::function<void()> historyWindow_;
    WatchOptionsPort* watchOptions_ = nullptr;
    bool memoHasLines_ = false;
};

} // namespace skedula
