// The balance passes of the journal: one rule for the opening pass and the
// balance button.
#include "ledger/common/Money.h"
#include "ledger/journal/JournalBook.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace nv {

namespace {

int64_t Add(int64_t a, int64_t b)
{
    int64_t r = 0;
    if (__builtin_add_overflow(a, b, &r)) throw JournalError("差引残高が大きすぎます");
    return r;
}

} // namespace

void JournalBook::SortLines()
{
    // Lines come back from the database already in journal order; a check
    // costs a fraction of the sort that would otherwise find nothing to move.
    if (std::is_sorted(lines_.begin(), lines_.end(), JournalOrderLess)) return;
    std::stable_sort(lines_.begin(), lines_.end(), JournalOrderLess);
}

void JournalBook::DropWhollyEmptyLines()
{
    // The first line holds the year's opening and is never dropped.
    if (lines_.size() < 2) return;
    auto empty = [](const JournalLine& l) { return l.IsWhollyEmpty(); };
    lines_.erase(std::remove_if(lines_.begin() + 1, lines_.end(), empty), lines_.end());
}

void JournalBook::InsertCarryForward()
{
    JournalLine& first = lines_.front();
    // A first balance of 0 takes the party's carry-forward, whatever the line
    // is named: the register names every opening line 前期繰越金額 itself,
    // also one of 0 whose amount the user sets later.
    if (first.Balance.value_or(0) != 0) return;
    const LineDate& start = period_.Start;
    if (first.IsCarryForward()) {
        first.Balance = party_.CarryForward;
        first.Year = start.year;
        first.Month = start.month;
        first.Day = start.day;
        first.Item = kCarryForwardItem;
        return;
    }
    // A real line keeps its figures; the carry-forward goes before it, also
    // before a line of the start day without データ数 (Null sorts first, and
    // equal keys keep the order they are saved in).
    JournalLine c;
    c.PartyNo = party_.PartyNo;
    c.Year = start.year;
    c.Month = start.month;
    c.Day = start.day;
    c.Item = kCarryForwardItem;
    c.Balance = party_.CarryForward;
    int64_t lowest = 1;
    bool unnumbered = false;
    for (const JournalLine& l : lines_) {
        if (l.Year != c.Year || l.Month != c.Month || l.Day != c.Day) continue;
        if (l.DataNo) lowest = std::min(lowest, *l.DataNo);
        else unnumbered = true;
    }
    if (!unnumbered) c.DataNo = lowest - 1;
    lines_.insert(lines_.begin(), std::move(c));
}

void JournalBook::ApplyBalances(bool fillEmptyAmounts)
{
    // Worked out whole before any line changes: a refused figure leaves the
    // list as it was, with nothing half balanced for a later save to write.
    // A balance out of range is said with its line, as the cell errors are;
    // the year end would refuse the same figure for every party at once.
    auto inRange = [](int64_t balance, size_t i) {
        if (std::optional<std::string> fault = BalanceRangeFault(kColBalance, balance))
            throw JournalError(*fault + " (" + std::to_string(i + 1) + "行目)");
        return balance;
    };
    std::vector<int64_t> balances(lines_.size());
    std::vector<std::pair<size_t, int64_t>> products;
    int64_t balance = inRange(lines_.front().Balance.value_or(0), 0);
    for (size_t i = 1; i < lines_.size(); ++i) {
        const JournalLine& l = lines_[i];
        std::optional<int64_t> amount = l.Amount;
        if (fillEmptyAmounts && !amount && l.HasPriceAndQuantity()) {
            try {
                amount = YenAmount(*l.UnitPrice, *l.Quantity);
            } catch (const std::range_error&) {
                throw JournalError(std::string("単価・数量: ") + words_.Amount + "が大きすぎます (" +
                                   std::to_string(i + 1) + "行目)");
            }
            products.emplace_back(i, *amount);
        }
        balance = Add(balance, amount.value_or(0));
        if (l.Settlement) {
            if (*l.Settlement == std::numeric_limits<int64_t>::min()) throw JournalError("差引残高が大きすぎます");
            balance = Add(balance, -*l.Settlement);
        }
        balances[i] = inRange(balance, i);
    }
    for (const auto& [i, amount] : products) lines_[i].Amount = amount;
    for (size_t i = 1; i < lines_.size(); ++i) lines_[i].Balance = balances[i];
}

std::string JournalBook::BalancePass(bool button)
{
    // The sales journal shows its working status only once there are lines.
    bool sales = words_.Side == JournalSide::Sales;
    // The pass may change any line: its save compares them all.
    wholeList_ = true;
    if (!sales) Status(kStatusWorking);
    SortLines();
    DropWhollyEmptyLines();
    if (lines_.empty()) return kNoCarryForwardMessage;
    if (sales) Status(kStatusWorking);
    // A stored amount is what the user entered, a discount included: both
    // passes keep it, and the opening pass puts 単価 x 数量 only where the
    // amount is empty.
    if (button) InsertCarryForward();
    ApplyBalances(!button);
    // The balances stand on every line the list has, and on no other.
    figuresOfWholeList_ = true;
    Save();
    return "";
}

std::string JournalBook::OpenPass()
{
    SearchPeriod();
    std::string message = BalancePass(false);
    AppendNewLine();
    Status(kStatusWorkDone);
    return message;
}

std::string JournalBook::CalcRunningBalance()
{
    // A party deleted elsewhere gets no balances, written or printed.
    CheckPartyRegistered();
    FixLineYears();
    readOthersLines_ = false;
    if (!SeesEveryStoredLine()) {
        // Another program saved since the lines were read: the user's edits
        // are saved as edits, and the balances are worked out over the lines
        // stored now, theirs included.
        Save();
        const auto before = stored_;
        SearchPeriod();
        readOthersLines_ = before.size() != stored_.size() ||
                           std::any_of(stored_.begin(), stored_.end(), [&](const auto& line) {
                               auto it = before.find(line.first);
                               return it == before.end() || LineValues(it->second) != LineValues(line.second);
                           });
    }
    std::string message = BalancePass(true);
    AppendNewLine();
    return message;
}

} // namespace nv
