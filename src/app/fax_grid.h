// The read-only grid of a table model: titles, a row indicator, resizable
// columns that the user can also drag into another order, grid lines, and
// archived rows drawn red (white when selected). The grid's current row
// follows the table's, and picking a row moves the table to it.
#pragma once

#include <QTableView>
#include <map>
#include <string>

#include "table_model.h"

namespace corvane::app {

class FaxGrid : public QTableView {
    Q_OBJECT
  public:
    FaxGrid(TableModel& model, QWidget* parent = nullptr);

    TableModel& Model() { return model_; }
    // Re-reads the rows and selects the table's current row.
    void Refresh();
    // Column 0 is the row indicator, then the shown fields.
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    int GridColumnCount() const;

  signals:
    // The user put the table on another row.
    void currentRecordChanged();

  private:
    void SelectTableRow();
    void MarkCurrentRow();
    void SetInitialWidths();
    void ApplyWidths();
    void OnSectionMoved(int logical, int oldVisual, int newVisual);
    void OnCurrentChanged(const QModelIndex& current);

    TableModel& model_;
    std::map<std::string, int> widths_;  // by field, so they survive a change of column order
    bool applying_ = false;
    bool initialWidthsSet_ = false;
};

}  // namespace corvane::app
