#include "storage/AutostartEntry.h"

#include "TestFiles.h"
#include "engine/Error.h"
#include "fakes/EnvScope.h"
#include "storage/ReportFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

namespace skedula {
namespace {

using test::EnvScope;
using test::ReadFile;
using test::TempFolder;

// desktop-file-validate's verdict: its exit code and what it printed.
std::string Validate(const std::string& path) {
    const std::string command = "desktop-file-validate '" + path + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "cannot run desktop-file-validate";
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    const int status = ::pclose(pipe);
    return "exit " + std::to_string(WEXITSTATUS(status)) + ": " + output;
}

std::string LineStarting(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(key))
            return line;
    return "(no " + key + ")";
}

TEST(AutostartEntry, ExecArgumentsAreQuotedAsDesktopEntriesQuoteThem) {
    const struct {
        const char* argument;
        const char* exec;
    } cases[] = {
        {"/home/anna/nacht.txt", "/home/anna/nacht.txt"},
        {"/home/anna/Meine Listen/nacht.txt", "\"/home/anna/Meine Listen/nacht.txt\""},
        {"/tmp/it's", "\"/tmp/it's\""},
        {"/tmp/a\"b", "\"/tmp/a\\\"b\""},
        {"/tmp/$HOME`x`", "\"/tmp/\\$HOME\\`x\\`\""},
        {"/tmp/back\\slash", "\"/tmp/back\\\\slash\""},
        {"/tmp/100%", "/tmp/100%%"},
        {"/tmp/100% sicher", "\"/tmp/100%% sicher\""},
        {"/tmp/Hörer (alt);1", "\"/tmp/Hörer (alt);1\""},
        {"/tmp/zwei\nZeilen", "\"/tmp/zwei\nZeilen\""},
        {"", "\"\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExecArgument(c.argument), c.exec) << c.argument;
    EXPECT_THROW(ExecArgument("/tmp/H\xF6rer.txt"), Error); // a desktop entry is UTF-8
    EXPECT_THROW(ExecArgument("/tmp/bell\a"), Error);
}

TEST(AutostartEntry, IsWrittenValidWithItsExactExecLineAndRemoved) {
    TempFolder home;
    const std::string entry = home / "config/autostart/skedula.desktop";
    const std::string program = home / "my build/skedula";
    const std::string list = home / "Meine Listen/nacht \\ $1.txt";
    EXPECT_FALSE(AutostartEntryExists(entry));

    WriteAutostartEntry(entry, program, list);
    ASSERT_TRUE(AutostartEntryExists(entry));
    const std::string text = ReadFile(entry);
    // The backslash is doubled by the Exec quoting and doubled again as a string value.
    EXPECT_EQ(LineStarting(text, "Exec="), "Exec=\"" + program + "\" --start \"" + home.path() +
                                               "/Meine Listen/nacht \\\\\\\\ \\\\$1.txt\"");
    EXPECT_EQ(LineStarting(text, "TryExec="), "TryExec=" + program);
    EXPECT_EQ(Validate(entry), "exit 0: ");

    RemoveAutostartEntry(entry);
    EXPECT_FALSE(AutostartEntryExists(entry));
    EXPECT_NO_THROW(RemoveAutostartEntry(entry));
}

TEST(AutostartEntry, ARelativeListIsMadeAbsoluteAndAnUnwritableOneWritesNothing) {
    TempFolder home;
    const std::string entry = home / "autostart/skedula.desktop";
    WriteAutostartEntry(entry, "/usr/bin/skedula", "liste.txt");
    EXPECT_EQ(LineStarting(ReadFile(entry), "Exec="),
              "Exec=/usr/bin/skedula --start " +
                  (std::filesystem::current_path() / "liste.txt").string());

    RemoveAutostartEntry(entry);
    EXPECT_THROW(WriteAutostartEntry(entry, "/usr/bin/skedula", "/tmp/\xE4.txt"), Error);
    EXPECT_FALSE(AutostartEntryExists(entry));
}

TEST(UserFolders, TheFilesLiveWhereTheXdgRulesPutThem) {
    EnvScope home("HOME", "/home/anna");
    {
        EnvScope config("XDG_CONFIG_HOME", "/cfg");
        EnvScope data("XDG_DATA_HOME", "/data");
        EXPECT_EQ(AutostartEntryPath(), "/cfg/autostart/skedula.desktop");
        EXPECT_EQ(ReportFilePath(), "/data/Skedula/berichte.csv");
    }
    for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/path"}) {
        EnvScope config("XDG_CONFIG_HOME", unusable);
        EnvScope data("XDG_DATA_HOME", unusable);
        EXPECT_EQ(AutostartEntryPath(), "/home/anna/.config/autostart/skedula.desktop");
        EXPECT_EQ(ReportFilePath(), "/home/anna/.local/share/Skedula/berichte.csv");
    }
}

TEST(AutostartEntry, TheRunningProgramAndTheMenuEntryAreFit) {
    EXPECT_TRUE(std::filesystem::is_regular_file(ThisProgram())) << ThisProgram();
    const std::string source = std::string(std::getenv("SKEDULA_TEST_DATA")) + "/../../data";
    EXPECT_EQ(LineStarting(ReadFile(source + "/skedula.desktop"), "Exec="), "Exec=skedula %f");
    EXPECT_EQ(Validate(source + "/skedula.desktop").substr(0, 8), "exit 0: ");
}

} // namespace
} // namespace skedula
