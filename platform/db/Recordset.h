#pragma once
// An updatable recordset over the rows of one table (dynaset behaviour): rows
// in query order, a current row, moves, edits written through at Update. Rows
// added through it stay at its end until Refresh runs the query again; rows
// deleted through it are skipped by the moves.
#include "platform/db/Database.h"
#include "platform/db/DbValue.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nv {

class Recordset {
public:
    using Bookmark = int64_t;

    Recordset(std::shared_ptr<DbConnection> conn, RecordSource source);

    // Runs the query again and moves to the first row.
    void Refresh();

    // EOF and BOF (those names are taken by the C library's macro).
    bool IsEOF() const { return pos_ >= static_cast<long>(rows_.size()); }
    bool IsBOF() const { return pos_ < 0; }
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();

    // Rows not deleted.
    long RecordCount() const;
    // 0-based position of the current row among the rows not deleted; -1 at
    // either end.
    long AbsolutePosition() const;
    void SetAbsolutePosition(long position);

    Bookmark GetBookmark() const;
    void SetBookmark(Bookmark mark);
    // The row last added or changed through Update.
    Bookmark LastModified() const;

    const std::vector<std::string>& FieldNames() const { return names_; }
    bool HasField(std::string_view name) const;
    // The current row's value, or the edit buffer's between AddNew/Edit and Update.
    const DbValue& Fields(std::string_view name) const;
    void SetField(std::string_view name, DbValue value);

    void AddNew();
    void Edit();
    void Update();
    void CancelUpdate();
    void Delete();
    bool Editing() const { return mode_ != EditMode::None; }

private:
    enum class EditMode { None, Edit, AddNew };
    struct Row {
        int64_t rowid = 0;
        std::vector<DbValue> values;
        bool deleted = false;
    };

    void Load();
    size_t FieldIndex(std::string_view name) const;
    const Row& Current() const;
    Row ReadRow(int64_t rowid);
    void Skip(int step);

    std::shared_ptr<DbConnection> conn_;
    RecordSource source_;
    std::string table_;   // quoted
    std::vector<std::string> names_;
    std::unordered_map<std::string, size_t> index_;
    std::vector<Row> rows_;
    long pos_ = 0;
    EditMode mode_ = EditMode::None;
    std::vector<DbValue> buffer_;
    std::vector<bool> dirty_;
    Bookmark lastModified_ = 0;
};

} // namespace nv
