#include "windows/ui/StringGrid.h"

#include "windows/app/AnsiText.h"

#include <windowsx.h>

#include <algorithm>

namespace skedula {

namespace {

constexpr const char* kClassName = "TStringGrid";
constexpr int kTextIndent = 2; // the text's distance from the cell's left and top edge

void FillRect(HDC dc, const RECT& rect, COLORREF colour) {
    ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

RECT ToRect(const PixelRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

} // namespace

StringGrid::StringGrid(HWND parent, int id, PixelRect place, Options options)
    : geometry_(std::move(options.columnWidths), RowHeight), rangeSelect_(options.rangeSelect) {
    RegisterClass(kClassName, nullptr, nullptr, CS_DBLCLKS);
    Create(WS_EX_CLIENTEDGE, kClassName, "",
           WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, place.left, place.top,
           place.right - place.left, place.bottom - place.top, parent,
           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    UpdateScrollBars();
}

StringGrid::~StringGrid() {
    ForgetCells();
}

void StringGrid::setCells(CellGrid& cells) {
    ForgetCells();
    cells_ = &cells;
    geometry_.setRowCount(cells.rowCount());
    cells.onCellChanged = [this](int column, int row) {
        if (editor_ != nullptr && !editorWriting_ && GridCell{column, row} == edited_)
            ::SetWindowTextA(editor_, AnsiText(cells_->cell(column, row)).c_str());
        InvalidateCell({column, row});
    };
    cells.onRowCountChanged = [this] {
        geometry_.setRowCount(cells_->rowCount());
        if (editor_ != nullptr && edited_.row >= cells_->rowCount())
            CloseEditor(false);
        UpdateScrollBars();
        ::InvalidateRect(handle(), nullptr, FALSE);
    };
    UpdateScrollBars();
    ::InvalidateRect(handle(), nullptr, FALSE);
}

void StringGrid::ForgetCells() {
    if (cells_ == nullptr)
        return;
    cells_->onCellChanged = nullptr;
    cells_->onRowCountChanged = nullptr;
    cells_ = nullptr;
}

void StringGrid::setEditing(bool on) {
    if (!on && editor_ != nullptr)
        CloseEditor(false);
    editing_ = on;
}

void StringGrid::selectGridRow(int row) {
    const GridRect old = selection_;
    selection_ = {0, row, geometry_.columnCount() - 1, row};
    anchor_ = {selection_.left, row};
    current_ = {selection_.right, row};
    if (old == selection_)
        return; // every tick sets the highlight: an unchanged one needs no repaint
    for (const GridRect& block : {old, selection_})
        for (int r = block.top; r <= block.bottom; ++r)
            for (int c = block.left; c <= block.right; ++c)
                InvalidateCell({c, r});
}

void StringGrid::InvalidateCell(GridCell cell) const {
    if (const std::optional<PixelRect> rect = geometry_.cellRect(cell)) {
        // The lines around it too: the focus frame touches them.
        RECT area{rect->left - 1, rect->top - 1, rect->right + 1, rect->bottom + 1};
        ::InvalidateRect(handle(), &area, FALSE);
    }
}

LRESULT StringGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (editor_ != nullptr)
            ::SendMessageA(editor_, WM_SETFONT, wParam, lParam);
        if (LOWORD(lParam))
            ::InvalidateRect(handle(), nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SIZE:
        UpdateScrollBars();
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(handle(), &paint);
        Paint(dc);
        ::EndPaint(handle(), &paint);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateCell(current_);
        return 0;
    case WM_VSCROLL:
        OnScroll(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_HSCROLL:
        OnScroll(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL: {
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        ScrollTo(geometry_.topRow() - 3 * notches, geometry_.leftColumn());
        return 0;
    }
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        return 0;
    case WM_CHAR:
        // Typing a character opens the cell's editor with that character in it.
        if (editing_ && wParam >= 0x20 && wParam != 0x7F && current_.row >= 1)
            OpenEditor(std::string(1, static_cast<char>(wParam)));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        OnMouse(message, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        selecting_ = false;
        if (message == WM_CANCELMODE && ::GetCapture() == handle())
            ::ReleaseCapture();
        return 0;
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == editor_ && HIWORD(wParam) == EN_CHANGE)
            EditorChanged();
        return 0;
    case CloseLostEditorMessage:
        CloseLostEditor(wParam);
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

void StringGrid::Paint(HDC target) const {
    RECT client;
    ::GetClientRect(handle(), &client);
    // Drawn off screen first, so that a tick's highlight does not flicker.
    HDC dc = ::CreateCompatibleDC(target);
    HBITMAP bitmap = ::CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                              std::max<LONG>(client.bottom, 1));
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    HGDIOBJ oldFont = ::SelectObject(dc, font_ != nullptr ? font_ : ::GetStockObject(SYSTEM_FONT));
    FillRect(dc, client, ::GetSysColor(COLOR_WINDOW));

    std::vector<int> rows;
    if (cells_ != nullptr) {
        rows.push_back(0);
        for (int row = geometry_.topRow(); row < geometry_.rowCount(); ++row)
            rows.push_back(row);
    }
    for (int row : rows) {
        if (!geometry_.cellRect({geometry_.leftColumn(), row}))
            break; // below the client area
        for (int column = geometry_.leftColumn(); column < geometry_.columnCount(); ++column)
            if (const std::optional<PixelRect> rect = geometry_.cellRect({column, row}))
                PaintCell(dc, {column, row}, *rect);
    }
    ::BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

void StringGrid::PaintCell(HDC dc, GridCell cell, const PixelRect& pixels) const {
    const RECT rect = ToRect(pixels);
    const bool fixed = cell.row == 0;
    const bool focused = cell == current_ && ::GetFocus() == handle();
    // The focused cell shows its frame instead of the highlight.
    const bool highlighted = !fixed && !focused && selection_.contains(cell);
    const COLORREF back = ::GetSysColor(fixed         ? COLOR_BTNFACE
                                        : highlighted ? COLOR_HIGHLIGHT
                                                      : COLOR_WINDOW);
    FillRect(dc, rect, back);
    const std::string text = AnsiText(cells_->cell(cell.column, cell.row));
    ::SetTextColor(dc, ::GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    ::ExtTextOutA(dc, rect.left + kTextIndent, rect.top + kTextIndent, ETO_CLIPPED, &rect,
                  text.data(), static_cast<UINT>(text.size()), nullptr);
    if (fixed) {
        RECT edge = rect;
        ::DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
    }
    if (focused)
        ::DrawFocusRect(dc, &rect);

    // The grid lines to the right of the cell and below it: black around the fixed row,
    // silver between ordinary cells.
    const COLORREF line = fixed ? RGB(0, 0, 0) : RGB(192, 192, 192);
    FillRect(dc, RECT{rect.right, rect.top, rect.right + 1, rect.bottom + 1}, line);
    FillRect(dc, RECT{rect.left, rect.bottom, rect.right + 1, rect.bottom + 1}, line);
}

} // namespace skedula
