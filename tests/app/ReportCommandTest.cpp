// The command per report, run for real: what a script receives, what is told when a command
// cannot be started, fails or hangs, and that reports while slow commands run are not lost.
#include "app/ReportCommand.h"
#include "fakes/EngineFakes.h"
#include "fakes/EnvScope.h"
#include "fakes/EventLoop.h"
#include "storage/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace skedula {
namespace {

// A path as an argument of the command line: in quotes, with the four escapes.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    if (start < text.size())
        parts.push_back(text.substr(start));
    return parts;
}

// Gone, or a zombie that only waits for its parent to notice.
bool Gone(const std::string& pid) {
    const std::string stat = test::ReadFile("/proc/" + pid + "/stat");
    const std::size_t close = stat.rfind(')');
    return stat.empty() || (close != std::string::npos && stat.substr(close + 2, 1) == "Z");
}

// Collects the boxes' texts; the runner's state says when a run is over.
struct Rig {
    explicit Rig(CommandLimits limits = {})
        : command([this](const std::string& message) { told.push_back(message); }, limits) {}

    void report(const Measurement& measurement = fakes::ReportedMeasurement()) {
        command.EntryMeasured(measurement);
    }
    bool idle() {
        const bool done = test::WaitUntil(
            [&] { return command.runner().running() == 0 && command.runner().waiting() == 0; });
        test::RunPendingEvents(); // an outcome that was never started is told from the loop
        return done;
    }

    std::vector<std::string> told;
    ReportCommand command;
};

TEST(ReportCommand, TheProgramGetsTheReportInItsEnvironmentAndInputExactly) {
    test::TempFolder folder;
    const std::filesystem::path scripts = folder / "Mein \"Skript\" Ordner";
    std::filesystem::create_directories(scripts);
    const std::string script = (scripts / "melden").string();
    test::WriteFile(script, "#!/bin/sh\n"
                            "out=$1; shift\n"
                            "printf '%s\\0' \"$@\" > \"$out/argumente\"\n"
                            "env -0 > \"$out/umgebung\"\n"
                            "cat > \"$out/eingabe\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::string out = folder / "aus gabe";
    std::filesystem::create_directories(out);

    Measurement m = fakes::ReportedMeasurement();
    m.radioFrequency = std::string("7\xE4\x01\t1\0z", 7);
    m.reportLines[2] = m.radioFrequency + " AM";
    m.alarm = "/home/me/Töne/\"laut\" 'x'.wav";
    m.recording = "/home/me/Auf nahmen/\"a\" b.flac";
    test::EnvScope inherited("SKEDULA_ZEIT", "geerbt");

    Rig rig;
    rig.command.setLine(Quoted(script) + " " + Quoted(out) +
                        R"( "a b" "\$x \`y\` \\ \"z\"" 50% "")");
    rig.report(m);
    // Not from within the tick: what the tick does after (the report file's line) comes first.
    EXPECT_EQ(rig.command.runner().running(), 0u);
    ASSERT_TRUE(rig.idle());
    EXPECT_TRUE(rig.told.empty()) << rig.told.front();

    EXPECT_EQ(Split(test::ReadFile(out + "/argumente"), '\0'),
              (std::vector<std::string>{"a b", "$x `y` \\ \"z\"", "50%", ""}));
    std::map<std::string, std::string> environment;
    for (const std::string& entry : Split(test::ReadFile(out + "/umgebung"), '\0'))
        environment[entry.substr(0, entry.find('='))] = entry.substr(entry.find('=') + 1);
    // What ReportVariables makes of it (its own test has the table) arrives byte for byte.
    for (const auto& [name, value] : ReportVariables(m))
        EXPECT_EQ(environment[name], value) << name;
    EXPECT_EQ(environment["SKEDULA_FREQUENZ"], "7\xE4\x01\t1z");
    EXPECT_EQ(environment["SKEDULA_AUFNAHME"], *m.recording);
    EXPECT_EQ(environment["HOME"], std::getenv("HOME")); // Skedula's own environment besides
    EXPECT_EQ(test::ReadFile(out + "/eingabe"),
              "\n14:30:10\n" + m.radioFrequency + " AM\nS7 >= S5\nS7 >= S5\nS7 >= S5\n");

    m.reported = false;
    rig.report(m);
    EXPECT_EQ(rig.command.runner().waiting(), 0u) << "ran for a measurement without a report";
}

TEST(ReportCommand, AFailureIsToldOnceWithCodeAndLastLineUntilASuccessInBetween) {
    test::TempFolder folder;
    const std::string flag = folder / "gut";
    Rig rig;
    rig.command.setLine(R"(sh -c "test -e ')" + flag +
                        R"(' || { echo erste >&2; printf 'zweite Zeile\\r\\n\\n' >&2; exit 3; }")");
    rig.report();
    rig.report();
    ASSERT_TRUE(rig.idle());
    ASSERT_EQ(rig.told.size(), 1u);
    EXPECT_EQ(rig.told[0], "Der Befehl bei Meldung ist fehlgeschlagen.\n"
                           "Programm: sh\n"
                           "Exit-Code: 3\n"
                           "Letzte Fehlerausgabe: zweite Zeile\n\n"
                           "Die Überwachung läuft weiter. Weitere Fehler des Befehls werden erst "
                           "nach einem erfolgreichen Lauf wieder gemeldet.");

    test::WriteFile(flag, "");
    rig.report();
    ASSERT_TRUE(rig.idle());
    std::filesystem::remove(flag);
    rig.report();
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.told.size(), 2u);
}

TEST(ReportCommand, AProgramThatCannotBeStartedIsNamedOnce) {
    Rig rig;
    rig.command.setLine("skedula-gibt-es-nicht --x");
    rig.report();
    rig.report();
    ASSERT_TRUE(rig.idle());
    ASSERT_EQ(rig.told.size(), 1u);
    EXPECT_TRUE(rig.told[0].starts_with("Der Befehl bei Meldung konnte nicht gestartet werden.\n"
                                        "Programm: skedula-gibt-es-nicht\n"
                                        "Grund: Programm nicht gefunden\n\n"))
        << rig.told[0];
}

// The bound is short here; the program's is a minute. SIGTERM first; what ignores it, and what
// it started, gets SIGKILL after the grace.
TEST(ReportCommand, ACommandThatHangsIsEndedWithAllItStartedAndToldOnce) {
    test::TempFolder folder;
    const std::string pidFile = folder / "pid";
    Rig rig({4, std::chrono::milliseconds(300), std::chrono::milliseconds(300)});
    rig.command.setLine(R"(sh -c "trap '' TERM; sleep 30 & echo \$! > ')" + pidFile +
                        R"('; echo hängt >&2; wait")");
    rig.report();
    ASSERT_TRUE(rig.idle());
    ASSERT_EQ(rig.told.size(), 1u);
    EXPECT_TRUE(rig.told[0].starts_with("Der Befehl bei Meldung lief länger als 0,3 s und wurde "
                                        "beendet.\nProgramm: sh\nLetzte Fehlerausgabe: hängt\n\n"))
        << rig.told[0];
    const std::string sleeper = Split(test::ReadFile(pidFile), '\n').at(0);
    EXPECT_TRUE(test::WaitUntil([&] { return Gone(sleeper); }));
}

TEST(ReportCommand, FiveReportsWhileSlowCommandsRunAllRunFourAtOnceInTurn) {
    test::TempFolder folder;
    const std::string started = folder / "gestartet", ended = folder / "beendet",
                      go = folder / "los";
    Rig rig;
    rig.command.setLine(R"(sh -c "echo \$SKEDULA_ZEIT >> ')" + started + R"('; while [ ! -e ')" +
                        go + R"(' ]; do sleep 0.02; done; echo \$SKEDULA_ZEIT >> ')" + ended +
                        R"('")");
    std::vector<std::string> times;
    for (int i = 1; i <= 5; ++i) {
        times.push_back("2026-12-07T14:3" + std::to_string(i) + ":10+01:00");
        rig.report(fakes::ReportedMeasurement(times.back()));
    }
    ASSERT_TRUE(test::WaitUntil([&] { return rig.command.runner().running() == 4; }));
    EXPECT_EQ(rig.command.runner().waiting(), 1u);
    ASSERT_TRUE(test::WaitUntil([&] { return Split(test::ReadFile(started), '\n').size() == 4; }));

    test::WriteFile(go, "");
    ASSERT_TRUE(rig.idle());
    const std::vector<std::string> order = Split(test::ReadFile(started), '\n');
    ASSERT_EQ(order.size(), 5u);
    EXPECT_EQ(std::set<std::string>(order.begin(), order.begin() + 4),
              std::set<std::string>(times.begin(), times.begin() + 4));
    EXPECT_EQ(order[4], times[4]);
    EXPECT_EQ(Split(test::ReadFile(ended), '\n').size(), 5u);
    EXPECT_TRUE(rig.told.empty());
}

TEST(ReportCommand, NothingItStartedOutlivesIt) {
    test::TempFolder folder;
    const std::string pidFile = folder / "pid";
    {
        Rig rig;
        rig.command.setLine(R"(sh -c "sleep 30 & echo \$! > ')" + pidFile + R"('; wait")");
        rig.report();
        ASSERT_TRUE(test::WaitUntil([&] { return !test::ReadFile(pidFile).empty(); }));
    }
    EXPECT_TRUE(test::WaitUntil([&] { return Gone(Split(test::ReadFile(pidFile), '\n').at(0)); }));
}

} // namespace
} // namespace skedula
