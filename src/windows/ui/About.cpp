#include "windows/ui/About.h"

#include "windows/app/AnsiText.h"
#include "windows/app/Application.h"
#include "windows/ui/Pictures.h"
#include "windows/ui/stz.h"

namespace skedula {

// The author's addresses, as the Linux program's about dialog shows them.
const char* const TAboutForm::WebAddress = "www.skedula.example.org";
const char* const TAboutForm::MailAddress = "skedula@example.org";

namespace {

constexpr const char* kClassName = "TAboutForm";
constexpr const char* kSubject = "?subject=Skedula 1.0.0"; // not percent-encoded

} // namespace

TAboutForm::TAboutForm(Application& application, HWND owner, Opener open)
    : application_(application), open_(open ? std::move(open) : Opener(ShellOpen)) {
    icon_ = CreateChipIcon();
    {
        const Font column(kTahoma, kEightPoint);
        banner_ = CreateAboutBanner(column.handle());
    }
    RegisterClass(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const SIZE frame = FrameSizeFor(ClientWidth, ClientHeight, Style, ExStyle, false);
    Create(ExStyle, kClassName, "Skedula", Style, 0, 0, frame.cx, frame.cy, owner, nullptr);
    CreateControls();
    ::SendMessageA(handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    application_.AddDialogWindow(handle());
}

TAboutForm::~TAboutForm() {
    application_.RemoveDialogWindow(handle());
    Destroy();
    ::DeleteObject(banner_);
    ::DestroyIcon(icon_);
}

void TAboutForm::CreateControls() {
    HWND dialog = handle();
    HFONT font = font_.handle();
    // Created first: the first in the tab order, and the only control that takes the focus.
    OKButton = CreateControl(dialog, "BUTTON", "&OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                             IDOK, 295, 178, 75, 25, font);
    Label1 = CreateAutoSizeLabel(dialog, "Skedula", Label1Id, 72, 16, 20, titleFont_.handle());
    Label3 = CreateAutoSizeLabel(dialog, "Version 1.0.0", Label3Id, 72, 40, 13, font);
    Label4 = CreateControl(dialog, "STATIC",
                           AnsiText("Anwendung zum Überwachen des S-Meters auf bestimmten "
                                    "Frequenzen"),
                           WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, Label4Id, 72, 64, 177, 33, font);
    // Where the font is wider than the designed one, the label grows downwards rather than cut
    // its last line off.
    const int needed = TextHeight(Label4, WindowText(Label4), 177);
    if (needed > 33)
        ::SetWindowPos(Label4, nullptr, 0, 0, 177, needed, SWP_NOMOVE | SWP_NOZORDER);
    Label5 = CreateAutoSizeLabel(dialog, "Freeware", Label5Id, 72, 120, 13, font);
    Label6 = CreateAutoSizeLabel(dialog, WebAddress, Label6Id, 72, 184, 13, linkFont_.handle());
    Label7 = CreateAutoSizeLabel(dialog, MailAddress, Label7Id, 72, 208, 13, linkFont_.handle());
    HookLink(Label6);
    HookLink(Label7);
}

void TAboutForm::HookLink(HWND label) {
    // Clicks reach the dialog as STN_CLICKED; the pointer's coming and going is watched here.
    ::SetWindowLongPtrA(label, GWL_STYLE, ::GetWindowLongPtrA(label, GWL_STYLE) | SS_NOTIFY);
    Subclass(label,
             [this, label, inside = false](UINT message, WPARAM,
                                           LPARAM) mutable -> std::optional<LRESULT> {
                 if (message == WM_MOUSEMOVE && !inside) {
                     inside = true;
                     TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, label, 0};
                     ::TrackMouseEvent(&track);
                     Label6MouseEnter(label);
                 } else if (message == WM_MOUSELEAVE) {
                     inside = false;
                     Label6MouseLeave(label);
                 }
                 return std::nullopt;
             });
}

void TAboutForm::Label6MouseEnter(HWND sender) {
    ::SendMessageA(sender, WM_SETFONT, reinterpret_cast<WPARAM>(hoverFont_.handle()), TRUE);
}

void TAboutForm::Label6MouseLeave(HWND sender) {
    ::SendMessageA(sender, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.handle()), TRUE);
}

bool TAboutForm::Underlined(HWND label) const {
    return reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)) == hoverFont_.handle();
}

void TAboutForm::Label6Click() {
    open_(std::string("http://") + WebAddress);
}

void TAboutForm::Label7Click() {
    open_(std::string("mailto:") + MailAddress + kSubject);
}

int TAboutForm::ShowModal() {
    if (!shownBefore_)
        CentreOnScreen(); // later showings keep the place where it was left
    shownBefore_ = true;
    HWND owner = ::GetWindow(handle(), GW_OWNER);
    const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled)
        ::EnableWindow(owner, FALSE);
    ::ShowWindow(handle(), SW_SHOW);
    ::SetActiveWindow(handle());
    ::SetFocus(OKButton);
    modalResult_ = 0;
    while (modalResult_ == 0 && !application_.Terminated())
        application_.HandleMessage();
    // The owner is enabled before the dialog hides, so that it becomes the active window again.
    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    ::ShowWindow(handle(), SW_HIDE);
    return modalResult_;
}

void TAboutForm::CentreOnScreen() {
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame;
    ::GetWindowRect(handle(), &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(handle(), nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK)
            modalResult_ = IDOK; // the OK button, Enter or Alt+O; Escape's IDCANCEL is ignored
        else if (id == Label6Id && HIWORD(wParam) == STN_CLICKED)
            Label6Click();
        else if (id == Label7Id && HIWORD(wParam) == STN_CLICKED)
            Label7Click();
        return 0;
    }
    case WM_CLOSE:
        modalResult_ = IDCANCEL; // hidden, not destroyed
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_SETCURSOR: {
        HWND over = reinterpret_cast<HWND>(wParam);
        if (over == Label6 || over == Label7) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        return Default(message, wParam, lParam);
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND label = reinterpret_cast<HWND>(lParam);
        const bool link = label == Label6 || label == Label7;
        ::SetTextColor(dc, link ? RGB(0, 0, 255) : ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(handle(), &paint);
        Paint(dc);
        ::EndPaint(handle(), &paint);
        return 0;
    }
    default:
        return Default(message, wParam, lParam);
    }
}

void TAboutForm::Paint(HDC dc) const {
    // The rule reaches into the banner and lies beneath it; the chip stands on the banner.
    const RECT rule{Shape1.left, Shape1.top, Shape1.right, Shape1.bottom};
    ::FillRect(dc, &rule, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    HDC pictures = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(pictures, banner_);
    ::BitBlt(dc, Image1.left, Image1.top, Image1.right - Image1.left, Image1.bottom - Image1.top,
             pictures, 0, 0, SRCCOPY);
    ::SelectObject(pictures, old);
    ::DeleteDC(pictures);
    ::DrawIconEx(dc, Image2.left, Image2.top, icon_, 32, 32, 0, nullptr, DI_NORMAL);
}

} // namespace skedula
