#include "storage/ListFile.h"

#include "TestFiles.h"
#include "engine/Error.h"
#include "fakes/ChildProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skedula {
namespace {

using test::FilledList;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

std::string LoadError(const std::string& path) {
    CellGrid list(5, 10);
    try {
        LoadList(list, path);
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

TEST(ListFile, RoundTripKeepsEveryCellOfRowsOneToEleven) {
    const std::string texts[] = {
        "",
        "  blanks at both ends  ",
        "\t",
        "Fr\xc3\xbchst\xc3\xbc"
        "ck \xe2\x82\xac",          // UTF-8
        "M\xfcnchen \x80 \xe4\xf6", // Windows-1252, not valid UTF-8
        "14230000",
        "USB",
        "S5",
        "/home/me/Alarm Ton.mp3",
        std::string(70000, 'x'), // longer than one read of the loader
        "1?:3?",
    };
    CellGrid saved(5, 10);
    int next = 0;
    for (int row = 1; row <= 11; ++row)
        for (int column = 0; column < 5; ++column)
            saved.setCell(column, row, texts[next++ % std::size(texts)]);

    TempFolder folder;
    SaveList(saved, folder / "list.lst");
    CellGrid loaded = FilledList();
    LoadList(loaded, folder / "list.lst");

    for (int row = 1; row <= 11; ++row)
        for (int column = 0; column < 5; ++column)
            EXPECT_EQ(loaded.cell(column, row), saved.cell(column, row)) << column << "," << row;
    EXPECT_EQ(loaded.cell(0, 12), "old12.0");
}

TEST(ListFile, SavingAnEmptyListWrites55EmptyLines) {
    TempFolder folder;
    SaveList(CellGrid(5, 10), folder / "empty.lst");
    std::string expected;
    for (int line = 0; line < 55; ++line)
        expected += "\r\n";
    EXPECT_EQ(ReadFile(folder / "empty.lst"), expected);
}

TEST(ListFile, CrLfSplitBetweenTwoReadsEndsTheLine) {
    TempFolder folder;
    std::string first(64 * 1024 - 1, 'a'); // the CR is the last byte of the first read
    WriteFile(folder / "long.lst", first + "\r\nb\r\n");
    CellGrid list(5, 10);
    LoadList(list, folder / "long.lst");
    EXPECT_EQ(list.cell(0, 1), first);
    EXPECT_EQ(list.cell(1, 1), "b");
}

TEST(ListFile, TwelveLinesOverAFullListChangeOnlyTheFirstTwelveCells) {
    TempFolder folder;
    std::string file;
    for (int line = 1; line <= 12; ++line)
        file += "new" + std::to_string(line) + "\r\n";
    WriteFile(folder / "twelve.lst", file);

    CellGrid list = FilledList();
    LoadList(list, folder / "twelve.lst");
    const CellGrid old = FilledList();
    for (int row = 1; row <= 12; ++row) {
        for (int column = 0; column < 5; ++column) {
            const int line = (row - 1) * 5 + column + 1;
            EXPECT_EQ(list.cell(column, row),
                      line <= 12 ? "new" + std::to_string(line) : old.cell(column, row))
                << column << "," << row;
        }
    }
}

TEST(ListFile, SixtyLinesFillTheHiddenRowWhichTheNextSaveWritesBack) {
    TempFolder folder;
    std::string file;
    for (int line = 1; line <= 60; ++line)
        file += "v" + std::to_string(line) + "\r\n";
    WriteFile(folder / "sixty.lst", file);

    CellGrid list(5, 10);
    LoadList(list, folder / "sixty.lst");
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(list.cell(column, 11), "v" + std::to_string(51 + column));
        EXPECT_EQ(list.cell(column, 12), "") << "lines past 55 are not held";
    }

    SaveList(list, folder / "again.lst");
    const std::string saved = ReadFile(folder / "again.lst");
    EXPECT_EQ(saved, file.substr(0, file.find("v56")));
}

TEST(ListFile, LoadErrorsCarryTheirMessages) {
    TempFolder folder;
    WriteFile(folder / "file", "x");
    EXPECT_EQ(LoadError(folder / "missing.lst"), "Datei nicht gefunden");
    EXPECT_EQ(LoadError(folder / "no-folder/list.lst"), "Ungültiger Dateiname");
    EXPECT_EQ(LoadError(folder / "file/list.lst"), "Ungültiger Dateiname");
    EXPECT_EQ(LoadError(folder.path()), "E/A-Fehler 21");
    // Only files load: a device or a pipe may never end, and a pipe must not block the load.
    EXPECT_EQ(LoadError("/dev/zero"), "E/A-Fehler 22");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(LoadError(folder / "pipe"), "E/A-Fehler 22");
}

// A list named on the command line: the box is all the listener sees of it.
TEST(ListFile, ANamedListIsNamedInEveryMessage) {
    TempFolder folder;
    WriteFile(folder / "file", "x");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    const auto error = [](const std::string& path) {
        CellGrid list(5, 10);
        try {
            LoadNamedList(list, path);
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const std::string missing = folder / "fehlt.txt";
    const std::string noFolder = folder / "Listen/nacht.txt";
    const std::string underFile = folder / "file/nacht.txt";
    EXPECT_EQ(error(missing), "Listendatei '" + missing + "' nicht gefunden");
    EXPECT_EQ(error(noFolder), "Listendatei '" + noFolder + "' nicht gefunden");
    EXPECT_EQ(error(underFile), "Listendatei '" + underFile + "' nicht gefunden");
    EXPECT_EQ(error(folder.path()), "Listendatei '" + folder.path() + "' ist ein Ordner");
    EXPECT_EQ(error(folder / "pipe"), "Listendatei '" + folder / "pipe" + "': E/A-Fehler 22");
    EXPECT_EQ(error(folder / "file"), "no error");
}

TEST(ListFile, LoadWithoutReadAccessIsRefused) {
    // Write-only kernel settings refuse reading even to root, whose rights pass over file modes.
    for (const char* path : {"/proc/sys/vm/drop_caches", "/proc/sys/vm/compact_memory"}) {
        if (::access(path, F_OK) == 0 && ::access(path, R_OK) != 0) {
            EXPECT_EQ(LoadError(path), "Dateizugriff verweigert") << path;
            return;
        }
    }
    GTEST_SKIP() << "no file here that refuses reading to this user";
}

TEST(ListFile, LoadOfAnUnreadableFileIsRefused) {
    TempFolder folder;
    WriteFile(folder / "secret.lst", "x\r\n");
    ::chmod((folder / "secret.lst").c_str(), 0);
    if (::access((folder / "secret.lst").c_str(), R_OK) == 0)
        GTEST_SKIP() << "file modes do not stop this user (root); the /proc case covers refusal";
    EXPECT_EQ(LoadError(folder / "secret.lst"), "Dateizugriff verweigert");
}

TEST(ListFile, TooManyOpenFiles) {
    TempFolder folder;
    WriteFile(folder / "list.lst", "x\r\n");
    const test::ChildReport child = test::RunInChild([&] {
        const rlimit few{16, 16};
        if (::setrlimit(RLIMIT_NOFILE, &few) != 0)
            throw test::ChildSkip{"cannot lower the open file limit"};
        while (::open("/dev/null", O_RDONLY) >= 0) {
        }
        return LoadError(folder / "list.lst");
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "Zu viele geöffnete Dateien");
}

} // namespace
} // namespace skedula
