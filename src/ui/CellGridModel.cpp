#include "ui/CellGridModel.h"

#include "ui/CellText.h"

namespace skedula {

CellGridModel::CellGridModel(CellGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), shownRows_(grid.rowCount()) {
    grid_.onCellChanged = [this](int column, int row) {
        if (row == 0) {
            emit headerDataChanged(Qt::Horizontal, column, column);
        } else if (row < shownRows_) {
            const QModelIndex cell = index(row - 1, column);
            emit dataChanged(cell, cell);
        }
    };
    grid_.onRowCountChanged = [this] {
        beginResetModel();
        shownRows_ = grid_.rowCount();
        endResetModel();
    };
}

CellGridModel::~CellGridModel() {
    grid_.onCellChanged = nullptr;
    grid_.onRowCountChanged = nullptr;
}

void CellGridModel::setEditable(bool editable) {
    if (editable == editable_)
        return;
    editable_ = editable;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int CellGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(shownRows_ - 1, 0);
}

int CellGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.columnCount();
}

QVariant CellGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return QString::fromStdString(DisplayText(grid_.cell(index.column(), index.row() + 1)));
}

bool CellGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !editable_)
        return false;
    // However the text came, a line break never enters a cell: the list file would shift
    // every later cell by a line.
    std::string text = value.toString().toStdString();
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    if (DisplayText(grid_.cell(index.column(), index.row() + 1)) == text)
        return true; // keep the loaded bytes of a cell that the user did not change
    grid_.setCell(index.column(), index.row() + 1, text);
    return true;
}

Qt::ItemFlags CellGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant CellGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= grid_.columnCount())
        return {};
    return QString::fromStdString(DisplayText(grid_.cell(section, 0)));
}

} // namespace skedula
