#include "windows/ui/Design.h"

#include "engine/Error.h"

namespace skedula {

Font::Font(const char* face, int height, bool bold, bool underline)
    : font_(::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face)) {
    if (font_ == nullptr)
        throw Error(std::string("Schrift ") + face + " nicht erzeugt");
}

Font::~Font() {
    ::DeleteObject(font_);
}

HWND CreateControl(HWND parent, const char* className, const std::string& text, DWORD style,
                   DWORD exStyle, int id, int left, int top, int width, int height, HFONT font) {
    HWND control = ::CreateWindowExA(
        exStyle, className, text.c_str(), WS_CHILD | style, left, top, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    if (control == nullptr)
        throw Error(std::string("Steuerelement ") + className + " nicht erzeugt");
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

HWND CreateAutoSizeLabel(HWND parent, const std::string& text, int id, int left, int top,
                         int height, HFONT font) {
    HWND label = CreateControl(parent, "STATIC", text, WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                               0, id, left, top, 0, height, font);
    SetAutoSizeText(label, text);
    return label;
}

void SetAutoSizeText(HWND label, const std::string& text) {
    ::SetWindowTextA(label, text.c_str());
    RECT place;
    ::GetWindowRect(label, &place);
    ::SetWindowPos(label, nullptr, 0, 0, TextWidth(label, text), place.bottom - place.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(label, nullptr, TRUE);
}

int TextWidth(HWND control, const std::string& text) {
    HDC dc = ::GetDC(control);
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return size.cx;
}

int TextHeight(HWND control, const std::string& text, int width) {
    HDC dc = ::GetDC(control);
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT area{0, 0, width, 0};
    ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &area,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return area.bottom;
}

std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

SIZE FrameSizeFor(int width, int height, DWORD style, DWORD exStyle, bool menu) {
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, style, menu, exStyle);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

} // namespace skedula
