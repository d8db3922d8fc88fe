// Where a string grid's cells stand in its client area: fixed-size columns and rows, each
// followed by its one-pixel grid line, the fixed header row always at the top, and the
// ordinary rows and the columns scrolled by whole cells. The grid control draws, hit-tests and
// scrolls with it; it knows no window.
#pragma once

#include <optional>
#include <vector>

namespace skedula {

struct GridCell {
    int column = 0;
    int row = 0;
    bool operator==(const GridCell&) const = default;
};

// A block of cells, corners included.
struct GridRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const GridRect&) const = default;
    bool contains(GridCell cell) const {
        return cell.column >= left && cell.column <= right && cell.row >= top && cell.row <= bottom;
    }
};

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
};

class GridGeometry {
public:
    static constexpr int LineWidth = 1;

    GridGeometry(std::vector<int> columnWidths, int rowHeight)
        : widths_(std::move(columnWidths)), rowHeight_(rowHeight) {}

    int columnCount() const { return static_cast<int>(widths_.size()); }
    int rowHeight() const { return rowHeight_; }
    int columnWidth(int column) const { return widths_[column]; }

    // The client area's size and the grid's rows (the header row 0 included), and the first
    // ordinary row and first column shown.
    void setClientSize(int width, int height) {
        width_ = width;
        height_ = height;
    }
    void setRowCount(int rows) { rows_ = rows; }
    int rowCount() const { return rows_; }
    int clientWidth() const { return width_; }
    int clientHeight() const { return height_; }
    void setTopRow(int row) { topRow_ = row; }
    void setLeftColumn(int column) { leftColumn_ = column; }
    int topRow() const { return topRow_; }
    int leftColumn() const { return leftColumn_; }

    // The cell's rectangle without its grid lines; nothing when it is scrolled out of view.
    std::optional<PixelRect> cellRect(GridCell cell) const;
    // The cell under a point of the client area; nothing for the grid lines' corner beyond the
    // last row or column.
    std::optional<GridCell> cellAt(int x, int y) const;

    // The ordinary rows that fit whole from the top row down, and the columns that fit whole
    // from the left column on (at least one each, so that scrolling moves).
    int fullyVisibleRows() const;
    int fullyVisibleColumns() const;
    // The highest top row and left column that still fill the client area.
    int maxTopRow() const;
    int maxLeftColumn() const;
    // The whole grid's size with its lines.
    int totalWidth() const;
    int totalHeight() const { return rows_ * (rowHeight_ + LineWidth); }

private:
    int columnLeft(int column) const; // -1 when scrolled out on the left
    int rowTop(int row) const;        // -1 when scrolled out above

    std::vector<int> widths_;
    int rowHeight_;
    int width_ = 0, height_ = 0;
    int rows_ = 1;
    int topRow_ = 1;
    int leftColumn_ = 0;
};

} // namespace skedula
