#include "table_model.h"

#include <QColor>
#include <QDate>
#include <QLocale>
#include <algorithm>

#include "tables/table_error.h"

namespace corvane::app {

TableModel::TableModel(tables::Table& table, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)) {
    for (const GridColumn& column : columns_)
        if (column.field == "ARCHIVED")
            hasArchived_ = true;
}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(ShownFields().size());
}

std::vector<int> TableModel::ShownFields() const {
    std::vector<int> shown;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].shown)
            shown.push_back(int(i));
    return shown;
}

const GridColumn& TableModel::ColumnAt(int column) const {
    return columns_[ShownFields().at(column)];
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = rows_[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            return row.cells[ShownFields()[index.column()]];
        case kArchivedRole:
            return row.archived;
        case Qt::TextAlignmentRole: {
            const tables::Field* field = FieldOf(columns_[ShownFields()[index.column()]]);
            if (field != nullptr && field->type == tables::FieldType::Numeric)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        }
        case Qt::ForegroundRole:
            if (row.archived)
                return QColor(Qt::red);
            return {};
        default:
            return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical) {
        // The row indicator marks the table's current row.
        const bool current = section >= 0 && section < int(rows_.size()) && table_.IsOpen() &&
                             table_.HasCurrentRow() && rows_[section].record == table_.RecNo();
        return current ? QStringLiteral("\u25B8") : QString();
    }
    const std::vector<int> shown = ShownFields();
    if (section < 0 || section >= int(shown.size()))
        return {};
    return columns_[shown[section]].heading;
}

namespace {

QString DateText(const tables::Date& date) {
    if (date.IsEmpty())
        return {};
    return QLocale().toString(QDate(date.year, date.month, date.day), QLocale::ShortFormat);
}

}  // namespace

const tables::Field* TableModel::FieldOf(const GridColumn& column) const {
    if (!table_.IsOpen())
        return nullptr;
    for (const tables::Field& field : table_.Fields())
        if (tables::EqualsIgnoringCase(field.name, column.field))
            return &field;
    return nullptr;
}

QString TableModel::WidestSample(int column) const {
    const tables::Field* field = FieldOf(ColumnAt(column));
    if (field == nullptr || field->type != tables::FieldType::Date)
        return {};
    return DateText({2026, 12, 28});
}

QString TableModel::CellText(const GridColumn& column) const {
    const tables::Field* field = FieldOf(column);
    if (field == nullptr)
        return {};
    switch (field->type) {
        case tables::FieldType::Date:
            return DateText(table_.DateValue(field->name));
        case tables::FieldType::Logical:
            return table_.Logical(field->name) ? QStringLiteral("T") : QStringLiteral("F");
        case tables::FieldType::Numeric:
            return QString::number(table_.Number(field->name), 'f', field->decimals);
        case tables::FieldType::Character:
            break;
    }
    return QString::fromStdString(table_.Text(field->name));
}

void TableModel::Reload() {
    beginResetModel();
    rows_.clear();
    if (table_.IsOpen()) {
        const std::uint32_t current = table_.RecNo();
        const bool hadRow = table_.HasCurrentRow();
        for (table_.First(); table_.HasCurrentRow(); table_.Next()) {
            Row row;
            row.record = table_.RecNo();
            row.archived = hasArchived_ && table_.Logical("ARCHIVED");
            for (const GridColumn& column : columns_) row.cells.push_back(CellText(column));
            rows_.push_back(std::move(row));
        }
        if (hadRow) {
            try {
                table_.Go(current);
            } catch (const tables::TableError&) {
                table_.First();
            }
        }
    }
    endResetModel();
}

std::uint32_t TableModel::RecordAt(int row) const {
    return row >= 0 && row < int(rows_.size()) ? rows_[row].record : 0;
}

int TableModel::RowOfRecord(std::uint32_t record) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].record == record)
            return int(i);
    return -1;
}

std::vector<std::string> TableModel::FieldOrder() const {
    std::vector<std::string> order;
    for (const GridColumn& column : columns_) order.push_back(column.field);
    return order;
}

void TableModel::MoveField(const std::string& field, int position) {
    const auto it = std::find_if(columns_.begin(), columns_.end(), [&](const GridColumn& c) {
        return tables::EqualsIgnoringCase(c.field, field);
    });
    if (it == columns_.end() || position < 0)
        return;
    beginResetModel();
    GridColumn moved = *it;
    const auto cellIndex = std::size_t(it - columns_.begin());
    columns_.erase(it);
    const std::size_t target = std::min<std::size_t>(position, columns_.size());
    columns_.insert(columns_.begin() + target, std::move(moved));
    for (Row& row : rows_) {
        QString cell = row.cells[cellIndex];
        row.cells.erase(row.cells.begin() + cellIndex);
        row.cells.insert(row.cells.begin() + target, std::move(cell));
    }
    endResetModel();
}

}  // namespace corvane::app
