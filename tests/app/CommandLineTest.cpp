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

std::string Described(const CommandLine& line) {
    if (!line.run)
        return "exit " + std::to_string(line.exitCode);
    return std::string(line.run->start ? "start " : "") +
           (line.run->listFile ? "[" + *line.run->listFile + "]" : "no list");
}

TEST(CommandLine, WhatEachFormAsksFor) {
    const struct {
        std::vector<const char*> arguments;
        const char* asked;
    } cases[] = {
        {{}, "no list"},
        {{"liste.txt"}, "[liste.txt]"},
        {{"--start", "Meine Listen/nacht.txt"}, "start [Meine Listen/nacht.txt]"},
        {{"nacht.txt", "--start"}, "start [nacht.txt]"},
        {{"-start"}, "start no list"},
        {{"--", "--start"}, "[--start]"},
        {{"-"}, "[-]"},
        {{"H\xF6rer.txt"}, "[H\xF6rer.txt]"}, // a Latin-1 name keeps its bytes
        {{"--help", "a", "b"}, "exit 0"},
        {{"--start", "-platform", "offscreen"}, "exit 2"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"skedula"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(Described(ParseCommandLine(static_cast<int>(argv.size()), argv.data())), c.asked)
            << (c.arguments.empty() ? "" : c.arguments.front());
    }
}

struct ProgramRun {
    int exitCode;
    std::string out;
    std::string err;
};

// The built program with no display and no Qt platform chosen, as in a plain terminal.
ProgramRun RunProgram(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("SKEDULA_BINARY"), arguments);
    if (!program.waitForFinished(30000)) {
        program.kill();
        program.waitForFinished();
        return {-1, {}, "did not end"};
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            program.readAllStandardOutput().toStdString(),
            program.readAllStandardError().toStdString()};
}

const std::string kUsageTail =
    "Aufruf: skedula [--start] [LISTE]\n\"skedula --help\" zeigt die Hilfe.\n";

TEST(CommandLine, HelpVersionAndWrongCallsAnswerWithoutADisplay) {
    ASSERT_FALSE(qEnvironmentVariable("SKEDULA_BINARY").isEmpty());
    for (const char* help : {"--help", "-h"}) {
        const ProgramRun run = RunProgram({help});
        EXPECT_EQ(run.exitCode, 0) << help << run.err;
        EXPECT_TRUE(run.out.starts_with("Aufruf: skedula [--start] [LISTE]\n")) << run.out;
        EXPECT_NE(run.out.find("  --start "), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
    for (const char* version : {"--version", "-v"}) {
        const ProgramRun run = RunProgram({version});
        EXPECT_EQ(run.exitCode, 0) << version << run.err;
        EXPECT_EQ(run.out, "Skedula 1.0.0\n");
        EXPECT_EQ(run.err, "");
    }
    const struct {
        QStringList arguments;
        std::string err;
    } wrong[] = {
        {{"--bogus"}, "skedula: unbekannte Option: --bogus\n" + kUsageTail},
        {{"--start", "-x", "liste.txt"}, "skedula: unbekannte Option: -x\n" + kUsageTail},
        {{"a.txt", "b.txt"}, "skedula: mehr als eine LISTE angegeben: b.txt\n" + kUsageTail},
    };
    for (const auto& c : wrong) {
        const ProgramRun run = RunProgram(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.err);
    }
}

} // namespace
} // namespace skedula
