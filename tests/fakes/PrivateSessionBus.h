// A session bus of the test's own: a dbus-daemon with a private configuration and socket in a
// temporary folder and no service files, so that nothing is ever activated on it. While the
// object lives, DBUS_SESSION_BUS_ADDRESS names it; it ends with the object, and with the test
// program should that die first. Used by the notification tests and the benchmark.
#pragma once

#include "fakes/EnvScope.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace skedula::test {

class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    bool ready() const { return !address_.empty(); } // else error() says why
    std::string error() const { return daemon_.errorString().toStdString(); }
    const std::string& address() const { return address_; }

private:
    QTemporaryDir folder_;
    QProcess daemon_;
    std::string address_;
    std::unique_ptr<EnvScope> environment_;
};

} // namespace skedula::test
