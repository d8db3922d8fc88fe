#include "storage/HistoryPoint.h"

#include <cmath>

namespace skedula {

namespace {

// The number in text[at, at + count), or -1 where that is not all digits.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (text.size() < at + count)
        return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The Julian day number of a date of the Gregorian calendar, as QDate counts it.
int JulianDay(int year, int month, int day) {
    const int a = (14 - month) / 12;
    const int y = year + 4800 - a;
    const int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

} // namespace

std::optional<StoredTime> ParseStoredTime(std::string_view t) {
    const int year = Digits(t, 0, 4), month = Digits(t, 5, 2), day = Digits(t, 8, 2);
    const int hour = Digits(t, 11, 2), minute = Digits(t, 14, 2), second = Digits(t, 17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || t[4] != '-' || t[7] != '-' || t[10] != 'T')
        return std::nullopt;
    return StoredTime{JulianDay(year, month, day), hour * 60 + minute, second};
}

double SUnitDb(int sUnit) {
    return (sUnit - 9) * 6.0;
}

double SampleDb(const Sample& sample) {
    return sample.levelDb && std::isfinite(*sample.levelDb) ? *sample.levelDb
                                                            : SUnitDb(sample.sUnit);
}

std::optional<double> LowestDb(const std::array<std::optional<Sample>, 3>& samples) {
    const Sample* lowest = nullptr;
    for (const std::optional<Sample>& sample : samples) {
        if (!sample)
            return std::nullopt;
        if (lowest == nullptr || sample->sUnit < lowest->sUnit ||
            (sample->sUnit == lowest->sUnit && SampleDb(*sample) < SampleDb(*lowest)))
            lowest = &*sample;
    }
    return SampleDb(*lowest);
}

std::optional<HistoryPoint> PointOf(const Measurement& m, long long id) {
    const std::optional<StoredTime> at = ParseStoredTime(m.time);
    if (!at)
        return std::nullopt;
    return HistoryPoint{id,          at->day,   at->minuteOfDay, at->second, LowestDb(m.samples),
                        m.threshold, m.reported};
}

} // namespace skedula
