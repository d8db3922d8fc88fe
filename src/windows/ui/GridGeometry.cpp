#include "windows/ui/GridGeometry.h"

#include <algorithm>

namespace skedula {

int GridGeometry::columnLeft(int column) const {
    if (column < leftColumn_)
        return -1;
    int x = 0;
    for (int c = leftColumn_; c < column; ++c)
        x += widths_[c] + LineWidth;
    return x;
}

int GridGeometry::rowTop(int row) const {
    const int pitch = rowHeight_ + LineWidth;
    if (row == 0)
        return 0;
    if (row < topRow_)
        return -1;
    return pitch * (1 + row - topRow_);
}

std::optional<PixelRect> GridGeometry::cellRect(GridCell cell) const {
    if (cell.column < 0 || cell.column >= columnCount() || cell.row < 0 || cell.row >= rows_)
        return std::nullopt;
    const int left = columnLeft(cell.column);
    const int top = rowTop(cell.row);
    if (left < 0 || top < 0 || left >= width_ || top >= height_)
        return std::nullopt;
    return PixelRect{left, top, left + widths_[cell.column], top + rowHeight_};
}

std::optional<GridCell> GridGeometry::cellAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return std::nullopt;
    std::optional<int> column;
    for (int c = leftColumn_, left = 0; c < columnCount(); ++c) {
        left += widths_[c] + LineWidth;
        if (x < left) {
            column = c;
            break;
        }
    }
    const int pitch = rowHeight_ + LineWidth;
    const int row = y < pitch ? 0 : topRow_ + (y - pitch) / pitch;
    if (!column || row >= rows_)
        return std::nullopt;
    return GridCell{*column, row};
}

int GridGeometry::fullyVisibleRows() const {
    const int pitch = rowHeight_ + LineWidth;
    return std::max(1, (height_ - pitch) / pitch);
}

int GridGeometry::fullyVisibleColumns() const {
    int count = 0;
    for (int c = leftColumn_, right = 0; c < columnCount(); ++c) {
        right += widths_[c] + LineWidth;
        if (right > width_)
            break;
        ++count;
    }
    return std::max(1, count);
}

int GridGeometry::maxTopRow() const {
    return std::max(1, rows_ - fullyVisibleRows());
}

int GridGeometry::maxLeftColumn() const {
    // The first column from which every later column fits whole.
    int right = 0;
    for (int c = columnCount() - 1; c >= 0; --c) {
        right += widths_[c] + LineWidth;
        if (right > width_)
            return std::min(c + 1, columnCount() - 1);
    }
    return 0;
}

int GridGeometry::totalWidth() const {
    int width = 0;
    for (int w : widths_)
        width += w + LineWidth;
    return width;
}

} // namespace skedula
