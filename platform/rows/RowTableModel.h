#pragma once
// An editable table of database rows for Qt views: the screens' grids over a
// recordset. The model keeps a copy of the rows; edits change the copy and
// flag the row, and submit() hands the flagged rows to the owner's writer,
// which decides how (and whether) they reach the database.
//
// Usage:
//   nv::RowTableModel model;
//   model.SetColumns({{"仕入先No", "仕入先No"}, {"仕入先名", "仕入先名"}});
//   Recordset rs = db.OpenRecordset(source);
//   model.Load(rs);                                  // row ids are rowids
//   model.SetWriter([&](const nv::RowTableModel::Row& r) { /* UPDATE ... WHERE rowid = r.id */ });
//   view->setModel(&model);                          // the view edits through setData
//   if (!model.submit()) show(model.LastError());    // writer threw: row stays flagged
//   int r = model.AppendRow(values);                 // a new row: no id until the owner writes it
//
// Columns name recordset fields; a field the recordset lacks shows as Null.
// Text goes in and out as UTF-8 std::string; whole numbers as int64_t.
#include "platform/db/DbValue.h"
#include "platform/db/Recordset.h"

#include <QAbstractTableModel>
#include <QColor>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace nv {

// A writer's refusal of a row, in words for the person at the grid (its
// cause logged by the writer already): LastError() is this text.
class RowRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RowTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        std::string field;
        QString caption;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        bool editable = true;
    };
    struct Row {
        std::optional<int64_t> id;   // none: not yet in the database
        std::vector<DbValue> values; // one per column
        bool changed = false;
    };
    // Writes one flagged row; throws to refuse (the message becomes lastError).
    using Writer = std::function<void(const Row&)>;

    explicit RowTableModel(QObject* parent = nullptr);

    void SetColumns(std::vector<Column> columns);
    const std::vector<Column>& Columns() const { return columns_; }
    int ColumnOf(const std::string& field) const;   // -1 when absent
    void SetCaption(int column, const QString& caption);
    void SetAlignment(int column, Qt::Alignment alignment);
    void SetWriter(Writer writer) { writer_ = std::move(writer); }
    // Background of every other row (none: the view's own).
    void SetAlternateColor(std::optional<QColor> color) { alternate_ = color; }

    // Replaces every row with those of rs, from its first row on.
    void Load(Recordset& rs);
    void Clear();

    const Row& RowAt(int r) const { return rows_.at(size_t(r)); }
    const DbValue& Value(int r, int column) const { return rows_.at(size_t(r)).values.at(size_t(column)); }
    const DbValue& Value(int r, const std::string& field) const;
    // Changes one cell as an edit would (the row becomes flagged when the
    // value differs).
    void SetValue(int r, int column, DbValue v);
    int AppendRow(std::vector<DbValue> values);
    void RemoveRowAt(int r);
    int RowOfId(int64_t id) const;   // -1 when absent
    bool HasChanges() const;
    void ClearChanged(int r);

    // Hands every flagged row to the writer, first to last; stops at the first
    // refusal and returns false (lastError() says why).
    bool submit() override;
    // Hands one row to the writer when it is flagged.
    bool SubmitRow(int r);
    const QString& LastError() const { return lastError_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The text a value shows as, and back (empty text is Null).
    static QString TextOf(const DbValue& v);
    static DbValue ValueOf(const QString& text);

private:
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    Writer writer_;
    std::optional<QColor> alternate_;
    QString lastError_;
};

} // namespace nv
