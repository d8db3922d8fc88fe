#include "app/RadioSettings.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace skedula {

namespace {

std::optional<long long> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(text);
}

// Written with a point; a comma, as a German hand may type it, is read as well.
std::optional<double> DecimalNumber(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string DecimalText(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::to_string(value);
}

class Reader {
public:
    explicit Reader(const IniDocument& document) : document_(document) {}

    // The key's value, nothing when it is not set or empty.
    std::optional<std::string> Get(std::string_view key) const {
        std::optional<std::string> value = document_.Value(RadioGroup, key);
        if (value && value->empty())
            return std::nullopt;
        return value;
    }

    void Invalid(std::string_view key, const std::string& value, const std::string& why) {
        problems_.push_back(std::string(key) + "=" + value + ": " + why);
        invalidKeys_.push_back(std::string(key));
    }
    bool WasInvalid(const std::string& key) const {
        return std::find(invalidKeys_.begin(), invalidKeys_.end(), key) != invalidKeys_.end();
    }

    std::vector<std::string> TakeProblems() { return std::move(problems_); }

private:
    const IniDocument& document_;
    std::vector<std::string> problems_;
    std::vector<std::string> invalidKeys_;
};

} // namespace

RadioSettings ReadRadioSettings(const IniDocument& document) {
    RadioSettings settings;
    RadioChoice& choice = settings.choice;
    Reader reader(document);

    bool programKnown = true;
    if (const auto program = reader.Get("Program")) {
        if (const auto known = ProgramFromKey(*program)) {
            choice.program = *known;
        } else {
            reader.Invalid("Program", *program, "unbekannt (dummy, hamlib, network oder gqrx)");
            programKnown = false;
        }
    }
    // A key the program does not read is kept as it is and not checked: a device left from
    // a radio must not stop the dummy. Without a known program every key is checked.
    const auto invalid = [&](std::string_view key, const std::string& value,
                             const std::string& why) {
        if (!programKnown || UsesKey(choice.program, key))
            reader.Invalid(key, value, why);
    };
    if (const auto model = reader.Get("Model")) {
        const auto number = WholeNumber(*model);
        if (number && *number > 0)
            choice.model = static_cast<int>(*number);
        else
            invalid("Model", *model, "keine Hamlib-Modellnummer");
    }
    choice.device = reader.Get("Device").value_or("");
    if (const auto baud = reader.Get("Baud")) {
        const auto number = WholeNumber(*baud);
        if (number && *number > 0)
            choice.baud = static_cast<int>(*number);
        else
            invalid("Baud", *baud, "keine Baudrate");
    }
    choice.host = reader.Get("Host").value_or(choice.host);
    choice.port = DefaultPort(choice.program);
    if (const auto port = reader.Get("Port")) {
        const auto number = WholeNumber(*port);
        if (number && *number >= 1 && *number <= 65535)
            choice.port = static_cast<std::uint16_t>(*number);
        else
            invalid("Port", *port, "kein Port von 1 bis 65535");
    }
    if (const auto level = reader.Get("S9dBFS")) {
        if (const auto number = DecimalNumber(*level))
            choice.s9Dbfs = *number;
        else
            invalid("S9dBFS", *level, "keine Zahl (dBFS)");
    }

    // What the chosen program needs and does not have, unless its value was named already.
    for (const ChoiceProblem& problem : ChoiceProblems(choice)) {
        if (reader.WasInvalid(problem.key))
            continue;
        if (const auto value = reader.Get(problem.key))
            reader.Invalid(problem.key, *value, problem.text);
        else
            reader.Invalid("Program", std::string(ProgramKey(choice.program)),
                           "ohne " + problem.key + " (" + problem.text + ")");
    }
    settings.problems = reader.TakeProblems();
    return settings;
}

void WriteRadioSettings(IniDocument& document, const RadioChoice& choice) {
    document.SetValue(RadioGroup, "Program", ProgramKey(choice.program));
    document.SetValue(RadioGroup, "Model", choice.model ? std::to_string(*choice.model) : "");
    document.SetValue(RadioGroup, "Device", choice.device);
    document.SetValue(RadioGroup, "Baud", choice.baud ? std::to_string(*choice.baud) : "");
    document.SetValue(RadioGroup, "Host", choice.host);
    document.SetValue(RadioGroup, "Port", std::to_string(choice.port));
    document.SetValue(RadioGroup, "S9dBFS", DecimalText(choice.s9Dbfs));
}

} // namespace skedula
