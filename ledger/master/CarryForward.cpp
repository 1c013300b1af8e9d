#include "ledger/master/CarryForward.h"

#include "engine/core/EngineLog.h"
#include "ledger/common/Money.h"
#include "platform/core/OnFailure.h"

#include <utility>

namespace nv {

namespace {

constexpr JournalSide kSides[] = {JournalSide::Purchases, JournalSide::Sales};

const char* PartyWord(JournalSide side)
{
    return side == JournalSide::Sales ? "売上先" : "仕入先";
}

std::string Message(const std::string& step, const std::string& cause, const std::optional<PartyRef>& party)
{
    std::string text = step;
    if (party) {
        text += ": ";
        text += PartyWord(party->Side);
        text += " " + std::to_string(party->Number);
        if (!party->Name.empty()) text += " " + party->Name;
    }
    if (!cause.empty()) text += "\n" + cause;
    return text;
}

std::string Quoted(const char* name)
{
    return std::string("\"") + name + "\"";
}

// Runs one step of the run; a failure that is not already ours gets the
// step's name and the party.
template <class F>
auto RunStep(const char* step, const PartyRef* party, F&& f) -> decltype(f())
{
    try {
        return f();
    } catch (const CarryForwardError&) {
        throw;
    } catch (const std::exception& e) {
        // The person reads the step and the failure's own words; the
        // library's (SQLite's English) go to the log here, where they end.
        LogLine("CarryForward", LogText(e));
        throw CarryForwardError(step, e.what(), party ? std::optional<PartyRef>(*party) : std::nullopt);
    }
}

// The body inside one transaction, nested in the caller's when there is one;
// anything thrown rolls the body back.
template <class F>
void AllOrNothing(Database& db, F&& body)
{
    std::optional<Transaction> t;
    RunStep("書き込みの開始", nullptr, [&] { t.emplace(db); });
    RunStep("取引先の読み込み", nullptr, body);
    RunStep("書き込みの確定", nullptr, [&] { t->Commit(); });
}

Recordset OpenParties(Database& db, const SideWords& w)
{
    return RunStep("取引先の読み込み", nullptr,
                   [&] { return db.OpenRecordset({w.PartyTable, "", {}, Quoted(w.PartyNo)}); });
}

PartyRef PartyOf(const Recordset& parties, const SideWords& w)
{
    PartyRef p;
    p.Side = w.Side;
    p.Number = IntegerOf(parties.Fields(w.PartyNo)).value_or(0);
    p.Name = TrimRight(TextOf(parties.Fields(w.PartyName)).value_or(""));
    return p;
}

Recordset OpenLines(Database& db, StatusBarPanels& statusBar, const SideWords& w, int64_t partyNo,
                    const FiscalPeriod& period)
{
    gsStatusText(statusBar, "データ処理中");
    OnFailure failed([&statusBar] { gsStatusText(statusBar, "検索失敗"); });
    Recordset rs = db.OpenRecordset(PeriodLinesSource(w, partyNo, period));
    gsStatusText(statusBar, "検索終了");
    return rs;
}

void AddCarryLine(Recordset& lines, const SideWords& w, int64_t partyNo, const LineDate& start, int64_t dataNo,
                  int64_t balance)
{
    lines.AddNew();
    lines.SetField(w.PartyNo, partyNo);
    lines.SetField(kColDataNo, dataNo);
    lines.SetField(kColYear, int64_t{start.year});
    lines.SetField(kColMonth, int64_t{start.month});
    lines.SetField(kColDay, int64_t{start.day});
    lines.SetField(kColItem, std::string(kCarryLineName));
    lines.SetField(kColBalance, balance);
    lines.Update();
}

// The new year's opening: a year without lines gets a "繰越金額" line of the
// balance (of the party's 繰越金額 when the year before has no lines), a year
// that starts with its "繰越金額" line gets the balance in it. A year that
// starts with any other line is the user's and stays as it is.
void OpenNewYear(Recordset& lines, const SideWords& w, int64_t partyNo, const LineDate& start,
                 std::optional<int64_t> balance, const DbValue& partyCarry)
{
    if (lines.RecordCount() == 0) {
        int64_t amount = balance ? *balance : IntegerOf(partyCarry).value_or(0);
        AddCarryLine(lines, w, partyNo, start, 0, amount);
        return;
    }
    if (!balance) return;
    lines.MoveFirst();
    std::string item = TrimRight(TextOf(lines.Fields(kColItem)).value_or(""));
    if (item == kCarryLineName && lines.Fields(kColBalance) != DbValue{*balance}) {
        lines.Edit();
        lines.SetField(kColBalance, *balance);
        lines.Update();
    }
}

void CarryParty(Database& db, StatusBarPanels& statusBar, const SideWords& w, Recordset& parties,
                const FiscalPeriod& previous, const FiscalPeriod& current)
{
    const PartyRef party = PartyOf(parties, w);
    Recordset before =
        RunStep("前期データの検索", &party, [&] { return OpenLines(db, statusBar, w, party.Number, previous); });
    std::optional<int64_t> balance;
    if (before.RecordCount() > 0) {
        try {
            balance = gsZandakaCalc(w.Side, before);
        } catch (const CarryForwardError& e) {
            throw CarryForwardError(e.Step(), e.Cause(), party);
        }
        if (parties.Fields(kColCarryForward) != DbValue{*balance}) {
            RunStep("繰越金額の書き込み", &party, [&] {
                parties.Edit();
                parties.SetField(kColCarryForward, *balance);
                parties.Update();
            });
        }
    }
    Recordset year =
        RunStep("当期データの検索", &party, [&] { return OpenLines(db, statusBar, w, party.Number, current); });
    RunStep("繰越金額行の書き込み", &party, [&] {
        OpenNewYear(year, w, party.Number, current.Start, balance, parties.Fields(kColCarryForward));
    });
}

LineDate DayBefore(const LineDate& d)
{
    if (d.day > 1) return {d.year, d.month, d.day - 1};
    if (d.month > 1) return {d.year, d.month - 1, gfTsuki(d.month - 1, d.year)};
    return {d.year - 1, 12, 31};
}

} // namespace

CarryForwardError::CarryForwardError(std::string step, std::string cause, std::optional<PartyRef> party)
    : std::runtime_error(Message(step, cause, party)), step_(std::move(step)), cause_(std::move(cause)),
      party_(std::move(party))
{
}

FiscalPeriod PreviousFiscalYear(const LineDate& start)
{
    LineDate from{start.year - 1, start.month, start.day};
    if (!IsCalendarDate(from) && from.month == 2 && from.day == 29) from = {from.year, 3, 1};
    return FiscalPeriod::Of(from, DayBefore(start));
}

Recordset gsOpenZenkiData(Database& db, const CompanySettings& settings, StatusBarPanels& statusBar,
                          JournalSide side, int64_t partyNo)
{
    return RunStep("前期データの検索", nullptr, [&] {
        FiscalPeriod previous = PreviousFiscalYear(FiscalPeriod::From(settings).Start);
        return OpenLines(db, statusBar, WordsOf(side), partyNo, previous);
    });
}

int64_t gsZandakaCalc(JournalSide side, Recordset& rs)
{
    const SideWords& w = WordsOf(side);
    if (rs.RecordCount() == 0) throw CarryForwardError(kZandakaCalcError, "前期のデータがありません");
    rs.MoveFirst();
    std::optional<int64_t> first = IntegerOf(rs.Fields(kColBalance));
    if (!first) throw CarryForwardError(kZandakaCalcError, "前期の最初の行に差引残高がありません");
    int64_t balance = *first;
    auto add = [&](const DbValue& v, bool increase) {
        if (IsNull(v)) return;
        std::optional<int64_t> amount = IntegerOf(v);
        if (!amount) throw CarryForwardError(kZandakaCalcError, "金額が整数ではありません");
        bool overflow = increase ? __builtin_add_overflow(balance, *amount, &balance)
                                 : __builtin_sub_overflow(balance, *amount, &balance);
        if (overflow) throw CarryForwardError(kZandakaCalcError, "残高が範囲を超えています");
    };
    for (rs.MoveNext(); !rs.IsEOF(); rs.MoveNext()) {
        add(rs.Fields(w.Amount), true);
        add(rs.Fields(w.Settlement), false);
    }
    if (std::optional<std::string> fault = BalanceRangeFault(kColCarryForward, balance))
        throw CarryForwardError(kZandakaCalcError, *fault);
    return balance;
}

void sCarryForward(Database& db, const CompanySettings& settings, StatusBarPanels& statusBar)
{
    const FiscalPeriod current = RunStep("会計期間の確認", nullptr, [&] { return FiscalPeriod::From(settings); });
    const FiscalPeriod previous = RunStep("会計期間の確認", nullptr, [&] { return PreviousFiscalYear(current.Start); });
    AllOrNothing(db, [&] {
        for (JournalSide side : kSides) {
            const SideWords& w = WordsOf(side);
            Recordset parties = OpenParties(db, w);
            for (; !parties.IsEOF(); parties.MoveNext()) CarryParty(db, statusBar, w, parties, previous, current);
        }
    });
}

void gsShimebiSet(Database& db, const CompanySettings& settings, StatusBarPanels&)
{
    AllOrNothing(db, [&] {
        for (JournalSide side : kSides) {
            const SideWords& w = WordsOf(side);
            const std::string& day = side == JournalSide::Sales ? settings.SalesClosingDay : settings.PurchaseClosingDay;
            Recordset parties = OpenParties(db, w);
            for (; !parties.IsEOF(); parties.MoveNext()) {
                if (TextOf(parties.Fields(kColClosingDay)) == day) continue;
                const PartyRef party = PartyOf(parties, w);
                RunStep("〆切期日の書き込み", &party, [&] {
                    parties.Edit();
                    parties.SetField(kColClosingDay, day);
                    parties.Update();
                });
            }
        }
    });
}

} // namespace nv
