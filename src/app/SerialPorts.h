// The serial ports a radio may hang on, for the dialog "Funkgerät" to offer, and the check
// of a chosen device before Skedula starts rigctld for it: rigctld itself would only say
// "Permission denied" after seconds of retries, where the listener needs to hear of dialout.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace skedula {

// /dev/serial/by-id/* first (names that stay when the cable moves to another socket), then
// /dev/ttyUSB*, /dev/ttyACM* and /dev/ttyS*, each in the order of their numbers.
std::vector<std::string> SerialPorts(const std::string& devFolder = "/dev");

// Why rigctld could not open the device, in German; nothing when it can, or when the device
// is not a path (a network address such as 127.0.0.1:12345 for FLRig).
std::optional<std::string> DeviceProblem(const std::string& device);

} // namespace skedula
