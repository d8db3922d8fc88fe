// A gqrx stand-in for the gqrx port's tests: answers the plain commands of gqrx's remote
// control as gqrx 2.15 does (no echo; "RPRT 1" to anything with "+" or unknown), serves one
// client at a time and takes one line per arrival of data like gqrx, and reads -200.0 dBFS
// until its DSP is started. A test's script can make it answer anything else (see
// FakeLineServer).
#pragma once

#include "fakes/FakeLineServer.h"

#include <string>

namespace skedula {

class FakeGqrxServer final : public FakeLineServer {
public:
    FakeGqrxServer();
    ~FakeGqrxServer() override;

    void SetFrequency(long long hertz);
    void SetMode(const std::string& mode);
    void SetLevel(double dbfs);
    void SetDspRunning(bool running);
    bool DspRunning() const;

private:
    Answer Respond(const std::string& line) override;

    long long frequency_ = 7100000;
    std::string mode_ = "USB";
    int passband_ = 2700;
    double level_ = -77.0;
    bool dspRunning_ = false;
};

} // namespace skedula
