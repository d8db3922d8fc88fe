// The command line: what each form asks for, and the built program's answers in a terminal
// without any display.
#include "app/CommandLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skedula {
namespace {

TEST(CommandLine, WhatEachFormAsksFor) {
    const struct {
        std::vector<const char*> arguments;
        const char* asked;
    } cases[] = {
        {{}, "no list"},
        {{"--start", "Meine Listen/nacht.txt"}, "start [Meine Listen/nacht.txt]"},
        {{"nacht.txt", "-start"}, "start [nacht.txt]"},
        {{"--", "--start"}, "[--start]"},
        {{"H\xF6rer.txt"}, "[H\xF6rer.txt]"}, // a Latin-1 name keeps its bytes
        {{"--help", "a", "b"}, "exit 0"},
        {{"-platform", "offscreen"}, "exit 2"}, // Qt's own options are not taken
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"skedula"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const CommandLine line = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        const std::string asked =
            !line.run ? "exit " + std::to_string(line.exitCode)
                      : std::string(line.run->start ? "start " : "") +
                            (line.run->listFile ? "[" + *line.run->listFile + "]" : "no list");
        EXPECT_EQ(asked, c.asked) << (c.arguments.empty() ? "" : c.arguments.front());
    }
}

// "exit code|standard output|standard error" of the built program with no display and no Qt
// platform chosen, as in a plain terminal, unless display names the variables to set.
std::string RunProgram(const QStringList& arguments,
                       const std::vector<std::pair<QString, QString>>& display = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    for (const auto& [name, value] : display)
        environment.insert(name, value);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("SKEDULA_BINARY"), arguments);
    if (!program.waitForFinished(30000)) {
        program.kill();
        program.waitForFinished();
    }
    const int code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    return std::to_string(code) + "|" + program.readAllStandardOutput().toStdString() + "|" +
           program.readAllStandardError().toStdString();
}

TEST(CommandLine, HelpVersionAndWrongCallsAnswerWithoutADisplay) {
    ASSERT_FALSE(qEnvironmentVariable("SKEDULA_BINARY").isEmpty());
    for (const char* help : {"--help", "-h"}) {
        const std::string run = RunProgram({help});
        EXPECT_TRUE(run.starts_with("0|Aufruf: skedula [--start] [LISTE]\n")) << run;
        EXPECT_TRUE(run.ends_with("|")) << run; // nothing on standard error
    }
    const std::string usage =
        "Aufruf: skedula [--start] [LISTE]\n\"skedula --help\" zeigt die Hilfe.\n";
    const struct {
        QStringList arguments;
        std::string outcome;
    } cases[] = {
        {{"--version"}, "0|Skedula 1.0.0\n|"},
        {{"-v"}, "0|Skedula 1.0.0\n|"},
        {{"--bogus"}, "2||skedula: unbekannte Option: --bogus\n" + usage},
        {{"--start", "-x", "liste.txt"}, "2||skedula: unbekannte Option: -x\n" + usage},
        {{"a.txt", "b.txt"}, "2||skedula: mehr als eine LISTE angegeben: b.txt\n" + usage},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunProgram(c.arguments), c.outcome);
}

// Qt alone would abort with status 134 and its own English lines.
TEST(CommandLine, WithoutADisplayTheProgramSaysSoInGermanAndEndsWithOne) {
    ASSERT_FALSE(qEnvironmentVariable("SKEDULA_BINARY").isEmpty());
    const std::string none = "1||skedula: Keine Anzeige: Weder DISPLAY noch WAYLAND_DISPLAY ist "
                             "gesetzt. Skedula braucht eine grafische Sitzung (X11 oder Wayland); "
                             "\"skedula --help\" geht auch ohne.\n";
    EXPECT_EQ(RunProgram({}), none);
    EXPECT_EQ(RunProgram({"--start", "liste.txt"}), none);
    EXPECT_EQ(RunProgram({}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}), none);

    // A display that is named but not there: a local X display number nothing serves.
    const std::string unreachable = " ist nicht erreichbar: Skedula braucht eine grafische "
                                    "Sitzung (X11 oder Wayland).\n";
    EXPECT_EQ(RunProgram({}, {{"DISPLAY", ":8917"}}),
              "1||skedula: Die Anzeige (DISPLAY=:8917)" + unreachable);
    EXPECT_EQ(RunProgram({}, {{"QT_QPA_PLATFORM", "xcb"}}),
              "1||skedula: Die Anzeige (QT_QPA_PLATFORM=xcb)" + unreachable);
}

} // namespace
} // namespace skedula
