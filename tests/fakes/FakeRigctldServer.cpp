#include "fakes/FakeRigctldServer.h"

namespace skedula {

FakeRigctldServer::~FakeRigctldServer() {
    Stop();
}

void FakeRigctldServer::SetFrequency(const std::string& hertz) {
    std::lock_guard lock(mutex_);
    frequency_ = hertz;
}

void FakeRigctldServer::SetMode(const std::string& mode) {
    std::lock_guard lock(mutex_);
    mode_ = mode;
}

void FakeRigctldServer::SetStrength(int dbOverS9) {
    std::lock_guard lock(mutex_);
    strength_ = dbOverS9;
}

FakeLineServer::Answer FakeRigctldServer::Respond(const std::string& line) {
    if (line == "\\chk_vfo") {
        return {{"0\n"}};
    }
    if (line == "+f") {
        return {{"get_freq:\nFrequency: " + frequency_ + "\nRPRT 0\n"}};
    }
    if (line == "+m") {
        return {{"get_mode:\nMode: " + mode_ + "\nPassband: 2400\nRPRT 0\n"}};
    }
    if (line == "+l STRENGTH") {
        return {{"get_level: STRENGTH\n" + std::to_string(strength_) + "\nRPRT 0\n"}};
    }
    if (line.rfind("+F ", 0) == 0) {
        frequency_ = line.substr(3);
        return {{"set_freq: " + frequency_ + "\nRPRT 0\n"}};
    }
    if (line.rfind("+M ", 0) == 0 && line.size() > 5 && line.substr(line.size() - 2) == " 0") {
        mode_ = line.substr(3, line.size() - 5);
        return {{"set_mode: " + mode_ + " 0\nRPRT 0\n"}};
    }
    return {{"RPRT -1\n"}};
}

} // namespace skedula
