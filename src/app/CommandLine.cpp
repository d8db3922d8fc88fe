#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace skedula {

namespace {

constexpr const char* kUsage = "Aufruf: skedula [--start] [LISTE]\n";

constexpr const char* kHelp =
    "Aufruf: skedula [--start] [LISTE]\n"
    "Überwacht das S-Meter eines Empfängers auf bestimmten Frequenzen zu bestimmten Minuten.\n"
    "\n"
    "Argumente:\n"
    "  LISTE          lädt diese Listendatei beim Start, wie \"Laden ...\"\n"
    "\n"
    "Optionen:\n"
    "  --start        drückt Start, sobald das Fenster offen ist (nach der Liste)\n"
    "  -h, --help     zeigt diese Hilfe\n"
    "  -v, --version  zeigt die Version\n"
    "\n"
    "Jeder Bericht steht auch in $XDG_DATA_HOME/Skedula/berichte.csv\n"
    "(ohne XDG_DATA_HOME: ~/.local/share/Skedula/berichte.csv).\n";

constexpr const char* kVersion = "Skedula 1.0.0\n";

// A single dash is as good as two for the long names, as with Qt's own programs.
constexpr std::array<std::string_view, 9> kKnownWords = {
    "-h", "--help", "-help", "-v", "--version", "-version", "--start", "-start", "--"};

CommandLine UsageError(const std::string& problem) {
    return {std::nullopt,
            2,
            {},
            "skedula: " + problem + "\n" + kUsage + "\"skedula --help\" zeigt die Hilfe.\n"};
}

// The word the parser refused, as the user typed it.
std::string RefusedWord(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--")
            break;
        if (word.size() > 1 && word[0] == '-' &&
            std::find(kKnownWords.begin(), kKnownWords.end(), word) == kKnownWords.end())
            return std::string(word);
    }
    return {};
}

// The arguments that are no options, by the parser's own rule ("-" alone is a name, "--" ends
// the options), byte for byte: a file name need not be valid text in the locale's encoding,
// and a detour through QString would change such bytes.
std::vector<std::string> RawPositionals(int argc, const char* const* argv) {
    std::vector<std::string> names;
    bool onlyNames = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (!onlyNames && word == "--") {
            onlyNames = true;
            continue;
        }
        if (onlyNames || word.size() < 2 || word[0] != '-')
            names.emplace_back(word);
    }
    return names;
}

} // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"v", "version"});
    const QCommandLineOption start("start");
    parser.addOptions({help, version, start});
    parser.addPositionalArgument("LISTE", {});

    if (!parser.parse(arguments)) {
        const std::string word = RefusedWord(argc, argv);
        return UsageError(word.empty() ? "falscher Aufruf" : "unbekannte Option: " + word);
    }
    if (parser.isSet(help))
        return {std::nullopt, 0, kHelp, {}};
    if (parser.isSet(version))
        return {std::nullopt, 0, kVersion, {}};

    const std::vector<std::string> raw = RawPositionals(argc, argv);
    if (raw.size() > 1)
        return UsageError("mehr als eine LISTE angegeben: " + raw[1]);

    StartRequest request;
    if (!raw.empty())
        request.listFile = raw.front();
    request.start = parser.isSet(start);
    return {request, 0, {}, {}};
}

} // namespace skedula
