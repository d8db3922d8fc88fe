#include "ui/HeatMap.h"

#include <QDate>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace skedula {

const QColor HeatMap::Blank(255, 255, 255);
const QColor HeatMap::NoReading(160, 160, 160);
const QColor HeatMap::Report(0, 0, 0);

namespace {

// Room for the hours on the left, the dates above, the scale on the right and the key below.
constexpr int kLeft = 42;
constexpr int kTop = 22;
constexpr int kRight = 78;
constexpr int kBottom = 24;
constexpr int kMinutesOfDay = 1440;

// The one of two measurements in a bin that the bin shows: the stronger, so that a station
// heard in one of several measurements of a few minutes shows; no reading is the weakest.
bool Stronger(const HistoryPoint& a, const HistoryPoint& b) {
    if (!b.lowestDb)
        return a.lowestDb.has_value();
    return a.lowestDb && *a.lowestDb > *b.lowestDb;
}

} // namespace

HeatMap::HeatMap(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(kLeft + kRight + 180, kTop + kBottom + 240);
}

void HeatMap::Show(const std::vector<HistoryPoint>* points, int firstDay, int lastDay,
                   std::optional<int> threshold) {
    points_ = points;
    firstDay_ = firstDay;
    days_ = std::max(1, lastDay - firstDay + 1);
    threshold_ = threshold;
    pointed_ = -1;
    Render();
    update();
}

void HeatMap::MarkDays(int firstDay, int lastDay) {
    markedFirst_ = firstDay;
    markedLast_ = lastDay;
    update();
}

QRect HeatMap::PlotArea() const {
    return QRect(kLeft, kTop, std::max(1, width() - kLeft - kRight),
                 std::max(1, height() - kTop - kBottom));
}

void HeatMap::Render() {
    const QRect area = PlotArea();
    columnWidth_ = std::max(1, area.width() / days_);
    minutesPerRow_ = (kMinutesOfDay + area.height() - 1) / area.height();
    rows_ = (kMinutesOfDay + minutesPerRow_ - 1) / minutesPerRow_;
    cells_ = QImage(days_ * columnWidth_, rows_, QImage::Format_RGB32);
    cells_.fill(Blank);
    shown_.assign(static_cast<std::size_t>(days_ * rows_), -1);
    std::vector<bool> reported(shown_.size(), false);
    const std::size_t count = points_ != nullptr ? points_->size() : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const HistoryPoint& p = (*points_)[i];
        const int day = p.day - firstDay_;
        if (day < 0 || day >= days_)
            continue;
        const auto bin = static_cast<std::size_t>(day * rows_ + p.minuteOfDay / minutesPerRow_);
        int& shown = shown_[bin];
        if (shown < 0 || Stronger(p, (*points_)[static_cast<std::size_t>(shown)]))
            shown = static_cast<int>(i);
        reported[bin] = reported[bin] || p.reported;
    }
    // A report keeps its colour and gets a black edge on the right, so that a run of reports
    // reads as a line beside the colours; a day too narrow for both shows the mark alone.
    const int marked = columnWidth_ >= 3 ? columnWidth_ - 1 : 0;
    for (std::size_t bin = 0; bin < shown_.size(); ++bin) {
        if (shown_[bin] < 0)
            continue;
        const HistoryPoint& p = (*points_)[static_cast<std::size_t>(shown_[bin])];
        const QRgb colour = (p.lowestDb ? LevelColour(*p.lowestDb) : NoReading).rgb();
        const int day = static_cast<int>(bin) / rows_, row = static_cast<int>(bin) % rows_;
        for (int x = 0; x < columnWidth_; ++x)
            cells_.setPixel(day * columnWidth_ + x, row,
                            reported[bin] && x >= marked ? Report.rgb() : colour);
    }
    emit Drawn(area.left() + cells_.width());
}

void HeatMap::resizeEvent(QResizeEvent*) {
    Render();
}

std::optional<QPoint> HeatMap::CellCentre(int day, int minuteOfDay) const {
    const int column = day - firstDay_;
    if (column < 0 || column >= days_ || minuteOfDay < 0 || minuteOfDay >= kMinutesOfDay)
        return std::nullopt;
    const QRect area = PlotArea();
    return QPoint(area.left() + column * columnWidth_ + columnWidth_ / 2,
                  area.top() + minuteOfDay / minutesPerRow_);
}

std::optional<QPoint> HeatMap::ReportMark(int day, int minuteOfDay) const {
    const std::optional<QPoint> centre = CellCentre(day, minuteOfDay);
    if (!centre || columnWidth_ < 3)
        return centre;
    return QPoint(PlotArea().left() + (day - firstDay_ + 1) * columnWidth_ - 1, centre->y());
}

std::optional<int> HeatMap::DayAt(QPoint point) const {
    const QRect area = PlotArea();
    const int x = point.x() - area.left();
    if (x < 0 || x >= days_ * columnWidth_)
        return std::nullopt;
    return firstDay_ + x / columnWidth_;
}

int HeatMap::MeasurementAt(QPoint point) const {
    const std::optional<int> day = DayAt(point);
    const int row = point.y() - PlotArea().top();
    if (!day || row < 0 || row >= rows_)
        return -1;
    return shown_[static_cast<std::size_t>((*day - firstDay_) * rows_ + row)];
}

void HeatMap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRect area = PlotArea();
    painter.fillRect(QRect(area.topLeft(), cells_.size()), Blank);
    painter.drawImage(area.topLeft(), cells_);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(QRect(area.topLeft(), cells_.size()).adjusted(-1, -1, 0, 0));
    DrawAxes(painter, area);
    DrawScale(painter, area);
    DrawKey(painter, area);
}

void HeatMap::DrawAxes(QPainter& painter, const QRect& area) const {
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics = painter.fontMetrics();
    for (int hour = 0; hour <= 24; hour += 3) {
        const int y = area.top() + hour * 60 / minutesPerRow_;
        painter.drawLine(area.left() - 4, y, area.left() - 2, y);
        const QString text = QString("%1:00").arg(hour, 2, 10, QChar('0'));
        painter.drawText(QRect(0, y - 7, area.left() - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
                         text);
    }
    // The first of every month; with few days, every Monday as well.
    int lastLabelEnd = -1000;
    for (int column = 0; column < days_; ++column) {
        const QDate date = QDate::fromJulianDay(firstDay_ + column);
        if (date.day() != 1 && column != 0 && !(days_ <= 31 && date.dayOfWeek() == 1))
            continue;
        const int x = area.left() + column * columnWidth_;
        const QString text = date.toString("d.M.");
        if (x < lastLabelEnd + 4)
            continue;
        painter.drawLine(x, area.top() - 7, x, area.top() - 2);
        painter.drawText(x + 2, area.top() - 9, text);
        lastLabelEnd = x + 2 + metrics.horizontalAdvance(text);
    }
    if (markedLast_ >= markedFirst_) {
        const int first = std::max(markedFirst_, firstDay_) - firstDay_;
        const int last = std::min(markedLast_, firstDay_ + days_ - 1) - firstDay_;
        if (first <= last)
            painter.fillRect(area.left() + first * columnWidth_, area.top() - 5,
                             (last - first + 1) * columnWidth_, 3,
                             palette().color(QPalette::Highlight));
    }
}

void HeatMap::DrawScale(QPainter& painter, const QRect& area) const {
    const int x = area.left() + days_ * columnWidth_ + 10;
    const int top = area.top(), height = std::min(area.height(), rows_);
    for (int y = 0; y < height; ++y) {
        painter.setPen(Viridis(1.0 - static_cast<double>(y) / std::max(1, height - 1)));
        painter.drawLine(x, top + y, x + 11, top + y);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const auto yOf = [&](double db) {
        return top + static_cast<int>(std::lround((1 - ScalePosition(db)) * (height - 1)));
    };
    for (const auto& [db, text] : {std::pair{SUnitDb(0), "S0"},
                                   {SUnitDb(3), "S3"},
                                   {SUnitDb(5), "S5"},
                                   {SUnitDb(7), "S7"},
                                   {SUnitDb(9), "S9"},
                                   {20.0, "+20"},
                                   {40.0, "+40"}}) {
        const int y = yOf(db);
        painter.drawLine(x + 12, y, x + 14, y);
        painter.drawText(QRect(x + 16, y - 7, 40, 14), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    if (threshold_) {
        // The threshold as an arrow beside the scale, at its S-unit's lower edge.
        const int y = yOf(SUnitDb(*threshold_));
        painter.setBrush(palette().color(QPalette::WindowText));
        painter.drawPolygon(
            QPolygon({QPoint(x - 1, y), QPoint(x - 6, y - 4), QPoint(x - 6, y + 4)}));
        painter.drawLine(x, y, x + 11, y);
    }
}

void HeatMap::DrawKey(QPainter& painter, const QRect& area) const {
    int x = area.left();
    const int y = area.top() + rows_ + 8;
    const QFontMetrics metrics = painter.fontMetrics();
    const auto swatch = [&](const QColor& fill, const QString& text, bool report) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.setBrush(fill);
        painter.drawRect(x, y, 9, 9);
        if (report)
            painter.fillRect(x + 7, y + 1, 2, 8, Report);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(x + 13, y + 9, text);
        x += 13 + metrics.horizontalAdvance(text) + 12;
    };
    swatch(Blank, "nicht gemessen", false);
    swatch(NoReading, "kein Messwert", false);
    swatch(LevelColour(SUnitDb(7)), "Meldung", true);
    if (threshold_) {
        painter.setBrush(palette().color(QPalette::WindowText));
        painter.drawPolygon(
            QPolygon({QPoint(x + 8, y + 4), QPoint(x + 3, y), QPoint(x + 3, y + 8)}));
        painter.drawText(x + 13, y + 9, QString("Schwelle S%1").arg(*threshold_));
    }
}

void HeatMap::mouseMoveEvent(QMouseEvent* event) {
    const int index = MeasurementAt(event->position().toPoint());
    if (index != pointed_) {
        pointed_ = index;
        emit Pointed(index);
    }
}

void HeatMap::leaveEvent(QEvent*) {
    if (pointed_ != -1) {
        pointed_ = -1;
        emit Pointed(-1);
    }
}

void HeatMap::mousePressEvent(QMouseEvent* event) {
    const std::optional<int> day = DayAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !day)
        return;
    // Shift extends the choice from the day chosen before, as in a list.
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchorDay_ = *day;
    emit DaysChosen(std::min(anchorDay_, *day), std::max(anchorDay_, *day));
}

void HeatMap::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = MeasurementAt(event->position().toPoint());
    if (index >= 0)
        emit Opened(index);
}

} // namespace skedula
