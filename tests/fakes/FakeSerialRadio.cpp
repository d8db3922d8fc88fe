#include "fakes/FakeSerialRadio.h"

namespace skedula {

FakeSerialRadio::~FakeSerialRadio() {
    Stop();
}

void FakeSerialRadio::SetStrength(int dbOverS9) {
    std::lock_guard lock(mutex_);
    strength_ = dbOverS9;
}

void FakeSerialRadio::SwitchOff() {
    std::lock_guard lock(mutex_);
    off_ = true;
}

FakeLineServer::Answer FakeSerialRadio::Respond(const std::string& line) {
    if (line == "\\chk_vfo") {
        return {{"0\n"}}; // rigctld's own
    }
    const std::string echo = line.rfind("+f", 0) == 0   ? "get_freq:"
                             : line.rfind("+m", 0) == 0 ? "get_mode:"
                             : line.rfind("+l", 0) == 0 ? "get_level: STRENGTH"
                             : line.rfind("+F", 0) == 0 ? "set_freq: " + line.substr(3)
                             : line.rfind("+M", 0) == 0 ? "set_mode: " + line.substr(3)
                                                        : "";
    if (echo.empty()) {
        return {{"RPRT -1\n"}};
    }
    Answer answer;
    if (!radioAnswered_) {
        radioAnswered_ = true;
        answer.delay = FirstReplyDelay;
    }
    std::string reply = echo + "\n";
    if (off_) {
        reply += "RPRT -5\n";
    } else if (line == "+f" && !frequencyFailed_) {
        frequencyFailed_ = true;
        reply += "RPRT -8\n";
    } else if (line == "+f") {
        reply += "Frequency: " + frequency_ + "\nRPRT 0\n";
    } else if (line == "+m") {
        // What rigctld prints for a radio without a mode.
        reply += "Mode: " + mode_ + "\nPassband: " + (mode_.empty() ? "0" : "2400") + "\nRPRT 0\n";
    } else if (line == "+l STRENGTH") {
        reply += std::to_string(strength_) + "\nRPRT 0\n";
    } else if (line.rfind("+F ", 0) == 0) {
        frequency_ = line.substr(3);
        reply += "RPRT 0\n";
    } else if (line.rfind("+M ", 0) == 0 && line.size() > 5) {
        mode_ = line.substr(3, line.find(' ', 3) - 3);
        reply += "RPRT 0\n";
    } else {
        reply += "RPRT -1\n";
    }
    answer.chunks.push_back(reply);
    return answer;
}

} // namespace skedula
