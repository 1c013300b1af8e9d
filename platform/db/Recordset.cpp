#include "platform/db/Recordset.h"

#include "platform/db/DbConnection.h"
#include "platform/db/DbError.h"
#include "platform/db/Statement.h"

#include <sqlite3.h>

namespace nv {

namespace {
constexpr const char* kRowIdColumn = "nv_rowid";
}

Recordset::Recordset(std::shared_ptr<DbConnection> conn, RecordSource source)
    : conn_(std::move(conn)), source_(std::move(source))
{
    table_ = QuoteIdentifier(source_.table);
    Load();
}

void Recordset::Load()
{
    std::string sql = "SELECT _rowid_ AS ";
    sql += kRowIdColumn;
    sql += ", * FROM " + table_;
    if (!source_.where.empty()) sql += " WHERE " + source_.where;
    if (!source_.orderBy.empty()) sql += " ORDER BY " + source_.orderBy;
    Statement st(conn_->db, sql);
    st.Bind(source_.params);
    std::vector<Row> rows;
    std::vector<std::string> names;
    for (int i = 1; i < st.ColumnCount(); ++i) names.push_back(st.ColumnName(i));
    while (st.Step()) {
        Row r;
        r.rowid = IntegerOf(st.Column(0)).value_or(0);
        r.values.reserve(names.size());
        for (int i = 1; i < st.ColumnCount(); ++i) r.values.push_back(st.Column(i));
        rows.push_back(std::move(r));
    }
    names_ = std::move(names);
    index_.clear();
    for (size_t i = 0; i < names_.size(); ++i) index_.emplace(names_[i], i);
    rows_ = std::move(rows);
    mode_ = EditMode::None;
    buffer_.clear();
    dirty_.clear();
    pos_ = 0;
}

void Recordset::Refresh()
{
    Load();
}

void Recordset::Skip(int step)
{
    while (pos_ >= 0 && pos_ < static_cast<long>(rows_.size()) && rows_[static_cast<size_t>(pos_)].deleted)
        pos_ += step;
    if (pos_ < 0) pos_ = -1;
    if (pos_ > static_cast<long>(rows_.size())) pos_ = static_cast<long>(rows_.size());
}

void Recordset::MoveFirst()
{
    CancelUpdate();
    pos_ = 0;
    Skip(1);
}

void Recordset::MoveLast()
{
    CancelUpdate();
    pos_ = static_cast<long>(rows_.size()) - 1;
    Skip(-1);
    if (pos_ < 0) pos_ = static_cast<long>(rows_.size());   // empty: at the end
}

void Recordset::MoveNext()
{
    if (IsEOF()) throw DbError::Misuse("no current record (MoveNext at EOF)");
    CancelUpdate();
    ++pos_;
    Skip(1);
}

void Recordset::MovePrevious()
{
    if (IsBOF()) throw DbError::Misuse("no current record (MovePrevious at BOF)");
    CancelUpdate();
    --pos_;
    Skip(-1);
}

long Recordset::RecordCount() const
{
    long n = 0;
    for (const Row& r : rows_)
        if (!r.deleted) ++n;
    return n;
}

long Recordset::AbsolutePosition() const
{
    if (IsEOF() || IsBOF() || rows_[static_cast<size_t>(pos_)].deleted) return -1;
    long n = 0;
    for (long i = 0; i < pos_; ++i)
        if (!rows_[static_cast<size_t>(i)].deleted) ++n;
    return n;
}

void Recordset::SetAbsolutePosition(long position)
{
    if (position < 0) throw DbError::Misuse("invalid record position");
    long n = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].deleted) continue;
        if (n == position) {
            CancelUpdate();
            pos_ = static_cast<long>(i);
            return;
        }
        ++n;
    }
    throw DbError::Misuse("invalid record position");
}

const Recordset::Row& Recordset::Current() const
{
    if (IsEOF() || IsBOF()) throw DbError::Misuse("no current record");
    const Row& r = rows_[static_cast<size_t>(pos_)];
    if (r.deleted) throw DbError::Misuse("the current record is deleted");
    return r;
}

Recordset::Bookmark Recordset::GetBookmark() const
{
    return Current().rowid;
}

void Recordset::SetBookmark(Bookmark mark)
{
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].rowid == mark && !rows_[i].deleted) {
            CancelUpdate();
            pos_ = static_cast<long>(i);
            return;
        }
    }
    throw DbError::Misuse("bookmark not valid");
}

Recordset::Bookmark Recordset::LastModified() const
{
    if (lastModified_ == 0) throw DbError::Misuse("no record was modified");
    return lastModified_;
}

bool Recordset::HasField(std::string_view name) const
{
    return index_.find(std::string(name)) != index_.end();
}

size_t Recordset::FieldIndex(std::string_view name) const
{
    auto it = index_.find(std::string(name));
    if (it == index_.end()) throw DbError::Misuse("item not found in this collection: " + std::string(name));
    return it->second;
}

const DbValue& Recordset::Fields(std::string_view name) const
{
    size_t i = FieldIndex(name);
    if (mode_ != EditMode::None) return buffer_[i];
    return Current().values[i];
}

void Recordset::SetField(std::string_view name, DbValue value)
{
    size_t i = FieldIndex(name);
    if (mode_ == EditMode::None) throw DbError::Misuse("Update or CancelUpdate without AddNew or Edit");
    buffer_[i] = std::move(value);
    dirty_[i] = true;
}

void Recordset::AddNew()
{
    CancelUpdate();
    buffer_.assign(names_.size(), DbValue{});
    dirty_.assign(names_.size(), false);
    mode_ = EditMode::AddNew;
}

void Recordset::Edit()
{
    const Row& r = Current();
    CancelUpdate();
    buffer_ = r.values;
    dirty_.assign(names_.size(), false);
    mode_ = EditMode::Edit;
}

void Recordset::CancelUpdate()
{
    mode_ = EditMode::None;
    buffer_.clear();
    dirty_.clear();
}

Recordset::Row Recordset::ReadRow(int64_t rowid)
{
    std::string sql = "SELECT * FROM " + table_ + " WHERE _rowid_ = ?";
    Statement st(conn_->db, sql);
    st.Bind({rowid});
    Row r;
    r.rowid = rowid;
    if (!st.Step()) throw DbError(0, "この行は他のプログラムで削除されました: " + conn_->path);
    // Columns of the table in the recordset's order.
    std::unordered_map<std::string, DbValue> byName;
    for (int i = 0; i < st.ColumnCount(); ++i) byName.emplace(st.ColumnName(i), st.Column(i));
    for (const std::string& n : names_) {
        auto it = byName.find(n);
        r.values.push_back(it == byName.end() ? DbValue{} : it->second);
    }
    return r;
}

void Recordset::Update()
{
    if (mode_ == EditMode::None) throw DbError::Misuse("Update or CancelUpdate without AddNew or Edit");
    std::vector<DbValue> params;
    std::string sql;
    if (mode_ == EditMode::AddNew) {
        std::string cols, marks;
        for (size_t i = 0; i < names_.size(); ++i) {
            if (!dirty_[i]) continue;
            if (!cols.empty()) {
                cols += ", ";
                marks += ", ";
            }
            cols += QuoteIdentifier(names_[i]);
            marks += "?";
            params.push_back(buffer_[i]);
        }
        if (cols.empty())
            sql = "INSERT INTO " + table_ + " DEFAULT VALUES";
        else
            sql = "INSERT INTO " + table_ + " (" + cols + ") VALUES (" + marks + ")";
        Statement st(conn_->db, sql);
        st.Bind(params);
        st.Step();
        int64_t rowid = sqlite3_last_insert_rowid(conn_->db);
        Row r = ReadRow(rowid);
        bool atEnd = IsEOF();
        rows_.push_back(std::move(r));
        if (atEnd) pos_ = static_cast<long>(rows_.size());
        lastModified_ = rowid;
    } else {
        size_t cur = static_cast<size_t>(pos_);
        std::string sets;
        for (size_t i = 0; i < names_.size(); ++i) {
            if (!dirty_[i]) continue;
            if (!sets.empty()) sets += ", ";
            sets += QuoteIdentifier(names_[i]) + " = ?";
            params.push_back(buffer_[i]);
        }
        int64_t rowid = rows_[cur].rowid;
        if (!sets.empty()) {
            params.push_back(rowid);
            sql = "UPDATE " + table_ + " SET " + sets + " WHERE _rowid_ = ?";
            Statement st(conn_->db, sql);
            st.Bind(params);
            st.Step();
            if (sqlite3_changes(conn_->db) == 0) throw DbError(0, "この行は他のプログラムで削除されました: " + conn_->path);
        }
        rows_[cur] = ReadRow(rowid);
        lastModified_ = rowid;
    }
    CancelUpdate();
}

void Recordset::Delete()
{
    const Row& r = Current();
    CancelUpdate();
    Statement st(conn_->db, "DELETE FROM " + table_ + " WHERE _rowid_ = ?");
    st.Bind({r.rowid});
    st.Step();
    rows_[static_cast<size_t>(pos_)].deleted = true;
}

} // namespace nv
