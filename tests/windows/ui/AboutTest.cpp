// The about dialog: its controls and pictures, the links' hover and clicks, and its modal
// showing (Enter, Alt+O and the close button end it, Escape does not; the place is kept).
#include "FormRig.h"
#include "windows/ui/Pictures.h"

#include <gtest/gtest.h>

#include <set>

namespace skedula {
namespace {

using uitest::Do;
using uitest::FormRig;
using uitest::InputHandled;
using uitest::PlaceInParent;
using uitest::TimedSteps;
using uitest::Until;

struct AboutRig {
    AboutRig()
        : about(rig.application, rig.window(),
                [this](const std::string& text) { opened.push_back(text); }) {
        rig.Show();
    }
    // Shows the dialog modally while the steps run; its result.
    int ShowWhile(std::vector<uitest::Step> steps) {
        TimedSteps script(std::move(steps));
        return about.ShowModal();
    }

    FormRig rig;
    std::vector<std::string> opened;
    TAboutForm about;
};

TEST(AboutDialog, HasItsControlsAtTheirPlaces) {
    AboutRig rig;
    TAboutForm& about = rig.about;
    EXPECT_EQ(WindowText(about.handle()), "Skedula");
    RECT client;
    ::GetClientRect(about.handle(), &client);
    EXPECT_EQ(client.right, 377);
    EXPECT_EQ(client.bottom, 240);
    const LONG_PTR style = ::GetWindowLongPtrA(about.handle(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_EQ(::GetWindow(about.handle(), GW_OWNER), rig.rig.window());
    EXPECT_FALSE(::IsWindowVisible(about.handle())); // hidden until "Info"

    struct Place {
        HWND control;
        RECT rect; // right 0: as wide as its text
        const char* text;
        int height;
        bool bold;
    } places[] = {
        {about.OKButton, {295, 178, 370, 203}, "&OK", -11, false},
        {about.Label1, {72, 16, 0, 36}, "Skedula", -16, true},
        {about.Label3, {72, 40, 0, 53}, "Version 1.0.0", -11, false},
        {about.Label4,
         {72, 64, 249, 97},
         "Anwendung zum \xdc"
         "berwachen des S-Meters auf bestimmten Frequenzen",
         -11,
         false},
        {about.Label5, {72, 120, 0, 133}, "Freeware", -11, false},
        {about.Label6, {72, 184, 0, 197}, "www.skedula.example.org", -11, false},
        {about.Label7, {72, 208, 0, 221}, "skedula@example.org", -11, false},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.text);
        const RECT actual = PlaceInParent(p.control);
        EXPECT_EQ(actual.left, p.rect.left);
        EXPECT_EQ(actual.top, p.rect.top);
        EXPECT_EQ(actual.bottom, p.rect.bottom);
        EXPECT_EQ(actual.right - actual.left,
                  p.rect.right ? p.rect.right - p.rect.left : TextWidth(p.control, p.text));
        EXPECT_EQ(WindowText(p.control), p.text);
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(p.control, WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
        EXPECT_EQ(font.lfHeight, p.height);
        EXPECT_EQ(font.lfWeight == FW_BOLD, p.bold);
    }
    EXPECT_TRUE(::GetWindowLongPtrA(about.OKButton, GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_EQ(::GetNextDlgTabItem(about.handle(), about.OKButton, FALSE), about.OKButton);
}

TEST(AboutDialog, ThePicturesAreDrawnInTheirManner) {
    const std::array<std::uint8_t, 32 * 32> chip = ChipIconPixels();
    std::set<std::uint8_t> colours(chip.begin(), chip.end());
    EXPECT_EQ(colours, (std::set<std::uint8_t>{kBlackIndex, kSilverIndex, kGreyIndex, kYellowIndex,
                                               kTransparent}));
    for (int corner : {0, 31, 32 * 31, 32 * 32 - 1})
        EXPECT_EQ(chip[corner], kTransparent);
    EXPECT_EQ(chip[16 * 32 + 16], kBlackIndex); // the body in the middle
    // The body is 14 x 22: turned by 45 degrees its black pixels fill a square box.
    int left = 32, right = 0, top = 32, bottom = 0, black = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (chip[y * 32 + x] == kBlackIndex) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                ++black;
            }
    EXPECT_NEAR(right - left, bottom - top, 1);
    EXPECT_GE(right - left, 23);
    EXPECT_GT(black, 250);
    EXPECT_LT(black, 14 * 22);

    HBITMAP banner;
    {
        const Font tahoma(kTahoma, kEightPoint);
        banner = CreateAboutBanner(tahoma.handle());
    }
    DIBSECTION dib{};
    ASSERT_EQ(::GetObjectA(banner, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 57);
    EXPECT_EQ(dib.dsBm.bmHeight, 225);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    // Faded: no channel darker than half; and not blank.
    const auto* bytes = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
    int darkest = 255, lightest = 0;
    for (int y = 0; y < 225; ++y)
        for (int x = 0; x < 57 * 3; ++x) {
            darkest = std::min<int>(darkest, bytes[y * dib.dsBm.bmWidthBytes + x]);
            lightest = std::max<int>(lightest, bytes[y * dib.dsBm.bmWidthBytes + x]);
        }
    EXPECT_GE(darkest, 127);
    EXPECT_LT(darkest, 200);
    ::DeleteObject(banner);
}

TEST(AboutDialog, TheLinksUnderlineUnderThePointerAndOpenTheirTexts) {
    AboutRig rig;
    TAboutForm& about = rig.about;
    const auto underlined = [&about](bool six, bool seven) {
        return Until([&about, six, seven] {
            return about.Underlined(about.Label6) == six && about.Underlined(about.Label7) == seven;
        });
    };
    const int result = rig.ShowWhile({
        Do([&] { uitest::MoveTo(about.Label6, 3, 5); }),
        underlined(true, false),
        Do([&] { uitest::MoveTo(about.Label7, 3, 5); }), // straight to the other
        underlined(false, true),
        Do([&] { uitest::MoveTo(about.handle(), 200, 20); }),
        underlined(false, false),
        Do([&] { uitest::ClickAt(about.Label6, 3, 5); }),
        Until([&] { return rig.opened.size() == 1; }),
        Do([&] { uitest::ClickAt(about.Label7, 3, 5); }),
        Until([&] { return rig.opened.size() == 2; }),
        Do([&] {
            EXPECT_TRUE(::IsWindowVisible(about.handle())); // a link leaves it open
            uitest::PressKey(VK_RETURN);
        }),
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rig.opened,
              (std::vector<std::string>{"http://www.skedula.example.org",
                                        "mailto:skedula@example.org?subject=Skedula 1.0.0"}));
}

TEST(AboutDialog, ClosesByOkAndItsCloseButtonButNotByEscapeAndKeepsItsPlace) {
    AboutRig rig;
    TAboutForm& about = rig.about;
    HWND main = rig.rig.window();
    RECT first{};
    int result = rig.ShowWhile({
        Do([&] {
            EXPECT_FALSE(::IsWindowEnabled(main)); // modal
            ::GetWindowRect(about.handle(), &first);
            uitest::PressKey(VK_ESCAPE);
        }),
        InputHandled(),
        Do([&] {
            EXPECT_TRUE(::IsWindowVisible(about.handle()));
            uitest::PressKey('O', false, true);
        }),
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(::IsWindowVisible(about.handle()));
    EXPECT_TRUE(::IsWindowEnabled(main));
    // Centred on the screen the first time.
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((first.left + first.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((first.top + first.bottom) / 2, (work.top + work.bottom) / 2, 1);

    result = rig.ShowWhile({Do([&] {
        ::SetWindowPos(about.handle(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::SendMessageA(about.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    })});
    EXPECT_EQ(result, IDCANCEL);
    RECT again{};
    result = rig.ShowWhile({Do([&] {
        ::GetWindowRect(about.handle(), &again);
        uitest::ClickAt(about.OKButton, 10, 10);
    })});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(again.left, 40);
    EXPECT_EQ(again.top, 30);
}

TEST(AboutDialog, InfoShowsItWhileTheWatchGoesOn) {
    AboutRig rig;
    rig.rig.form().setAboutForm(&rig.about);
    rig.rig.form().StartBtnClick();
    WinStepTimer& timer = rig.rig.composition->stepTimer();
    timer.setInterval(0);
    timer.setInterval(20);
    int ticks = 0;
    timer.onTick = [&] { ++ticks; };
    TimedSteps script({Until([&] { return ticks > 2; }), Do([&] {
                           EXPECT_TRUE(::IsWindowVisible(rig.about.handle()));
                           uitest::PressKey(VK_RETURN);
                       })});
    ::SendMessageA(rig.rig.window(), WM_COMMAND, TSkedulaForm::Info1Id, 0);
    EXPECT_FALSE(::IsWindowVisible(rig.about.handle()));
}

} // namespace
} // namespace skedula
