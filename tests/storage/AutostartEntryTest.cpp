#include "storage/AutostartEntry.h"

#include "TestFiles.h"
#include "engine/Error.h"
#include "fakes/EnvScope.h"
#include "storage/ReportFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace skedula {
namespace {

using test::EnvScope;
using test::ReadFile;

// desktop-file-validate's exit code and whatever it printed.
std::string Validate(const std::string& path) {
    FILE* pipe = ::popen(("desktop-file-validate '" + path + "' 2>&1").c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    const int status = pipe != nullptr ? ::pclose(pipe) : -1;
    return "exit " + std::to_string(WEXITSTATUS(status)) + ": " + output;
}

std::string ExecLine(const std::string& text) {
    const std::size_t start = text.find("\nExec=");
    return start == std::string::npos
               ? ""
               : text.substr(start + 1, text.find('\n', start + 1) - start - 1);
}

TEST(AutostartEntry, ExecArgumentsAreQuotedAsDesktopEntriesQuoteThem) {
    const struct {
        const char* argument;
        const char* exec;
    } cases[] = {
        {"/home/anna/nacht.txt", "/home/anna/nacht.txt"},
        {"/home/anna/Meine Listen/nacht.txt", "\"/home/anna/Meine Listen/nacht.txt\""},
        {"/tmp/a\"b$c`d\\e", "\"/tmp/a\\\"b\\$c\\`d\\\\e\""},
        {"/tmp/it's (alt);1", "\"/tmp/it's (alt);1\""},
        {"/tmp/100%", "/tmp/100%%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExecArgument(c.argument), c.exec) << c.argument;
    EXPECT_THROW(ExecArgument("/tmp/H\xF6rer.txt"), Error); // a desktop entry is UTF-8
}

TEST(AutostartEntry, IsWrittenValidWithItsExactExecLineAndRemoved) {
    test::TempFolder home;
    const std::string entry = home / "config/autostart/skedula.desktop";
    const std::string program = home / "my build/skedula";
    EXPECT_FALSE(AutostartEntryExists(entry));

    WriteAutostartEntry(entry, program, home / "Meine Listen/nacht \\ $1.txt");
    ASSERT_TRUE(AutostartEntryExists(entry));
    // The backslash is doubled by the Exec quoting and doubled again as a string value.
    EXPECT_EQ(ExecLine(ReadFile(entry)), "Exec=\"" + program + "\" --start \"" + home.path() +
                                             "/Meine Listen/nacht \\\\\\\\ \\\\$1.txt\"");
    EXPECT_EQ(Validate(entry), "exit 0: ");

    RemoveAutostartEntry(entry);
    EXPECT_FALSE(AutostartEntryExists(entry));
    EXPECT_NO_THROW(RemoveAutostartEntry(entry));

    // A relative list is made absolute: the session starts the entry in another folder.
    WriteAutostartEntry(entry, "/usr/bin/skedula", "liste.txt");
    EXPECT_EQ(ExecLine(ReadFile(entry)),
              "Exec=/usr/bin/skedula --start " +
                  (std::filesystem::current_path() / "liste.txt").string());
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

// Desktops switch an entry off by editing it. What they wrote stays; only Exec follows the list,
// and switching it on from Skedula also turns their switch back.
TEST(AutostartEntry, AnEntryTheDesktopSwitchedOffCountsAsOffAndKeepsWhatTheDesktopWrote) {
    test::TempFolder home;
    const std::string entry = home / "autostart/skedula.desktop";
    EXPECT_FALSE(AutostartEntryOn(entry));
    FollowListInAutostartEntry(entry, "/usr/bin/skedula", "/home/anna/tag.txt");
    EXPECT_FALSE(AutostartEntryExists(entry)) << "following a list never makes an entry";

    const std::pair<std::string, std::string> switches[] = {
        {"Hidden=true", "Hidden=false"},
        {"X-GNOME-Autostart-enabled=false", "X-GNOME-Autostart-enabled=true"},
        {"X-GNOME-Autostart-enabled = 0", "X-GNOME-Autostart-enabled=true"},
    };
    for (const auto& [off, on] : switches) {
        const std::string desktopWrote = "[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Skedula\n"
                                         "Name[de]=Skedula \xC3\xBC"
                                         "berwacht\n"
                                         "# edited by the desktop\n"
                                         "Exec=/usr/bin/skedula --start /home/anna/nacht.txt\n"
                                         "X-GNOME-Autostart-Delay=30\n" +
                                         off + "\n";
        std::filesystem::create_directories(home / "autostart");
        test::WriteFile(entry, desktopWrote);
        EXPECT_FALSE(AutostartEntryOn(entry)) << off;

        FollowListInAutostartEntry(entry, "/usr/bin/skedula", "/home/anna/tag.txt");
        const std::string followed = Replaced(desktopWrote, "nacht.txt", "tag.txt");
        EXPECT_EQ(ReadFile(entry), followed) << off;
        EXPECT_FALSE(AutostartEntryOn(entry)) << off;

        WriteAutostartEntry(entry, "/usr/bin/skedula", "/home/anna/tag.txt");
        EXPECT_EQ(ReadFile(entry), Replaced(followed, off, on));
        EXPECT_TRUE(AutostartEntryOn(entry)) << off;
    }

    // A file there that is no desktop entry starts nothing, and is replaced when switched on.
    test::WriteFile(entry, "Exec=/usr/bin/skedula\n");
    EXPECT_FALSE(AutostartEntryOn(entry));
    WriteAutostartEntry(entry, "/usr/bin/skedula", "/home/anna/tag.txt");
    EXPECT_EQ(ReadFile(entry), AutostartEntryText("/usr/bin/skedula", "/home/anna/tag.txt"));
    EXPECT_TRUE(AutostartEntryOn(entry));
    EXPECT_EQ(Validate(entry), "exit 0: ");
}

TEST(AutostartEntry, FilesLiveWhereTheXdgRulesPutThemAndTheMenuEntryOpensAFile) {
    EnvScope home("HOME", "/home/anna");
    for (const char* unusable : {static_cast<const char*>(nullptr), "relative/path"}) {
        EnvScope config("XDG_CONFIG_HOME", unusable);
        EnvScope data("XDG_DATA_HOME", unusable);
        EXPECT_EQ(AutostartEntryPath(), "/home/anna/.config/autostart/skedula.desktop");
        EXPECT_EQ(ReportFilePath(), "/home/anna/.local/share/Skedula/berichte.csv");
    }
    EnvScope config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(AutostartEntryPath(), "/cfg/autostart/skedula.desktop");

    EXPECT_TRUE(std::filesystem::is_regular_file(ThisProgram())) << ThisProgram();
    const std::string menuEntry =
        std::string(std::getenv("SKEDULA_TEST_DATA")) + "/../../data/skedula.desktop";
    EXPECT_EQ(ExecLine(ReadFile(menuEntry)), "Exec=skedula %f");
    EXPECT_EQ(Validate(menuEntry).substr(0, 8), "exit 0: ");
}

} // namespace
} // namespace skedula
