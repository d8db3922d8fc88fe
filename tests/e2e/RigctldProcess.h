// A real rigctld for the end-to-end tests: Hamlib's dummy radio with a constant S-meter (S7),
// listening on a free loopback port (or the one given, for a server that comes back), stopped
// when the object goes.
#pragma once

#include <QProcess>
#include <QString>
#include <cstdint>
#include <string>

namespace skedula::e2e {

class RigctldProcess {
public:
    RigctldProcess();
    explicit RigctldProcess(std::uint16_t port);
    ~RigctldProcess();

    std::uint16_t port() const { return port_; }
    bool running() const { return process_.state() == QProcess::Running; }
    qint64 pid() const { return process_.processId(); }

    // Asks the radio directly, over a connection of its own: one rigctld command, its reply.
    std::string ask(const std::string& command) const;

private:
    std::uint16_t port_;
    QProcess process_;
};

} // namespace skedula::e2e
