#include "ui/HistoryScale.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace skedula {

namespace {

// Viridis at eleven even steps (matplotlib's values); between them the colour is interpolated.
constexpr std::array<std::array<int, 3>, 11> kViridis = {{{68, 1, 84},
                                                          {72, 36, 117},
                                                          {65, 68, 135},
                                                          {53, 95, 141},
                                                          {42, 120, 142},
                                                          {33, 145, 140},
                                                          {34, 168, 132},
                                                          {68, 191, 112},
                                                          {122, 209, 81},
                                                          {189, 223, 38},
                                                          {253, 231, 37}}};

// Two digits at text[at], or -1.
int Digits(const std::string& text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The Julian day number of a date of the Gregorian calendar.
int JulianDay(int year, int month, int day) {
    const int a = (14 - month) / 12;
    const int y = year + 4800 - a;
    const int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

QString Decimal(double value) {
    QString text = QString::number(std::round(value * 10) / 10, 'f', 1);
    if (text.endsWith(".0"))
        text.chop(2);
    return text == "-0" ? "0" : text.replace('.', ',');
}

} // namespace

QColor Viridis(double t) {
    t = std::clamp(t, 0.0, 1.0) * static_cast<double>(kViridis.size() - 1);
    const auto low = static_cast<std::size_t>(std::floor(t));
    const std::size_t high = std::min(low + 1, kViridis.size() - 1);
    const double f = t - static_cast<double>(low);
    const auto mix = [&](std::size_t c) {
        return static_cast<int>(std::lround(kViridis[low][c] * (1 - f) + kViridis[high][c] * f));
    };
    return {mix(0), mix(1), mix(2)};
}

double ScalePosition(double db) {
    return std::clamp((db - kScaleLowDb) / (kScaleHighDb - kScaleLowDb), 0.0, 1.0);
}

QColor LevelColour(double db) {
    return Viridis(ScalePosition(db));
}

double SUnitDb(int sUnit) {
    return (sUnit - 9) * 6.0;
}

double SampleDb(const Sample& sample) {
    return sample.levelDb && std::isfinite(*sample.levelDb) ? *sample.levelDb
                                                            : SUnitDb(sample.sUnit);
}

std::optional<PlacedMeasurement> Place(const Measurement& m) {
    const std::string& t = m.time;
    const int year = Digits(t, 0, 4), month = Digits(t, 5, 2), day = Digits(t, 8, 2);
    const int hour = Digits(t, 11, 2), minute = Digits(t, 14, 2), second = Digits(t, 17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || t[4] != '-' || t[7] != '-' || t[10] != 'T')
        return std::nullopt;
    PlacedMeasurement placed;
    placed.day = JulianDay(year, month, day);
    placed.minuteOfDay = hour * 60 + minute;
    placed.second = second;
    placed.reported = m.reported;
    // The lowest by S-unit, as the report decides, then by level.
    const Sample* lowest = nullptr;
    for (const std::optional<Sample>& sample : m.samples) {
        if (!sample)
            return placed; // no reading: grey
        if (lowest == nullptr || sample->sUnit < lowest->sUnit ||
            (sample->sUnit == lowest->sUnit && SampleDb(*sample) < SampleDb(*lowest)))
            lowest = &*sample;
    }
    placed.lowestDb = SampleDb(*lowest);
    return placed;
}

QString Describe(const Measurement& m) {
    QString text;
    if (const std::optional<PlacedMeasurement> at = Place(m))
        text = QString::fromStdString(m.time.substr(8, 2) + "." + m.time.substr(5, 2) + "." +
                                      m.time.substr(0, 4) + " " + m.time.substr(11, 8) + " " +
                                      m.time.substr(19));
    else
        text = QString::fromStdString(m.time);
    QStringList units, levels;
    for (const std::optional<Sample>& sample : m.samples) {
        units << (sample ? "S" + QString::number(sample->sUnit) : QString("kein Wert"));
        if (sample && sample->levelDb)
            levels << Decimal(*sample->levelDb);
    }
    text += "   " + units.join(' ');
    if (levels.size() == 3)
        text += "   " + levels.join(" / ") + " dB";
    text += "   Schwelle " + (m.threshold ? "S" + QString::number(*m.threshold) : "unlesbar");
    if (m.reported)
        text += "   gemeldet";
    if (m.recording)
        text += "   Aufnahme (Doppelklick spielt sie ab)";
    return text;
}

} // namespace skedula
