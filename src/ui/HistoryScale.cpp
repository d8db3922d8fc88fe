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

QString Describe(const Measurement& m) {
    QString text;
    if (ParseStoredTime(m.time))
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
