// The program's two pictures, drawn at run time: the chip icon (the windows' icon and the
// about dialog's Image2) and the about dialog's banner (its Image1).
#pragma once

#include <QPixmap>

namespace skedula {

// 32 x 32: a black integrated-circuit chip with yellow pins, drawn diagonally, transparent
// around it, in colours of the 16-colour palette.
QPixmap ChipIcon();

// 57 x 225: a tilted, faded strip of the main window's right-hand column (Stop button, status
// field, read-outs with sample values).
QPixmap AboutBanner();

} // namespace skedula
