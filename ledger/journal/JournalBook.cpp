#include "ledger/journal/JournalBook.h"

#include "engine/core/EngineLog.h"
#include "ledger/common/EntryValue.h"
#include "ledger/common/Money.h"
#include "platform/core/Cp932.h"
#include "platform/core/OnFailure.h"
#include "platform/db/DbError.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>
#include <unordered_set>

namespace nv {

namespace {

std::string Quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

std::string SlashDate(const LineDate& d)
{
    return std::to_string(d.year) + "/" + std::to_string(d.month) + "/" + std::to_string(d.day);
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
    sql_.row = "SELECT " + cols + " FROM " + table + " WHERE _rowid_ = ?";
    const SqlCondition inPeriod = PeriodCondition(period_);
    sql_.periodRows = "SELECT _rowid_, " + cols + " FROM " + table + " WHERE " + Quoted(words_.PartyNo) + " = ? AND " +
                      inPeriod.Sql;
    sql_.periodLines = sql_.periodRows + " ORDER BY " + kJournalOrderSql;
    sql_.periodParams = inPeriod.Params;
    sql_.periodParams.insert(sql_.periodParams.begin(), DbValue(party_.PartyNo));
    sql_.update = "UPDATE " + table + " SET " + sets + " WHERE _rowid_ = ?";
    sql_.updateBalance = "UPDATE " + table + " SET " + Quoted(kColBalance) + " = ? WHERE _rowid_ = ?";
    sql_.insert = "INSERT INTO " + table + " (_rowid_, " + cols + ") VALUES (?" + marks + ")";
    sql_.remove = "DELETE FROM " + table + " WHERE _rowid_ = ?";
    sql_.party = "SELECT count(*) FROM " + Quoted(words_.PartyTable) + " WHERE " + Quoted(words_.PartyNo) + " = ?";
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
    wholeList_ = false;
    touched_.clear();
    removed_.clear();
    newLine_.reset();
    copiedDay_.reset();
    seesAll_ = false;
    figuresOfWholeList_ = false;
    // A list that could not be read is shown as none, never as part of one.
    OnFailure emptied([this] {
        lines_.clear();
        stored_.clear();
        Status(kStatusSearchFailed);
    });
    try {
        // Taken before the rows are read: a change committed in between
        // shows as a different stamp at the save.
        stamp_ = db_.Changes();
        // Each row goes straight from the statement into its line.
        std::vector<JournalLine> lines;
        db_.ForEachRow(sql_.periodLines, sql_.periodParams, [&](const std::vector<DbValue>& row) {
            const std::optional<int64_t> rowId = IntegerOf(row.front());
            lines.push_back(LineFromValues(std::span(row).subspan(1), rowId.value_or(0)));
        });
        stored_.reserve(lines.size());
        for (const JournalLine& l : lines) stored_.emplace(l.RowId, l);
        lines_ = std::move(lines);
        seesAll_ = true;
    } catch (const std::exception& e) {
        LogLine("Journal", LogText(e));
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
        throw JournalError(std::string(name) + ": 会計期間 (" + SlashDate(period_.Start) + "～" +
                           SlashDate(period_.End) + ") の外の日付です (" + SlashDate(d) + ")");
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
        const bool copied = copiedDay_ && l.DataNo == copiedDay_;
        if (column == JournalColumn::Month && copied && l.Day && *v >= 1 && *v <= 12) {
            // After 5/31 the month 6 is not refused for a 31st nobody typed:
            // the copied day stops at the month's last.
            const int month = static_cast<int>(*v);
            const int days = gfTsuki(month, period_.YearOf(month, 1));
            l.Day = std::min<int64_t>(*l.Day, days);
        }
        if (l.Month && l.Day && *l.Month >= 1 && *l.Month <= 12)
            l.Year = period_.YearOf(static_cast<int>(*l.Month), static_cast<int>(std::clamp<int64_t>(*l.Day, 0, 99)));
        CheckDate(l, column);
        if (column == JournalColumn::Day && copied) copiedDay_.reset();
        break;
    }
    case JournalColumn::Item:
        l.Item = shortText(kItemWidth);
        break;
    case JournalColumn::Quantity:
    case JournalColumn::UnitPrice:
        (column == JournalColumn::Quantity ? l.Quantity : l.UnitPrice) = number();
        if (l.HasPriceAndQuantity()) {
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
    if (l == target && !isNew) return;
    target = std::move(l);
    if (isNew) {
        lines_.push_back(std::move(*newLine_));
        newLine_.reset();
        index = lines_.size() - 1;
    }
    Touch(index);
}

void JournalBook::DeleteLine(size_t index)
{
    bool isNew = false;
    const JournalLine& line = LineAt(index, isNew);
    if (isNew) {
        newLine_.reset();
        return;
    }
    if (!wholeList_) {
        if (line.RowId != 0) removed_.push_back(line.RowId);
        std::erase(touched_, index);
        for (size_t& t : touched_)
            if (t > index) --t;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
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
    copiedDay_ = l.DataNo;
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
    for (size_t i = 0; i < lines_.size(); ++i) {
        JournalLine& l = lines_[i];
        if (!l.Month || !l.Day) continue;
        int month = static_cast<int>(*l.Month), day = static_cast<int>(*l.Day);
        // Within twelve months a month and day fall inside once; a longer year
        // holds some twice, and a line already inside keeps its year.
        bool inside = l.Year && *l.Year >= 100 && *l.Year <= 9999 &&
                      period_.Contains({static_cast<int>(*l.Year), month, day});
        if (inside) continue;
        l.Year = period_.YearOf(month, day);
        Touch(i);
    }
}

void JournalBook::Touch(size_t index)
{
    if (!wholeList_) touched_.push_back(index);
}

bool JournalBook::Dirty() const
{
    if (!wholeList_) {
        if (!removed_.empty()) return true;
        for (size_t i : touched_) {
            auto it = stored_.find(lines_[i].RowId);
            if (it == stored_.end() || !(it->second == lines_[i])) return true;
        }
        return false;
    }
    if (lines_.size() != stored_.size()) return true;
    for (const JournalLine& l : lines_) {
        auto it = stored_.find(l.RowId);
        if (it == stored_.end() || !(it->second == l)) return true;
    }
    return false;
}

void JournalBook::Compare(size_t i, Pending& p) const
{
    const JournalLine& l = lines_[i];
    if (l.RowId == 0) {
        p.inserts.push_back(i);
        return;
    }
    auto it = stored_.find(l.RowId);
    // Every row id came from the load or a save, so one not loaded means
    // the list is wrong: refuse rather than write over an unknown row.
    if (it == stored_.end()) throw JournalError("行の番号が読み込んだ行にありません (" + std::to_string(l.RowId) + ")");
    const JournalLine& was = it->second;
    if (was == l) return;
    JournalLine balanceOnly = was;
    balanceOnly.Balance = l.Balance;
    p.updates.emplace_back(i, balanceOnly == l);
}

JournalBook::Pending JournalBook::Diff() const
{
    Pending p;
    size_t kept = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i && p.sorted && JournalOrderLess(lines_[i], lines_[i - 1])) p.sorted = false;
        Compare(i, p);
        if (lines_[i].RowId != 0) ++kept;
    }
    if (kept < stored_.size()) {
        std::unordered_set<int64_t> ids;
        ids.reserve(kept);
        for (const JournalLine& l : lines_)
            if (l.RowId != 0) ids.insert(l.RowId);
        for (const auto& [id, line] : stored_)
            if (!ids.count(id)) p.deletes.push_back(id);
    }
    return p;
}

JournalBook::Pending JournalBook::TouchedDiff()
{
    std::sort(touched_.begin(), touched_.end());
    touched_.erase(std::unique(touched_.begin(), touched_.end()), touched_.end());
    Pending p;
    for (size_t i : touched_) {
        // Only a touched line can have left its place.
        if ((i > 0 && JournalOrderLess(lines_[i], lines_[i - 1])) ||
            (i + 1 < lines_.size() && JournalOrderLess(lines_[i + 1], lines_[i])))
            p.sorted = false;
        Compare(i, p);
    }
    p.deletes = removed_;
    return p;
}

void JournalBook::CheckPartyRegistered()
{
    std::optional<int64_t> found;
    try {
        found = IntegerOf(db_.QueryValue(sql_.party, {party_.PartyNo}));
    } catch (const DbError& e) {
        LogLine("Journal", LogText(e));
        if (e.IsBusy()) throw JournalError(kBusyMessage);
        throw JournalError(std::string(words_.PartyTable) + "を読めませんでした: " + e.what());
    }
    if (found.value_or(0) > 0) return;
    // The party number ends in "No"; the party word is what comes before it.
    std::string who = words_.PartyNo;
    if (who.ends_with("No")) who.resize(who.size() - 2);
    std::string name = TrimRight(party_.Name);
    throw JournalError(who + " " + std::to_string(party_.PartyNo) + (name.empty() ? "" : " " + name) +
                       " は他の画面で削除されました。この画面の入力は保存できません。");
}

bool JournalBook::SeesEveryStoredLine()
{
    return seesAll_ && db_.Changes() == stamp_;
}

void JournalBook::CheckStoredRow(int64_t rowId)
{
    auto it = stored_.find(rowId);
    std::vector<std::vector<DbValue>> now = db_.Query(sql_.row, {rowId});
    if (it == stored_.end() || now.size() != 1 || now[0] != LineValues(it->second))
        throw JournalError(kChangedElsewhereMessage);
}

void JournalBook::CheckPeriodRows()
{
    // Every line the figures stand on still as it was, and none the list
    // never had: the period query would read back what was balanced.
    size_t seen = 0;
    for (auto& row : db_.Query(sql_.periodRows, sql_.periodParams)) {
        auto it = stored_.find(std::get<int64_t>(row[0]));
        row.erase(row.begin());
        if (it == stored_.end() || row != LineValues(it->second)) throw JournalError(kChangedElsewhereMessage);
        ++seen;
    }
    if (seen != stored_.size()) throw JournalError(kChangedElsewhereMessage);
}

void JournalBook::CheckStoredRows(const Pending& p)
{
    // Something was committed since the list was read or saved.
    if (figuresOfWholeList_) {
        CheckPeriodRows();
        seesAll_ = true;
        return;
    }
    // An edit stands on its own rows alone, whatever else was committed: it
    // costs what it writes, and the list may now miss a line stored since.
    for (const auto& u : p.updates) CheckStoredRow(lines_[u.first].RowId);
    for (int64_t id : p.deletes) CheckStoredRow(id);
    seesAll_ = false;
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
    if (lows) {
        const int64_t lowest = IntegerOf(db_.QueryValue(sql_.lowest)).value_or(0);
        below = std::min<int64_t>(lowest, 0) - static_cast<int64_t>(lows);
    }
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
    Pending p = wholeList_ ? Diff() : TouchedDiff();
    if (p.Empty()) {
        // Nothing differs from the stored rows, so tracking starts afresh.
        wholeList_ = false;
        figuresOfWholeList_ = false;
        touched_.clear();
        return false;
    }
    if (!p.sorted) {
        // Sorting moves lines to new indexes, which touched_ no longer
        // names: every line is compared instead.
        std::stable_sort(lines_.begin(), lines_.end(), JournalOrderLess);
        wholeList_ = true;
        touched_.clear();
        removed_.clear();
        p = Diff();
    }
    std::vector<int64_t> ids;
    try {
        Transaction t(db_);
        // Lines of a party that is gone would pass to the next party given
        // its number.
        CheckPartyRegistered();
        if (db_.Changes() != stamp_) CheckStoredRows(p);
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
        LogLine("Journal", LogText(e));
        if (e.IsBusy()) throw JournalError(kBusyMessage);
        throw JournalError(std::string("保存できませんでした: ") + e.what());
    }
    for (int64_t id : p.deletes) stored_.erase(id);
    for (const auto& u : p.updates) stored_[lines_[u.first].RowId] = lines_[u.first];
    for (size_t k = 0; k < p.inserts.size(); ++k) {
        lines_[p.inserts[k]].RowId = ids[k];
        stored_.emplace(ids[k], lines_[p.inserts[k]]);
    }
    wholeList_ = false;
    figuresOfWholeList_ = false;
    touched_.clear();
    removed_.clear();
    return true;
}

} // namespace nv
