#include "app/ExecLine.h"

#include "engine/Error.h"

namespace skedula {

namespace {

constexpr std::string_view Reserved = "'\\><~|&;$*?#()`";
constexpr std::string_view EscapedInQuotes = "\"`$\\";

// The place a listener counts: characters, not bytes, from 1.
std::string Place(std::string_view line, std::size_t index) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i <= index && i < line.size(); ++i)
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80)
            ++characters;
    return "Stelle " + std::to_string(characters);
}

} // namespace

std::vector<std::string> SplitExecLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    std::optional<std::size_t> openQuote;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (openQuote) {
            if (c == '"') {
                openQuote.reset();
            } else if (c == '\\') {
                if (i + 1 >= line.size() || EscapedInQuotes.find(line[i + 1]) == std::string::npos)
                    throw Error(Place(line, i) +
                                ": In doppelten Anführungszeichen steht \\ nur vor \", `, $ "
                                "oder \\.");
                current += line[++i];
            } else if (c == '$' || c == '`') {
                throw Error(Place(line, i) + ": " + std::string(1, c) +
                            " muss in doppelten Anführungszeichen als \\" + std::string(1, c) +
                            " stehen.");
            } else {
                current += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t') {
            if (inArgument)
                arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else if (c == '"') {
            openQuote = i;
            inArgument = true;
        } else if (Reserved.find(c) != std::string::npos) {
            throw Error(Place(line, i) + ": " + std::string(1, c) +
                        " ist nur in doppelten Anführungszeichen erlaubt. Der Befehl läuft ohne "
                        "Shell: ' $ ; | & < > ( ) * ? # ~ ` \\ werden nicht gedeutet und müssen "
                        "in \"...\" stehen.");
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (openQuote)
        throw Error("Das Anführungszeichen an " + Place(line, *openQuote) +
                    " wird nicht geschlossen.");
    if (inArgument)
        arguments.push_back(std::move(current));
    return arguments;
}

std::optional<std::vector<std::string>> CommandArguments(std::string_view line) {
    std::vector<std::string> arguments = SplitExecLine(line);
    if (arguments.empty())
        return std::nullopt;
    if (arguments.front().empty())
        throw Error("Das Programm (das erste Wort) ist leer.");
    return arguments;
}

} // namespace skedula
