// The program's two pictures, drawn at run time: the chip icon (the main window's icon and the
// about dialog's Image2) and the about dialog's banner (its Image1).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

namespace skedula {

// The icon's palette is Windows' 16 colours; these are the ones the chip uses, and the pixel
// that is none.
inline constexpr std::uint8_t kBlackIndex = 0;
inline constexpr std::uint8_t kGreyIndex = 8;
inline constexpr std::uint8_t kSilverIndex = 7;
inline constexpr std::uint8_t kYellowIndex = 11;
inline constexpr std::uint8_t kTransparent = 0xFF;
const std::array<RGBQUAD, 16>& IconPalette();

// 32 x 32 palette indexes, row by row from the top: a black integrated-circuit chip with yellow
// pins, drawn diagonally, kTransparent around it.
std::array<std::uint8_t, 32 * 32> ChipIconPixels();
// The chip as a 16-colour icon with its mask; the caller destroys it.
HICON CreateChipIcon();

// 57 x 225 in 24-bit colour: a tilted, faded strip of the main window's right-hand column
// (Stop button, status field, read-outs with sample values), drawn in the font given. The
// caller deletes it.
HBITMAP CreateAboutBanner(HFONT font);

} // namespace skedula
