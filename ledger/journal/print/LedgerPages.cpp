#include "ledger/journal/print/LedgerPages.h"

#include "ledger/common/LedgerErrors.h"

#include <stdexcept>

namespace nv {

namespace {

const char* const kRowFields[] = {"tsuki", "hi", "hinmei", "suuryou", "tanka", "uriage", "ukeire", "kashi", "zandaka"};

int64_t Add(int64_t a, int64_t b)
{
    int64_t r = 0;
    if (__builtin_add_overflow(a, b, &r)) throw AmountOverflow("合計額が大きすぎます");
    return r;
}

std::string Field(const char* prefix, int row)
{
    return prefix + std::to_string(row);
}

class PageWriter {
public:
    explicit PageWriter(ReportPage& page) : page_(page) {}
    void Put(std::string name, Variant value) { page_.Writes.push_back({std::move(name), std::move(value)}); }
    void ClearRow(int row)
    {
        for (const char* f : kRowFields) Put(Field(f, row), Variant(""));
    }

private:
    ReportPage& page_;
};

} // namespace

int LedgerPageCount(size_t lines)
{
    if (lines == 0) return 0;
    if (lines <= kLedgerRows) return 1;
    return 1 + static_cast<int>((lines - kLedgerRows + kLedgerRows - 2) / (kLedgerRows - 1));
}

LedgerReport BuildLedgerReport(const SideWords& words, const std::string& printName, const PartyRecord& party,
                               const std::vector<JournalLine>& lines)
{
    LedgerReport report;
    if (lines.empty()) return report;
    const bool purchases = words.Side == JournalSide::Purchases;
    auto header = [&](const char* name, Variant v) { report.Header.push_back({name, std::move(v)}); };
    header("印刷名", Variant(printName));
    header("売上金額", Variant(purchases ? "仕 入 金 額" : "売 上 金 額"));
    header("受入金額", Variant(purchases ? "支 払 金 額" : "受 入 金 額"));
    header("〆切", Variant(party.ClosingDay));
    header("ＮＯ", Variant(static_cast<float>(party.PartyNo)));
    header("支払", Variant(party.PaymentDay));
    header("氏名", Variant(party.Name));
    header("住所", Variant(party.Address));
    header("請求", Variant(party.BillingDay));
    header("電話", Variant(party.Phone));
    header("郵便番号", Variant(party.PostCode));
    const JournalLine& first = lines.front();
    header("nen", first.Year ? NumberValue(*first.Year) : Variant(""));

    int64_t amountTotal = 0, settlementTotal = 0, lastBalance = 0;
    int64_t previousMonth = 0;
    size_t next = 0;
    for (int pageNo = 1; next < lines.size(); ++pageNo) {
        ReportPage& page = report.Pages.emplace_back();
        PageWriter w(page);
        int row = 1;
        if (pageNo > 1) {
            // The carried row holds only the totals and the balance brought in.
            w.ClearRow(1);
            w.Put("hinmei1", Variant(kBroughtForward));
            w.Put("uriage1", NumberValue(amountTotal));
            w.Put("ukeire1", NumberValue(settlementTotal));
            w.Put("zandaka1", NumberValue(lastBalance));
            row = 2;
        }
        for (; row <= kLedgerRows && next < lines.size(); ++row, ++next) {
            const JournalLine& l = lines[next];
            w.ClearRow(row);
            int64_t month = l.Month.value_or(0);
            if (row == 2 || month != previousMonth) {
                if (l.Month) w.Put(Field("tsuki", row), NumberValue(*l.Month));
            }
            previousMonth = month;
            if (l.Day) w.Put(Field("hi", row), NumberValue(*l.Day));
            if (l.Item) w.Put(Field("hinmei", row), Variant(*l.Item));
            if (l.Quantity) w.Put(Field("suuryou", row), Variant(*l.Quantity));
            if (l.UnitPrice) w.Put(Field("tanka", row), Variant(*l.UnitPrice));
            if (l.Amount) w.Put(Field("uriage", row), NumberValue(*l.Amount));
            if (l.Settlement) w.Put(Field("ukeire", row), NumberValue(*l.Settlement));
            if (l.DebitCredit && !l.DebitCredit->empty()) w.Put(Field("kashi", row), Variant(*l.DebitCredit));
            if (l.Balance) {
                w.Put(Field("zandaka", row), Variant(StrForm(*l.Balance)));
                lastBalance = *l.Balance;
            }
            amountTotal = Add(amountTotal, l.Amount.value_or(0));
            settlementTotal = Add(settlementTotal, l.Settlement.value_or(0));
        }
        for (; row <= kLedgerRows; ++row) w.ClearRow(row);
        w.Put("hinmei32", Variant(kCarriedForward));
        w.Put("uriage32", NumberValue(amountTotal));
        w.Put("ukeire32", NumberValue(settlementTotal));
        w.Put("zandaka32", NumberValue(lastBalance));
        w.Put("ページ", PageNumberValue(pageNo));
    }
    return report;
}

} // namespace nv
