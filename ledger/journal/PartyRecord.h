#pragma once
// The party (supplier or customer) whose journal is open, and the entry of a
// journal component: program folder, menu mode, settings and party.
#include "ledger/common/CompanySettings.h"
#include "ledger/common/EntryValue.h"
#include "ledger/common/EntryVariants.h"
#include "ledger/common/JournalSide.h"

#include <cstdint>
#include <string>

namespace nv {

// Columns of 仕入れ先 / 売上げ先; texts at their fixed widths.
struct PartyRecord {
    int64_t PartyNo = 0;                             // 0 仕入先No / 売上先No
    std::string SearchKey = FixedText("", 1);        // 1 検索キー
    std::string Kana = FixedText("", 20);            // 2 ふりがな
    std::string Name = FixedText("", 50);            // 3 仕入先名 / 売上先名
    std::string PostCode = FixedText("", 10);        // 4 郵便番号
    std::string Address = FixedText("", 70);         // 5 住所
    std::string Phone = FixedText("", 15);           // 6 電話
    std::string Fax = FixedText("", 15);             // 7 ファックス
    std::string ClosingDay = FixedText("", 10);      // 8 〆切期日
    std::string BillingDay = FixedText("", 10);      // 9 請求期日
    std::string PaymentDay = FixedText("", 10);      // 10 支払定日
    int64_t CarryForward = 0;                        // 11 繰越金額

    bool operator==(const PartyRecord&) const = default;
};

// Unpacks `Var_仕入先` / `Var_売上先`: 12 elements, a 13th (Empty, as the
// registers pass it) ignored. Throws EntryError naming the element.
PartyRecord UnpackPartyArray(const EntryArray& a, const SideWords& words);

struct JournalEntry {
    std::string AppFolderPath;
    int MenuMode = 0;
    JournalSide Side = JournalSide::Purchases;
    CompanySettings Settings;
    PartyRecord Party;
    std::string ResultValue;   // always ""
};

// The entry of a journal component of the given side: unpacks both arrays
// (read only). Purchases take menu mode 1, sales 2; any other mode is refused
// (EntryError), as is an array that does not convert (EntryError).
JournalEntry OpenJournalEntry(JournalSide side, const std::string& appFolder, int menuMode,
                              const EntryArray& settings, const EntryArray& party);
// The same from the entry's variants (`strAppForda`, `indexMenu0`,
// `Var_自社登録`, `Var_仕入先` / `Var_売上先`).
JournalEntry OpenJournalEntry(JournalSide side, const Variant& appFolder, const Variant& menuMode,
                              const Variant& settings, const Variant& party);

} // namespace nv
