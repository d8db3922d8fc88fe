// A rigctld in front of a serial radio with the habits of one, as a new user met them with a
// Kenwood played by a simulator: rigctld answers its own commands at once, but the first line
// that reaches the radio is answered only after 1.4 s (past the link's 1000 ms bound), the
// first frequency query fails with a protocol error (RPRT -8), and the radio has no mode until
// one is set. Switched off, it fails every query (RPRT -5). Otherwise it answers as rigctld's
// dummy radio does. For the tests of the watch against a radio with a bad start.
#pragma once

#include "fakes/FakeLineServer.h"

#include <chrono>
#include <string>

namespace skedula {

class FakeSerialRadio final : public FakeLineServer {
public:
    static constexpr std::chrono::milliseconds FirstReplyDelay{1400};

    FakeSerialRadio() = default;
    ~FakeSerialRadio() override;

    void SetStrength(int dbOverS9);
    // As when the radio is switched off or its cable pulled: rigctld still answers, the radio
    // does not.
    void SwitchOff();

private:
    Answer Respond(const std::string& line) override;

    bool radioAnswered_ = false;
    bool frequencyFailed_ = false;
    bool off_ = false;
    std::string frequency_ = "3700000";
    std::string mode_;
    int strength_ = 0;
};

} // namespace skedula
