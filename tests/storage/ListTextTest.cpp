#include "storage/ListText.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace skedula {
namespace {

using test::FilledList;

std::string Lines(int count, const std::string& lineEnd = "\r\n") {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "L" + std::to_string(i) + lineEnd;
    return text;
}

std::vector<std::string> LineTexts(int count) {
    std::vector<std::string> texts;
    for (int i = 1; i <= count; ++i)
        texts.push_back("L" + std::to_string(i));
    return texts;
}

struct ReadCase {
    const char* name;
    std::string file;
    std::vector<std::string> cells; // the cells written, from line 1 on; all others keep "old"
};

const std::vector<ReadCase>& ReadCases() {
    static const std::vector<ReadCase> cases = {
        {"empty file", "", {}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"mixed line ends", "a\r\nb\nc\r\n", {"a", "b", "c"}},
        {"no line end after the last line", "a\r\nb", {"a", "b"}},
        {"empty lines clear their cells", "\r\n\n", {"", ""}},
        {"lone CR is dropped", "a\rb\r\n", {"ab"}},
        {"CR CR LF", "a\r\r\nb\n", {"a", "b"}},
        {"lone CR at the end", "a\nb\r", {"a", "b"}},
        {"only a CR", "\r", {}},
        {"blanks at both ends stay", "  a \t\r\n\t b  ", {"  a \t", "\t b  "}},
        {"Ctrl+Z at a line start ends the file", "a\r\n\x1a\r\nb\r\n", {"a"}},
        {"Ctrl+Z as the first byte",
         "\x1a"
         "a\r\n",
         {}},
        {"Ctrl+Z after a dropped CR",
         "a\n\r\x1a"
         "b\n",
         {"a"}},
        {"Ctrl+Z inside a line is text", "a\x1a\nb\n", {"a\x1a", "b"}},
        {"bytes kept as they are",
         "\xfc\xe4\x80\r\n\xc3\xbc\xe2\x82\xac\r\n",
         {"\xfc\xe4\x80", "\xc3\xbc\xe2\x82\xac"}},
        {"NUL byte", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
        {"12 lines", Lines(12), LineTexts(12)},
        {"55 lines with LF", Lines(55, "\n"), LineTexts(55)},
        // Lines 56 on belong to rows that nothing uses: not kept, row 12 stays as it was.
        {"60 lines", Lines(60), LineTexts(55)},
    };
    return cases;
}

void ExpectCells(const CellGrid& list, const ReadCase& c, const char* how) {
    const CellGrid old = FilledList();
    for (int row = 0; row <= 12; ++row) {
        for (int column = 0; column < kListColumns; ++column) {
            const std::size_t line = static_cast<std::size_t>((row - 1) * kListColumns + column);
            const std::string& expected =
                row >= 1 && line < c.cells.size() ? c.cells[line] : old.cell(column, row);
            EXPECT_EQ(list.cell(column, row), expected)
                << c.name << " (" << how << "), cell " << column << "," << row;
        }
    }
}

TEST(ListReader, ReadsLinesIntoCellsWithoutClearingTheRest) {
    for (const ReadCase& c : ReadCases()) {
        CellGrid list = FilledList();
        ListReader reader(list);
        reader.feed(c.file);
        reader.finish();
        ExpectCells(list, c, "whole");
    }
}

// A file arrives in reads of any size: a CR LF may be split between two of them.
TEST(ListReader, GivesTheSameCellsWhenFedByteByByte) {
    for (const ReadCase& c : ReadCases()) {
        CellGrid list = FilledList();
        ListReader reader(list);
        for (const char byte : c.file)
            reader.feed(std::string_view(&byte, 1));
        reader.finish();
        ExpectCells(list, c, "byte by byte");
    }
}

TEST(FormatList, WritesRowsOneToElevenByteForByteWithCrLf) {
    CellGrid list(5, 10);
    list.setCell(0, 0, "header");
    list.setCell(0, 1, " 1?:30 ");
    list.setCell(3, 1, "\xfc");
    list.setCell(4, 11, "hidden");
    list.setCell(0, 12, "never saved");
    std::string expected = " 1?:30 \r\n\r\n\r\n\xfc\r\n\r\n";
    for (int line = 6; line <= 54; ++line)
        expected += "\r\n";
    expected += "hidden\r\n";
    EXPECT_EQ(FormatList(list), expected);
}

} // namespace
} // namespace skedula
