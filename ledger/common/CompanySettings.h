#pragma once
// The own-company settings record and the settings array that components
// pass to each other. Texts are UTF-8; fixed-length texts hold exactly their
// width in characters, left-aligned and blank-filled.
#include "ledger/common/EntryValue.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace nv {

inline constexpr const char* kDefaultDatabaseName = "補助簿DB.MDB";

// Widths of the fixed-length texts, in characters.
inline constexpr size_t kOwnerNameWidth = 20;
inline constexpr size_t kOwnerKanaWidth = 20;
inline constexpr size_t kPostCodeWidth = 10;
inline constexpr size_t kAddressWidth = 70;
inline constexpr size_t kPhoneWidth = 15;
inline constexpr size_t kFaxWidth = 15;
inline constexpr size_t kPrintNameWidth = 20;
inline constexpr size_t kDatabaseNameWidth = 50;

// Number of characters (code points) of a UTF-8 text.
size_t Utf8CharCount(std::string_view utf8);
// Assignment to a fixed-length text: cut at width characters or filled with
// blanks to width.
std::string FixedText(std::string_view utf8, size_t width);
// A text without its trailing blanks.
std::string TrimRight(std::string_view text);

// Every closing-day word of the books and the day it closes on (31: the
// month's last day). The screens offer the ones marked, in this order;
// "月末" reads as well, as older party registers wrote it.
struct ClosingDayWord {
    const char* Word;
    int Day;
    bool Offered;
};
inline constexpr ClosingDayWord kClosingDayWords[] = {
    {"随時", 31, true}, {"末日", 31, true}, {"２５日", 25, true}, {"２０日", 20, true},
    {"１５日", 15, true}, {"１０日", 10, true}, {"５日", 5, true}, {"月末", 31, false},
};
// One of the words, exactly.
bool IsClosingDay(std::string_view text);
// The day a stored closing day closes on, its trailing half- and full-width
// blanks ignored ("２０日　" is 20); any other text closes at the month's end.
int ClosingDayNumber(std::string_view text);
// One of the words, its trailing blanks ignored as ClosingDayNumber does.
bool IsStoredClosingDay(std::string_view text);

// Booleans are the Singles -1 (True) and 0 (False); only -1 is True.
inline bool IsTrue(float value) { return value == -1.0f; }
inline float StoredFlag(bool value) { return value ? -1.0f : 0.0f; }
// The stored values of 事業形態 (BusinessForm) and 課税区分 (TaxHandling).
inline constexpr float kSoleProprietor = -1.0f, kCorporation = 0.0f;
inline constexpr float kTaxable = -1.0f, kTaxExempt = 0.0f;

struct CompanySettings {
    std::string OwnerName = FixedText("", kOwnerNameWidth);      // 1 氏名
    std::string OwnerKana = FixedText("", kOwnerKanaWidth);      // 2 ふりがな
    std::string PostCode = FixedText("", kPostCodeWidth);        // 3 郵便番号
    std::string Address = FixedText("", kAddressWidth);          // 4 住所
    std::string Phone = FixedText("", kPhoneWidth);              // 5 電話
    std::string Fax = FixedText("", kFaxWidth);                  // 6 ＦＡＸ
    float Item7 = 0;                                             // 7
    float Term = 0;                                              // 8 期
    float StartYear = 0, StartMonth = 0, StartDay = 0;           // 9
    float EndYear = 0, EndMonth = 0, EndDay = 0;                 // 10
    float BusinessForm = 0;                                      // 11 -1 個人, 0 法人
    float TaxHandling = 0;                                       // 12 -1 課税事業者, 0 免税事業者
    float TaxRate = 0;                                           // 13 税率
    std::string PurchaseClosingDay;                              // 14
    std::string SalesClosingDay;                                 // 15
    std::string PrintName = FixedText("", kPrintNameWidth);      // 18 氏名(帳票での)
    std::string DatabaseName = FixedText(kDefaultDatabaseName, kDatabaseNameWidth);

    bool operator==(const CompanySettings&) const = default;
};

// The fiscal end as the own-company screen derives it from the start: the
// day before the same day of the next year, so the next year starts where
// this one ends. A start on the 1st keeps the form it has always had: the
// month before the start month (12 for January), in the next year unless
// the start is in January, day 31 (its month's last day).
void DeriveFiscalEnd(CompanySettings& s);
// Earlier versions gave every start the month before it, day 31, as its end,
// which left the days from the 1st to the day before a mid-month start in no
// year. Such an end is taken as the end its start makes; true when it was.
bool MendOldFiscalEnd(CompanySettings& s);

// One element of the settings array `Var_自社登録` (Empty, a Single or a text).
using SettingsValue = std::variant<std::monostate, float, std::string>;
using SettingsArray = std::array<SettingsValue, 23>;

// Packs the record in the array layout (texts at their full width).
SettingsArray MakeSettingsArray(const CompanySettings& s);
// Unpacks the array (`Var_自社登録`, elements 0-22) into the record; element
// 21 is assigned to OwnerName after element 0. A missing element or one that
// does not convert throws EntryError naming it, and the record stays as it was.
void UnpackSettingsArray(const EntryArray& a, CompanySettings& s);
void UnpackSettingsArray(const SettingsArray& a, CompanySettings& s);

} // namespace nv
