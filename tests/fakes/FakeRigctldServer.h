// A rigctld stand-in for the backend's tests: answers like rigctld's dummy rig unless the
// test scripts something else (see FakeLineServer for what every fake server can do).
#pragma once

#include "fakes/FakeLineServer.h"
#include "fakes/FreePort.h"

#include <string>

namespace skedula {

class FakeRigctldServer final : public FakeLineServer {
public:
    FakeRigctldServer() = default;
    ~FakeRigctldServer() override;

    void SetFrequency(const std::string& hertz);
    void SetMode(const std::string& mode);
    void SetStrength(int dbOverS9);

private:
    Answer Respond(const std::string& line) override;

    std::string frequency_ = "14230000";
    std::string mode_ = "USB";
    int strength_ = -12;
};

} // namespace skedula
