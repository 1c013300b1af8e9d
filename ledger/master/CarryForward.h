#pragma once
// Moving every supplier and customer into a new fiscal year, and copying the
// company's closing days into every party. Both work on an open ledger
// database and run inside the caller's transaction when there is one, else in
// their own: a failure leaves the database as it was.
#include "ledger/common/CompanySettings.h"
#include "ledger/common/FiscalPeriod.h"
#include "ledger/common/JournalSide.h"
#include "ledger/common/StatusText.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace nv {

inline constexpr const char* kCarryLineName = "繰越金額";
inline constexpr const char* kOpeningLineName = "前期繰越金額";
inline constexpr const char* kZandakaCalcError = "繰越残高計算エラー";

// The party a failure happened on.
struct PartyRef {
    JournalSide Side = JournalSide::Purchases;
    int64_t Number = 0;
    std::string Name;
};

// A failed run: the step that failed (for a balance, "繰越残高計算エラー"),
// the party when one was being processed, and the cause.
class CarryForwardError : public std::runtime_error {
public:
    CarryForwardError(std::string step, std::string cause, std::optional<PartyRef> party = std::nullopt);

    const std::string& Step() const { return step_; }
    const std::string& Cause() const { return cause_; }
    const std::optional<PartyRef>& Party() const { return party_; }

private:
    std::string step_;
    std::string cause_;
    std::optional<PartyRef> party_;
};

// The fiscal year before the one starting on start: from start less one
// year (1 March for a start on 29 February) to the day before start.
FiscalPeriod PreviousFiscalYear(const LineDate& start);

// One party's lines of the year before the settings' fiscal start, in journal
// order. Status "データ処理中", then "検索終了" (or "検索失敗" and the error).
Recordset gsOpenZenkiData(Database& db, const CompanySettings& settings, StatusBarPanels& statusBar,
                          JournalSide side, int64_t partyNo);

// The closing balance of the lines of rs: the first line's 差引残高, plus every
// later increase, less every later decrease (Null amounts add nothing). Throws
// CarryForwardError "繰越残高計算エラー" for a Null or non-whole first balance,
// no line, or a result outside the range of a Long. No row is changed.
int64_t gsZandakaCalc(JournalSide side, Recordset& rs);

// Every supplier, then every customer, in number order: 繰越金額 becomes the
// previous year's closing balance (a party without lines that year keeps its
// 繰越金額). A new year without lines opens on a "繰越金額" line of it; a new
// year whose first line is "繰越金額" gets it there; any other year is left
// alone. Throws CarryForwardError; nothing is written then.
void sCarryForward(Database& db, const CompanySettings& settings, StatusBarPanels& statusBar);

// Every supplier's 〆切期日 becomes the purchase closing day, every
// customer's the sales closing day. Throws CarryForwardError; nothing is
// written then. The status bar is not written to.
void gsShimebiSet(Database& db, const CompanySettings& settings, StatusBarPanels& statusBar);

} // namespace nv
