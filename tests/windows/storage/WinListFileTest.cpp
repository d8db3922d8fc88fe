// List files through the Windows file API under Wine: the Linux program's bytes, and the
// Windows error numbers' messages.
#include "windows/storage/WinListFile.h"

#include "engine/Error.h"
#include "storage/ListText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace skedula {
namespace {

// A folder of the test's own in the prefix's temporary folder, removed with what it holds.
class Folder {
public:
    Folder() {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "skedula-lists-" + std::to_string(::GetTickCount64());
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~Folder() {
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string file = path_ + "\\" + found.cFileName;
                ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(file.c_str());
            } while (::FindNextFileA(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryA(path_.c_str());
    }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    int Entries() const {
        int count = 0;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return 0;
        do {
            count += found.cFileName[0] != '.';
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return count;
    }

private:
    std::string path_;
};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

template <typename Action> std::string ErrorOf(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

TEST(WinListFile, SavesTheSameBytesAsTheLinuxProgramAndLoadsThemBack) {
    Folder folder;
    CellGrid empty(5, 10);
    SaveList(empty, folder / "empty.lst");
    std::string emptyLines;
    for (int i = 0; i < 55; ++i)
        emptyLines += "\r\n";
    EXPECT_EQ(Read(folder / "empty.lst"), emptyLines);

    CellGrid list(5, 10);
    list.setCell(0, 1, "1?:30");
    list.setCell(1, 1, "7100000");
    list.setCell(4, 1, "C:\\Alarme\\M\xfcnchen Ton.wav"); // Windows-1252, as typed there
    list.setCell(2, 10, "  USB  ");
    list.setCell(0, 11, "hidden row");
    SaveList(list, folder / "full.lst");
    EXPECT_EQ(Read(folder / "full.lst"), FormatList(list));
    CellGrid loaded(5, 10);
    LoadList(loaded, folder / "full.lst");
    for (int row = 1; row <= 11; ++row)
        for (int column = 0; column < 5; ++column)
            EXPECT_EQ(loaded.cell(column, row), list.cell(column, row)) << column << "," << row;
    // Saving over the list replaces it whole and leaves no temporary file behind.
    SaveList(empty, folder / "full.lst");
    EXPECT_EQ(Read(folder / "full.lst").size(), 110u);
    EXPECT_EQ(folder.Entries(), 2);
}

TEST(WinListFile, LoadsAListSavedOnLinux) {
    const char* data = std::getenv("SKEDULA_TEST_DATA");
    ASSERT_NE(data, nullptr);
    CellGrid list(5, 10);
    LoadList(list, std::string(data) + "\\storage\\corpus\\twelve-lines.lst");
    CellGrid expected(5, 10);
    ListReader reader(expected);
    reader.feed(Read(std::string(data) + "\\storage\\corpus\\twelve-lines.lst"));
    reader.finish();
    for (int row = 1; row <= 3; ++row)
        for (int column = 0; column < 5; ++column)
            EXPECT_EQ(list.cell(column, row), expected.cell(column, row));
    EXPECT_FALSE(list.cell(1, 3).empty());
}

TEST(WinListFile, FailuresGiveTheMessageOfTheWindowsErrorNumber) {
    Folder folder;
    CellGrid list(5, 10);
    EXPECT_EQ(ErrorOf([&] { LoadList(list, folder / "missing.lst"); }), "Datei nicht gefunden");
    EXPECT_EQ(ErrorOf([&] { LoadList(list, folder / "no folder\\x.lst"); }),
              "Ung\xc3\xbcltiger Dateiname");
    EXPECT_EQ(ErrorOf([&] { SaveList(list, folder / "no folder\\x.lst"); }),
              "Ung\xc3\xbcltiger Dateiname");

    // A write-protected list is refused and keeps its content.
    Write(folder / "locked.lst", "keep\r\n");
    ::SetFileAttributesA((folder / "locked.lst").c_str(), FILE_ATTRIBUTE_READONLY);
    list.setCell(0, 1, "new");
    EXPECT_EQ(ErrorOf([&] { SaveList(list, folder / "locked.lst"); }), "Dateizugriff verweigert");
    EXPECT_EQ(Read(folder / "locked.lst"), "keep\r\n");
    EXPECT_EQ(folder.Entries(), 1);

    // A list that another program holds open without sharing.
    Write(folder / "held.lst", "held\r\n");
    HANDLE held = ::CreateFileA((folder / "held.lst").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorOf([&] { LoadList(list, folder / "held.lst"); }), "E/A-Fehler 32");
    ::CloseHandle(held);

    // A device is no list file.
    EXPECT_EQ(ErrorOf([&] { LoadList(list, "NUL"); }), "Dateizugriff verweigert");
}

} // namespace
} // namespace skedula
