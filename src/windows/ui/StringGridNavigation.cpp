// The string grid's moving about: its scroll bars and scrolling, the keys and the mouse that
// move the current cell and the selection.
#include "windows/ui/StringGrid.h"

#include <algorithm>

namespace skedula {

namespace {

GridRect Spanning(GridCell a, GridCell b) {
    return {std::min(a.column, b.column), std::min(a.row, b.row), std::max(a.column, b.column),
            std::max(a.row, b.row)};
}

} // namespace

void StringGrid::UpdateScrollBars() {
    if (updatingScrollBars_)
        return;
    updatingScrollBars_ = true;
    // Showing one bar narrows the room for the other: settle in two rounds.
    for (int round = 0; round < 2; ++round) {
        RECT client;
        ::GetClientRect(handle(), &client);
        geometry_.setClientSize(client.right, client.bottom);
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        const bool rowsFit = geometry_.totalHeight() <= client.bottom;
        info.nMin = 1;
        info.nMax = rowsFit ? 1 : geometry_.rowCount() - 1;
        info.nPage = rowsFit ? 2 : static_cast<UINT>(geometry_.fullyVisibleRows());
        geometry_.setTopRow(std::clamp(geometry_.topRow(), 1, geometry_.maxTopRow()));
        info.nPos = geometry_.topRow();
        ::SetScrollInfo(handle(), SB_VERT, &info, TRUE);
        const bool columnsFit = geometry_.totalWidth() <= client.right;
        info.nMin = 0;
        info.nMax = columnsFit ? 0 : geometry_.columnCount() - 1;
        info.nPage = columnsFit ? 1 : static_cast<UINT>(geometry_.fullyVisibleColumns());
        geometry_.setLeftColumn(std::clamp(geometry_.leftColumn(), 0, geometry_.maxLeftColumn()));
        info.nPos = geometry_.leftColumn();
        ::SetScrollInfo(handle(), SB_HORZ, &info, TRUE);
    }
    updatingScrollBars_ = false;
}

void StringGrid::ScrollTo(int topRow, int leftColumn) {
    topRow = std::clamp(topRow, 1, geometry_.maxTopRow());
    leftColumn = std::clamp(leftColumn, 0, geometry_.maxLeftColumn());
    if (topRow == geometry_.topRow() && leftColumn == geometry_.leftColumn())
        return;
    if (editor_ != nullptr)
        CloseEditor(false);
    geometry_.setTopRow(topRow);
    geometry_.setLeftColumn(leftColumn);
    ::SetScrollPos(handle(), SB_VERT, topRow, TRUE);
    ::SetScrollPos(handle(), SB_HORZ, leftColumn, TRUE);
    ::InvalidateRect(handle(), nullptr, FALSE);
}

void StringGrid::OnScroll(int bar, int request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ::GetScrollInfo(handle(), bar, &info);
    int position = info.nPos;
    const int page = std::max(1, static_cast<int>(info.nPage));
    switch (request) {
    case SB_LINEUP:
        --position;
        break;
    case SB_LINEDOWN:
        ++position;
        break;
    case SB_PAGEUP:
        position -= page;
        break;
    case SB_PAGEDOWN:
        position += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = info.nMin;
        break;
    case SB_BOTTOM:
        position = info.nMax;
        break;
    default:
        return;
    }
    if (bar == SB_VERT)
        ScrollTo(position, geometry_.leftColumn());
    else
        ScrollTo(geometry_.topRow(), position);
}

void StringGrid::OnKeyDown(WPARAM key) {
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const int lastRow = geometry_.rowCount() - 1;
    const int lastColumn = geometry_.columnCount() - 1;
    GridCell next = current_;
    switch (key) {
    case VK_F2:
        if (editing_ && current_.row >= 1)
            OpenEditor(std::nullopt);
        return;
    case VK_UP:
        next.row = std::max(1, next.row - 1);
        break;
    case VK_DOWN:
        next.row = std::min(lastRow, next.row + 1);
        break;
    case VK_LEFT:
        next.column = std::max(0, next.column - 1);
        break;
    case VK_RIGHT:
        next.column = std::min(lastColumn, next.column + 1);
        break;
    case VK_HOME:
        next.column = 0;
        break;
    case VK_END:
        next.column = lastColumn;
        break;
    case VK_PRIOR:
        next.row = std::max(1, next.row - geometry_.fullyVisibleRows());
        break;
    case VK_NEXT:
        next.row = std::min(lastRow, next.row + geometry_.fullyVisibleRows());
        break;
    default:
        return;
    }
    if (lastRow >= 1)
        MoveCurrent(next, shift && rangeSelect_, true);
}

void StringGrid::OnMouse(UINT message, int x, int y) {
    const std::optional<GridCell> hit = geometry_.cellAt(x, y);
    switch (message) {
    case WM_LBUTTONDOWN: {
        const bool hadFocus = ::GetFocus() == handle();
        if (!hadFocus)
            ::SetFocus(handle());
        if (!hit || hit->row == 0)
            return;
        // A click on the cell that already has the focus opens its editor.
        if (hadFocus && *hit == current_ && editing_) {
            OpenEditor(std::nullopt);
            return;
        }
        MoveCurrent(*hit, ::GetKeyState(VK_SHIFT) < 0 && rangeSelect_, true);
        if (rangeSelect_) {
            selecting_ = true;
            ::SetCapture(handle());
        }
        return;
    }
    case WM_LBUTTONDBLCLK:
        if (hit && *hit == current_ && editing_)
            OpenEditor(std::nullopt);
        return;
    case WM_MOUSEMOVE:
        if (selecting_ && hit && hit->row >= 1 && !(*hit == current_))
            MoveCurrent(*hit, true, false);
        return;
    case WM_LBUTTONUP:
        if (selecting_)
            ::ReleaseCapture();
        selecting_ = false;
        return;
    default:
        return;
    }
}

void StringGrid::MoveCurrent(GridCell cell, bool extend, bool show) {
    if (editor_ != nullptr)
        CloseEditor(false);
    const GridRect old = selection_;
    InvalidateCell(current_);
    current_ = cell;
    if (!extend)
        anchor_ = cell;
    selection_ = Spanning(anchor_, current_);
    for (const GridRect& block : {old, selection_})
        for (int r = block.top; r <= block.bottom; ++r)
            for (int c = block.left; c <= block.right; ++c)
                InvalidateCell({c, r});
    if (!show)
        return;
    // Scrolled into view.
    int top = geometry_.topRow();
    if (cell.row < top)
        top = cell.row;
    else if (cell.row >= top + geometry_.fullyVisibleRows())
        top = cell.row - geometry_.fullyVisibleRows() + 1;
    int left = std::min(geometry_.leftColumn(), cell.column);
    for (GridGeometry probe = geometry_; left < cell.column; ++left) {
        probe.setLeftColumn(left);
        const std::optional<PixelRect> rect = probe.cellRect(cell);
        if (rect && rect->right <= probe.clientWidth())
            break;
    }
    ScrollTo(top, left);
}

} // namespace skedula
