// A real rigctld for the end-to-end tests: Hamlib's dummy radio with a constant S-meter (S7),
// listening on a free loopback port, stopped when the object goes.
#pragma once

#include <QProcess>
#include <QString>
#include <cstdint>
#include <string>

namespace skedula::e2e {

class RigctldProcess {
public:
    RigctldProcess();
    ~RigctldProcess();

    std::uint16_t port() const { return port_; }
    bool running() const { return process_.state() == QProcess::Running; }

    // Asks the radio directly, over a connection of its own: one rigctld command, its reply.
    std::string ask(const std::string& command) const;

private:
    std::uint16_t port_;
    QProcess process_;
};

} // namespace skedula::e2e
