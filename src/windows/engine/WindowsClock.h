// The engine's clock on Windows: the local wall-clock time, formatted with the time separator
// of the user's regional settings. The Windows program's composition gives it to the engine.
#pragma once

#include "engine/Ports.h"

#include <string>

namespace skedula {

// The time separator of the regional settings (LOCALE_STIME of the user's locale); a colon
// when the settings name none.
std::string RegionalTimeSeparator();

// A moment of local time with its offset from UTC in minutes (east positive).
struct LocalMoment {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int offsetMinutes = 0;
};

// Now, in the time zone in force now (daylight saving included).
LocalMoment LocalNow();

// "2026-12-07T14:30:10+01:00".
std::string IsoTimeText(const LocalMoment& moment);
// "hh<sep>nn" and, with seconds, "hh<sep>nn<sep>ss".
std::string ClockText(const LocalMoment& moment, const std::string& separator, bool withSeconds);

class WindowsClock : public Clock {
public:
    WindowsClock() : separator_(RegionalTimeSeparator()) {}
    explicit WindowsClock(std::string separator) : separator_(std::move(separator)) {}

    std::string minuteText() const override;
    std::string timeText() const override;
    std::string isoTimeText() const override;

private:
    std::string separator_;
};

} // namespace skedula
