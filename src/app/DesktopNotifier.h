// Shows every report as a desktop notification: org.freedesktop.Notifications on the session
// bus, with the summary "Skedula: <frequency> <mode>", the report's time and samples as plain
// text, the program's icon and no sound of its own (the alarm plays). It never waits: the bus is
// reached from a thread of its own, once it has answered a first line, and every call is
// asynchronous. Without a session bus or a notification service nothing is shown and nothing
// else changes; the next report tries again. The composition root owns it and attaches it to
// the watch.
#pragma once

#include "engine/WatchListener.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace skedula {

class DesktopNotifier final : public QObject, public WatchListener {
    Q_OBJECT

public:
    DesktopNotifier();
    // Waits for a connection attempt still under way: at most the probe's two seconds and
    // libdbus's bound on the bus's first reply.
    ~DesktopNotifier() override;
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // "Meldung auf dem Bildschirm"; on by default.
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }

    void EntryMeasured(const Measurement& measurement) override;

private:
    void Flush();
    void Connect();
    void Connected(const QString& name);
    void AskCapabilities();
    // A connection or a question failed: the reports it was made for are not shown; later ones
    // try again.
    void Failed(unsigned through);
    void Send(const std::vector<std::string>& reportLines);
    void Disconnect();

    bool enabled_ = true;
    std::optional<QDBusConnection> bus_;
    std::thread connecting_;
    bool connectingNow_ = false;
    int attempts_ = 0;
    // Whether the server reads the body as markup; nothing until it has said.
    std::optional<bool> markup_;
    bool asking_ = false;
    // Reports waiting for the bus or the server's answer, the newest few, numbered.
    struct Pending {
        unsigned number;
        std::vector<std::string> reportLines;
    };
    std::deque<Pending> pending_;
    unsigned numbered_ = 0;
};

} // namespace skedula
