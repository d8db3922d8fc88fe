#include "windows/ui/Skedula.h"

#include "engine/WatchEngine.h"
#include "windows/app/AnsiText.h"
#include "windows/ui/About.h"

#include <algorithm>

namespace skedula {

TSkedulaForm::~TSkedulaForm() {
    FormDestroy();
    Destroy();
    if (statusBrush_ != nullptr)
        ::DeleteObject(statusBrush_);
    if (icon_ != nullptr)
        ::DestroyIcon(icon_);
}

void TSkedulaForm::attach(WatchEngine& engine, ReceiverPort& link) {
    engine_ = &engine;
    link_ = &link;
    ListeSG->setCells(engine.ListeSG);
    SchlangeSG->setCells(engine.SchlangeSG);
    engine.FormCreate();
}

LRESULT TSkedulaForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == StatusLabel) {
            ::SetTextColor(dc, StatusTextColour);
            ::SetBkColor(dc, statusColour_);
            return reinterpret_cast<LRESULT>(statusBrush_);
        }
        if (control == Memo) {
            // The log is read-only, and still drawn in the window colour.
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
        }
        return Default(message, wParam, lParam);
    }
    case WM_CLOSE:
        // No question is asked; closing the main window ends the program.
        ::PostQuitMessage(0);
        return 0;
    case WM_NEXTDLGCTL: {
        // The log asks for the next control on Tab, as an edit control asks its dialog.
        HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : ::GetNextDlgTabItem(handle(), ::GetFocus(), wParam != 0);
        if (next != nullptr)
            ::SetFocus(next);
        return 0;
    }
    default:
        return Default(message, wParam, lParam);
    }
}

void TSkedulaForm::OnCommand(int id) {
    switch (id) {
    case StartBtnId:
        StartBtnClick();
        break;
    case StopBtnId:
        StopBtnClick();
        break;
    case Laden1Id:
        Laden1Click();
        break;
    case Speicherm1Id:
        Speicherm1Click();
        break;
    case Beenden1Id:
        Beenden1Click();
        break;
    case Info1Id:
        Info1Click();
        break;
    default:
        break; // Return and Escape of the dialog keys mean nothing here
    }
}

void TSkedulaForm::FormDestroy() {
    // Only an open link is closed; its close notice still reaches the status field.
    if (link_ != nullptr && statusColour_ == ConnectedColour)
        link_->CloseConversation();
}

void TSkedulaForm::StartBtnClick() {
    engine_->StartBtnClick();
}

void TSkedulaForm::StopBtnClick() {
    engine_->StopBtnClick();
}

void TSkedulaForm::DdeClientConvOpen() {
    setStatus("connected", ConnectedColour);
}

void TSkedulaForm::DdeClientConvClose() {
    setStatus("disconnected", DisconnectedColour);
}

void TSkedulaForm::FrequencyDdeClientItemChange() {
    SetAutoSizeText(FrequencyLabel, AnsiText(link_->frequencyText()));
}

void TSkedulaForm::ModeDdeClientItemChange() {
    SetAutoSizeText(ModeLabel, AnsiText(link_->modeText()));
}

void TSkedulaForm::SMeterDdeClientItemChange() {
    SetAutoSizeText(SMeterLabel, AnsiText(link_->sMeterText()));
}

void TSkedulaForm::Laden1Click() {
    if (const std::optional<std::string> path = OpenDialog.Execute(handle()))
        lists_.Load(engine_->ListeSG, *path);
}

void TSkedulaForm::Speicherm1Click() {
    if (const std::optional<std::string> path = SaveDialog.Execute(handle()))
        lists_.Save(engine_->ListeSG, *path);
}

void TSkedulaForm::Beenden1Click() {
    ::SendMessageA(handle(), WM_CLOSE, 0, 0);
}

void TSkedulaForm::Info1Click() {
    if (aboutForm_ != nullptr)
        aboutForm_->ShowModal();
}

void TSkedulaForm::setStatus(const std::string& text, COLORREF colour) {
    if (statusBrush_ == nullptr || colour != statusColour_) {
        if (statusBrush_ != nullptr)
            ::DeleteObject(statusBrush_);
        statusBrush_ = ::CreateSolidBrush(colour);
        statusColour_ = colour;
    }
    ::SetWindowTextA(StatusLabel, text.c_str());
    ::InvalidateRect(StatusLabel, nullptr, TRUE);
}

void TSkedulaForm::showRunning(bool running) {
    HWND disabled = running ? StartBtn : StopBtn;
    HWND enabled = running ? StopBtn : StartBtn;
    const bool hadFocus = ::GetFocus() == disabled;
    ::EnableWindow(enabled, TRUE);
    ::EnableWindow(disabled, FALSE);
    // A disabled button cannot keep the keyboard: it goes to the other one.
    if (hadFocus)
        ::SetFocus(enabled);
}

void TSkedulaForm::showListEditing(bool editable) {
    ListeSG->setEditing(editable);
}

void TSkedulaForm::showMinute(const std::string& minuteText) {
    SetAutoSizeText(ZeitLabel, AnsiText(minuteText));
}

void TSkedulaForm::selectQueueRow(int row) {
    SchlangeSG->selectGridRow(row);
}

void TSkedulaForm::appendLine(const std::string& line) {
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_ALL;
    ::GetScrollInfo(Memo, SB_VERT, &bar);
    const bool atBottom = bar.nPos + static_cast<int>(bar.nPage) > bar.nMax;
    const int firstVisible = static_cast<int>(::SendMessageA(Memo, EM_GETFIRSTVISIBLELINE, 0, 0));
    DWORD selectionStart = 0, selectionEnd = 0;
    ::SendMessageA(Memo, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                   reinterpret_cast<LPARAM>(&selectionEnd));

    // An empty log takes the first line as it is, even an empty one; every later line begins
    // a line of its own.
    const std::string shown = AnsiText(line);
    const std::string text = (memoLines_.empty() ? "" : "\r\n") + shown;
    memoLines_.push_back(static_cast<int>(shown.size()));
    const int end = ::GetWindowTextLengthA(Memo);
    ::SendMessageA(Memo, EM_SETSEL, end, end);
    ::SendMessageA(Memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    const int dropped = DropOldestMemoLines();

    // What the user had selected stays selected; a log read at its end follows new lines,
    // one scrolled back stays where it was.
    const auto kept = [dropped](DWORD index) {
        return static_cast<WPARAM>(std::max(0, static_cast<int>(index) - dropped));
    };
    ::SendMessageA(Memo, EM_SETSEL, kept(selectionStart), kept(selectionEnd));
    if (atBottom) {
        ::SendMessageA(Memo, WM_VSCROLL, SB_BOTTOM, 0);
    } else {
        const int now = static_cast<int>(::SendMessageA(Memo, EM_GETFIRSTVISIBLELINE, 0, 0));
        ::SendMessageA(Memo, EM_LINESCROLL, 0, firstVisible - now);
    }
}

int TSkedulaForm::DropOldestMemoLines() {
    // Each line but the first follows a line end of two characters.
    int cut = 0;
    while (memoLines_.size() > static_cast<std::size_t>(MemoLineLimit)) {
        cut += memoLines_.front() + 2;
        memoLines_.pop_front();
    }
    if (cut == 0)
        return 0;
    ::SendMessageA(Memo, EM_SETSEL, 0, cut);
    ::SendMessageA(Memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    return cut;
}

} // namespace skedula
