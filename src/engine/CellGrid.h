// A grid of text cells: the watch list and the queue keep their data here.
// Cells never written read empty; rows beyond the shown ones are kept but not shown.
// Every write is announced so that a view can refresh the cell.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace skedula {

class CellGrid {
public:
    CellGrid(int columns, int shownRows);

    int columnCount() const { return columns_; }
    int rowCount() const { return rows_; }
    void setRowCount(int rows);

    // Any row may be read or written, also beyond the shown ones; the column must exist.
    const std::string& cell(int column, int row) const;
    void setCell(int column, int row, std::string text);

    // Called after a cell was written (with its column and row) and after the row count changed.
    std::function<void(int, int)> onCellChanged;
    std::function<void()> onRowCountChanged;

private:
    void checkAddress(int column, int row) const;

    int columns_;
    int rows_;
    std::map<std::pair<int, int>, std::string> cells_; // (row, column) -> text, never empty
};

} // namespace skedula
