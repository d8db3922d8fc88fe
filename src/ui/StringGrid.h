// A text grid as the main window shows the watch list and the queue: a header row fixed at
// the top, columns and rows of fixed sizes, grid lines, and in-place editing that can be
// switched on and off. The cells are one of the engine's cell grids.
#pragma once

#include "engine/CellGrid.h"
#include "ui/CellGridModel.h"

#include <QPointer>
#include <QTableView>
#include <vector>

namespace skedula {

class StringGrid : public QTableView {
    Q_OBJECT

public:
    struct Options {
        std::vector<int> columnWidths; // drawn width of each column, without its grid line
        bool rangeSelect = false;      // the user can select a block of cells
    };

    static constexpr int RowHeight = 16;
    static constexpr int GridLineWidth = 1;

    StringGrid(Options options, QWidget* parent = nullptr);

    // Shows the grid's cells: row 0 as the header, the shown rows below it.
    void setCells(CellGrid& cells);
    CellGridModel* cellModel() const { return model_; }

    // In-place editing. Switching it off closes a cell edit still open; its text is already
    // in the cell, because an edit is taken over at every change.
    void setEditing(bool on);
    bool editing() const;

    // Selects columns 0 to the last of grid row `row` (row 0 is the header), without taking
    // the focus and without scrolling. A row that is not shown leaves nothing selected.
    void selectGridRow(int row);

protected:
    // Tab and Shift+Tab in an open cell editor end the edit and move the focus to the next or
    // previous control, as they do when no cell is open: the grid has no tabbing between cells.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    QPointer<QWidget> openEditor_;
    CellGridModel* model_ = nullptr;
    std::vector<int> columnWidths_;
};

} // namespace skedula
