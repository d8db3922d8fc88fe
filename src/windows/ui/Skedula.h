// The Windows program's main window: the watch list and queue grids, Start and Stop, the link's
// status field and read-outs, the minute read-out, the log and the "Liste" and "Hilfe" menus.
// It is a view: it forwards Start and Stop to the watch engine, shows what the engine and the
// receiver link report, and hands the list to the list files. The composition connects it.
#pragma once

#include "engine/Ports.h"
#include "windows/app/Window.h"
#include "windows/ui/Design.h"
#include "windows/ui/ListFileDialog.h"
#include "windows/ui/ListFilePort.h"
#include "windows/ui/StringGrid.h"

#include <deque>
#include <memory>
#include <string>

namespace skedula {

class TAboutForm;
class WatchEngine;

class TSkedulaForm final : public WatchView, public LogPort, private Window {
public:
    static constexpr COLORREF ConnectedColour = RGB(0, 128, 0);    // 0x008000
    static constexpr COLORREF DisconnectedColour = RGB(255, 0, 0); // 0x0000FF
    static constexpr COLORREF StatusTextColour = RGB(0, 0, 128);   // navy
    // The log keeps its newest lines up to this many: a day of reports even when every entry
    // of every minute reports (six lines each 10.5 s is 49,371 lines a day), while the memory
    // the log can take stays bounded for a watch that runs for weeks.
    static constexpr int MemoLineLimit = 50000;
    static constexpr int ClientWidth = 739;
    static constexpr int ClientHeight = 448;
    // A single fixed border: system menu and minimize, no maximize, not resizable.
    static constexpr DWORD Style =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

    // Control and menu identifiers, the dialog keys' IDOK and IDCANCEL left free.
    enum Id : int {
        ListeSGId = 101,
        SchlangeSGId,
        StartBtnId,
        StopBtnId,
        StatusLabelId,
        Label5Id,
        FrequencyLabelId,
        Label7Id,
        ModeLabelId,
        Label9Id,
        SMeterLabelId,
        Label6Id,
        ZeitLabelId,
        MemoId,
        Laden1Id = 201,
        Speicherm1Id,
        NeuerEintrag1Id,
        Beenden1Id,
        Info1Id,
    };

    // Creates the window with its controls and menu bar from the design, not yet shown.
    explicit TSkedulaForm(ListFilePort& lists);
    // Runs FormDestroy while every control still exists, then destroys the window.
    ~TSkedulaForm() override;

    using Window::handle;

    // Connects the window to the watch engine, whose grids it shows and to which it forwards
    // Start and Stop, and to the receiver link, whose item texts the read-outs show and which
    // it closes on its way out. FormCreate runs here.
    void attach(WatchEngine& engine, ReceiverPort& link);
    // The about dialog that "Info" shows; the application creates it after the window.
    void setAboutForm(TAboutForm* about) { aboutForm_ = about; }

    std::unique_ptr<StringGrid> ListeSG;
    std::unique_ptr<StringGrid> SchlangeSG;
    HWND StartBtn = nullptr;
    HWND StopBtn = nullptr;
    HWND StatusLabel = nullptr;
    HWND Label5 = nullptr;
    HWND FrequencyLabel = nullptr;
    HWND Label7 = nullptr;
    HWND ModeLabel = nullptr;
    HWND Label9 = nullptr;
    HWND SMeterLabel = nullptr;
    HWND Label6 = nullptr;
    HWND ZeitLabel = nullptr;
    HWND Memo = nullptr;
    HMENU MainMenu = nullptr;
    HMENU Liste1 = nullptr;
    HMENU Hilfe1 = nullptr;
    ListFileDialog OpenDialog{ListFileDialog::Purpose::Load};
    ListFileDialog SaveDialog{ListFileDialog::Purpose::Save};

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
    void Info1Click();

    // The colour of the status field: the window's only record that the link is open.
    COLORREF statusColour() const { return statusColour_; }
    HFONT font() const { return font_.handle(); }

    // WatchView
    void showRunning(bool running) override;
    void showListEditing(bool editable) override;
    void showMinute(const std::string& minuteText) override;
    void selectQueueRow(int row) override;
    // LogPort
    void appendLine(const std::string& line) override;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CreateControls();
    void CreateMenuBar();
    void OnCommand(int id);
    void setStatus(const std::string& text, COLORREF colour);
    // Drops the oldest lines beyond the limit; the number of characters dropped.
    int DropOldestMemoLines();

    Font font_{kTahoma, kEightPoint};
    HICON icon_ = nullptr;
    COLORREF statusColour_ = DisconnectedColour;
    HBRUSH statusBrush_ = nullptr;
    ListFilePort& lists_;
    WatchEngine* engine_ = nullptr;
    ReceiverPort* link_ = nullptr;
    TAboutForm* aboutForm_ = nullptr;
    std::deque<int> memoLines_; // the length of each line in the log
};

} // namespace skedula
