// The history window's strip chart of the chosen days: the three samples of each measurement over
// the time of day, in the colours of the heat map, reports edged, and the threshold as a dashed
// line. A view: it draws what the window hands it and tells which measurement the pointer rests on.
#pragma once

#include "ui/HistoryScale.h"

#include <QWidget>

#include <array>
#include <optional>
#include <vector>

namespace skedula {

class StripChart : public QWidget {
    Q_OBJECT

public:
    explicit StripChart(QWidget* parent = nullptr);

    // The measurements of the days firstDay to lastDay (Julian days), by their index in the
    // list given; those of other days are left out.
    void Show(const std::vector<Measurement>& measurements, int firstDay, int lastDay);

    // The time axis ends this many pixels from the left edge, under the heat map's last day.
    void AlignRight(int right);

    // Where a measurement's sample is drawn; nothing when it is not shown.
    std::optional<QPoint> SamplePoint(int index, std::size_t sample) const;

signals:
    void Pointed(int index); // -1: none
    void Opened(int index);  // double click

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent*) override;

private:
    struct Point {
        int index;
        double minute; // from the first day's midnight
        std::array<std::optional<double>, 3> db;
        std::optional<double> thresholdDb;
        bool reported;
    };

    QRect PlotArea() const;
    int X(double minute) const;
    int Y(double db) const;
    int MeasurementAt(QPoint point) const;
    void DrawGrid(QPainter& painter, const QRect& area) const;

    std::vector<Point> points_; // in order of time
    int firstDay_ = 0;
    int days_ = 1;
    int pointed_ = -1;
    int right_ = 0; // 0: the widget's own right margin
};

} // namespace skedula
