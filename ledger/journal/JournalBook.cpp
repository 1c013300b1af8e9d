#include "ledger/journal/JournalBook.h"

#include "ledger/common/EntryValue.h"
#include "ledger/common/Money.h"
#include "platform/core/Cp932.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace nv {

JournalBook::JournalBook(Database& db, const JournalEntry& entry, StatusBarPanels* status)
    : db_(db),
      words_(WordsOf(entry.Side)),
      party_(entry.Party),
      period_(FiscalPeriod::From(entry.Settings)),
      status_(status)
{
}

void JournalBook::Status(const char* text)
{
    if (status_) gsStatusText(*status_, text);
}

void JournalBook::SearchPeriod()
{
    Status(kStatusWorking);
    lines_.clear();
    loaded_.clear();
    newLine_.reset();
    try {
        Recordset rs = db_.OpenRecordset(PeriodLinesSource(words_, party_.PartyNo, period_));
        std::vector<std::string> names = LineColumnNames(words_);
        std::vector<JournalLine> lines;
        std::map<int64_t, std::vector<DbValue>> loaded;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::vector<DbValue> values;
            values.reserve(names.size());
            for (const std::string& n : names) values.push_back(rs.Fields(n));
            lines.push_back(LineFromValues(values, rs.GetBookmark()));
            loaded.emplace(rs.GetBookmark(), std::move(values));
        }
        lines_ = std::move(lines);
        loaded_ = std::move(loaded);
    } catch (const std::exception& e) {
        Status(kStatusSearchFailed);
        throw JournalError(std::string(kStatusSearchFailed) + ": " + e.what());
    }
    Status(kStatusSearchDone);
}

JournalLine& JournalBook::LineAt(size_t index, bool& isNew)
{
    isNew = index == lines_.size() && newLine_;
    if (isNew) return *newLine_;
    if (index >= lines_.size()) throw JournalError("行がありません (" + std::to_string(index + 1) + "行目)");
    return lines_[index];
}

void JournalBook::CheckDate(const JournalLine& l, JournalColumn column) const
{
    const char* name = ColumnName(words_, column);
    if (!l.Year || !l.Month || !l.Day) throw JournalError(std::string(name) + ": 日付を入力してください");
    LineDate d{static_cast<int>(*l.Year), static_cast<int>(*l.Month), static_cast<int>(*l.Day)};
    if (*l.Month < 1 || *l.Month > 12 || *l.Day < 1 || *l.Day > 31 || !IsCalendarDate(d))
        throw JournalError(std::string(name) + ": 日付が正しくありません (" + std::to_string(*l.Month) + "月" +
                           std::to_string(*l.Day) + "日)");
    if (!period_.Contains(d))
        throw JournalError(std::string(name) + ": 会計期間の外の日付です (" + std::to_string(d.year) + "/" +
                           std::to_string(d.month) + "/" + std::to_string(d.day) + ")");
}

void JournalBook::SetCell(size_t index, JournalColumn column, std::string_view text)
{
    bool isNew = false;
    JournalLine& target = LineAt(index, isNew);
    JournalLine l = target;
    const std::string name = ColumnName(words_, column);
    bool empty = IsBlankText(text);
    auto number = [&]() -> std::optional<double> {
        if (empty) return std::nullopt;
        std::optional<double> n = ParseNumberText(text);
        if (!n) throw JournalError(name + ": 数値を入力してください (" + std::string(text) + ")");
        return n;
    };
    auto yen = [&](std::optional<double> n) -> std::optional<int64_t> {
        if (!n) return std::nullopt;
        try {
            return YenAmount(*n, 1.0);
        } catch (const std::range_error&) {
            throw JournalError(name + ": 金額が大きすぎます");
        }
    };
    auto whole = [&]() -> std::optional<int64_t> {
        std::optional<double> n = number();
        if (n && (*n != std::floor(*n) || std::fabs(*n) > 9.0e15))
            throw JournalError(name + ": 整数を入力してください (" + std::string(text) + ")");
        return n ? std::optional<int64_t>(static_cast<int64_t>(*n)) : std::nullopt;
    };
    auto shortText = [&](size_t width) -> std::optional<std::string> {
        if (text.empty()) return std::nullopt;
        if (Utf8CharCount(text) > width)
            throw JournalError(name + ": " + std::to_string(width) + "文字以内で入力してください");
        if (!Utf8ToCp932(text)) throw JournalError(name + ": 使用できない文字が含まれています");
        return std::string(text);
    };

    switch (column) {
    case JournalColumn::PartyNo:
        throw JournalError(name + ": 変更できません");
    case JournalColumn::DataNo:
        l.DataNo = whole();
        break;
    case JournalColumn::Year: {
        std::optional<int64_t> y = whole();
        if (y && l.Month && l.Day && *y == period_.YearOf(static_cast<int>(*l.Month), static_cast<int>(*l.Day)))
            break;
        throw JournalError(name + ": 年は月と日から決まります");
    }
    case JournalColumn::Month:
    case JournalColumn::Day: {
        std::optional<int64_t> v = whole();
        if (!v) throw JournalError(name + ": 日付を入力してください");
        (column == JournalColumn::Month ? l.Month : l.Day) = v;
        if (column == JournalColumn::Day) l.DayCopied = false;
        else if (l.DayCopied && l.Day && *v >= 1 && *v <= 12) {
            // After 5/31 the month 6 is not refused for a 31st nobody typed:
            // the copied day stops at the month's last.
            const int month = static_cast<int>(*v);
            const int days = gfTsuki(month, period_.YearOf(month, 1));
            l.Day = std::min<int64_t>(*l.Day, days);
        }
        if (l.Month && l.Day && *l.Month >= 1 && *l.Month <= 12)
            l.Year = period_.YearOf(static_cast<int>(*l.Month), static_cast<int>(std::clamp<int64_t>(*l.Day, 0, 99)));
        CheckDate(l, column);
        break;
    }
    case JournalColumn::Item:
        l.Item = shortText(kItemWidth);
        break;
    case JournalColumn::Quantity:
    case JournalColumn::UnitPrice:
        (column == JournalColumn::Quantity ? l.Quantity : l.UnitPrice) = number();
        if (l.Quantity && l.UnitPrice && *l.Quantity != 0) {
            try {
                l.Amount = YenAmount(*l.UnitPrice, *l.Quantity);
            } catch (const std::range_error&) {
                throw JournalError(name + ": " + words_.Amount + "が大きすぎます");
            }
        }
        break;
    case JournalColumn::Amount:
        l.Amount = yen(number());
        break;
    case JournalColumn::Settlement:
        l.Settlement = yen(number());
        break;
    case JournalColumn::DebitCredit:
        l.DebitCredit = shortText(kDebitCreditWidth);
        break;
    case JournalColumn::Balance:
        l.Balance = yen(number());
        break;
    }
    target = std::move(l);
    if (isNew) {
        lines_.push_back(std::move(*newLine_));
        newLine_.reset();
    }
}

void JournalBook::DeleteLine(size_t index)
{
    bool isNew = false;
    LineAt(index, isNew);
    if (isNew) newLine_.reset();
    else lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
}

void JournalBook::AppendNewLine()
{
    JournalLine l;
    l.PartyNo = party_.PartyNo;
    l.Month = period_.Start.month;
    l.Day = period_.Start.day;
    if (!lines_.empty() && lines_.back().Month && lines_.back().Day) {
        l.Month = lines_.back().Month;
        l.Day = lines_.back().Day;
    }
    l.Year = period_.YearOf(static_cast<int>(*l.Month), static_cast<int>(*l.Day));
    l.DayCopied = true;
    int64_t greatest = 0;
    for (const JournalLine& x : lines_) greatest = std::max(greatest, x.DataNo.value_or(0));
    l.DataNo = greatest + 1;
    newLine_ = std::move(l);
}

bool JournalBook::EnterOnBalanceCell(size_t index)
{
    if (index + 1 < lines_.size()) return false;
    if (!newLine_) AppendNewLine();
    return true;
}

void JournalBook::FixLineYears()
{
    for (JournalLine& l : lines_) {
        if (!l.Month || !l.Day) continue;
        int month = static_cast<int>(*l.Month), day = static_cast<int>(*l.Day);
        // Within twelve months a month and day fall inside once; a longer year
        // holds some twice, and a line already inside keeps its year.
        bool inside = l.Year && *l.Year >= 100 && *l.Year <= 9999 &&
                      period_.Contains({static_cast<int>(*l.Year), month, day});
        if (!inside) l.Year = period_.YearOf(month, day);
    }
}

bool JournalBook::Dirty() const
{
    if (lines_.size() != loaded_.size()) return true;
    for (const JournalLine& l : lines_) {
        auto it = loaded_.find(l.RowId);
        if (l.RowId == 0 || it == loaded_.end() || it->second != LineValues(l)) return true;
    }
    return false;
}

namespace {

// Rows per statement: few statements for a long journal, well inside
// SQLite's limit on bound values.
constexpr size_t kChunkRows = 400;

std::string Marks(size_t n)
{
    std::string m;
    for (size_t i = 0; i < n; ++i) m += i ? ", ?" : "?";
    return m;
}

} // namespace

bool JournalBook::Save()
{
    // A read-only database keeps what it holds: balances worked out for the
    // screen are shown, not written.
    if (!Dirty() || db_.IsReadOnly()) return false;
    std::vector<JournalLine> lines = lines_;
    std::stable_sort(lines.begin(), lines.end(), JournalOrderLess);
    const std::string table = "\"" + std::string(words_.LineTable) + "\"";
    std::string cols;
    for (const std::string& n : LineColumnNames(words_)) cols += (cols.empty() ? "\"" : ", \"") + n + "\"";
    std::map<int64_t, std::vector<DbValue>> saved;
    try {
        Transaction t(db_);
        // Every loaded row must still be as it was loaded.
        std::map<int64_t, std::vector<DbValue>> now;
        for (auto& row : db_.Query("SELECT _rowid_, " + cols + " FROM " + table + " WHERE \"" + words_.PartyNo +
                                       "\" = ?",
                                   {party_.PartyNo})) {
            int64_t id = std::get<int64_t>(row[0]);
            row.erase(row.begin());
            now.emplace(id, std::move(row));
        }
        for (const auto& [rowId, values] : loaded_) {
            auto it = now.find(rowId);
            if (it == now.end() || it->second != values) throw JournalError(kChangedElsewhereMessage);
        }
        std::vector<DbValue> ids;
        for (auto it = loaded_.begin(); it != loaded_.end();) {
            ids.clear();
            for (; it != loaded_.end() && ids.size() < kChunkRows; ++it) ids.emplace_back(it->first);
            db_.Execute("DELETE FROM " + table + " WHERE _rowid_ IN (" + Marks(ids.size()) + ")", ids);
        }
        // Row ids given, so each line knows its row.
        int64_t next = IntegerOf(db_.QueryValue("SELECT max(_rowid_) FROM " + table)).value_or(0);
        if (next > INT64_MAX - static_cast<int64_t>(lines.size()) - 1) throw JournalError("行番号が上限に達しました");
        const std::string rowMarks = "(" + Marks(13) + ")";
        std::vector<DbValue> params;
        for (size_t i = 0; i < lines.size();) {
            params.clear();
            std::string values;
            for (size_t n = 0; i < lines.size() && n < kChunkRows; ++i, ++n) {
                JournalLine& l = lines[i];
                l.RowId = ++next;
                std::vector<DbValue> v = LineValues(l);
                params.emplace_back(l.RowId);
                params.insert(params.end(), v.begin(), v.end());
                saved.emplace(l.RowId, std::move(v));
                values += (n ? ", " : "") + rowMarks;
            }
            db_.Execute("INSERT INTO " + table + " (_rowid_, " + cols + ") VALUES " + values, params);
        }
        t.Commit();
    } catch (const JournalError&) {
        throw;
    } catch (const DbError& e) {
        if (e.IsBusy()) throw JournalError(kBusyMessage);
        throw JournalError(std::string("保存できませんでした: ") + e.what());
    }
    lines_ = std::move(lines);
    loaded_ = std::move(saved);
    return true;
}

} // namespace nv
