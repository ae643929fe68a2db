#include "fax_grid.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

#include "tables/table_error.h"

namespace corvane::app {

namespace {

constexpr int kIndicatorWidth = 14;

// Archived rows: red text, white when selected.
class ArchivedRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!index.data(TableModel::kArchivedRole).toBool())
            return;
        option->palette.setColor(QPalette::Text, Qt::red);
        option->palette.setColor(QPalette::HighlightedText, Qt::white);
    }
};

}  // namespace

FaxGrid::FaxGrid(TableModel& model, QWidget* parent) : QTableView(parent), model_(model) {
    setModel(&model_);
    setItemDelegate(new ArchivedRowDelegate(this));
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->setFixedWidth(kIndicatorWidth);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);

    SetInitialWidths();

    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) {
                if (!applying_ && logical < model_.columnCount())
                    widths_[model_.ColumnAt(logical).field] = size;
            });
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this, &FaxGrid::OnSectionMoved);
    // A reset gives the header default sizes; the stored widths go back on.
    connect(&model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { applying_ = true; });
    connect(&model_, &QAbstractItemModel::modelReset, this, &FaxGrid::ApplyWidths);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { OnCurrentChanged(current); });
}

void FaxGrid::SetInitialWidths() {
    // Dates take the width of a formatted date, known once the table is open.
    if (initialWidthsSet_ || !model_.Table().IsOpen())
        return;
    initialWidthsSet_ = true;
    const int charWidth = fontMetrics().averageCharWidth();
    for (int column = 0; column < model_.columnCount(); ++column) {
        const GridColumn& shown = model_.ColumnAt(column);
        const int chars = shown.displayWidth > 0 ? shown.displayWidth : 10;
        widths_[shown.field] =
            std::max({chars * charWidth + 8, fontMetrics().horizontalAdvance(shown.heading) + 12,
                      fontMetrics().horizontalAdvance(model_.WidestSample(column)) + 12});
    }
    ApplyWidths();
}

void FaxGrid::ApplyWidths() {
    applying_ = true;
    for (int column = 0; column < model_.columnCount(); ++column) {
        const auto it = widths_.find(model_.ColumnAt(column).field);
        if (it != widths_.end())
            horizontalHeader()->resizeSection(column, it->second);
    }
    applying_ = false;
}

int FaxGrid::GridColumnCount() const {
    return model_.columnCount() + 1;
}

int FaxGrid::ColumnWidth(int column) const {
    if (column == 0)
        return verticalHeader()->width();
    return horizontalHeader()->sectionSize(column - 1);
}

void FaxGrid::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= GridColumnCount() || width < 0)
        return;
    if (column == 0) {
        verticalHeader()->setFixedWidth(width);
        return;
    }
    horizontalHeader()->resizeSection(column - 1, width);
}

void FaxGrid::OnSectionMoved(int logical, int, int newVisual) {
    // The model keeps the order (it is saved and loaded as the field order),
    // so the header goes back to identity and the model moves the field.
    // Before the move the header was identity: the drop place is the field
    // that stood at newVisual.
    const std::string moved = model_.ColumnAt(logical).field;
    const std::string atTarget = model_.ColumnAt(newVisual).field;
    QHeaderView* header = horizontalHeader();
    const bool blocked = header->blockSignals(true);
    for (int visual = 0; visual < header->count(); ++visual)
        header->moveSection(header->visualIndex(visual), visual);
    header->blockSignals(blocked);
    const auto order = model_.FieldOrder();
    const int position = int(std::find(order.begin(), order.end(), atTarget) - order.begin());
    model_.MoveField(moved, position);
    SelectTableRow();
}

void FaxGrid::Refresh() {
    model_.Reload();
    SetInitialWidths();
    SelectTableRow();
}

void FaxGrid::MarkCurrentRow() {
    if (model_.rowCount() > 0)
        emit model_.headerDataChanged(Qt::Vertical, 0, model_.rowCount() - 1);
}

void FaxGrid::SelectTableRow() {
    MarkCurrentRow();
    tables::Table& table = model_.Table();
    const int row =
        table.IsOpen() && table.HasCurrentRow() ? model_.RowOfRecord(table.RecNo()) : -1;
    const QSignalBlocker block(selectionModel());
    if (row < 0) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex index = model_.index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void FaxGrid::OnCurrentChanged(const QModelIndex& current) {
    const std::uint32_t record = model_.RecordAt(current.row());
    if (record == 0)
        return;
    try {
        model_.Table().Go(record);
    } catch (const tables::TableError&) {
        return;
    }
    MarkCurrentRow();
    emit currentRecordChanged();
}

}  // namespace corvane::app
