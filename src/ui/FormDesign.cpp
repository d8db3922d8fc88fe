#include "ui/FormDesign.h"

namespace skedula {

namespace {

// Tahoma and MS Sans Serif are Windows fonts. The style hint lets the font matcher put the
// desktop's sans-serif in their place, at the same pixel height, so the layout keeps its size.
QFont DesignFont(const QString& family, int pixelHeight, bool bold) {
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

} // namespace

QFont TahomaFont() {
    return DesignFont("Tahoma", 11, false);
}

QFont SansSerifFont(int pixelHeight, bool bold) {
    return DesignFont("MS Sans Serif", pixelHeight, bold);
}

QLabel* AutoSizeLabel(QWidget* parent, const QString& text, int left, int top, int height) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->move(left, top);
    label->setFixedHeight(height);
    SetAutoSizeText(label, text);
    return label;
}

void SetAutoSizeText(QLabel* label, const QString& text) {
    label->setText(text);
    label->setFixedWidth(label->fontMetrics().horizontalAdvance(text));
}

} // namespace skedula
