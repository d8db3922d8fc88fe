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
    // localtime_r need not look at TZ again; tzset makes it.
    ::tzset();
    std::tm local{};
    ::localtime_r(&when, &local);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long magnitude = std::labs(offsetMinutes);
    std::snprintf(text + length, sizeof text - length, "%c%02ld:%02ld",
                  offsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

SystemClock::SystemClock() : separator_(LocaleTimeSeparator()) {}

std::string SystemClock::format(bool withSeconds) const {
    // localtime_r reads the time zone only once per process; tzset() reads TZ and
    // /etc/localtime again (when they changed), so a zone changed while the watch runs counts
    // from the next tick on instead of queueing every entry at the old hour.
    ::tzset();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::string text = TwoDigits(local.tm_hour) + separator_ + TwoDigits(local.tm_min);
    if (withSeconds)
        text += separator_ + TwoDigits(local.tm_sec);
    return text;
}

std::string SystemClock::minuteText() const {
    return format(false);
}
std::string SystemClock::timeText() const {
    return format(true);
}
std::string SystemClock::isoTimeText() const {
    return LocalIsoTime(std::time(nullptr));
}

} // namespace skedula
