#include "link/RadioChoice.h"

#include "engine/Blanks.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace skedula {

namespace {

constexpr std::string_view Loopback = "127.0.0.1";

// Where rigctl's table puts its columns when a header does not say otherwise.
constexpr std::size_t DefaultMakerColumn = 8;
constexpr std::size_t DefaultModelColumn = 31;
constexpr std::size_t DefaultVersionColumn = 55;

struct ProgramName {
    RadioProgram program;
    std::string_view key;
};
constexpr std::array<ProgramName, 4> ProgramNames{{{RadioProgram::Dummy, "dummy"},
                                                   {RadioProgram::Hamlib, "hamlib"},
                                                   {RadioProgram::Network, "network"},
                                                   {RadioProgram::Gqrx, "gqrx"}}};

bool HasControlByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

std::string_view Column(std::string_view line, std::size_t from, std::size_t to) {
    if (from >= line.size())
        return {};
    return TrimBlanks(line.substr(from, to > from ? to - from : 0));
}

} // namespace

std::string_view ProgramKey(RadioProgram program) {
    for (const ProgramName& name : ProgramNames)
        if (name.program == program)
            return name.key;
    return {};
}

std::optional<RadioProgram> ProgramFromKey(std::string_view key) {
    for (const ProgramName& name : ProgramNames)
        if (name.key == key)
            return name.program;
    return std::nullopt;
}

std::uint16_t DefaultPort(RadioProgram program) {
    return program == RadioProgram::Gqrx ? 7356 : 4532;
}

bool UsesKey(RadioProgram program, std::string_view key) {
    if (key == "Model" || key == "Device" || key == "Baud")
        return program == RadioProgram::Hamlib;
    if (key == "Host")
        return program == RadioProgram::Network || program == RadioProgram::Gqrx;
    if (key == "S9dBFS")
        return program == RadioProgram::Gqrx;
    return true;
}

RadioChoice UsedPart(const RadioChoice& choice) {
    const RadioChoice defaults;
    RadioChoice used = choice;
    if (!UsesKey(choice.program, "Model"))
        used.model = defaults.model;
    if (!UsesKey(choice.program, "Device"))
        used.device = defaults.device;
    if (!UsesKey(choice.program, "Baud"))
        used.baud = defaults.baud;
    if (!UsesKey(choice.program, "Host"))
        used.host = defaults.host;
    if (!UsesKey(choice.program, "S9dBFS"))
        used.s9Dbfs = defaults.s9Dbfs;
    return used;
}

Endpoint EndpointOf(const RadioChoice& choice) {
    switch (choice.program) {
    case RadioProgram::Dummy:
    case RadioProgram::Hamlib:
        return {std::string(Loopback), choice.port};
    case RadioProgram::Network:
    case RadioProgram::Gqrx:
        break;
    }
    return {choice.host, choice.port};
}

std::vector<std::string> ServerArguments(const RadioChoice& choice) {
    // -T: without it rigctld listens on every network, and the radio with it.
    const std::vector<std::string> listen = {"-T", std::string(Loopback), "-t",
                                             std::to_string(choice.port)};
    std::vector<std::string> arguments = {"rigctld"};
    switch (choice.program) {
    case RadioProgram::Dummy:
        break;
    case RadioProgram::Hamlib:
        arguments.insert(arguments.end(),
                         {"-m", std::to_string(choice.model.value_or(0)), "-r", choice.device});
        if (choice.baud)
            arguments.insert(arguments.end(), {"-s", std::to_string(*choice.baud)});
        break;
    case RadioProgram::Network:
    case RadioProgram::Gqrx:
        return {};
    }
    arguments.insert(arguments.end(), listen.begin(), listen.end());
    return arguments;
}

std::vector<ChoiceProblem> ChoiceProblems(const RadioChoice& choice) {
    std::vector<ChoiceProblem> problems;
    if (choice.port == 0)
        problems.push_back({"Port", "Der Port muss zwischen 1 und 65535 liegen"});
    switch (choice.program) {
    case RadioProgram::Dummy:
        break;
    case RadioProgram::Hamlib:
        if (!choice.model || *choice.model <= 0)
            problems.push_back({"Model", "Kein Modell gewählt"});
        if (choice.device.empty())
            problems.push_back({"Device", "Kein Gerät angegeben"});
        else if (HasControlByte(choice.device))
            problems.push_back({"Device", "Das Gerät enthält Steuerzeichen"});
        if (choice.baud && *choice.baud <= 0)
            problems.push_back({"Baud", "Die Baudrate muss eine positive Zahl sein"});
        break;
    case RadioProgram::Gqrx:
        if (!std::isfinite(choice.s9Dbfs) || choice.s9Dbfs < -200 || choice.s9Dbfs > 0)
            problems.push_back({"S9dBFS", "S9 muss zwischen -200 und 0 dBFS liegen"});
        [[fallthrough]];
    case RadioProgram::Network:
        if (choice.host.empty())
            problems.push_back({"Host", "Kein Host angegeben"});
        else if (HasControlByte(choice.host) || choice.host.find(' ') != std::string::npos)
            problems.push_back({"Host", "Der Host enthält Leer- oder Steuerzeichen"});
        break;
    }
    return problems;
}

std::string Describe(const RadioChoice& choice, const std::vector<HamlibModel>& models) {
    const Endpoint endpoint = EndpointOf(choice);
    switch (choice.program) {
    case RadioProgram::Dummy:
        return "Hamlib-Dummy, " + HostAndPort(endpoint);
    case RadioProgram::Hamlib: {
        const int number = choice.model.value_or(0);
        const auto known = std::find_if(models.begin(), models.end(),
                                        [&](const HamlibModel& m) { return m.number == number; });
        const std::string name =
            known != models.end() ? known->name : "Modell " + std::to_string(number);
        std::string text = name + " über rigctld, " + choice.device;
        if (choice.port != DefaultPort(choice.program))
            text += " (Port " + std::to_string(choice.port) + ")";
        return text;
    }
    case RadioProgram::Network:
        return "rigctld auf " + HostAndPort(endpoint);
    case RadioProgram::Gqrx:
        return "gqrx auf " + HostAndPort(endpoint);
    }
    return {};
}

std::vector<HamlibModel> ParseRigList(std::string_view output) {
    std::size_t makerColumn = DefaultMakerColumn;
    std::size_t modelColumn = DefaultModelColumn;
    std::size_t versionColumn = DefaultVersionColumn;
    std::vector<HamlibModel> models;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string_view::npos)
            end = output.size();
        std::string_view line = output.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        const std::size_t maker = line.find("Mfg");
        const std::size_t model = line.find("Model", maker == std::string_view::npos ? 0 : maker);
        const std::size_t version = line.find("Version");
        if (maker != std::string_view::npos && model != std::string_view::npos &&
            version != std::string_view::npos && maker < model && model < version) {
            makerColumn = maker;
            modelColumn = model;
            versionColumn = version;
            continue;
        }

        const std::size_t digits = line.find_first_not_of(' ');
        if (digits == std::string_view::npos || digits >= makerColumn)
            continue;
        const std::string_view numberText = TrimBlanks(line.substr(0, makerColumn));
        if (numberText.empty() || numberText.size() > 9 ||
            numberText.find_first_not_of("0123456789") != std::string_view::npos)
            continue;
        HamlibModel entry;
        entry.number = std::stoi(std::string(numberText));
        entry.maker = Column(line, makerColumn, modelColumn);
        entry.name = Column(line, modelColumn, versionColumn);
        if (entry.number > 0 && !entry.name.empty())
            models.push_back(std::move(entry));
    }
    return models;
}

} // namespace skedula
