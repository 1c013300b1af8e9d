#include "ledger/master/PartyBook.h"

#include "engine/core/EngineLog.h"
#include "ledger/common/EntryValue.h"
#include "ledger/common/ShownFailure.h"
#include "ledger/master/CarryForward.h"
#include "platform/core/Cp932.h"
#include "platform/db/DbError.h"

#include <cmath>
#include <limits>

namespace nv {

namespace {

constexpr int64_t kHighestPartyNo = 9'999'999;

// Widths of the text columns, by PartyColumn.
constexpr size_t kWidths[kPartyColumnCount] = {0, 1, 20, 50, 10, 70, 15, 15, 10, 10, 10, 0};

std::string Quote(const std::string& name)
{
    std::string q = "\"";
    for (char c : name) {
        q += c;
        if (c == '"') q += '"';
    }
    return q + "\"";
}

std::string LikeEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '%' || c == '_') out += '\\';
        out += c;
    }
    return out;
}

std::optional<int64_t> WholeNumber(const std::string& text, double low, double high)
{
    std::optional<double> d = ParseNumberText(text);
    if (!d || std::floor(*d) != *d || *d < low || *d > high) return std::nullopt;
    return static_cast<int64_t>(*d);
}

} // namespace

const RegisterWords& RegisterWordsOf(JournalSide side)
{
    static const RegisterWords purchases{"仕入先の登録、検索と削除", "仕入先の登録、検索、削除", "仕入先", "仕入張"};
    static const RegisterWords sales{"売上先の登録、検索と削除", "顧客先の登録、検索、削除", "売上先", "売上張"};
    return side == JournalSide::Sales ? sales : purchases;
}

const std::string& CompanyClosingDayText(const CompanySettings& settings, JournalSide side)
{
    return side == JournalSide::Sales ? settings.SalesClosingDay : settings.PurchaseClosingDay;
}

std::string PartyColumnName(const SideWords& words, int column)
{
    static const char* const kNames[kPartyColumnCount] = {
        nullptr, "検索キー", "ふりがな", nullptr, "郵便番号", "住所", "電話", "ファックス", kColClosingDay,
        "請求期日", "支払定日", kColCarryForward};
    if (column == kPartyNo) return words.PartyNo;
    if (column == kName) return words.PartyName;
    return kNames[column];
}

size_t PartyTextWidth(int column)
{
    return kWidths[column];
}

PartyValues ParsePartyTexts(const SideWords& words, const PartyTexts& texts)
{
    PartyValues out;
    for (int c = 0; c < kPartyColumnCount; ++c) {
        const std::string& t = texts[size_t(c)];
        const std::string field = PartyColumnName(words, c);
        if (c == kPartyNo) {
            if (t.empty()) throw PartyInputError(field + "を入力してください。");
            std::optional<int64_t> n = WholeNumber(t, 1, double(kHighestPartyNo));
            if (!n) throw PartyInputError(field + "は1から9999999までの整数で入力してください。");
            out[size_t(c)] = *n;
        } else if (c == kCarryForward) {
            if (t.empty()) continue;
            std::optional<int64_t> n = WholeNumber(t, double(std::numeric_limits<int32_t>::min()),
                                                   double(std::numeric_limits<int32_t>::max()));
            if (!n) throw PartyInputError(field + "は円単位の整数（-2147483648から2147483647まで）で入力してください。");
            out[size_t(c)] = *n;
        } else if (!t.empty()) {
            if (Utf8CharCount(t) > kWidths[c])
                throw PartyInputError(field + "は" + std::to_string(kWidths[c]) + "文字以内で入力してください。");
            if (!Utf8ToCp932(t)) throw PartyInputError(field + "に使えない文字が含まれています。");
            out[size_t(c)] = t;
        }
    }
    return out;
}

std::string PartyBook::Quoted(const std::string& column) const
{
    return Quote(column);
}

std::vector<SearchField> PartyBook::SearchFields()
{
    std::vector<SearchField> fields;
    for (const auto& row : db_.Query("PRAGMA table_info(" + Quote(words_.PartyTable) + ")")) {
        std::string name = TextOf(row.at(1)).value_or("");
        std::string type = TextOf(row.at(2)).value_or("");
        // STRICT tables know no date type: no field takes the date class.
        if (type == "BLOB") continue;
        fields.push_back({name, type == "TEXT" ? -1 : 0});
    }
    return fields;
}

RecordSource PartyBook::AllRows(const std::string& sort)
{
    RecordSource src;
    src.table = words_.PartyTable;
    if (!sort.empty()) {
        bool known = false;
        for (const SearchField& f : SearchFields()) known = known || f.name == sort;
        if (!known) throw SearchError("並べ替えの項目がありません: " + sort);
        src.orderBy = Quote(sort) + ", _rowid_";
    }
    return src;
}

RecordSource PartyBook::SearchRows(const std::string& field, const std::string& op, const std::string& value,
                                   const std::string& sort)
{
    RecordSource src = AllRows(sort);
    std::optional<SearchField> chosen;
    for (const SearchField& f : SearchFields())
        if (f.name == field) chosen = f;
    if (!chosen) throw SearchError("検索対象の項目がありません: " + field);
    bool knownOp = false;
    for (const char* o : kSearchOperators) knownOp = knownOp || op == o;
    if (!knownOp) throw SearchError("検索式が正しくありません: " + op);
    if (op == "Like") {
        src.where = "CAST(" + Quote(field) + " AS TEXT) LIKE ? ESCAPE '\\'";
        src.params.emplace_back("%" + LikeEscaped(value) + "%");
    } else if (chosen->typeClass == -1) {
        src.where = Quote(field) + " " + op + " ? COLLATE NOCASE";
        src.params.emplace_back(value);
    } else {
        std::optional<double> n = ParseNumberText(value);
        if (!n) throw SearchError(field + "は数値で検索してください。");
        src.where = Quote(field) + " " + op + " ?";
        if (std::floor(*n) == *n && std::fabs(*n) < 9.0e15) src.params.emplace_back(static_cast<int64_t>(*n));
        else src.params.emplace_back(*n);
    }
    return src;
}

int64_t PartyBook::NextNumber()
{
    // Lines whose party is gone (deleted by an earlier version, or by
    // another window while its journal was open) are never inherited.
    const std::string no = Quote(words_.PartyNo);
    DbValue v = db_.QueryValue("SELECT MAX(n) FROM (SELECT MAX(" + no + ") AS n FROM " + Quote(words_.PartyTable) +
                               " UNION ALL SELECT MAX(" + no + ") FROM " + Quote(words_.LineTable) + ")");
    std::optional<int64_t> n = IntegerOf(v);
    return n ? *n + 1 : 1;
}

bool PartyBook::NumberTaken(int64_t partyNo)
{
    return IntegerOf(db_.QueryValue("SELECT COUNT(*) FROM " + Quote(words_.PartyTable) + " WHERE " +
                                        Quote(words_.PartyNo) + " = ?",
                                    {partyNo}))
               .value_or(0) > 0;
}

int64_t PartyBook::LineCount(int64_t partyNo)
{
    return IntegerOf(db_.QueryValue("SELECT COUNT(*) FROM " + Quote(words_.LineTable) + " WHERE " +
                                        Quote(words_.PartyNo) + " = ?",
                                    {partyNo}))
        .value_or(0);
}

void PartyBook::CheckFreeNumber(int64_t partyNo, std::optional<int64_t> exceptRowId)
{
    std::string sql = "SELECT COUNT(*) FROM " + Quote(words_.PartyTable) + " WHERE " + Quote(words_.PartyNo) + " = ?";
    std::vector<DbValue> params{partyNo};
    if (exceptRowId) {
        sql += " AND _rowid_ <> ?";
        params.emplace_back(*exceptRowId);
    }
    if (IntegerOf(db_.QueryValue(sql, params)).value_or(0) > 0)
        throw PartyInputError(std::string(words_.PartyNo) + " " + std::to_string(partyNo) + " は既に登録されています。");
    if (LineCount(partyNo) > 0)
        throw PartyInputError(std::string(words_.PartyNo) + " " + std::to_string(partyNo) + " には削除された" +
                              RegisterWordsOf(words_.Side).Who + "の" + RegisterWordsOf(words_.Side).JournalWord +
                              "の行が残っているため使えません。");
}

int64_t PartyBook::Register(const PartyValues& values, const CompanySettings& settings, StatusBarPanels& statusBar)
{
    if (IsNull(values[kCarryForward])) throw PartyInputError("登録時繰越金額を入力してください。");
    std::optional<int64_t> no = IntegerOf(values[kPartyNo]);
    if (!no) throw PartyInputError(std::string(words_.PartyNo) + "を入力してください。");
    Transaction t(db_);
    CheckFreeNumber(*no, std::nullopt);
    std::string cols, marks;
    std::vector<DbValue> params;
    for (int c = 0; c < kPartyColumnCount; ++c) {
        cols += (c ? ", " : "") + Quote(PartyColumnName(words_, c));
        marks += c ? ", ?" : "?";
        params.push_back(values[size_t(c)]);
    }
    db_.Execute("INSERT INTO " + Quote(words_.PartyTable) + " (" + cols + ") VALUES (" + marks + ")", params);
    int64_t rowId = db_.LastInsertRowId();
    ZenkiKurikoshiAdd(*no, values[kCarryForward], settings, statusBar);
    t.Commit();
    return rowId;
}

void PartyBook::ZenkiKurikoshiAdd(int64_t partyNo, const DbValue& carryForward, const CompanySettings& settings,
                                  StatusBarPanels& statusBar)
{
    std::optional<Recordset> period = gsOpenPeriodData(db_, settings, statusBar, words_.Side, partyNo);
    if (!period) throw DbError(0, std::string(words_.LineTable) + "の期間データを開けません。");
    db_.Execute("INSERT INTO " + Quote(words_.LineTable) + " (" + Quote(words_.PartyNo) +
                    ", \"データ数\", \"年\", \"月\", \"日\", \"品名\", \"差引残高\") VALUES (?, ?, ?, ?, ?, ?, ?)",
                {partyNo, int64_t{period->RecordCount()}, int64_t(settings.StartYear), int64_t(settings.StartMonth),
                 int64_t(settings.StartDay), std::string(kOpeningLineName), carryForward});
}

void PartyBook::Update(int64_t rowId, const PartyValues& values)
{
    std::optional<int64_t> no = IntegerOf(values[kPartyNo]);
    if (!no) throw PartyInputError(std::string(words_.PartyNo) + "を入力してください。");
    Transaction t(db_);
    auto old = db_.Query("SELECT " + Quote(words_.PartyNo) + " FROM " + Quote(words_.PartyTable) +
                             " WHERE _rowid_ = ?",
                         {rowId});
    if (old.empty()) throw DbError(0, "この行は他で削除されています。");
    int64_t oldNo = IntegerOf(old[0][0]).value_or(0);
    if (*no != oldNo) {
        CheckFreeNumber(*no, rowId);
        if (LineCount(oldNo) > 0)
            throw PartyInputError(std::string(words_.PartyNo) + " " + std::to_string(oldNo) + " には" +
                                  RegisterWordsOf(words_.Side).JournalWord + "があるため番号を変更できません。");
    }
    std::string sets;
    std::vector<DbValue> params;
    for (int c = 0; c < kPartyColumnCount; ++c) {
        sets += (c ? ", " : "") + Quote(PartyColumnName(words_, c)) + " = ?";
        params.push_back(values[size_t(c)]);
    }
    params.emplace_back(rowId);
    db_.Execute("UPDATE " + Quote(words_.PartyTable) + " SET " + sets + " WHERE _rowid_ = ?", params);
    t.Commit();
}

void PartyBook::DeleteRow(int64_t rowId)
{
    Transaction t(db_);
    auto row = db_.Query("SELECT " + Quote(words_.PartyNo) + " FROM " + Quote(words_.PartyTable) +
                             " WHERE _rowid_ = ?",
                         {rowId});
    if (row.empty()) throw DbError(0, "この行は他で削除されています。");
    db_.Execute("DELETE FROM " + Quote(words_.LineTable) + " WHERE " + Quote(words_.PartyNo) + " = ?", {row[0][0]});
    db_.Execute("DELETE FROM " + Quote(words_.PartyTable) + " WHERE _rowid_ = ?", {rowId});
    t.Commit();
}

bool PartyBook::SetClosingDay(int64_t rowId, const std::string& day)
{
    auto rows = db_.Query("SELECT \"〆切期日\" FROM " + Quote(words_.PartyTable) + " WHERE _rowid_ = ?", {rowId});
    if (rows.empty()) return false;
    DbValue want = day.empty() ? DbValue{} : DbValue{day};
    if (rows[0][0] == want) return false;
    db_.Execute("UPDATE " + Quote(words_.PartyTable) + " SET \"〆切期日\" = ? WHERE _rowid_ = ?", {want, rowId});
    return true;
}

std::string DescribeFailure(const std::exception& e)
{
    std::string shown = ShownFailure("PartyRegister", e);
    if (auto db = dynamic_cast<const DbError*>(&e)) {
        if (db->IsBusy()) return "補助簿DBは他で使用中です。しばらくしてからやり直してください。";
        if ((db->Code() & 0xff) == 8) return "補助簿DBは読み取り専用のため書き込めません。";
    }
    return shown;
}

std::optional<Recordset> gsOpenPeriodData(Database& db, const CompanySettings& settings, StatusBarPanels& statusBar,
                                          JournalSide side, int64_t partyNo)
{
    gsStatusText(statusBar, "データ処理中");
    std::optional<Recordset> rs;
    try {
        rs.emplace(db.OpenRecordset(PeriodLinesSource(WordsOf(side), partyNo, FiscalPeriod::From(settings))));
    } catch (const std::exception& e) {
        LogLine("PartyRegister", LogText(e));
        gsStatusText(statusBar, "検索失敗,全データ表示");
    }
    gsStatusText(statusBar, "検索終了");
    return rs;
}

} // namespace nv
