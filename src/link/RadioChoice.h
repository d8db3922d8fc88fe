// Which radio-control program the watch talks to, as plain data: Hamlib's dummy radio, a
// radio that Skedula drives through a rigctld it starts, a rigctld on another computer, or
// gqrx. The settings file stores it, the dialog "Funkgerät" edits it, and the composition
// root turns it into the conversation port it wires. Also the model list that `rigctl -l`
// prints, which the dialog offers and the description names.
#pragma once

#include "link/Endpoint.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skedula {

enum class RadioProgram { Dummy, Hamlib, Network, Gqrx };

struct RadioChoice {
    RadioProgram program = RadioProgram::Dummy;
    std::optional<int> model;       // Hamlib's model number (hamlib)
    std::string device;             // serial port, or host:port for models that speak TCP
    std::optional<int> baud;        // nothing: the model's own default
    std::string host = "127.0.0.1"; // network, gqrx; the others are always on loopback
    std::uint16_t port = 4532;
    double s9Dbfs = -36; // gqrx: the level in dBFS that reads as S9

    bool operator==(const RadioChoice&) const = default;
};

struct HamlibModel {
    int number = 0;
    std::string maker;
    std::string name;

    bool operator==(const HamlibModel&) const = default;
};

// The settings file's words for the programs: "dummy", "hamlib", "network", "gqrx".
std::string_view ProgramKey(RadioProgram program);
std::optional<RadioProgram> ProgramFromKey(std::string_view key);
// The port a program listens on unless told otherwise: gqrx's 7356, rigctld's 4532.
std::uint16_t DefaultPort(RadioProgram program);

// Where the conversation goes. A rigctld that Skedula starts listens on loopback only.
Endpoint EndpointOf(const RadioChoice& choice);

// The rigctld that Skedula starts when nothing answers, as separate arguments (never a
// shell line): {"rigctld", "-T", "127.0.0.1", "-t", "4532"} for the dummy,
// {"rigctld", "-m", MODEL, "-r", DEVICE, ["-s", BAUD,] "-T", "127.0.0.1", "-t", PORT} for a
// radio. Empty for the programs that Skedula never starts (network, gqrx).
std::vector<std::string> ServerArguments(const RadioChoice& choice);

// Whether the program reads the settings key: Model, Device and Baud only hamlib, Host network
// and gqrx, S9dBFS only gqrx, Port every program.
bool UsesKey(RadioProgram program, std::string_view key);

// The choice as its program uses it: every value the program does not read back at its
// default. A device typed for a radio and left behind when the dummy was chosen again stays
// in the settings for the next switch back, but never reaches the dummy.
RadioChoice UsedPart(const RadioChoice& choice);

// Something missing or wrong for the chosen program: the settings key it concerns and a German
// text for the user.
struct ChoiceProblem {
    std::string key; // "Model", "Device", "Baud", "Host", "Port", "S9dBFS"
    std::string text;
};
// Empty when the choice can be used.
std::vector<ChoiceProblem> ChoiceProblems(const RadioChoice& choice);

// The program in use as the status field's tooltip names it: "Hamlib-Dummy, 127.0.0.1:4532",
// "IC-7300 über rigctld, /dev/ttyUSB0", "rigctld auf 192.168.1.20:4532",
// "gqrx auf 127.0.0.1:7356". The model's name is looked up in models; its number stands in
// when it is not there.
std::string Describe(const RadioChoice& choice, const std::vector<HamlibModel>& models);

// The models in the table that `rigctl -l` prints: a header naming the columns, then one
// line per model (number, maker, model, version, status, macro). Makers and models may hold
// blanks, so the columns are cut where the header's titles start. Lines that are not a
// model are skipped.
std::vector<HamlibModel> ParseRigList(std::string_view output);

} // namespace skedula
