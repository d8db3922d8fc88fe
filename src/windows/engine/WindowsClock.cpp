#include "windows/engine/WindowsClock.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace skedula {

namespace {

std::uint64_t Ticks(const SYSTEMTIME& time) {
    FILETIME file{};
    ::SystemTimeToFileTime(&time, &file);
    return (static_cast<std::uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

} // namespace

std::string RegionalTimeSeparator() {
    char text[8] = {};
    const int length = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, text, sizeof text);
    if (length <= 1)
        return ":";
    return text;
}

LocalMoment LocalNow() {
    // Local time and UTC from one reading, so that the offset is the zone's and not the gap
    // between two calls; the zone is looked up afresh each time.
    SYSTEMTIME utc{};
    ::GetSystemTime(&utc);
    SYSTEMTIME local{};
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        local = utc;
    const auto difference =
        static_cast<std::int64_t>(Ticks(local)) - static_cast<std::int64_t>(Ticks(utc));
    LocalMoment moment;
    moment.year = local.wYear;
    moment.month = local.wMonth;
    moment.day = local.wDay;
    moment.hour = local.wHour;
    moment.minute = local.wMinute;
    moment.second = local.wSecond;
    // FILETIME counts 100 ns; round to whole minutes.
    constexpr std::int64_t kTicksPerMinute = 600'000'000;
    moment.offsetMinutes = static_cast<int>(
        (difference + (difference >= 0 ? kTicksPerMinute / 2 : -kTicksPerMinute / 2)) /
        kTicksPerMinute);
    return moment;
}

std::string IsoTimeText(const LocalMoment& moment) {
    const int magnitude = std::abs(moment.offsetMinutes);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", moment.year,
                  moment.month, moment.day, moment.hour, moment.minute, moment.second,
                  moment.offsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

std::string ClockText(const LocalMoment& moment, const std::string& separator, bool withSeconds) {
    char part[8];
    std::snprintf(part, sizeof part, "%02d", moment.hour);
    std::string text = part;
    std::snprintf(part, sizeof part, "%02d", moment.minute);
    text += separator + part;
    if (withSeconds) {
        std::snprintf(part, sizeof part, "%02d", moment.second);
        text += separator + part;
    }
    return text;
}

std::string WindowsClock::minuteText() const {
    return ClockText(LocalNow(), separator_, false);
}
std::string WindowsClock::timeText() const {
    return ClockText(LocalNow(), separator_, true);
}
std::string WindowsClock::isoTimeText() const {
    return IsoTimeText(LocalNow());
}

} // namespace skedula
