// The main window as designed: its frame, client area, controls at their places, fonts, menu
// bar, tab order and mnemonics, and the pixels the screen shows of it under Wine.
#include "FormRig.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

using uitest::FormRig;
using uitest::PlaceInParent;

LOGFONTA FontOf(HWND control) {
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    return font;
}

TEST(MainWindow, HasItsTitleFrameIconAndClientArea) {
    FormRig rig;
    rig.Show();
    HWND window = rig.window();
    EXPECT_EQ(WindowText(window), "Skedula");
    EXPECT_EQ(uitest::ClassName(window), "TSkedulaForm");
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 739);
    EXPECT_EQ(client.bottom, 448);
    const LONG_PTR style = ::GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME); // not resizable
    EXPECT_NE(::SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_EQ(::GetMenu(window), rig.form().MainMenu);
}

TEST(MainWindow, EveryControlStandsAtItsPlaceWithItsTextAndFont) {
    FormRig rig;
    TSkedulaForm& form = rig.form();
    rig.engine().ListeSG.setCell(0, 1, "x"); // the window is drawn with every control
    struct Place {
        const char* name;
        HWND control;
        RECT rect; // right 0: as wide as its text
        const char* className;
        const char* text;
    };
    const Place places[] = {
        {"ListeSG", form.ListeSG->handle(), {8, 8, 641, 209}, "TStringGrid", ""},
        {"SchlangeSG", form.SchlangeSG->handle(), {8, 216, 641, 313}, "TStringGrid", ""},
        {"StartBtn", form.StartBtn, {656, 24, 731, 49}, "Button", "&Start"},
        {"StopBtn", form.StopBtn, {656, 56, 731, 81}, "Button", "S&top"},
        {"StatusLabel", form.StatusLabel, {656, 96, 729, 113}, "Static", "diconnected"},
        {"Label5", form.Label5, {656, 128, 0, 141}, "Static", "Frequenz"},
        {"FrequencyLabel", form.FrequencyLabel, {656, 144, 0, 157}, "Static", ""},
        {"Label7", form.Label7, {656, 168, 0, 181}, "Static", "Mode"},
        {"ModeLabel", form.ModeLabel, {656, 184, 0, 197}, "Static", ""},
        {"Label9", form.Label9, {656, 208, 0, 221}, "Static", "S-Meter"},
        {"SMeterLabel", form.SMeterLabel, {656, 224, 0, 237}, "Static", ""},
        {"Label6", form.Label6, {656, 248, 0, 261}, "Static", "Zeit"},
        {"ZeitLabel", form.ZeitLabel, {656, 264, 0, 277}, "Static", "00:00"},
        {"Memo", form.Memo, {8, 320, 641, 441}, "Edit", ""},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        ASSERT_EQ(::GetParent(p.control), rig.window());
        const RECT actual = PlaceInParent(p.control);
        EXPECT_EQ(actual.left, p.rect.left);
        EXPECT_EQ(actual.top, p.rect.top);
        EXPECT_EQ(actual.bottom, p.rect.bottom);
        const int width =
            p.rect.right != 0 ? p.rect.right - p.rect.left : TextWidth(p.control, p.text);
        EXPECT_EQ(actual.right - actual.left, width);
        EXPECT_EQ(uitest::ClassName(p.control), p.className);
        EXPECT_EQ(WindowText(p.control), p.text);
        const LOGFONTA font = FontOf(p.control);
        EXPECT_STREQ(font.lfFaceName, "Tahoma");
        EXPECT_EQ(font.lfHeight, -11);
        EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
        EXPECT_TRUE(::GetWindowLongPtrA(p.control, GWL_STYLE) & WS_VISIBLE);
    }
    // Auto-size labels are as wide as their text: "Frequenz" is some 40 pixels in Tahoma.
    EXPECT_GT(TextWidth(form.Label5, "Frequenz"), 30);
    EXPECT_TRUE(::GetWindowLongPtrA(form.StatusLabel, GWL_STYLE) & SS_CENTER);
    EXPECT_FALSE(::IsWindowEnabled(form.StopBtn));
    EXPECT_TRUE(::IsWindowEnabled(form.StartBtn));
}

TEST(MainWindow, TheMenuBarHasItsItemsAndNewEntryIsNeverEnabled) {
    FormRig rig;
    TSkedulaForm& form = rig.form();
    const auto items = [](HMENU menu) {
        std::vector<std::string> shown;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char text[64] = {};
            ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            shown.push_back(
                state & MF_SEPARATOR ? "-" : std::string(state & MF_GRAYED ? "(x) " : "") + text);
        }
        return shown;
    };
    EXPECT_EQ(items(form.MainMenu), (std::vector<std::string>{"Liste", "Hilfe"}));
    EXPECT_EQ(::GetSubMenu(form.MainMenu, 0), form.Liste1);
    EXPECT_EQ(::GetSubMenu(form.MainMenu, 1), form.Hilfe1);
    // No item has a shortcut key (its text would carry it after a tab).
    const std::vector<std::string> liste = {"Laden ...", "Speichern ...", "(x) Neuer Eintrag ...",
                                            "-", "Beenden"};
    EXPECT_EQ(items(form.Liste1), liste);
    EXPECT_EQ(items(form.Hilfe1), (std::vector<std::string>{"Info"}));

    rig.form().StartBtnClick();
    rig.engine().ListeSG.setCell(0, 1, "geladen");
    rig.form().StopBtnClick();
    EXPECT_EQ(items(form.Liste1), liste);
}

TEST(MainWindow, TabGoesThroughTheDesignedOrderAndTheMnemonicsPressTheButtons) {
    FormRig rig;
    rig.Show();
    TSkedulaForm& form = rig.form();
    std::vector<HWND> stops;
    for (HWND child = ::GetWindow(rig.window(), GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP)
            stops.push_back(child);
    EXPECT_EQ(stops, (std::vector<HWND>{form.ListeSG->handle(), form.SchlangeSG->handle(),
                                        form.StartBtn, form.StopBtn, form.Memo}));

    ::SetFocus(form.ListeSG->handle());
    const std::vector<HWND> order = {form.SchlangeSG->handle(), form.StartBtn, form.Memo,
                                     form.ListeSG->handle()}; // Stop is disabled
    for (HWND next : order) {
        uitest::PressKey(VK_TAB);
        rig.Settle();
        EXPECT_EQ(::GetFocus(), next) << uitest::ClassName(next);
    }

    uitest::PressKey('S', false, true);
    EXPECT_TRUE(rig.PumpUntil([&] { return ::IsWindowEnabled(form.StopBtn) != FALSE; }, 2000));
    EXPECT_EQ(rig.composition->stepTimer().interval(), 500);
    uitest::PressKey('T', false, true);
    EXPECT_TRUE(rig.PumpUntil([&] { return ::IsWindowEnabled(form.StartBtn) != FALSE; }, 2000));
    EXPECT_EQ(rig.composition->stepTimer().interval(), 0);
}

TEST(MainWindow, TheStatusFieldAndReadOutsFollowTheLink) {
    FormRig rig;
    TSkedulaForm& form = rig.form();
    EXPECT_EQ(form.statusColour(), TSkedulaForm::DisconnectedColour);

    form.StartBtnClick();
    EXPECT_EQ(WindowText(form.StatusLabel), "connected");
    EXPECT_EQ(form.statusColour(), RGB(0, 128, 0));
    EXPECT_EQ(WindowText(form.FrequencyLabel), "7100000");
    EXPECT_EQ(WindowText(form.ModeLabel), "AM");
    EXPECT_EQ(WindowText(form.SMeterLabel), "S7");
    EXPECT_EQ(PlaceInParent(form.SMeterLabel).right - 656, TextWidth(form.SMeterLabel, "S7"));

    rig.conversation.values["HRD_SMETER"] = "S9+10dB";
    rig.conversation.AnnounceChange("HRD_SMETER");
    EXPECT_EQ(WindowText(form.SMeterLabel), "S9+10dB");
    rig.conversation.EndConversation(); // the radio-control program quits
    EXPECT_EQ(WindowText(form.StatusLabel), "disconnected");
    EXPECT_EQ(form.statusColour(), RGB(255, 0, 0));
    EXPECT_EQ(WindowText(form.SMeterLabel), "S9+10dB"); // the read-outs keep their texts
    EXPECT_FALSE(::IsWindowEnabled(form.StartBtn));     // still running
}

TEST(MainWindow, ClosingTheWindowClosesTheLinkOnlyWhenTheStatusShowsItOpen) {
    for (const bool connected : {true, false}) {
        SCOPED_TRACE(connected);
        FormRig rig;
        rig.conversation.serverRunning = connected;
        rig.conversation.startMakesServerRun = false;
        rig.form().StartBtnClick();
        rig.conversation.ClearCalls();
        rig.End();
        EXPECT_EQ(rig.conversation.CallsStartingWith("Disconnect").size(), connected ? 1u : 0u);
    }
}

TEST(MainWindow, TheLogTakesTheReportsWrapsLongLinesAndCannotBeTypedInto) {
    FormRig rig;
    rig.Show();
    TSkedulaForm& form = rig.form();
    for (const char* line : {"", "14:30:10", "7100000 AM", "S7 >= S5"})
        form.appendLine(line);
    EXPECT_EQ(WindowText(form.Memo), "\r\n14:30:10\r\n7100000 AM\r\nS7 >= S5");

    ::SetFocus(form.Memo);
    uitest::TypeText("abc");
    uitest::PressKey(VK_BACK);
    uitest::PressKey(VK_RETURN);
    uitest::PressKey(VK_ESCAPE); // an edit control's "close the dialog" would end the program
    rig.Settle();
    EXPECT_FALSE(rig.application.Terminated());
    EXPECT_EQ(WindowText(form.Memo), "\r\n14:30:10\r\n7100000 AM\r\nS7 >= S5");
    EXPECT_TRUE(::GetWindowLongPtrA(form.Memo, GWL_STYLE) & ES_READONLY);

    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(::GetScrollBarInfo(form.Memo, OBJID_VSCROLL, &bar));
    EXPECT_FALSE(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE); // also while the log is short
    ASSERT_TRUE(::GetScrollBarInfo(form.Memo, OBJID_HSCROLL, &bar));
    EXPECT_TRUE(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE);

    const int before = static_cast<int>(::SendMessageA(form.Memo, EM_GETLINECOUNT, 0, 0));
    form.appendLine(std::string(300, 'S'));
    EXPECT_GT(::SendMessageA(form.Memo, EM_GETLINECOUNT, 0, 0), before + 1);

    // A log read at its end follows the new lines.
    for (int i = 0; i < 20; ++i)
        form.appendLine("S" + std::to_string(i));
    const int last = static_cast<int>(::SendMessageA(form.Memo, EM_GETLINECOUNT, 0, 0)) - 1;
    const int first = static_cast<int>(::SendMessageA(form.Memo, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_GT(first, 0);
    EXPECT_LE(last - first, 9); // 121 pixels show some eight lines
}

// Where the window shows the design's colours, as the screen has it.
TEST(MainWindow, ThePixelsShowTheControlsAtTheirPlaces) {
    FormRig rig;
    TSkedulaForm& form = rig.form();
    form.selectQueueRow(1);
    rig.Show();
    const uitest::Picture picture = uitest::Picture::OfClientArea(rig.window());
    ASSERT_EQ(picture.width(), 739);
    ASSERT_EQ(picture.height(), 448);
    if (::testing::Test::HasFailure())
        return;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF black = RGB(0, 0, 0);
    const COLORREF silver = RGB(192, 192, 192);
    struct Probe {
        const char* what;
        int x, y;
        COLORREF colour;
    } probes[] = {
        {"background left of the list", 4, 100, face},
        {"background between the grids", 300, 212, face},
        {"background right of the log", 648, 400, face},
        {"list border", 8, 100, ::GetSysColor(COLOR_BTNSHADOW)},
        {"list header cell", 10 + 80, 10 + 8, face},
        {"list header line after column 0", 10 + 85, 10 + 8, black},
        {"list header line below", 10 + 40, 10 + 16, black},
        {"list line after column 0, row 1", 10 + 85, 10 + 17 + 8, silver},
        {"list line below row 1", 10 + 40, 10 + 33, silver},
        {"list line below row 10", 10 + 40, 10 + 186, silver},
        {"list below the last row", 10 + 40, 10 + 188, window},
        {"list right of the last column", 10 + 601 + 5, 10 + 50, window},
        {"list cell (0, 2)", 10 + 40, 10 + 34 + 10, window},
        {"queue header cell", 10 + 60, 218 + 8, face},
        {"queue line after column 3", 10 + 124 + 1 + 117 + 1 + 115 + 1 + 239, 218 + 25, silver},
        {"queue highlight, column 0", 10 + 3, 218 + 17 + 12, highlight},
        {"queue highlight, column 3", 10 + 600 - 20, 218 + 17 + 12, highlight},
        {"queue below its rows", 10 + 60, 218 + 60, window},
        {"status field, top left", 656, 96, RGB(255, 0, 0)},
        {"status field, bottom right", 728, 112, RGB(255, 0, 0)},
        {"left of the status field", 655, 104, face},
        {"below the status field", 700, 113, face},
        {"Start's face", 660, 28, face},
        {"left of Start", 655, 36, face},
        {"log inside", 200, 380, window},
        {"log border", 8, 380, ::GetSysColor(COLOR_BTNSHADOW)},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(picture.at(p.x, p.y), p.colour)
            << p.what << " at " << p.x << "," << p.y << ": " << std::hex << picture.at(p.x, p.y);

    // The status text is navy, inside its box; the button's frame is darker below than above.
    bool navy = false;
    for (int y = 96; y < 113; ++y)
        for (int x = 656; x < 729; ++x)
            navy = navy || picture.at(x, y) == RGB(0, 0, 128);
    EXPECT_TRUE(navy);
    EXPECT_NE(picture.at(693, 48), face); // Start's bottom edge
    if (::testing::Test::HasFailure())
        picture.Save("main-window-pixels.bmp");
}

} // namespace
} // namespace skedula
