#pragma once
// The two sides of the ledger, purchases and sales: one code serves both, and
// these words are all that differs between them (tables, columns, captions,
// documents). The journals and the party registers share them.
#include <optional>
#include <string>

namespace nv {

enum class JournalSide {
    Purchases = 1,   // menu mode 1: suppliers, 仕入れデータ
    Sales = 2,       // menu mode 2: customers, 売上げデータ
};

struct SideWords {
    JournalSide Side;
    int MenuMode;                   // 1 or 2
    const char* LineTable;          // 仕入れデータ / 売上げデータ
    const char* PartyTable;         // 仕入れ先 / 売上げ先
    const char* PartyNo;            // 仕入先No / 売上先No (both tables)
    const char* PartyName;          // 仕入先名 / 売上先名
    const char* Amount;             // 仕入金額 / 売上金額
    const char* Settlement;         // 支払金額 / 受入金額
    const char* Caption;            // 仕入帳 / 売上帳
    const char* MonthAmountHeading;       // 当月仕入 / 当月売上
    const char* MonthSettlementHeading;   // 当月支払 / 当月入金
    const char* NumberFormat;       // Currency / currency
    // Preview documents, inside the PRINT folder.
    const char* LedgerDocument;     // 仕入元帳.tvd / 売上元帳.tvd
    const char* PortraitDocument;   // 仕入縦.tvd / 売上縦.tvd
    const char* LandscapeDocument;  // 仕入横.tvd / 売上横.tvd
    const char* FormName;           // F1_仕入データ / F1_売上データ
    const char* PartyArrayName;     // Var_仕入先 / Var_売上先
    const char* ProgId;             // the journal component of the side
    // The journal window's ledger button, its tip, the print menu's ledger
    // item and the close button's tip.
    const char* LedgerButton;       // 仕入帳(&L) / 売上帳(&L)
    const char* LedgerTip;          // 仕入張のプレビューと印刷 / 売上帳のプレビューと印刷
    const char* LedgerMenuItem;     // 仕入張印刷 / 売上帳印刷
    const char* CloseTip;           // 仕入先画面へ戻る / 売上先画面へ戻る
};

// Columns the two line tables share, and the folder of report forms and
// preview documents.
inline constexpr const char* kColDataNo = "データ数";
inline constexpr const char* kColYear = "年";
inline constexpr const char* kColMonth = "月";
inline constexpr const char* kColDay = "日";
inline constexpr const char* kColItem = "品名";
inline constexpr const char* kColQuantity = "数量";
inline constexpr const char* kColUnitPrice = "単価";
inline constexpr const char* kColDebitCredit = "借貸";
inline constexpr const char* kColBalance = "差引残高";
inline constexpr const char* kColClosingDay = "〆切期日";
inline constexpr const char* kColCarryForward = "繰越金額";
inline constexpr const char* kPrintFolder = "PRINT";

const SideWords& PurchaseWords();
const SideWords& SalesWords();
const SideWords& WordsOf(JournalSide side);
// The side of a menu mode (1 purchases, 2 sales); none for any other mode.
std::optional<JournalSide> SideOfMenuMode(int menuMode);

} // namespace nv
