#include "storage/SettingsFile.h"

#include "TestFiles.h"
#include "engine/Error.h"
#include "fakes/ChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {
namespace {

using test::FolderEntries;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

class Environment {
public:
    Environment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~Environment() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string UpdateError(const SettingsFile& file, const std::string& value) {
    try {
        file.Update([&](IniDocument& document) { document.SetValue("Radio", "Device", value); });
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

TEST(SettingsFile, LivesInTheConfigFolderOfTheEnvironment) {
    {
        Environment config("XDG_CONFIG_HOME", "/tmp/cfg");
        EXPECT_EQ(SettingsFile::DefaultPath(), "/tmp/cfg/Skedula/Skedula.conf");
    }
    Environment home("HOME", "/home/hoerer");
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/cfg"}) {
        Environment config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(SettingsFile::DefaultPath(), "/home/hoerer/.config/Skedula/Skedula.conf");
    }
}

TEST(SettingsFile, NoFileIsAnEmptyDocumentAndTheFirstUpdateMakesTheFolder) {
    TempFolder folder;
    const SettingsFile file(folder / "config/Skedula/Skedula.conf");
    EXPECT_EQ(file.Load().Text(), "");
    const mode_t umask = ::umask(022);
    file.Update([](IniDocument& document) { document.SetValue("Radio", "Program", "dummy"); });
    ::umask(umask);
    EXPECT_EQ(ReadFile(file.Path()), "[Radio]\nProgram=dummy\n");
    // The folders a program makes in the user's home are the user's alone.
    for (const char* made : {"config", "config/Skedula"}) {
        struct stat info {};
        ASSERT_EQ(::stat((folder / made).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0700u) << made;
    }
}

// Read as list files are read: a pipe without a writer or an endless device must not hold
// the start.
TEST(SettingsFile, APipeOrADeviceOfThatNameIsRefusedAtOnce) {
    TempFolder folder;
    const std::string pipe = folder / "pipe.conf";
    const std::string device = folder / "device.conf";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", device);
    const test::ChildReport child = test::RunInChild([&] {
        ::alarm(20); // a read that waits ends the child, and the test fails instead of hanging
        std::string report;
        for (const std::string& path : {pipe, device}) {
            try {
                SettingsFile(path).Load();
                report += "loaded;";
            } catch (const Error& e) {
                report += std::string(e.what()) + ";";
            }
        }
        return report;
    });
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, pipe + ": E/A-Fehler 22;" + device + ": E/A-Fehler 22;");
}

TEST(SettingsFile, AnUpdateKeepsWhatWasWrittenSinceTheFileWasRead) {
    TempFolder folder;
    const SettingsFile file(folder / "Skedula.conf");
    WriteFile(file.Path(), "[Radio]\nProgram=dummy\n");
    const IniDocument atStart = file.Load();
    WriteFile(file.Path(), "[Radio]\nProgram=dummy\n[Watch]\nLastList=a.txt\n");
    file.Update([](IniDocument& document) { document.SetValue("Radio", "Port", "4533"); });
    EXPECT_EQ(ReadFile(file.Path()),
              "[Radio]\nProgram=dummy\nPort=4533\n[Watch]\nLastList=a.txt\n");
    EXPECT_EQ(atStart.Value("Watch", "LastList"), std::nullopt);
}

TEST(SettingsFile, ErrorsNameTheFile) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "Skedula.conf");
    const SettingsFile directory(folder / "Skedula.conf");
    EXPECT_EQ(UpdateError(directory, "x"), directory.Path() + ": E/A-Fehler 21");
}

// A file size limit stops the write part-way; the old settings must survive whole.
TEST(SettingsFile, AWriteStoppedPartWayKeepsTheOldFile) {
    TempFolder folder;
    const SettingsFile file(folder / "Skedula.conf");
    const std::string old = "[Radio]\nProgram=hamlib\n; " + std::string(6000, 'x') + "\n";
    WriteFile(file.Path(), old);
    const test::ChildReport child = test::RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN); // so the write fails with EFBIG instead of ending us
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 8 * 1024;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            throw test::ChildSkip{"cannot set a file size limit"};
        return UpdateError(file, std::string(4000, 'd'));
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, file.Path() + ": E/A-Fehler 27");
    EXPECT_EQ(ReadFile(file.Path()), old);
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"Skedula.conf"});
}

} // namespace
} // namespace skedula
