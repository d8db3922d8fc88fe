// The string grid's in-place editor: an edit control over the cell, which hands its text to
// the cell at every change, so that nothing typed is lost when the watch starts (which
// switches editing off) while a cell is still open.
#include "windows/app/AnsiText.h"
#include "windows/ui/Design.h"
#include "windows/ui/StringGrid.h"

namespace skedula {

void StringGrid::OpenEditor(std::optional<std::string> typed) {
    if (!editing_ || cells_ == nullptr || current_.row < 1 || editor_ != nullptr)
        return;
    MoveCurrent(current_, false, true); // scrolled into view
    const std::optional<PixelRect> rect = geometry_.cellRect(current_);
    if (!rect)
        return;
    edited_ = current_;
    editOriginal_ = cells_->cell(edited_.column, edited_.row);
    const std::string shown = AnsiText(editOriginal_);
    editor_ = ::CreateWindowExA(0, "EDIT", shown.c_str(), WS_CHILD | ES_AUTOHSCROLL, rect->left,
                                rect->top, rect->right - rect->left, rect->bottom - rect->top,
                                handle(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (editor_ == nullptr)
        return;
    ::SendMessageA(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // The text stands where the cell shows it.
    ::SendMessageA(editor_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(1, 1));
    Subclass(editor_, [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return EditorMessage(message, wParam, lParam);
    });
    if (typed) {
        ::SetWindowTextA(editor_, typed->c_str());
        EditorChanged();
    }
    const int end = ::GetWindowTextLengthA(editor_);
    ::SendMessageA(editor_, EM_SETSEL, end, end);
    ::ShowWindow(editor_, SW_SHOW);
    ::SetFocus(editor_);
}

void StringGrid::CloseEditor(bool cancel) {
    HWND editor = editor_;
    if (editor == nullptr)
        return;
    editor_ = nullptr;
    if (cancel && cells_->cell(edited_.column, edited_.row) != editOriginal_)
        cells_->setCell(edited_.column, edited_.row, editOriginal_);
    if (::GetFocus() == editor)
        ::SetFocus(handle());
    ::DestroyWindow(editor);
    InvalidateCell(edited_);
}

void StringGrid::EditorChanged() {
    if (editor_ == nullptr)
        return;
    const std::string text = WindowText(editor_);
    // A cell the user has not changed keeps its bytes, also where it is shown converted.
    const std::string& bytes = text == AnsiText(editOriginal_) ? editOriginal_ : text;
    if (bytes == cells_->cell(edited_.column, edited_.row))
        return;
    editorWriting_ = true;
    cells_->setCell(edited_.column, edited_.row, bytes);
    editorWriting_ = false;
}

std::optional<LRESULT> StringGrid::EditorMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_GETDLGCODE:
        // Return, Escape and Tab come here rather than to the window's dialog keys.
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_HASSETSEL;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_RETURN:
            CloseEditor(false);
            return 0;
        case VK_ESCAPE:
            CloseEditor(true);
            return 0;
        case VK_TAB: {
            // No tabbing between cells: Tab leaves the grid, as it does without an editor.
            CloseEditor(false);
            const bool back = ::GetKeyState(VK_SHIFT) < 0;
            HWND root = ::GetAncestor(handle(), GA_ROOT);
            if (HWND next = ::GetNextDlgTabItem(root, handle(), back))
                ::SetFocus(next);
            return 0;
        }
        case VK_UP:
        case VK_DOWN:
            CloseEditor(false);
            OnKeyDown(wParam);
            return 0;
        default:
            return std::nullopt;
        }
    case WM_CHAR:
        if (wParam == '\r' || wParam == '\t' || wParam == 0x1B)
            return 0; // handled as keys, and no beep
        return std::nullopt;
    case WM_KILLFOCUS:
        ::PostMessageA(handle(), CloseLostEditorMessage, reinterpret_cast<WPARAM>(editor_), 0);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

void StringGrid::CloseLostEditor(WPARAM editor) {
    if (editor_ != nullptr && reinterpret_cast<WPARAM>(editor_) == editor &&
        ::GetFocus() != editor_)
        CloseEditor(false);
}

} // namespace skedula
