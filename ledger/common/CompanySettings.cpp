#include "ledger/common/CompanySettings.h"

#include <cmath>
#include <limits>

namespace nv {

namespace {

// Byte length of the UTF-8 sequence starting with b (1 for stray bytes, so
// that counting never stalls).
size_t SeqLength(unsigned char b)
{
    if (b >= 0xF0 && b <= 0xF7) return 4;
    if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
    if (b >= 0xC0) return 2;
    return 1;
}

} // namespace

size_t Utf8CharCount(std::string_view utf8)
{
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); ++n) i += SeqLength(static_cast<unsigned char>(utf8[i]));
    return n;
}

std::string FixedText(std::string_view utf8, size_t width)
{
    size_t i = 0, n = 0;
    while (i < utf8.size() && n < width) {
        size_t len = SeqLength(static_cast<unsigned char>(utf8[i]));
        if (i + len > utf8.size()) break;
        i += len;
        ++n;
    }
    std::string out(utf8.substr(0, i));
    out.append(width - n, ' ');
    return out;
}

std::string TrimRight(std::string_view text)
{
    size_t end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

bool IsClosingDay(std::string_view text)
{
    for (const ClosingDayWord& w : kClosingDayWords)
        if (text == w.Word) return true;
    return false;
}

namespace {

const ClosingDayWord* StoredClosingDay(std::string_view text)
{
    constexpr std::string_view kWideBlank = "　";
    for (;;) {
        if (text.ends_with(' ')) text.remove_suffix(1);
        else if (text.ends_with(kWideBlank)) text.remove_suffix(kWideBlank.size());
        else break;
    }
    for (const ClosingDayWord& w : kClosingDayWords)
        if (text == w.Word) return &w;
    return nullptr;
}

} // namespace

int ClosingDayNumber(std::string_view text)
{
    const ClosingDayWord* w = StoredClosingDay(text);
    return w ? w->Day : 31;
}

bool IsStoredClosingDay(std::string_view text)
{
    return StoredClosingDay(text) != nullptr;
}

namespace {

void OldFiscalEnd(const CompanySettings& s, float& year, float& month, float& day)
{
    const int m = static_cast<int>(s.StartMonth);
    month = float(m + 11 < 13 ? m + 11 : m - 1);
    year = s.StartYear + (m > 1 && m < 13 ? 1.0f : 0.0f);
    day = 31;
}

bool StartsMidMonth(const CompanySettings& s)
{
    return s.StartDay >= 2 && s.StartDay <= 31 && s.StartDay == std::floor(s.StartDay);
}

} // namespace

void DeriveFiscalEnd(CompanySettings& s)
{
    if (!StartsMidMonth(s)) {
        OldFiscalEnd(s, s.EndYear, s.EndMonth, s.EndDay);
        return;
    }
    // A start of 2/29 ends on 2/28 of the next year, the day before 3/1.
    s.EndYear = s.StartYear + 1;
    s.EndMonth = s.StartMonth;
    s.EndDay = s.StartDay - 1;
}

bool MendOldFiscalEnd(CompanySettings& s)
{
    if (!StartsMidMonth(s)) return false;
    float year = 0, month = 0, day = 0;
    OldFiscalEnd(s, year, month, day);
    if (s.EndYear != year || s.EndMonth != month || s.EndDay != day) return false;
    DeriveFiscalEnd(s);
    return true;
}

SettingsArray MakeSettingsArray(const CompanySettings& s)
{
    SettingsArray a;
    a[0] = s.OwnerName;
    a[1] = s.OwnerKana;
    a[2] = s.PostCode;
    a[3] = s.Address;
    a[4] = s.Phone;
    a[5] = s.Fax;
    a[6] = s.Item7;
    a[7] = s.Term;
    a[8] = s.StartYear;
    a[9] = s.StartMonth;
    a[10] = s.StartDay;
    a[11] = s.EndYear;
    a[12] = s.EndMonth;
    a[13] = s.EndDay;
    a[14] = s.BusinessForm;
    a[15] = s.TaxHandling;
    a[16] = s.TaxRate;
    a[17] = s.PurchaseClosingDay;
    a[18] = s.SalesClosingDay;
    a[19] = s.PrintName;
    a[20] = s.DatabaseName;
    a[21] = s.OwnerName;
    return a;
}

void UnpackSettingsArray(const EntryArray& a, CompanySettings& out)
{
    static const char* const kArray = "Var_自社登録";
    CompanySettings s = out;
    auto text = [&](size_t i, std::string& field, size_t width, const char* name) {
        std::string t = EntryTextAt(a, i, kArray, name);
        field = width ? FixedText(t, width) : t;
    };
    auto number = [&](size_t i, float& field, const char* name) {
        double n = EntryNumberAt(a, i, kArray, name);
        if (std::fabs(n) > std::numeric_limits<float>::max())
            throw EntryError(kArray, i, std::string(kArray) + "(" + std::to_string(i) + ") " + name + ": 数値が大きすぎます");
        field = static_cast<float>(n);
    };
    text(0, s.OwnerName, kOwnerNameWidth, "氏名");
    text(1, s.OwnerKana, kOwnerKanaWidth, "ふりがな");
    text(2, s.PostCode, kPostCodeWidth, "郵便番号");
    text(3, s.Address, kAddressWidth, "住所");
    text(4, s.Phone, kPhoneWidth, "電話");
    text(5, s.Fax, kFaxWidth, "ＦＡＸ");
    number(6, s.Item7, "項目7");
    number(7, s.Term, "期");
    number(8, s.StartYear, "開始年");
    number(9, s.StartMonth, "開始月");
    number(10, s.StartDay, "開始日");
    number(11, s.EndYear, "終了年");
    number(12, s.EndMonth, "終了月");
    number(13, s.EndDay, "終了日");
    number(14, s.BusinessForm, "事業形態");
    number(15, s.TaxHandling, "課税区分");
    number(16, s.TaxRate, "税率");
    text(17, s.PurchaseClosingDay, 0, "仕入締日");
    text(18, s.SalesClosingDay, 0, "売上締日");
    text(19, s.PrintName, kPrintNameWidth, "氏名(帳票での)");
    text(20, s.DatabaseName, kDatabaseNameWidth, "データベース名");
    text(21, s.OwnerName, kOwnerNameWidth, "氏名");
    out = std::move(s);
}

void UnpackSettingsArray(const SettingsArray& a, CompanySettings& s)
{
    EntryArray e;
    for (const SettingsValue& v : a) {
        if (auto f = std::get_if<float>(&v)) e.emplace_back(static_cast<double>(*f));
        else if (auto t = std::get_if<std::string>(&v)) e.emplace_back(*t);
        else e.emplace_back(std::monostate{});
    }
    UnpackSettingsArray(e, s);
}

} // namespace nv
