// The command per report, run for real: what a script receives, what is told when a command
// cannot be started, fails or hangs, and that reports while slow commands run are not lost.
#include "app/ReportCommand.h"
#include "fakes/EngineFakes.h"
#include "fakes/EnvScope.h"
#include "fakes/EventLoop.h"
#include "storage/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

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

// While it lives, what Skedula writes to its standard error goes to a file.
class StderrCapture {
public:
    StderrCapture() : saved_(::dup(STDERR_FILENO)) {
        const int file = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
    }
    ~StderrCapture() {
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    std::string text() const { return test::ReadFile(path_); }

private:
    test::TempFolder folder_;
    std::string path_ = folder_ / "stderr";
    int saved_;
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
    ASSERT_TRUE(rig.idle());
    EXPECT_TRUE(rig.told.empty()) << rig.told.front();

    EXPECT_EQ(Split(test::ReadFile(out + "/argumente"), '\0'),
              (std::vector<std::string>{"a b", "$x `y` \\ \"z\"", "50%", ""}));
    std::map<std::string, std::string> environment;
    for (const std::string& entry : Split(test::ReadFile(out + "/umgebung"), '\0'))
        environment[entry.substr(0, entry.find('='))] = entry.substr(entry.find('=') + 1);
    const std::map<std::string, std::string> expected = {
        {"SKEDULA_ZEIT", "2026-12-07T14:30:10+01:00"},
        {"SKEDULA_FREQUENZ", "7\xE4\x01\t1z"},
        {"SKEDULA_MODE", "AM"},
        {"SKEDULA_S1", "7"},
        {"SKEDULA_S2", "7"},
        {"SKEDULA_S3", "7"},
        {"SKEDULA_SCHWELLE", "5"},
        {"SKEDULA_ALARM", "/home/me/Töne/\"laut\" 'x'.wav"},
        {"SKEDULA_AUFNAHME", "/home/me/Auf nahmen/\"a\" b.flac"},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(environment[name], value) << name;
    EXPECT_EQ(environment["HOME"], std::getenv("HOME")); // Skedula's own environment besides
    EXPECT_EQ(test::ReadFile(out + "/eingabe"),
              "\n14:30:10\n" + m.radioFrequency + " AM\nS7 >= S5\nS7 >= S5\nS7 >= S5\n");

    m.reported = false;
    std::filesystem::remove(out + "/eingabe");
    rig.report(m);
    EXPECT_EQ(rig.command.runner().running(), 0u) << "ran for a measurement without a report";
}

TEST(ReportCommand, AFailureIsToldOnceWithCodeAndLastLineUntilASuccessInBetween) {
    test::TempFolder folder;
    const std::string flag = folder / "gut";
    Rig rig;
    rig.command.setLine(R"(sh -c "echo aus; test -e ')" + flag +
                        R"(' || { echo erste >&2; printf 'zweite Zeile\\r\\n\\n' >&2; exit 3; }")");
    StderrCapture stderrCapture;
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
    const std::string passedOn = stderrCapture.text();
    EXPECT_NE(passedOn.find("aus\n"), std::string::npos) << passedOn;
    EXPECT_NE(passedOn.find("erste\nzweite Zeile\r\n"), std::string::npos) << passedOn;

    test::WriteFile(flag, "");
    rig.report();
    ASSERT_TRUE(rig.idle());
    std::filesystem::remove(flag);
    rig.report();
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.told.size(), 2u);
}

TEST(ReportCommand, AProgramThatCannotBeStartedIsNamedWithTheReason) {
    test::TempFolder folder;
    const std::string notExecutable = folder / "nicht ausführbar";
    test::WriteFile(notExecutable, "#!/bin/sh\n");
    Rig rig;
    rig.command.setLine("skedula-gibt-es-nicht --x");
    rig.report();
    rig.report();
    ASSERT_TRUE(rig.idle());
    rig.command.setLine(Quoted(notExecutable));
    rig.report();
    ASSERT_TRUE(rig.idle());
    ASSERT_EQ(rig.told.size(), 2u);
    EXPECT_TRUE(rig.told[0].starts_with("Der Befehl bei Meldung konnte nicht gestartet werden.\n"
                                        "Programm: skedula-gibt-es-nicht\n"
                                        "Grund: Programm nicht gefunden\n\n"))
        << rig.told[0];
    EXPECT_TRUE(rig.told[1].starts_with("Der Befehl bei Meldung konnte nicht gestartet werden.\n"
                                        "Programm: " +
                                        notExecutable +
                                        "\nGrund: keine Berechtigung, es auszuführen\n\n"))
        << rig.told[1];
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

    rig.command.setLine("sleep 30"); // ends at SIGTERM; a new line's failure is told anew
    rig.report();
    ASSERT_TRUE(rig.idle());
    ASSERT_EQ(rig.told.size(), 2u);
    EXPECT_TRUE(rig.told[1].starts_with("Der Befehl bei Meldung lief länger als 0,3 s und wurde "
                                        "beendet.\nProgramm: sleep\n\n"))
        << rig.told[1];
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
    EXPECT_EQ(rig.command.runner().running(), 4u);
    EXPECT_EQ(rig.command.runner().waiting(), 1u);
    ASSERT_TRUE(test::WaitUntil([&] { return Split(test::ReadFile(started), '\n').size() == 4; }));
    test::WaitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(Split(test::ReadFile(started), '\n').size(), 4u) << "a fifth at once";

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

TEST(ReportCommand, TestenRunsTheLineOnceWithExampleValues) {
    test::TempFolder folder;
    const std::string out = folder / "umgebung";
    Rig rig;
    fakes::FakeClock clock;
    clock.set(21, 5, 9);
    std::string result;
    rig.command.Test("sh -c " + Quoted("env > '" + out + "'; cat >> '" + out + "'"), clock,
                     [&](const std::string& text) { result = text; });
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(result, "Der Befehl bei Meldung ist gelaufen (Exit-Code 0).\nProgramm: sh");
    const std::string seen = test::ReadFile(out);
    for (const char* line :
         {"\nSKEDULA_ZEIT=2026-12-07T21:05:09+01:00\n", "\nSKEDULA_FREQUENZ=7100000\n",
          "\nSKEDULA_MODE=AM\n", "\nSKEDULA_S3=7\n", "\nSKEDULA_SCHWELLE=5\n",
          "\nSKEDULA_ALARM=alarm.wav\n", "\nSKEDULA_AUFNAHME=\n",
          "\n\n21:05:09\n7100000 AM\nS7 >= S5\nS7 >= S5\nS7 >= S5\n"})
        EXPECT_NE(seen.find(line), std::string::npos) << line << " not in\n" << seen;
    rig.command.Test("false", clock, [&](const std::string& text) { result = text; });
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(result, "Der Befehl bei Meldung ist fehlgeschlagen.\nProgramm: false\nExit-Code: 1");
    EXPECT_TRUE(rig.told.empty()) << "Testen opened a box";
    EXPECT_THROW(rig.command.Test("  ", clock, [](const std::string&) {}), Error);
}

} // namespace
} // namespace skedula
