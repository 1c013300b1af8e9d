#include "ledger/journal/JournalBook.h"

#include "ledger/common/EntryValue.h"
#include "ledger/common/Money.h"
#include "platform/core/Cp932.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>

namespace nv {

namespace {

std::string Quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

} // namespace

JournalBook::JournalBook(Database& db, const JournalEntry& entry, StatusBarPanels* status)
    : db_(db),
      words_(WordsOf(entry.Side)),
      party_(entry.Party),
      period_(FiscalPeriod::From(entry.Settings)),
      status_(status)
{
    const std::string table = Quoted(words_.LineTable);
    std::string cols, sets, marks;
    for (const std::string& n : LineColumnNames(words_)) {
        cols += (cols.empty() ? "" : ", ") + Quoted(n);
        sets += (sets.empty() ? "" : ", ") + Quoted(n) + " = ?";
        marks += ", ?";
    }
    sql_.rows = "SELECT _rowid_, " + cols + " FROM " + table + " WHERE " + Quoted(words_.PartyNo) + " = ?";
    sql_.update = "UPDATE " + table + " SET " + sets + " WHERE _rowid_ = ?";
    sql_.updateBalance = "UPDATE " + table + " SET " + Quoted(kColBalance) + " = ? WHERE _rowid_ = ?";
    sql_.insert = "INSERT INTO " + table + " (_rowid_, " + cols + ") VALUES (?" + marks + ")";
    sql_.remove = "DELETE FROM " + table + " WHERE _rowid_ = ?";
    sql_.lowest = "SELECT min(_rowid_) FROM " + table;
    sql_.highest = "SELECT max(_rowid_) FROM " + table;
}

void JournalBook::Status(const char* text)
{
    if (status_) gsStatusText(*status_, text);
}

void JournalBook::SearchPeriod()
{
    Status(kStatusWorking);
    lines_.clear();
    stored_.clear();
    storedAt_.clear();
    newLine_.reset();
    try {
        // Taken before the rows are read: a change committed in between
        // shows as a different stamp at the save.
        stamp_ = db_.Changes();
        Recordset rs = db_.OpenRecordset(PeriodLinesSource(words_, party_.PartyNo, period_));
        std::vector<std::string> names = LineColumnNames(words_);
        std::vector<JournalLine> lines;
        std::vector<DbValue> values;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            values.clear();
            for (const std::string& n : names) values.push_back(rs.Fields(n));
            lines.push_back(LineFromValues(values, rs.GetBookmark()));
        }
        stored_ = lines;
        lines_ = std::move(lines);
    } catch (const std::exception& e) {
        lines_.clear();
        stored_.clear();
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

size_t JournalBook::StoredIndex(int64_t rowId, size_t guess) const
{
    if (guess < stored_.size() && stored_[guess].RowId == rowId) return guess;
    if (storedAt_.empty())
        for (size_t j = 0; j < stored_.size(); ++j) storedAt_.emplace(stored_[j].RowId, j);
    auto it = storedAt_.find(rowId);
    // Row ids come from the load or a save only.
    if (it == storedAt_.end()) throw JournalError("行の番号が読み込んだ行にありません (" + std::to_string(rowId) + ")");
    return it->second;
}

bool JournalBook::Dirty() const
{
    if (lines_.size() != stored_.size()) return true;
    size_t shift = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const JournalLine& l = lines_[i];
        if (l.RowId == 0) return true;
        size_t j = StoredIndex(l.RowId, i + shift);
        shift = j - i;
        if (!(stored_[j] == l)) return true;
    }
    return false;
}

JournalBook::Pending JournalBook::Diff() const
{
    Pending p;
    std::vector<char> seen(stored_.size());
    // Most saves find each line where it was: a guess shifted by the last
    // match avoids the look-up.
    size_t shift = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const JournalLine& l = lines_[i];
        if (i && p.sorted && JournalOrderLess(l, lines_[i - 1])) p.sorted = false;
        if (l.RowId == 0) {
            p.inserts.push_back(i);
            p.aligned = false;
            continue;
        }
        size_t j = StoredIndex(l.RowId, i + shift);
        shift = j - i;
        p.aligned = p.aligned && j == i;
        seen[j] = 1;
        const JournalLine& was = stored_[j];
        if (was == l) continue;
        JournalLine balanceOnly = was;
        balanceOnly.Balance = l.Balance;
        p.updates.emplace_back(i, balanceOnly == l);
    }
    for (size_t j = 0; j < stored_.size(); ++j)
        if (!seen[j]) p.deletes.push_back(stored_[j].RowId);
    if (!p.deletes.empty()) p.aligned = false;
    return p;
}

void JournalBook::CheckStoredRows()
{
    // Something was committed since the load: every loaded row must still be
    // as it was loaded.
    std::unordered_map<int64_t, std::vector<DbValue>> now;
    for (auto& row : db_.Query(sql_.rows, {party_.PartyNo})) {
        int64_t id = std::get<int64_t>(row[0]);
        row.erase(row.begin());
        now.emplace(id, std::move(row));
    }
    for (const JournalLine& s : stored_) {
        auto it = now.find(s.RowId);
        if (it == now.end() || it->second != LineValues(s)) throw JournalError(kChangedElsewhereMessage);
    }
}

std::vector<int64_t> JournalBook::NewRowIds(const std::vector<size_t>& inserts)
{
    // The period query orders lines alike in date and データ数 by row id: a
    // new line placed before a stored one of its place takes an id below
    // every row, any other one above every row.
    std::vector<bool> low(inserts.size());
    size_t lows = 0;
    for (size_t k = 0; k < inserts.size(); ++k) {
        for (size_t i = inserts[k] + 1; i < lines_.size() && SameJournalPlace(lines_[i], lines_[inserts[k]]); ++i) {
            if (lines_[i].RowId != 0) {
                low[k] = true;
                ++lows;
                break;
            }
        }
    }
    std::vector<int64_t> ids(inserts.size());
    int64_t below = 0, above = 0;
    if (lows) below = std::min<int64_t>(IntegerOf(db_.QueryValue(sql_.lowest)).value_or(0), 0) - static_cast<int64_t>(lows);
    if (lows < inserts.size()) above = IntegerOf(db_.QueryValue(sql_.highest)).value_or(0);
    if (below > 0 || above > INT64_MAX - static_cast<int64_t>(inserts.size()) || below < INT64_MIN + 1)
        throw JournalError("行番号が上限に達しました");
    for (size_t k = 0; k < inserts.size(); ++k) ids[k] = low[k] ? below++ : ++above;
    return ids;
}

bool JournalBook::Save()
{
    // A read-only database keeps what it holds: balances worked out for the
    // screen are shown, not written.
    if (db_.IsReadOnly()) return false;
    Pending p = Diff();
    if (p.inserts.empty() && p.updates.empty() && p.deletes.empty()) return false;
    if (!p.sorted) {
        std::stable_sort(lines_.begin(), lines_.end(), JournalOrderLess);
        p = Diff();
    }
    std::vector<int64_t> ids;
    try {
        Transaction t(db_);
        if (db_.Changes() != stamp_) CheckStoredRows();
        // A row gone or changed under a write is another connection's doing
        // that the stamp would have shown; refused all the same.
        auto one = [](int changed) {
            if (changed != 1) throw JournalError(kChangedElsewhereMessage);
        };
        for (int64_t id : p.deletes) one(db_.Execute(sql_.remove, {id}));
        for (const auto& [i, balanceOnly] : p.updates) {
            const JournalLine& l = lines_[i];
            if (balanceOnly) {
                one(db_.Execute(sql_.updateBalance, {l.Balance ? DbValue(*l.Balance) : DbValue(DbNull), l.RowId}));
            } else {
                std::vector<DbValue> v = LineValues(l);
                v.emplace_back(l.RowId);
                one(db_.Execute(sql_.update, v));
            }
        }
        ids = NewRowIds(p.inserts);
        for (size_t k = 0; k < p.inserts.size(); ++k) {
            std::vector<DbValue> v = LineValues(lines_[p.inserts[k]]);
            v.insert(v.begin(), DbValue(ids[k]));
            db_.Execute(sql_.insert, v);
        }
        // Taken inside the transaction: no other connection can commit
        // before ours.
        Database::ChangeStamp stamp = db_.Changes();
        t.Commit();
        stamp_ = stamp;
    } catch (const JournalError&) {
        throw;
    } catch (const DbError& e) {
        if (e.IsBusy()) throw JournalError(kBusyMessage);
        throw JournalError(std::string("保存できませんでした: ") + e.what());
    }
    for (size_t k = 0; k < p.inserts.size(); ++k) lines_[p.inserts[k]].RowId = ids[k];
    if (p.aligned) {
        for (const auto& u : p.updates) stored_[u.first] = lines_[u.first];
    } else {
        stored_ = lines_;
        storedAt_.clear();
    }
    return true;
}

} // namespace nv
