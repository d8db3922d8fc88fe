#include "ui/StringGrid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QValidator>

namespace skedula {

namespace {

// A cell is one line of the list file: a line break that arrives in the editor (pasted,
// dropped, put in by an input method) is dropped at once, before the cell or the editor's
// display gets it. "7200000" copied with its line end stays a frequency.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override {
        qsizetype kept = 0;
        int cursor = position;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar c = input.at(i);
            if (c == u'\r' || c == u'\n') {
                if (i < position)
                    --cursor;
                continue;
            }
            input[kept++] = c;
        }
        input.truncate(kept);
        position = cursor;
        return Acceptable;
    }
};

// An editor that hands its text to the cell at every change, so that nothing typed is lost
// when the watch starts (which switches editing off) while the cell is still being edited.
class LiveEditDelegate : public QStyledItemDelegate {
public:
    LiveEditDelegate(QPointer<QWidget>& openEditor, QObject* parent)
        : QStyledItemDelegate(parent), openEditor_(openEditor) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setValidator(new OneLineValidator(line));
            auto* self = const_cast<LiveEditDelegate*>(this);
            connect(line, &QLineEdit::textEdited, self,
                    [self, line] { emit self->commitData(line); });
        }
        openEditor_ = editor;
        return editor;
    }

    // The cell announces every change the editor hands over, and the view then puts the
    // cell's text back into the editor, which would move the cursor to the end at every key.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const auto* line = qobject_cast<QLineEdit*>(editor);
        if (line != nullptr && line->text() == index.data(Qt::EditRole).toString())
            return;
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void closeOpenEditor() {
        if (openEditor_)
            emit closeEditor(openEditor_, QAbstractItemDelegate::NoHint);
    }

private:
    QPointer<QWidget>& openEditor_;
};

constexpr QAbstractItemView::EditTriggers kEditTriggers =
    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed;

} // namespace

StringGrid::StringGrid(Options options, QWidget* parent)
    : QTableView(parent), columnWidths_(std::move(options.columnWidths)) {
    setItemDelegate(new LiveEditDelegate(openEditor_, this));
    setSelectionBehavior(SelectItems);
    setSelectionMode(options.rangeSelect ? ContiguousSelection : SingleSelection);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false); // Tab leaves the grid instead of moving between cells
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setGridStyle(Qt::SolidLine);
    setShowGrid(true);

    // Qt draws a cell's grid line inside its section, so each section is the cell and its line.
    const int rowSection = RowHeight + GridLineWidth;
    verticalHeader()->hide(); // no fixed column
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowSection);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* header = horizontalHeader();
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsMovable(false);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setFixedHeight(rowSection);

    // The highlight stays visible when another control has the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

void StringGrid::setCells(CellGrid& cells) {
    model_ = new CellGridModel(cells, this);
    setModel(model_);
    for (int c = 0; c < static_cast<int>(columnWidths_.size()); ++c)
        horizontalHeader()->resizeSection(c, columnWidths_[c] + GridLineWidth);
}

void StringGrid::setEditing(bool on) {
    if (!on)
        static_cast<LiveEditDelegate*>(itemDelegate())->closeOpenEditor();
    model_->setEditable(on);
    setEditTriggers(on ? kEditTriggers : NoEditTriggers);
}

bool StringGrid::editing() const {
    return model_ != nullptr && model_->editable();
}

void StringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // The editor hands its text over before it asks to be closed with one of these hints.
    const bool tab = hint == QAbstractItemDelegate::EditNextItem;
    const bool backTab = hint == QAbstractItemDelegate::EditPreviousItem;
    QTableView::closeEditor(editor, tab || backTab ? QAbstractItemDelegate::NoHint : hint);
    if (tab || backTab)
        focusNextPrevChild(tab); // without tabbing between cells, this leaves the grid
}

void StringGrid::selectGridRow(int row) {
    QItemSelectionModel* selection = selectionModel();
    const int modelRow = row - 1;
    if (modelRow < 0 || modelRow >= model_->rowCount()) {
        if (selection->hasSelection())
            selection->clearSelection();
        return;
    }
    // Only the selection changes: moving the current cell would scroll the grid to it.
    const QItemSelection cells(model_->index(modelRow, 0),
                               model_->index(modelRow, model_->columnCount() - 1));
    // Every tick sets the highlight; leaving an unchanged one alone spares a repaint.
    if (selection->selection() == cells)
        return;
    selection->select(cells, QItemSelectionModel::ClearAndSelect);
}

} // namespace skedula
