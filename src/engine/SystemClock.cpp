#include "engine/SystemClock.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace skedula {

namespace {

bool IsHourConversion(char c) {
    return c == 'H' || c == 'I' || c == 'k' || c == 'l';
}

// Skips a conversion that starts at format[i] == '%'; returns the index after it and its letter.
std::size_t SkipConversion(std::string_view format, std::size_t i, char& letter) {
    ++i;
    while (i < format.size() &&
           (format[i] == '-' || format[i] == '_' || format[i] == '0' || format[i] == '^' ||
            format[i] == '#' || (format[i] >= '1' && format[i] <= '9') || format[i] == 'E' ||
            format[i] == 'O'))
        ++i;
    letter = i < format.size() ? format[i] : '\0';
    return i + 1;
}

std::string TwoDigits(int value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string IsoTime(const std::tm& time) {
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &time);
    const long offsetMinutes = time.tm_gmtoff / 60;
    const long magnitude = std::labs(offsetMinutes);
    std::snprintf(text + length, sizeof text - length, "%c%02ld:%02ld",
                  offsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

std::tm LocalTime(std::time_t when) {
    // localtime_r reads the time zone only once per process; tzset() reads TZ and
    // /etc/localtime again (when they changed), so a zone changed while the watch runs counts
    // from the next tick on instead of queueing every entry at the old hour.
    ::tzset();
    std::tm local{};
    ::localtime_r(&when, &local);
    return local;
}

std::tm UtcTime(std::time_t when) {
    std::tm utc{};
    ::gmtime_r(&when, &utc);
    return utc;
}

// Whole minutes since the epoch, also for times before it.
std::time_t MinuteOf(std::time_t when) {
    return when >= 0 ? when / 60 : (when - 59) / 60;
}

} // namespace

std::string TimeSeparatorFromFormat(std::string_view format) {
    bool afterHour = false;
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] == '%') {
            char letter = '\0';
            i = SkipConversion(format, i, letter);
            if (letter == 'T' || letter == 'R' || letter == 'r')
                return ":";
            afterHour = IsHourConversion(letter);
            continue;
        }
        if (afterHour && format[i] != ' ') {
            // Keep a multi-byte UTF-8 separator whole.
            std::size_t end = i + 1;
            while (end < format.size() && (static_cast<unsigned char>(format[end]) & 0xC0) == 0x80)
                ++end;
            return std::string(format.substr(i, end - i));
        }
        afterHour = false;
        ++i;
    }
    return ":";
}

std::string LocaleTimeSeparator() {
    locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return ":";
    std::string separator = TimeSeparatorFromFormat(nl_langinfo_l(T_FMT, locale));
    freelocale(locale);
    return separator;
}

std::string LocalIsoTime(std::time_t when) {
    return IsoTime(LocalTime(when));
}

std::string UtcIsoTime(std::time_t when) {
    return IsoTime(UtcTime(when));
}

SystemClock::SystemClock() : SystemClock(LocaleTimeSeparator()) {}

SystemClock::SystemClock(std::string separator, TimeSource now)
    : separator_(std::move(separator)), source_(std::move(now)) {}

void SystemClock::setUtc(bool utc) {
    wantUtc_ = utc;
    // Nothing has been read in the old zone yet: no minute to protect.
    if (!lastMinute_ && utc_ != utc) {
        utc_ = utc;
        if (onZoneChange)
            onZoneChange(utc_);
    }
}

std::time_t SystemClock::now() const {
    const std::time_t when = source_ ? source_() : std::time(nullptr);
    const std::time_t minute = MinuteOf(when);
    if (lastMinute_ != minute) {
        lastMinute_ = minute;
        if (utc_ != wantUtc_) {
            utc_ = wantUtc_;
            if (onZoneChange)
                onZoneChange(utc_);
        }
    }
    return when;
}

std::tm SystemClock::brokenDown(std::time_t when) const {
    return utc_ ? UtcTime(when) : LocalTime(when);
}

std::string SystemClock::format(bool withSeconds) const {
    const std::tm time = brokenDown(now());
    std::string text = TwoDigits(time.tm_hour) + separator_ + TwoDigits(time.tm_min);
    if (withSeconds)
        text += separator_ + TwoDigits(time.tm_sec);
    return text;
}

std::string SystemClock::minuteText() const {
    return format(false);
}
std::string SystemClock::timeText() const {
    return format(true);
}
std::string SystemClock::isoTimeText() const {
    const std::time_t when = now();
    return utc_ ? UtcIsoTime(when) : LocalIsoTime(when);
}

} // namespace skedula
