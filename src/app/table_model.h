// A read-only grid model over one open table: the visible rows in the
// table's order and query, the shown fields in the grid's field order.
// Rows are read into the model by Reload(); the table's own cursor is the
// current row the commands act on, and the view follows it.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <string>
#include <vector>

#include "grid_columns.h"
#include "tables/table.h"

namespace corvane::app {

class TableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // True for a row whose ARCHIVED is set.
    static constexpr int kArchivedRole = Qt::UserRole + 1;

    TableModel(tables::Table& table, std::vector<GridColumn> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Reads the rows again; the table's current row is kept.
    void Reload();

    tables::Table& Table() { return table_; }
    // Record number of a model row, 0 for none; model row of a record, -1 for none.
    std::uint32_t RecordAt(int row) const;
    int RowOfRecord(std::uint32_t record) const;

    // All fields, shown or not, in the grid's order; the shown ones are the columns.
    std::vector<std::string> FieldOrder() const;
    void MoveField(const std::string& field, int position);  // unknown names are ignored
    const GridColumn& ColumnAt(int column) const;
    // A text as wide as the column's widest value when the type fixes it
    // (dates), else empty.
    QString WidestSample(int column) const;

  private:
    struct Row {
        std::uint32_t record = 0;
        bool archived = false;
        std::vector<QString> cells;  // one per field, in columns_ order
    };

    std::vector<int> ShownFields() const;  // indexes into columns_
    QString CellText(const GridColumn& column) const;
    const tables::Field* FieldOf(const GridColumn& column) const;

    tables::Table& table_;
    std::vector<GridColumn> columns_;
    std::vector<Row> rows_;
    bool hasArchived_ = false;
};

}  // namespace corvane::app
