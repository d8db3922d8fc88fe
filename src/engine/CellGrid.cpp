#include "engine/CellGrid.h"

#include <stdexcept>

namespace skedula {

namespace {
const std::string kEmpty;
}

CellGrid::CellGrid(int columns, int shownRows) : columns_(columns), rows_(shownRows) {}

void CellGrid::setRowCount(int rows) {
    if (rows < 0)
        throw std::out_of_range("negative row count");
    if (rows == rows_)
        return;
    rows_ = rows;
    if (onRowCountChanged)
        onRowCountChanged();
}

void CellGrid::checkAddress(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0)
        throw std::out_of_range("cell address outside the grid");
}

const std::string& CellGrid::cell(int column, int row) const {
    checkAddress(column, row);
    auto it = cells_.find({row, column});
    return it == cells_.end() ? kEmpty : it->second;
}

void CellGrid::setCell(int column, int row, std::string text) {
    checkAddress(column, row);
    if (text.empty())
        cells_.erase({row, column});
    else
        cells_[{row, column}] = std::move(text);
    if (onCellChanged)
        onCellChanged(column, row);
}

} // namespace skedula
