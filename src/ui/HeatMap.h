// The history window's heat map of one entry: a column per day, the minute of the day downwards
// in the local time each measurement was stored with, each measurement in the colour of its
// lowest sample, grey where it had no reading, blank where nothing was measured, reports marked;
// beside it the colour scale with the threshold, below it the key. A view: it draws what the
// window hands it and tells which measurement the pointer rests on and which days are chosen.
#pragma once

#include "ui/HistoryScale.h"

#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

namespace skedula {

class HeatMap : public QWidget {
    Q_OBJECT

public:
    static const QColor Blank;     // nothing measured
    static const QColor NoReading; // grey
    static const QColor Report;    // the mark of a report

    explicit HeatMap(QWidget* parent = nullptr);

    // The measurements placed, which the window keeps for as long as they are shown; firstDay
    // and lastDay are Julian days.
    void Show(const std::vector<HistoryPoint>* points, int firstDay, int lastDay,
              std::optional<int> threshold);
    // Marks the chosen days above their columns.
    void MarkDays(int firstDay, int lastDay);

    // Where the cell of a day's minute is drawn; nothing outside the days shown.
    std::optional<QPoint> CellCentre(int day, int minuteOfDay) const;
    // Where a report in that cell is marked: the day's right-hand pixel in the cell's row, or the
    // whole cell where a day is too narrow to keep its colour beside the mark.
    std::optional<QPoint> ReportMark(int day, int minuteOfDay) const;
    // The index in the window's points of the measurement drawn at a point, -1 for none.
    int MeasurementAt(QPoint point) const;

signals:
    void Pointed(int index); // -1: none
    void DaysChosen(int firstDay, int lastDay);
    void Opened(int index); // double click
    // The cells were drawn anew; the days take this many pixels from the left edge.
    void Drawn(int cellsRight);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent*) override;

private:
    QRect PlotArea() const;
    void Render();
    void DrawAxes(QPainter& painter, const QRect& area) const;
    void DrawScale(QPainter& painter, const QRect& area) const;
    void DrawKey(QPainter& painter, const QRect& area) const;
    std::optional<int> DayAt(QPoint point) const;

    const std::vector<HistoryPoint>* points_ = nullptr;
    int firstDay_ = 0;
    int days_ = 1;
    std::optional<int> threshold_;
    int markedFirst_ = 0;
    int markedLast_ = -1;
    int anchorDay_ = 0;
    int pointed_ = -1;

    // The cells as drawn: the picture, its geometry and which measurement each bin shows.
    QImage cells_;
    int columnWidth_ = 1;
    int minutesPerRow_ = 1;
    int rows_ = 1440;
    std::vector<int> shown_;
};

} // namespace skedula
