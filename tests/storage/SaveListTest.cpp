#include "storage/ListFile.h"

#include "TestFiles.h"
#include "engine/Error.h"
#include "fakes/ChildProcess.h"
#include "storage/ListText.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {
namespace {

using test::FilledList;
using test::FolderEntries;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

const std::string kOldContent = "the user's old list\r\n";

std::string SaveError(const CellGrid& list, const std::string& path) {
    try {
        SaveList(list, path);
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

// A list far larger than the room a failing test leaves for it.
CellGrid LargeList() {
    CellGrid list(5, 10);
    for (int row = 1; row <= 11; ++row)
        list.setCell(0, row, std::string(16 * 1024, 'x'));
    return list;
}

// The message, the old file's content and the folder's entries after a save, in one line.
std::string SaveOutcome(const CellGrid& list, const std::string& folder) {
    const std::string path = folder + "/list.lst";
    const std::string message = SaveError(list, path);
    std::string entries;
    for (const std::string& name : FolderEntries(folder))
        entries += name + ";";
    return message + " | " + ReadFile(path) + " | " + entries;
}

const std::string kIntactOutcomeTail = " | " + kOldContent + " | list.lst;";

TEST(SaveList, ReplacesTheFileAndLeavesNothingElse) {
    TempFolder folder;
    WriteFile(folder / "list.lst", kOldContent);
    SaveList(FilledList("new"), folder / "list.lst");
    EXPECT_EQ(ReadFile(folder / "list.lst").substr(0, 8), "new1.0\r\n");
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"list.lst"});
}

TEST(SaveList, AReplacedFileKeepsItsPermissions) {
    TempFolder folder;
    WriteFile(folder / "list.lst", kOldContent);
    ::chmod((folder / "list.lst").c_str(), 0640);
    SaveList(FilledList(), folder / "list.lst");
    struct stat info {};
    ASSERT_EQ(::stat((folder / "list.lst").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(SaveList, ANewFileGetsTheUmasksPermissions) {
    TempFolder folder;
    const mode_t old = ::umask(027);
    SaveList(FilledList(), folder / "new.lst");
    ::umask(old);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "new.lst").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(SaveList, ASymbolicLinkStaysAndItsTargetIsReplaced) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "real");
    WriteFile(folder / "real/list.lst", kOldContent);
    std::filesystem::create_symlink("real/list.lst", folder / "link.lst");
    SaveList(CellGrid(5, 10), folder / "link.lst");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.lst"));
    EXPECT_EQ(ReadFile(folder / "real/list.lst").size(), 110u);
}

TEST(SaveList, ALinkToAFileNotYetThereCreatesTheFile) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "links");
    std::filesystem::create_directory(folder / "real");
    // Two links in a row, each relative to its own folder.
    std::filesystem::create_symlink("hop.lst", folder / "links/list.lst");
    std::filesystem::create_symlink("../real/list.lst", folder / "links/hop.lst");
    std::filesystem::create_symlink("missing/list.lst", folder / "nowhere.lst");

    SaveList(CellGrid(5, 10), folder / "links/list.lst");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "links/list.lst"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "links/hop.lst"));
    EXPECT_EQ(ReadFile(folder / "real/list.lst").size(), 110u);
    EXPECT_EQ(FolderEntries(folder / "real"), std::vector<std::string>{"list.lst"});

    EXPECT_EQ(SaveError(FilledList(), folder / "nowhere.lst"), "Ungültiger Dateiname");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "nowhere.lst"));
}

TEST(SaveList, AFileWithSeveralNamesIsWrittenInPlace) {
    TempFolder folder;
    WriteFile(folder / "list.lst", kOldContent);
    std::filesystem::create_hard_link(folder / "list.lst", folder / "other.lst");
    SaveList(FilledList("new"), folder / "list.lst");
    EXPECT_EQ(ReadFile(folder / "other.lst"), FormatList(FilledList("new")));
    EXPECT_EQ(std::filesystem::hard_link_count(folder / "list.lst"), 2u);
    EXPECT_EQ(FolderEntries(folder.path()), (std::vector<std::string>{"list.lst", "other.lst"}));

    // A shorter list than the old one leaves nothing of the old behind it.
    SaveList(CellGrid(5, 10), folder / "list.lst");
    EXPECT_EQ(ReadFile(folder / "other.lst"), FormatList(CellGrid(5, 10)));
}

// Another user's link in a folder such as /tmp must not lead a save onto the saver's own files;
// a link of the saver's own, or of the folder's owner, leads as any link does.
TEST(SaveList, ALinkOfAnotherUserInASharedStickyFolderIsRefused) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr)
        GTEST_SKIP() << "two users need root and the user nobody";
    TempFolder folder;
    ::chmod(folder.path().c_str(), 0755);
    const std::string shared = folder / "tmp";     // root's, as /tmp is
    const std::string nobodys = folder / "shared"; // a shared folder that nobody owns
    for (const std::string& sticky : {shared, nobodys}) {
        std::filesystem::create_directory(sticky);
        ::chmod(sticky.c_str(), 01777);
    }
    ASSERT_EQ(::chown(nobodys.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    WriteFile(folder / ".bashrc", kOldContent);
    WriteFile(folder / "list.lst", kOldContent);

    const test::ChildReport child = test::RunInChild([&] {
        test::BecomeUnprivileged();
        std::filesystem::create_symlink(folder / ".bashrc", shared + "/liste.txt");
        std::filesystem::create_symlink(folder / "list.lst", nobodys + "/liste.txt");
        std::filesystem::create_symlink("mine.lst", shared + "/mine.txt");
        return SaveError(FilledList("nobody"), shared + "/mine.txt");
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "no error") << "the saver's own link";
    EXPECT_EQ(ReadFile(shared + "/mine.lst"), FormatList(FilledList("nobody")));

    EXPECT_EQ(SaveError(FilledList(), shared + "/liste.txt"), "Dateizugriff verweigert");
    EXPECT_EQ(ReadFile(folder / ".bashrc"), kOldContent);
    EXPECT_TRUE(std::filesystem::is_symlink(shared + "/liste.txt"));

    EXPECT_EQ(SaveError(FilledList("new"), nobodys + "/liste.txt"), "no error")
        << "a link of the folder's owner";
    EXPECT_EQ(ReadFile(folder / "list.lst"), FormatList(FilledList("new")));
}

TEST(SaveList, ErrorsOfTheTargetCarryTheirMessages) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "sub");
    EXPECT_EQ(SaveError(FilledList(), folder / "no-folder/list.lst"), "Ungültiger Dateiname");
    EXPECT_EQ(SaveError(FilledList(), folder / "sub/"), "Ungültiger Dateiname");
    EXPECT_EQ(SaveError(FilledList(), folder / "sub"), "E/A-Fehler 21");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "sub"));
}

TEST(SaveList, NeverReplacesADevice) {
    EXPECT_EQ(SaveError(FilledList(), "/dev/null"), "E/A-Fehler 22");
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(SaveList, AReadOnlyKernelFileIsRefused) {
    // Read-only kernel settings refuse writing even to root.
    const char* path = "/proc/sys/kernel/ostype";
    if (::access(path, W_OK) == 0)
        GTEST_SKIP() << path << " is writable here";
    const std::string before = ReadFile(path);
    EXPECT_EQ(SaveError(FilledList(), path), "Dateizugriff verweigert");
    EXPECT_EQ(ReadFile(path), before);
}

// File modes stop every user but root: root does these saves as nobody.
test::ChildReport SaveOutcomeAsUser(const CellGrid& list, const std::string& folder) {
    return test::RunInChild([&] {
        test::BecomeUnprivileged();
        return SaveOutcome(list, folder);
    });
}

TEST(SaveList, AWriteProtectedFileIsRefusedAndKept) {
    TempFolder folder;
    WriteFile(folder / "list.lst", kOldContent);
    ::chmod((folder / "list.lst").c_str(), 0444);
    ::chmod(folder.path().c_str(), 0777);
    const test::ChildReport child = SaveOutcomeAsUser(FilledList(), folder.path());
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "Dateizugriff verweigert" + kIntactOutcomeTail);
}

TEST(SaveList, AWritableFileInAFolderWithoutWriteAccessIsWrittenInPlace) {
    TempFolder folder;
    WriteFile(folder / "list.lst", kOldContent);
    ::chmod((folder / "list.lst").c_str(), 0666);
    ::chmod(folder.path().c_str(), 0555);
    const test::ChildReport child = SaveOutcomeAsUser(FilledList("new"), folder.path());
    ::chmod(folder.path().c_str(), 0700);
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "no error | " + FormatList(FilledList("new")) + " | list.lst;");
}

TEST(SaveList, ATargetOnAReadOnlyDiskIsRefusedAndKept) {
    const test::ChildReport child = test::RunOnScratchMount(64 * 1024, [](const std::string& dir) {
        WriteFile(dir + "/list.lst", kOldContent);
        if (!test::RemountReadOnly(dir))
            throw test::ChildSkip{"cannot make the scratch tmpfs read-only"};
        return SaveOutcome(FilledList(), dir);
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "Dateizugriff verweigert" + kIntactOutcomeTail);
}

TEST(SaveList, AFullDiskPartWayKeepsTheOldFile) {
    const test::ChildReport child = test::RunOnScratchMount(64 * 1024, [](const std::string& dir) {
        WriteFile(dir + "/list.lst", kOldContent);
        return SaveOutcome(LargeList(), dir);
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "Zu wenig Speicherplatz" + kIntactOutcomeTail);
}

// The saves that write in place reserve the room first: a full disk stops them before the old
// list is touched, in both names of a hard-linked list (the second one often a backup copy).
TEST(SaveList, AFullDiskKeepsAListThatIsWrittenInPlace) {
    const test::ChildReport child = test::RunOnScratchMount(64 * 1024, [](const std::string& dir) {
        WriteFile(dir + "/list.lst", kOldContent);
        std::filesystem::create_hard_link(dir + "/list.lst", dir + "/backup.lst");
        return SaveOutcome(LargeList(), dir) + " | " + ReadFile(dir + "/backup.lst");
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "Zu wenig Speicherplatz | " + kOldContent +
                                " | backup.lst;list.lst; | " + kOldContent);
}

TEST(SaveList, AFullDiskKeepsAListInAFolderWithoutWriteAccess) {
    const test::ChildReport child = test::RunOnScratchMount(64 * 1024, [](const std::string& dir) {
        const std::string folder = dir + "/lists";
        std::filesystem::create_directory(folder);
        WriteFile(folder + "/list.lst", kOldContent);
        ::chmod((folder + "/list.lst").c_str(), 0666);
        ::chmod(folder.c_str(), 0555);
        ::chmod(dir.c_str(), 0755);
        test::BecomeUnprivileged();
        // A list that fits is written in place, so the full disk below meets the same path.
        const std::string fits = SaveOutcome(FilledList("new"), folder);
        return fits.substr(0, fits.find(" | ")) + " / " + SaveOutcome(LargeList(), folder);
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "no error / Zu wenig Speicherplatz | " + FormatList(FilledList("new")) +
                                " | list.lst;");
}

// A file size limit stops the write part-way on any file system, mountable or not.
TEST(SaveList, AWriteStoppedPartWayKeepsTheOldFile) {
    TempFolder folder;
    WriteFile(folder / "list.lst", kOldContent);
    const test::ChildReport child = test::RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN); // so the write fails with EFBIG instead of ending us
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 8 * 1024;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            throw test::ChildSkip{"cannot set a file size limit"};
        return SaveOutcome(LargeList(), folder.path());
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "E/A-Fehler 27" + kIntactOutcomeTail);
}

} // namespace
} // namespace skedula
