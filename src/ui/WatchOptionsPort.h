// What the main window's "Optionen" items switch, and what it tells of every list file that it
// loaded or saved: the application's watch options implement it. The window only forwards.
#pragma once

#include <string>

namespace skedula {

class WatchOptionsPort {
public:
    virtual ~WatchOptionsPort() = default;

    // A list file was loaded or saved successfully.
    virtual void ListFileUsed(const std::string& path) = 0;
    // Whether the autostart entry is there, looked up afresh.
    virtual bool StartAtLogin() const = 0;
    virtual void SetStartAtLogin(bool on) = 0;
    virtual bool ReportFile() const = 0;
    virtual void SetReportFile(bool on) = 0;
    // Every measurement in the history database.
    virtual bool History() const = 0;
    virtual void SetHistory(bool on) = 0;
    // Reports as desktop notifications.
    virtual bool Notify() const = 0;
    virtual void SetNotify(bool on) = 0;
    virtual bool Reconnect() const = 0;
    virtual void SetReconnect(bool on) = 0;
    // "Zeiten in UTC": the watch's times in UTC instead of local time, from the next minute on.
    virtual bool Utc() const = 0;
    virtual void SetUtc(bool on) = 0;
};

} // namespace skedula
