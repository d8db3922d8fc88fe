// The wall clock, local or in UTC, formatted with the time separator of the user's locale. The
// composition root owns the one clock of the watch and switches it to UTC as "Zeiten in UTC"
// says.
#pragma once

#include "engine/Ports.h"

#include <ctime>
#include <functional>
#include <optional>
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
// The same in UTC: "2026-12-07T13:30:10+00:00".
std::string UtcIsoTime(std::time_t when);

class SystemClock : public Clock {
public:
    // The seconds since the epoch; tests give a clock of their own.
    using TimeSource = std::function<std::time_t()>;

    SystemClock();
    explicit SystemClock(std::string separator, TimeSource now = {});

    std::string minuteText() const override;
    std::string timeText() const override;
    std::string isoTimeText() const override;

    // Times in UTC instead of local time: the minute text, the report's time and the ISO time.
    // Once the clock has been read, a change counts from the next minute on, so that the
    // minute in which it is made keeps its queue and no entry is measured twice.
    void setUtc(bool utc);
    // Whether the texts of the current minute are in UTC.
    bool utc() const { return utc_; }
    // Told when the texts change between local time and UTC: from the reading that first gives
    // them in the other one, before it returns, or from setUtc before the first reading.
    std::function<void(bool utc)> onZoneChange;

private:
    // The time now, after taking up a change of zone asked for before this minute.
    std::time_t now() const;
    std::tm brokenDown(std::time_t when) const;
    std::string format(bool withSeconds) const;

    std::string separator_;
    TimeSource source_;
    bool wantUtc_ = false;
    mutable bool utc_ = false;
    // The minute (seconds since the epoch / 60) of the last reading; nothing before the first.
    mutable std::optional<std::time_t> lastMinute_;
};

} // namespace skedula
