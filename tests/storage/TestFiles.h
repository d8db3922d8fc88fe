// Helpers for the storage tests: a scratch folder that removes itself, and whole-file access.
#pragma once

#include "engine/CellGrid.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace skedula::test {

class TempFolder {
public:
    // A new folder of the user's alone under the temporary folder; written without mkdtemp,
    // which the Windows build's C library lacks.
    TempFolder() {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::filesystem::path candidate =
                std::filesystem::temp_directory_path() / ("skedula-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all);
                path_ = candidate;
                return;
            }
        }
        throw std::runtime_error("no temporary folder");
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The names in a folder, sorted: shows whether a temporary file was left behind.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The watch list's grid with every cell of rows 1 to 12 holding a text of its own.
inline CellGrid FilledList(const std::string& prefix = "old") {
    CellGrid list(5, 10);
    for (int row = 1; row <= 12; ++row)
        for (int column = 0; column < 5; ++column)
            list.setCell(column, row, prefix + std::to_string(row) + "." + std::to_string(column));
    return list;
}

} // namespace skedula::test
