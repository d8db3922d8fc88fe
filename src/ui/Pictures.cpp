#include "ui/Pictures.h"

#include "ui/FormDesign.h"

#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTransform>
#include <QWidget>

namespace skedula {

namespace {

// Colours of the 16-colour palette.
const QColor kBlack(0, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGrey(128, 128, 128);
const QColor kSilver(192, 192, 192);

void PlaceLabel(QWidget* parent, const QString& text, int left, int top) {
    AutoSizeLabel(parent, text, left, top, 13);
}

// The right-hand column of a running main window, at its designed places (offset so that the
// column's left edge is at 8).
QImage RightColumn() {
    QWidget column;
    column.setFont(TahomaFont());
    column.setFixedSize(100, 300);
    auto* stop = new QPushButton("S&top", &column);
    stop->setGeometry(8, 8, 75, 25);
    auto* status = new QLabel("connected", &column);
    status->setGeometry(8, 48, 73, 17);
    status->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    status->setAutoFillBackground(true);
    QPalette colours = status->palette();
    colours.setColor(QPalette::Window, QColor(0, 128, 0));
    colours.setColor(QPalette::WindowText, QColor(0, 0, 128));
    status->setPalette(colours);
    PlaceLabel(&column, "Frequenz", 8, 80);
    PlaceLabel(&column, "14230000", 8, 96);
    PlaceLabel(&column, "Mode", 8, 120);
    PlaceLabel(&column, "USB", 8, 136);
    PlaceLabel(&column, "S-Meter", 8, 160);
    PlaceLabel(&column, "S7", 8, 176);
    PlaceLabel(&column, "Zeit", 8, 200);
    PlaceLabel(&column, "14:30", 8, 216);
    PlaceLabel(&column, "S7 >= S5", 8, 248);
    PlaceLabel(&column, "S8 >= S5", 8, 264);
    QImage image(column.size(), QImage::Format_RGB32);
    column.render(&image);
    return image;
}

} // namespace

QPixmap ChipIcon() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Hard edges keep the picture to the palette's colours.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(16, 16);
    painter.rotate(-45);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kYellow);
    for (int pin = 0; pin < 4; ++pin) {
        const int y = -8 + pin * 5;
        painter.drawRect(-11, y, 4, 2);
        painter.drawRect(7, y, 4, 2);
    }
    painter.setBrush(kBlack);
    painter.drawRect(-7, -11, 14, 22);
    painter.setBrush(kGrey);
    painter.drawRect(-4, -9, 3, 3); // the mark beside pin 1
    painter.setPen(kSilver);
    painter.drawLine(-6, 10, 6, 10);
    return QPixmap::fromImage(image);
}

QPixmap AboutBanner() {
    const QImage column = RightColumn();
    QImage tilted = column.transformed(QTransform().rotate(-8), Qt::SmoothTransformation);
    // The corners the rotation opens are filled like the faded background.
    QImage banner(57, 225, QImage::Format_RGB32);
    banner.fill(Qt::white);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPoint centre(tilted.width() / 2 - 57 / 2 - 19, tilted.height() / 2 - 225 / 2 - 6);
    painter.drawImage(QPoint(0, 0), tilted, QRect(centre, QSize(57, 225)));
    // Faded: half way towards white.
    painter.fillRect(banner.rect(), QColor(255, 255, 255, 128));
    painter.end();
    return QPixmap::fromImage(banner);
}

} // namespace skedula
