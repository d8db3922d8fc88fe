// How the history window turns a measurement into a place and a colour: levels in dB relative
// to S9 on one scale from S0 to S9+40 dB, coloured by viridis (perceptually even, readable by
// colour-blind people and in grey), a measurement's day and minute as stored, and the text shown
// when the pointer rests on it. Used by the heat map, the strip chart and the window.
#pragma once

#include "engine/WatchListener.h"

#include <QColor>
#include <QString>

#include <optional>
#include <vector>

namespace skedula {

inline constexpr double kScaleLowDb = -54; // S0
inline constexpr double kScaleHighDb = 40; // S9+40 dB

// Viridis at t from 0 (dark blue-violet) to 1 (yellow), clamped.
QColor Viridis(double t);
// The colour of a level on the scale.
QColor LevelColour(double db);
// Where a level lies on the scale, 0 at S0 and below, 1 at S9+40 dB and above.
double ScalePosition(double db);

// A sample as dB relative to S9: its level, or the lower edge of its S-unit where the radio gave
// no level (S7 is -12 dB, as rigctld's S-meter counts).
double SampleDb(const Sample& sample);
// The lower edge of an S-unit: where a threshold lies on the scale.
double SUnitDb(int sUnit);

// A stored measurement as the pictures place it.
struct PlacedMeasurement {
    int day = 0;         // the Julian day of the local date it was stored with
    int minuteOfDay = 0; // of the local time it was stored with
    int second = 0;
    // The lowest sample, which decides a report; nothing when a sample had no reading.
    std::optional<double> lowestDb;
    bool reported = false;
};

// Nothing for a time that is not "YYYY-MM-DDTHH:MM:SS...".
std::optional<PlacedMeasurement> Place(const Measurement& measurement);

// "07.12.2026 14:30:10 +01:00   S7 S7 S6   -12 / -12 / -17,5 dB   Schwelle S5   gemeldet".
QString Describe(const Measurement& measurement);

} // namespace skedula
