// A session bus of the test's own: a dbus-daemon with a private configuration and socket in a
// temporary folder and no service files, so that nothing is ever activated on it. While the
// object lives, DBUS_SESSION_BUS_ADDRESS names it; it ends with the object, and with the test
// program should that die first. Used by the notification tests and the benchmark.
#pragma once

#include "fakes/EnvScope.h"

#include <QTemporaryDir>

#include <memory>
#include <string>
#include <sys/types.h>

namespace skedula::test {

class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // False when the daemon could not be started; error() says why.
    bool ready() const { return !address_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& address() const { return address_; }

private:
    QTemporaryDir folder_;
    pid_t pid_ = -1;
    std::string address_;
    std::string error_;
    std::unique_ptr<EnvScope> environment_;
};

} // namespace skedula::test
