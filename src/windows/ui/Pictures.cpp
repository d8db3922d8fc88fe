#include "windows/ui/Pictures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace skedula {

namespace {

// The chip in its own upright frame, centred on (0, 0): pins, body, the mark beside pin 1 and
// the bevel line at its foot, later shapes over earlier ones.
std::uint8_t ChipAt(double x, double y) {
    const auto inside = [x, y](double left, double top, double width, double height) {
        return x >= left && x < left + width && y >= top && y < top + height;
    };
    std::uint8_t colour = kTransparent;
    for (int pin = 0; pin < 4; ++pin) {
        const double top = -8 + pin * 5;
        if (inside(-11, top, 4, 2) || inside(7, top, 4, 2))
            colour = kYellowIndex;
    }
    if (inside(-7, -11, 14, 22))
        colour = kBlackIndex;
    if (inside(-4, -9, 3, 3))
        colour = kGreyIndex;
    if (inside(-6, 9.5, 12, 1))
        colour = kSilverIndex;
    return colour;
}

struct Dib {
    HBITMAP bitmap = nullptr;
    std::uint8_t* bits = nullptr;
    int stride = 0;
};

Dib CreateDib24(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    Dib dib;
    void* bits = nullptr;
    dib.bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dib.bits = static_cast<std::uint8_t*>(bits);
    dib.stride = (width * 3 + 3) & ~3;
    return dib;
}

void Fill(HDC dc, RECT rect, COLORREF colour) {
    ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void Label(HDC dc, int left, int top, const char* text) {
    ::TextOutA(dc, left, top, text, static_cast<int>(std::strlen(text)));
}

// The right-hand column of a running main window, at its designed places (its left edge at 8).
Dib RightColumn(HFONT font, int width, int height) {
    Dib column = CreateDib24(width, height);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = ::SelectObject(dc, column.bitmap);
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    Fill(dc, RECT{0, 0, width, height}, ::GetSysColor(COLOR_BTNFACE));

    RECT stop{8, 8, 83, 33};
    ::DrawFrameControl(dc, &stop, DFC_BUTTON, DFCS_BUTTONPUSH);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    ::DrawTextA(dc, "S&top", -1, &stop, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    RECT status{8, 48, 81, 65};
    Fill(dc, status, RGB(0, 128, 0));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 128));
    ::DrawTextA(dc, "connected", -1, &status, DT_CENTER | DT_TOP | DT_SINGLELINE);

    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    const struct {
        int top;
        const char* text;
    } labels[] = {{80, "Frequenz"},  {96, "14230000"}, {120, "Mode"}, {136, "USB"},
                  {160, "S-Meter"},  {176, "S7"},      {200, "Zeit"}, {216, "14:30"},
                  {248, "S7 >= S5"}, {264, "S8 >= S5"}};
    for (const auto& label : labels)
        Label(dc, 8, label.top, label.text);
    ::GdiFlush();
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteDC(dc);
    return column;
}

} // namespace

const std::array<RGBQUAD, 16>& IconPalette() {
    // Windows' 16 colours: black, maroon, green, olive, navy, purple, teal, silver, grey, red,
    // lime, yellow, blue, fuchsia, aqua, white.
    static const std::array<RGBQUAD, 16> palette = [] {
        const COLORREF colours[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                      0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                      0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
        std::array<RGBQUAD, 16> quads{};
        for (int i = 0; i < 16; ++i)
            quads[i] =
                RGBQUAD{GetBValue(colours[i]), GetGValue(colours[i]), GetRValue(colours[i]), 0};
        return quads;
    }();
    return palette;
}

std::array<std::uint8_t, 32 * 32> ChipIconPixels() {
    std::array<std::uint8_t, 32 * 32> pixels{};
    // Each pixel's centre turned back by the chip's 45 degrees, into the chip's own frame.
    const double turn = std::sqrt(0.5);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double dx = x + 0.5 - 16;
            const double dy = y + 0.5 - 16;
            pixels[y * 32 + x] = ChipAt(turn * (dx - dy), turn * (dx + dy));
        }
    return pixels;
}

HICON CreateChipIcon() {
    const std::array<std::uint8_t, 32 * 32> pixels = ChipIconPixels();
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[16];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = 32;
    info.header.biHeight = -32;
    info.header.biPlanes = 1;
    info.header.biBitCount = 4;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 16;
    std::copy(IconPalette().begin(), IconPalette().end(), info.colours);
    void* bits = nullptr;
    HBITMAP colour = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                        DIB_RGB_COLORS, &bits, nullptr, 0);
    // Two pixels a byte, 16 bytes a row; the mask one bit a pixel, 4 bytes a row. Where the
    // mask is set and the colour black, the icon is transparent.
    auto* colourBits = static_cast<std::uint8_t*>(bits);
    std::vector<std::uint8_t> mask(32 * 4, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const std::uint8_t p = pixels[y * 32 + x];
            const std::uint8_t index = p == kTransparent ? kBlackIndex : p;
            colourBits[y * 16 + x / 2] |= x % 2 == 0 ? index << 4 : index;
            if (p == kTransparent)
                mask[y * 4 + x / 8] |= 0x80 >> (x % 8);
        }
    HBITMAP maskBitmap = ::CreateBitmap(32, 32, 1, 1, mask.data());
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = colour;
    icon.hbmMask = maskBitmap;
    HICON handle = ::CreateIconIndirect(&icon);
    ::DeleteObject(colour);
    ::DeleteObject(maskBitmap);
    return handle;
}

HBITMAP CreateAboutBanner(HFONT font) {
    constexpr int kWidth = 57, kHeight = 225;
    constexpr int kColumnWidth = 100, kColumnHeight = 300;
    const Dib column = RightColumn(font, kColumnWidth, kColumnHeight);
    const Dib banner = CreateDib24(kWidth, kHeight);
    // Each banner pixel looks 8 degrees back into the column, near its left edge and a little
    // below its top, and takes the column's colour there; outside the column it is white. Then
    // it is faded half way towards white.
    const double angle = 8.0 * 3.14159265358979 / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    const double originX = -4, originY = 14;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double cx = originX + c * x - s * y;
            const double cy = originY + s * x + c * y;
            const int sx = static_cast<int>(std::floor(cx));
            const int sy = static_cast<int>(std::floor(cy));
            std::uint8_t* out = banner.bits + y * banner.stride + x * 3;
            for (int channel = 0; channel < 3; ++channel) {
                int value = 255;
                if (sx >= 0 && sy >= 0 && sx < kColumnWidth && sy < kColumnHeight)
                    value = column.bits[sy * column.stride + sx * 3 + channel];
                out[channel] = static_cast<std::uint8_t>((value + 255) / 2);
            }
        }
    ::DeleteObject(column.bitmap);
    return banner.bitmap;
}

} // namespace skedula
