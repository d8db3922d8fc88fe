// The main window's design: its frame, font, controls at their places, and its menu bar.
#include "windows/ui/Pictures.h"
#include "windows/ui/Skedula.h"

namespace skedula {

namespace {

constexpr const char* kClassName = "TSkedulaForm";
constexpr int kCaptionHeight = 13;

} // namespace

TSkedulaForm::TSkedulaForm(ListFilePort& lists) : lists_(lists) {
    icon_ = CreateChipIcon();
    RegisterClass(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon_);
    CreateMenuBar();
    const SIZE frame = FrameSizeFor(ClientWidth, ClientHeight, Style, 0, true);
    Create(0, kClassName, "Skedula", Style, CW_USEDEFAULT, CW_USEDEFAULT, frame.cx, frame.cy,
           nullptr, MainMenu);
    ::SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageA(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    // The menu bar takes one line at this width; should it take more, the window grows so that
    // the client area keeps its designed size.
    RECT client;
    ::GetClientRect(handle(), &client);
    if (client.bottom != ClientHeight)
        ::SetWindowPos(handle(), nullptr, 0, 0, frame.cx, frame.cy + ClientHeight - client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls();
    // The mnemonics are drawn underlined from the start, not only once Alt is pressed.
    ::SendMessageA(handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
}

void TSkedulaForm::CreateControls() {
    HWND window = handle();
    HFONT font = font_.handle();
    // Created in the tab order: the two grids, Start, Stop, the log.
    ListeSG = std::make_unique<StringGrid>(window, ListeSGId, PixelRect{8, 8, 8 + 633, 8 + 201},
                                           StringGrid::Options{{85, 79, 73, 91, 268}, true});
    SchlangeSG =
        std::make_unique<StringGrid>(window, SchlangeSGId, PixelRect{8, 216, 8 + 633, 216 + 97},
                                     StringGrid::Options{{124, 117, 115, 239}, false});
    for (StringGrid* grid : {ListeSG.get(), SchlangeSG.get()})
        ::SendMessageA(grid->handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    const DWORD button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    StartBtn =
        CreateControl(window, "BUTTON", "&Start", button, 0, StartBtnId, 656, 24, 75, 25, font);
    StopBtn = CreateControl(window, "BUTTON", "S&top", button | WS_DISABLED, 0, StopBtnId, 656, 56,
                            75, 25, font);

    // Its text is centred, at the top; the colours come with WM_CTLCOLORSTATIC.
    StatusLabel = CreateControl(window, "STATIC", "diconnected", WS_VISIBLE | SS_CENTER, 0,
                                StatusLabelId, 656, 96, 73, 17, font);
    setStatus("diconnected", DisconnectedColour); // until the link first reports

    Label5 = CreateAutoSizeLabel(window, "Frequenz", Label5Id, 656, 128, kCaptionHeight, font);
    FrequencyLabel =
        CreateAutoSizeLabel(window, "", FrequencyLabelId, 656, 144, kCaptionHeight, font);
    Label7 = CreateAutoSizeLabel(window, "Mode", Label7Id, 656, 168, kCaptionHeight, font);
    ModeLabel = CreateAutoSizeLabel(window, "", ModeLabelId, 656, 184, kCaptionHeight, font);
    Label9 = CreateAutoSizeLabel(window, "S-Meter", Label9Id, 656, 208, kCaptionHeight, font);
    SMeterLabel = CreateAutoSizeLabel(window, "", SMeterLabelId, 656, 224, kCaptionHeight, font);
    Label6 = CreateAutoSizeLabel(window, "Zeit", Label6Id, 656, 248, kCaptionHeight, font);
    ZeitLabel = CreateAutoSizeLabel(window, "", ZeitLabelId, 656, 264, kCaptionHeight, font);

    // Read-only: text can be selected and copied, not changed. Long lines wrap; the vertical
    // scroll bar is always there.
    Memo = CreateControl(window, "EDIT", "",
                         WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                             ES_AUTOVSCROLL,
                         WS_EX_CLIENTEDGE, MemoId, 8, 320, 633, 121, font);
    // Room for the whole log (the default limit is 32,767 characters).
    ::SendMessageA(Memo, EM_SETLIMITTEXT, 0, 0);
    // Among a window's controls an edit control takes Escape for "close the dialog": here
    // that would end the program.
    Subclass(Memo, [](UINT message, WPARAM key, LPARAM) -> std::optional<LRESULT> {
        if ((message == WM_KEYDOWN || message == WM_CHAR) && key == VK_ESCAPE)
            return 0;
        return std::nullopt;
    });
}

void TSkedulaForm::CreateMenuBar() {
    // No item has a shortcut key; "Neuer Eintrag ..." stays disabled: the list has ten rows.
    Liste1 = ::CreatePopupMenu();
    ::AppendMenuA(Liste1, MF_STRING, Laden1Id, "Laden ...");
    ::AppendMenuA(Liste1, MF_STRING, Speicherm1Id, "Speichern ...");
    ::AppendMenuA(Liste1, MF_STRING | MF_GRAYED, NeuerEintrag1Id, "Neuer Eintrag ...");
    ::AppendMenuA(Liste1, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(Liste1, MF_STRING, Beenden1Id, "Beenden");
    Hilfe1 = ::CreatePopupMenu();
    ::AppendMenuA(Hilfe1, MF_STRING, Info1Id, "Info");
    MainMenu = ::CreateMenu();
    ::AppendMenuA(MainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Liste1), "Liste");
    ::AppendMenuA(MainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Hilfe1), "Hilfe");
}

} // namespace skedula
