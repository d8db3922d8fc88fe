// Feeds arbitrary bytes to the list loader. Besides crashes and sanitizer reports it checks
// what must hold for every file: the cells do not depend on how reads split the file, loading
// through a real file gives the same cells, nothing past row 11 is kept, and whatever was
// loaded survives a save and a second load.
#include "engine/CellGrid.h"
#include "storage/ListFile.h"
#include "storage/ListText.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using skedula::CellGrid;
using skedula::kListColumns;
using skedula::kListRows;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "list loader property broken: %s\n", what);
        std::abort();
    }
}

bool SameCells(const CellGrid& a, const CellGrid& b) {
    for (int row = 0; row <= kListRows + 1; ++row)
        for (int column = 0; column < kListColumns; ++column)
            if (a.cell(column, row) != b.cell(column, row))
                return false;
    return true;
}

void Read(CellGrid& list, std::string_view bytes) {
    skedula::ListReader reader(list);
    reader.feed(bytes);
    reader.finish();
}

// Pieces of changing sizes, seeded by the input so that every split gets explored.
void ReadInPieces(CellGrid& list, std::string_view bytes) {
    skedula::ListReader reader(list);
    std::size_t step = bytes.empty() ? 1 : static_cast<unsigned char>(bytes[0]) % 7 + 1;
    while (!bytes.empty()) {
        const std::size_t size = step < bytes.size() ? step : bytes.size();
        reader.feed(bytes.substr(0, size));
        bytes.remove_prefix(size);
        step = step * 5 % 13 + 1;
    }
    reader.finish();
}

// Loads through LoadList from a file in memory, so the fuzzer never touches the disk.
void LoadFromMemoryFile(CellGrid& list, std::string_view bytes) {
    const int fd = ::memfd_create("list", MFD_CLOEXEC);
    Require(fd >= 0, "memfd_create");
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        Require(n > 0, "write to the memory file");
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    skedula::LoadList(list, "/proc/self/fd/" + std::to_string(fd));
    ::close(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    CellGrid whole(kListColumns, 10);
    Read(whole, bytes);

    CellGrid pieces(kListColumns, 10);
    ReadInPieces(pieces, bytes);
    Require(SameCells(whole, pieces), "cells depend on how the file was split");

    CellGrid fromFile(kListColumns, 10);
    LoadFromMemoryFile(fromFile, bytes);
    Require(SameCells(whole, fromFile), "LoadList differs from ListReader");

    for (int column = 0; column < kListColumns; ++column) {
        Require(whole.cell(column, 0).empty(), "the header row was written");
        Require(whole.cell(column, kListRows + 1).empty(), "a row past 11 was kept");
    }

    CellGrid again(kListColumns, 10);
    Read(again, skedula::FormatList(whole));
    Require(SameCells(whole, again), "a loaded list does not survive save and load");
    return 0;
}
