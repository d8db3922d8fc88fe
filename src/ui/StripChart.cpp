#include "ui/StripChart.h"

#include "ui/HeatMap.h"

#include <QDate>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace skedula {

namespace {

// The same left and right edges as the heat map above it.
constexpr int kLeft = 42;
constexpr int kTop = 20;
constexpr int kRight = 78;
constexpr int kBottom = 18;
constexpr double kMinutesOfDay = 1440;

} // namespace

StripChart::StripChart(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumHeight(kTop + kBottom + 80);
}

void StripChart::Show(const std::vector<Measurement>& measurements, int firstDay, int lastDay) {
    firstDay_ = firstDay;
    days_ = std::max(1, lastDay - firstDay + 1);
    points_.clear();
    for (std::size_t i = 0; i < measurements.size(); ++i) {
        const Measurement& m = measurements[i];
        const std::optional<StoredTime> at = ParseStoredTime(m.time);
        if (!at || at->day < firstDay || at->day > lastDay)
            continue;
        const StoredTime& p = *at;
        Point point{static_cast<int>(i),
                    (p.day - firstDay) * kMinutesOfDay + p.minuteOfDay + p.second / 60.0,
                    {},
                    m.threshold ? std::optional(SUnitDb(*m.threshold)) : std::nullopt,
                    m.reported};
        for (std::size_t s = 0; s < 3; ++s)
            if (m.samples[s])
                point.db[s] = SampleDb(*m.samples[s]);
        points_.push_back(point);
    }
    std::stable_sort(points_.begin(), points_.end(),
                     [](const Point& a, const Point& b) { return a.minute < b.minute; });
    pointed_ = -1;
    update();
}

void StripChart::AlignRight(int right) {
    right_ = right;
    update();
}

QRect StripChart::PlotArea() const {
    const int right = right_ > kLeft ? std::min(right_, width()) : width() - kRight;
    return QRect(kLeft, kTop, std::max(1, right - kLeft), std::max(1, height() - kTop - kBottom));
}

int StripChart::X(double minute) const {
    const QRect area = PlotArea();
    return area.left() +
           static_cast<int>(std::lround(minute / (days_ * kMinutesOfDay) * (area.width() - 1)));
}

int StripChart::Y(double db) const {
    const QRect area = PlotArea();
    return area.top() +
           static_cast<int>(std::lround((1 - ScalePosition(db)) * (area.height() - 1)));
}

std::optional<QPoint> StripChart::SamplePoint(int index, std::size_t sample) const {
    for (const Point& p : points_)
        if (p.index == index && sample < 3 && p.db[sample])
            return QPoint(X(p.minute), Y(*p.db[sample]));
    return std::nullopt;
}

void StripChart::DrawGrid(QPainter& painter, const QRect& area) const {
    painter.setPen(palette().color(QPalette::Midlight));
    for (const auto& [db, text] : {std::pair{SUnitDb(1), "S1"},
                                   {SUnitDb(3), "S3"},
                                   {SUnitDb(5), "S5"},
                                   {SUnitDb(7), "S7"},
                                   {SUnitDb(9), "S9"},
                                   {20.0, "+20"},
                                   {40.0, "+40"}}) {
        const int y = Y(db);
        painter.setPen(palette().color(QPalette::Midlight));
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(0, y - 7, area.left() - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
                         text);
    }
    // Every three hours of a single day; the days' midnights when there are several.
    const int step = days_ == 1 ? 180 : (days_ <= 7 ? 1440 : 1440 * ((days_ + 6) / 7));
    for (int minute = 0; minute <= days_ * 1440; minute += step) {
        const int x = X(minute);
        painter.setPen(palette().color(QPalette::Midlight));
        painter.drawLine(x, area.top(), x, area.bottom());
        painter.setPen(palette().color(QPalette::WindowText));
        const QString text = days_ == 1
                                 ? QString("%1:00").arg(minute / 60, 2, 10, QChar('0'))
                                 : QDate::fromJulianDay(firstDay_ + minute / 1440).toString("d.M.");
        if (minute < days_ * 1440)
            painter.drawText(x + 2, area.bottom() + 14, text);
    }
}

void StripChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRect area = PlotArea();
    painter.fillRect(area, QColor(255, 255, 255));
    DrawGrid(painter, area);
    painter.setPen(palette().color(QPalette::WindowText));
    const QString first = QDate::fromJulianDay(firstDay_).toString("dd.MM.yyyy");
    const QString last = QDate::fromJulianDay(firstDay_ + days_ - 1).toString("dd.MM.yyyy");
    painter.drawText(area.left(), kTop - 6,
                     "Messwerte " + (days_ == 1 ? first : first + " bis " + last) +
                         "; gestrichelt: Schwelle");

    // The threshold holds from one measurement to the next.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DashLine));
    for (std::size_t i = 0; i < points_.size(); ++i) {
        if (!points_[i].thresholdDb)
            continue;
        const int y = Y(*points_[i].thresholdDb);
        const int to = i + 1 < points_.size() ? X(points_[i + 1].minute) : X(points_[i].minute) + 6;
        painter.drawLine(X(points_[i].minute), y, std::max(to, X(points_[i].minute) + 1), y);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const Point& p : points_) {
        for (const std::optional<double>& db : p.db) {
            if (!db)
                continue;
            // A report's samples are edged in black, as the heat map marks it.
            painter.setPen(p.reported ? QPen(HeatMap::Report, 1.2) : QPen(Qt::NoPen));
            painter.setBrush(LevelColour(*db));
            painter.drawEllipse(QPoint(X(p.minute), Y(*db)), 3, 3);
        }
    }
}

int StripChart::MeasurementAt(QPoint point) const {
    int best = -1;
    int bestDistance = 8 * 8 + 1;
    for (const Point& p : points_) {
        const int dx = X(p.minute) - point.x();
        if (std::abs(dx) > 8)
            continue;
        for (const std::optional<double>& db : p.db) {
            if (!db)
                continue;
            const int dy = Y(*db) - point.y();
            if (dx * dx + dy * dy < bestDistance) {
                bestDistance = dx * dx + dy * dy;
                best = p.index;
            }
        }
    }
    return best;
}

void StripChart::mouseMoveEvent(QMouseEvent* event) {
    const int index = MeasurementAt(event->position().toPoint());
    if (index != pointed_) {
        pointed_ = index;
        emit Pointed(index);
    }
}

void StripChart::leaveEvent(QEvent*) {
    if (pointed_ != -1) {
        pointed_ = -1;
        emit Pointed(-1);
    }
}

void StripChart::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = MeasurementAt(event->position().toPoint());
    if (index >= 0)
        emit Opened(index);
}

} // namespace skedula
