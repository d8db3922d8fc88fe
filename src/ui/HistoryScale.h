// How the history window colours a level and tells of a measurement: levels in dB relative to
// S9 on one scale from S0 to S9+40 dB, coloured by viridis (perceptually even, readable by
// colour-blind people and in grey), and the text shown when the pointer rests on a measurement.
// Used by the heat map, the strip chart and the window; HistoryPoint places the measurements.
#pragma once

#include "engine/WatchListener.h"
#include "storage/HistoryPoint.h"

#include <QColor>
#include <QString>

namespace skedula {

inline constexpr double kScaleLowDb = -54; // S0
inline constexpr double kScaleHighDb = 40; // S9+40 dB

// Viridis at t from 0 (dark blue-violet) to 1 (yellow), clamped.
QColor Viridis(double t);
// The colour of a level on the scale.
QColor LevelColour(double db);
// Where a level lies on the scale, 0 at S0 and below, 1 at S9+40 dB and above.
double ScalePosition(double db);

// "07.12.2026 14:30:10 +01:00   S7 S7 S6   -12 / -12 / -17,5 dB   Schwelle S5   gemeldet".
QString Describe(const Measurement& measurement);

} // namespace skedula
