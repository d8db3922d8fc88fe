// The about dialog of the Windows program: the program's name, version, description and
// freeware note, its two pictures, and two links (the author's web page and mail address)
// that the shell opens. The start creates it once, hidden, owned by the main window; the main
// window's "Info" shows it modally as often as the user asks, where the user left it.
#pragma once

#include "windows/app/Window.h"
#include "windows/ui/Design.h"
#include "windows/ui/GridGeometry.h"

#include <functional>
#include <string>

namespace skedula {

class Application;

class TAboutForm final : private Window {
public:
    // What a link click hands its text to; ShellOpen in the program.
    using Opener = std::function<void(const std::string& text)>;

    static const char* const WebAddress;  // shown in Label6, without a scheme
    static const char* const MailAddress; // shown in Label7
    static constexpr int ClientWidth = 377;
    static constexpr int ClientHeight = 240;
    // A dialog frame with the close button only.
    static constexpr DWORD Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    static constexpr DWORD ExStyle = WS_EX_DLGMODALFRAME;
    enum Id : int { Label1Id = 101, Label3Id, Label4Id, Label5Id, Label6Id, Label7Id };

    TAboutForm(Application& application, HWND owner, Opener open = {});
    ~TAboutForm() override;

    using Window::handle;

    // Shows the dialog with the program's other windows disabled and runs the application's
    // message handling until it closes: IDOK by the OK button (Enter, Alt+O), IDCANCEL by the
    // close button. Escape does not close it: it has no cancel button. It is hidden again after.
    int ShowModal();

    HWND OKButton = nullptr;
    HWND Label1 = nullptr;
    HWND Label3 = nullptr;
    HWND Label4 = nullptr;
    HWND Label5 = nullptr;
    PixelRect Shape1{56, 168, 56 + 313, 168 + 2};
    HWND Label6 = nullptr;
    HWND Label7 = nullptr;
    PixelRect Image1{8, 8, 8 + 57, 8 + 225};
    PixelRect Image2{21, 18, 21 + 32, 18 + 32};

    // One pair of hover handlers serves both link labels: each acts on the label that raised
    // the event.
    void Label6MouseEnter(HWND sender);
    void Label6MouseLeave(HWND sender);
    void Label6Click();
    void Label7Click();

    // Whether a link label is drawn underlined now.
    bool Underlined(HWND label) const;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CreateControls();
    void HookLink(HWND label);
    void Paint(HDC dc) const;
    void CentreOnScreen();

    Application& application_;
    Opener open_;
    Font font_{kSansSerif, kEightPoint};
    Font titleFont_{kSansSerif, -16, true};
    Font linkFont_{kSansSerif, kEightPoint};
    Font hoverFont_{kSansSerif, kEightPoint, false, true};
    HBITMAP banner_ = nullptr;
    HICON icon_ = nullptr;
    int modalResult_ = 0;
    bool shownBefore_ = false;
};

} // namespace skedula
