#include "platform/rows/RowTableModel.h"

#include <QBrush>

#include <exception>

namespace nv {

namespace {

const DbValue kNull{};

} // namespace

RowTableModel::RowTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void RowTableModel::SetColumns(std::vector<Column> columns)
{
    beginResetModel();
    columns_ = std::move(columns);
    for (Row& r : rows_) r.values.resize(columns_.size());
    endResetModel();
}

int RowTableModel::ColumnOf(const std::string& field) const
{
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].field == field) return int(i);
    return -1;
}

void RowTableModel::SetCaption(int column, const QString& caption)
{
    columns_.at(size_t(column)).caption = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void RowTableModel::SetAlignment(int column, Qt::Alignment alignment)
{
    columns_.at(size_t(column)).alignment = alignment;
    if (!rows_.empty()) emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::TextAlignmentRole});
}

void RowTableModel::Load(Recordset& rs)
{
    std::vector<Row> rows;
    std::vector<int> fieldOf;
    for (const Column& c : columns_) fieldOf.push_back(rs.HasField(c.field) ? 1 : 0);
    if (rs.RecordCount() > 0) {
        rs.MoveFirst();
        while (!rs.IsEOF()) {
            Row r;
            r.id = rs.GetBookmark();
            for (size_t i = 0; i < columns_.size(); ++i)
                r.values.push_back(fieldOf[i] ? rs.Fields(columns_[i].field) : DbValue{});
            rows.push_back(std::move(r));
            rs.MoveNext();
        }
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void RowTableModel::Clear()
{
    beginResetModel();
    rows_.clear();
    endResetModel();
}

const DbValue& RowTableModel::Value(int r, const std::string& field) const
{
    int c = ColumnOf(field);
    return c < 0 ? kNull : Value(r, c);
}

void RowTableModel::SetValue(int r, int column, DbValue v)
{
    Row& row = rows_.at(size_t(r));
    DbValue& cell = row.values.at(size_t(column));
    if (cell == v) return;
    cell = std::move(v);
    row.changed = true;
    emit dataChanged(index(r, column), index(r, column));
}

int RowTableModel::AppendRow(std::vector<DbValue> values)
{
    values.resize(columns_.size());
    int r = rowCount();
    beginInsertRows({}, r, r);
    rows_.push_back(Row{std::nullopt, std::move(values), true});
    endInsertRows();
    return r;
}

void RowTableModel::RemoveRowAt(int r)
{
    beginRemoveRows({}, r, r);
    rows_.erase(rows_.begin() + r);
    endRemoveRows();
}

int RowTableModel::RowOfId(int64_t id) const
{
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].id == id) return int(i);
    return -1;
}

bool RowTableModel::HasChanges() const
{
    for (const Row& r : rows_)
        if (r.changed) return true;
    return false;
}

void RowTableModel::ClearChanged(int r)
{
    rows_.at(size_t(r)).changed = false;
}

bool RowTableModel::SubmitRow(int r)
{
    if (r < 0 || r >= rowCount() || !rows_[size_t(r)].changed) return true;
    lastError_.clear();
    try {
        if (writer_) writer_(rows_[size_t(r)]);
    } catch (const std::exception& e) {
        lastError_ = QString::fromUtf8(e.what());
        return false;
    }
    rows_[size_t(r)].changed = false;
    return true;
}

bool RowTableModel::submit()
{
    for (int r = 0; r < rowCount(); ++r)
        if (!SubmitRow(r)) return false;
    return true;
}

int RowTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int RowTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QString RowTableModel::TextOf(const DbValue& v)
{
    if (auto i = std::get_if<int64_t>(&v)) return QString::number(*i);
    if (auto d = std::get_if<double>(&v)) return QString::number(*d, 'g', 15);
    if (auto s = std::get_if<std::string>(&v)) return QString::fromStdString(*s);
    return {};
}

DbValue RowTableModel::ValueOf(const QString& text)
{
    if (text.isEmpty()) return DbValue{};
    return text.toStdString();
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const DbValue& v = rows_[size_t(index.row())].values[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return TextOf(v);
    case Qt::TextAlignmentRole: return QVariant::fromValue(columns_[size_t(index.column())].alignment);
    case Qt::BackgroundRole:
        if (alternate_ && index.row() % 2 == 1) return QBrush(*alternate_);
        return {};
    default: return {};
    }
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        return columns_[size_t(section)].caption;
    }
    return section + 1;
}

Qt::ItemFlags RowTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && columns_[size_t(index.column())].editable) f |= Qt::ItemIsEditable;
    return f;
}

bool RowTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return false;
    SetValue(index.row(), index.column(), ValueOf(value.toString()));
    return true;
}

} // namespace nv
