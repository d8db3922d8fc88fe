// A Qt table model over one of the engine's cell grids. Grid row 0 is the header row; the
// model's rows are the grid's shown rows below it. Cells are shown as UTF-8, or as
// Windows-1252 when not valid UTF-8; an edited cell is stored as UTF-8, without CR and LF.
#pragma once

#include "engine/CellGrid.h"

#include <QAbstractTableModel>

namespace skedula {

class CellGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    CellGridModel(CellGrid& grid, QObject* parent = nullptr);
    // Stops the grid's announcements, which would otherwise reach a model that is gone.
    ~CellGridModel() override;

    void setEditable(bool editable);
    bool editable() const { return editable_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    CellGrid& grid_;
    bool editable_ = false;
    int shownRows_ = 0;
};

} // namespace skedula
