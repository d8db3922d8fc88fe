// Helpers that build the windows the way they were designed: pixel geometry at 96 dots per
// inch, the design fonts, and labels that size themselves to their text. Used by the main
// window and the about dialog.
#pragma once

#include <windows.h>

#include <string>

namespace skedula {

// A font that the window keeps for its whole life.
class Font {
public:
    // The face at the pixel height (negative: the character height, as a design states it).
    Font(const char* face, int height, bool bold = false, bool underline = false);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    HFONT handle() const { return font_; }

private:
    HFONT font_;
};

// The main window's font: Tahoma, 11 pixels high (8 point at 96 dpi).
inline constexpr const char* kTahoma = "Tahoma";
// The about dialog's font.
inline constexpr const char* kSansSerif = "MS Sans Serif";
inline constexpr int kEightPoint = -11;

// A child control of a system class at the given place, in the given font.
HWND CreateControl(HWND parent, const char* className, const std::string& text, DWORD style,
                   DWORD exStyle, int id, int left, int top, int width, int height, HFONT font);

// A label (a static control: left-aligned, one line, "&" shown as it is) at (left, top), as high
// as given and as wide as its text in its font.
HWND CreateAutoSizeLabel(HWND parent, const std::string& text, int id, int left, int top,
                         int height, HFONT font);
// Replaces the text of an auto-size label and refits its width.
void SetAutoSizeText(HWND label, const std::string& text);
// The width of the text in the control's font.
int TextWidth(HWND control, const std::string& text);
// The height of the text in the control's font, wrapped at words to the width.
int TextHeight(HWND control, const std::string& text, int width);
// The control's text.
std::string WindowText(HWND window);

// The outer size of a window whose client area is to be width x height.
SIZE FrameSizeFor(int width, int height, DWORD style, DWORD exStyle, bool menu);

} // namespace skedula
