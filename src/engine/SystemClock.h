// The local wall clock, formatted with the time separator of the user's locale.
#pragma once

#include "engine/Ports.h"

#include <ctime>
#include <string>
#include <string_view>

namespace skedula {

// The separator between hours and minutes in a strftime time format such as "%H.%M.%S";
// a colon when the format has none.
std::string TimeSeparatorFromFormat(std::string_view format);

// The separator of the locale that LC_TIME / LC_ALL / LANG name in the environment.
std::string LocaleTimeSeparator();

// The local date and time with its offset from UTC, "2026-12-07T14:30:10+01:00". The time zone
// is read afresh each time, so that a watch running for weeks follows a change of it.
std::string LocalIsoTime(std::time_t when);

class SystemClock : public Clock {
public:
    SystemClock();
    explicit SystemClock(std::string separator) : separator_(std::move(separator)) {}

    std::string minuteText() const override;
    std::string timeText() const override;
    std::string isoTimeText() const override;

private:
    std::string format(bool withSeconds) const;
    std::string separator_;
};

} // namespace skedula
