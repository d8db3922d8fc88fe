#include "fakes/FakeGqrxServer.h"

#include <cstdio>
#include <set>

namespace skedula {

namespace {

// gqrx's modes and the passband each starts with.
int DefaultPassband(const std::string& mode) {
    if (mode == "AM" || mode == "AMS") {
        return 10000;
    }
    if (mode == "FM") {
        return 10000;
    }
    if (mode == "CW" || mode == "CWL" || mode == "CWU" || mode == "CWR") {
        return 500;
    }
    if (mode == "WFM" || mode == "WFM_ST" || mode == "WFM_ST_OIRT") {
        return 160000;
    }
    return 2700;
}

bool IsMode(const std::string& mode) {
    static const std::set<std::string> modes = {"OFF", "RAW", "AM",     "AMS",        "LSB",
                                                "USB", "CW",  "CWR",    "CWL",        "CWU",
                                                "FM",  "WFM", "WFM_ST", "WFM_ST_OIRT"};
    return modes.count(mode) != 0;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

FakeLineServer::Answer Report(int number) {
    return {{"RPRT " + std::to_string(number) + "\n"}};
}

} // namespace

FakeGqrxServer::FakeGqrxServer() : FakeLineServer(true, true) {}

FakeGqrxServer::~FakeGqrxServer() {
    Stop();
}

void FakeGqrxServer::SetFrequency(long long hertz) {
    std::lock_guard lock(mutex_);
    frequency_ = hertz;
}

void FakeGqrxServer::SetMode(const std::string& mode) {
    std::lock_guard lock(mutex_);
    mode_ = mode;
    passband_ = DefaultPassband(mode);
}

void FakeGqrxServer::SetLevel(double dbfs) {
    std::lock_guard lock(mutex_);
    level_ = dbfs;
}

void FakeGqrxServer::SetDspRunning(bool running) {
    std::lock_guard lock(mutex_);
    dspRunning_ = running;
}

bool FakeGqrxServer::DspRunning() const {
    std::lock_guard lock(mutex_);
    return dspRunning_;
}

FakeLineServer::Answer FakeGqrxServer::Respond(const std::string& line) {
    if (line == "f") {
        return {{std::to_string(frequency_) + "\n"}};
    }
    if (line == "m") {
        return {{mode_ + "\n" + std::to_string(passband_) + "\n"}};
    }
    if (line == "l" || line == "l STRENGTH") {
        char level[32];
        std::snprintf(level, sizeof level, "%.1f\n", dspRunning_ ? level_ : -200.0);
        return {{level}};
    }
    if (line == "u DSP") {
        return {{dspRunning_ ? "1\n" : "0\n"}};
    }
    if (line == "U DSP 1" || line == "U DSP 0") {
        dspRunning_ = line.back() == '1';
        return Report(0);
    }
    if (line.rfind("F ", 0) == 0 && AllDigits(line.substr(2)) && line.size() <= 17) {
        frequency_ = std::stoll(line.substr(2));
        return Report(0);
    }
    if (line.rfind("M ", 0) == 0 && line.size() > 4 && line.substr(line.size() - 2) == " 0" &&
        IsMode(line.substr(2, line.size() - 4))) {
        mode_ = line.substr(2, line.size() - 4);
        passband_ = DefaultPassband(mode_);
        return Report(0);
    }
    if (line == "q") {
        return {{}, true};
    }
    return Report(1);
}

} // namespace skedula
