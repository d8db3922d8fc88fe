// Helpers that place controls the way the windows were designed: pixel geometry at 96 dots
// per inch, the design fonts, and labels that size themselves to their text. Used by the main
// window and the about dialog.
#pragma once

#include <QFont>
#include <QLabel>
#include <QString>

namespace skedula {

// The main window's font: Tahoma, 11 pixels high (8 point at 96 dpi).
QFont TahomaFont();
// The about dialog's font: MS Sans Serif at the given pixel height.
QFont SansSerifFont(int pixelHeight = 11, bool bold = false);

// A label at (left, top), as high as given and as wide as its text.
QLabel* AutoSizeLabel(QWidget* parent, const QString& text, int left, int top, int height);
// Replaces the text of an auto-size label and refits its width.
void SetAutoSizeText(QLabel* label, const QString& text);

} // namespace skedula
