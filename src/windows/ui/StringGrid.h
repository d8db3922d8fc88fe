// The string grid control of the main window's watch list and queue: a header row fixed at the
// top in the button-face colour, columns and rows of fixed sizes with one-pixel grid lines, a
// selection of one cell or (with range selection) a block, scroll bars only when the cells do
// not fit, and in-place editing that can be switched on and off: a click selects a cell, F2 or
// typing opens its editor, Return commits, Escape cancels. The cells are one of the engine's
// cell grids; rows beyond its shown rows are never drawn.
#pragma once

#include "engine/CellGrid.h"
#include "windows/app/Window.h"
#include "windows/ui/GridGeometry.h"

#include <string>
#include <vector>

namespace skedula {

class StringGrid final : private Window {
public:
    struct Options {
        std::vector<int> columnWidths; // drawn width of each column, without its grid line
        bool rangeSelect = false;      // the user can select a block of cells
    };
    static constexpr int RowHeight = 16;

    // A child window of the parent at the given place, with a sunken border and a tab stop.
    // It shows no cells until it is given its cell grid.
    StringGrid(HWND parent, int id, PixelRect place, Options options);
    ~StringGrid() override;

    using Window::handle;

    // Shows the cell grid's cells: row 0 as the header, its shown rows below it.
    void setCells(CellGrid& cells);

    // In-place editing. Switching it off closes an editor still open; its text is already in
    // the cell, because the editor hands it over at every change.
    void setEditing(bool on);
    bool editing() const { return editing_; }

    // Selects columns 0 to the last of grid row `row` (row 0 is the header), without taking the
    // focus and without scrolling. A row that is not shown leaves nothing highlighted.
    void selectGridRow(int row);
    GridRect selection() const { return selection_; }
    GridCell current() const { return current_; }

    // The open editor (an edit control), nullptr when no cell is being edited.
    HWND editor() const { return editor_; }
    // The first ordinary row and the first column shown.
    int topRow() const { return geometry_.topRow(); }
    int leftColumn() const { return geometry_.leftColumn(); }
    // Where a cell stands in the client area, without its lines; nothing when scrolled out.
    std::optional<PixelRect> cellRect(GridCell cell) const { return geometry_.cellRect(cell); }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void Paint(HDC dc) const;
    void PaintCell(HDC dc, GridCell cell, const PixelRect& rect) const;
    void UpdateScrollBars();
    void ScrollTo(int topRow, int leftColumn);
    void OnScroll(int bar, int request);
    void OnKeyDown(WPARAM key);
    void OnMouse(UINT message, int x, int y);
    void MoveCurrent(GridCell cell, bool extend, bool show);
    void InvalidateCell(GridCell cell) const;

    // The editor.
    void OpenEditor(std::optional<std::string> typed);
    void CloseEditor(bool cancel);
    void EditorChanged();
    std::optional<LRESULT> EditorMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Posted by an editor that lost the focus: it closes once the focus has moved on.
    static constexpr UINT CloseLostEditorMessage = WM_APP + 1;
    void CloseLostEditor(WPARAM editor);

    void ForgetCells();

    CellGrid* cells_ = nullptr;
    GridGeometry geometry_;
    bool rangeSelect_;
    bool editing_ = false;
    HFONT font_ = nullptr;
    GridCell current_{0, 1};
    GridCell anchor_{0, 1};
    GridRect selection_{0, 1, 0, 1};
    bool selecting_ = false; // the mouse is dragging a selection
    bool updatingScrollBars_ = false;

    HWND editor_ = nullptr;
    GridCell edited_;
    std::string editOriginal_; // the cell's bytes when the editor opened
    bool editorWriting_ = false;
};

} // namespace skedula
