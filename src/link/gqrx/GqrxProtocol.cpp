#include "link/gqrx/GqrxProtocol.h"

#include <cmath>

namespace skedula::gqrx {

namespace {

// gqrx prints dBFS with one decimal, from -200.0 up to about 0; a line with more integer
// digits is no level (a frequency, say), which tells a stream out of step.
constexpr std::size_t MaxLevelDigits = 4;

bool IsFlag(std::string_view line) {
    return line == "0" || line == "1";
}

} // namespace

WireLine QueryLine(Query query) {
    switch (query) {
    case Query::Frequency:
        return {"f\n", FrequencyReply};
    case Query::Mode:
        return {"m\n", ModeReply};
    case Query::SMeter:
        return {"l STRENGTH\n", LevelReply};
    }
    return {"f\n", FrequencyReply};
}

std::optional<WireLine> CommandLine(std::string_view command) {
    const std::optional<wire::ContractCommand> parsed = wire::ParseCommand(command);
    if (!parsed) {
        return std::nullopt;
    }
    const std::string argument(parsed->argument);
    if (parsed->kind == wire::CommandKind::Frequency) {
        return WireLine{"F " + argument + "\n", ReportReply};
    }
    // 0: the default passband for the mode.
    return WireLine{"M " + argument + " 0\n", ReportReply};
}

WireLine DspStateLine() {
    return {"u DSP\n", FlagReply};
}

WireLine DspStartLine() {
    return {"U DSP 1\n", ReportReply};
}

Fit FitOf(std::string_view form, const std::vector<std::string>& lines) {
    if (lines.empty()) {
        return Fit::Incomplete;
    }
    const std::string_view first = TrimBlanks(lines.front());
    const std::optional<int> number = wire::ReportNumber(first);
    const bool report = number.has_value();
    const bool query = form == FrequencyReply || form == ModeReply || form == LevelReply;
    if (query && report && *number != 0) {
        // gqrx's failure of the query; a success without a value cannot be this line's reply.
        return lines.size() == 1 ? Fit::Complete : Fit::Misfit;
    }
    if (form == ModeReply) {
        if (!ModeText(first)) {
            return Fit::Misfit;
        }
        if (lines.size() == 1) {
            return Fit::Incomplete;
        }
        // The passband in hertz.
        const bool passband = wire::HertzText(TrimBlanks(lines[1])).has_value();
        return lines.size() == 2 && passband ? Fit::Complete : Fit::Misfit;
    }
    bool fits = false;
    if (form == ReportReply) {
        fits = report;
    } else if (form == FlagReply) {
        fits = report || IsFlag(first);
    } else if (form == FrequencyReply) {
        fits = FrequencyText(first).has_value();
    } else if (form == LevelReply) {
        fits = LevelThousandths(first).has_value();
    }
    return fits && lines.size() == 1 ? Fit::Complete : Fit::Misfit;
}

wire::Reply ReplyOf(const std::vector<std::string>& lines) {
    wire::Reply reply;
    if (lines.size() == 1) {
        if (const std::optional<int> number = wire::ReportNumber(TrimBlanks(lines[0]))) {
            reply.result = *number;
            return reply;
        }
    }
    for (const std::string& line : lines) {
        reply.values.emplace_back(TrimBlanks(line));
    }
    reply.result = 0;
    return reply;
}

std::optional<std::string> ItemText(Query query, const wire::Reply& reply, double s9Dbfs) {
    if (!reply.Succeeded() || reply.values.empty()) {
        return std::nullopt;
    }
    switch (query) {
    case Query::Frequency:
        return FrequencyText(reply.values.front());
    case Query::Mode:
        return ModeText(reply.values.front());
    case Query::SMeter:
        if (const std::optional<long long> level = LevelThousandths(reply.values.front())) {
            return SMeterText(*level, s9Dbfs);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<double> LevelDb(Query query, const wire::Reply& reply, double s9Dbfs) {
    if (query != Query::SMeter || !reply.Succeeded() || reply.values.empty()) {
        return std::nullopt;
    }
    const std::optional<long long> level = LevelThousandths(reply.values.front());
    if (!level) {
        return std::nullopt;
    }
    return static_cast<double>(*level - std::llround(s9Dbfs * 1000)) / 1000.0;
}

std::optional<std::string> FrequencyText(std::string_view line) {
    return wire::HertzText(TrimBlanks(line));
}

std::optional<std::string> ModeText(std::string_view line) {
    line = TrimBlanks(line);
    // A number is a frequency or a passband, never a mode name.
    if (!wire::IsModeName(line) || wire::HertzText(line)) {
        return std::nullopt;
    }
    return std::string(line);
}

std::optional<long long> LevelThousandths(std::string_view line) {
    return wire::DecimalThousandths(TrimBlanks(line), MaxLevelDigits);
}

std::string SMeterText(long long levelThousandths, double s9Dbfs) {
    // In thousandths, so that no binary fraction tips the rounding down a dB too far.
    const auto s9 = static_cast<long long>(std::llround(s9Dbfs * 1000));
    return wire::SMeterTextForDb(wire::FloorDivide(levelThousandths - s9, 1000));
}

} // namespace skedula::gqrx
