#include "ledger/common/CompanySettings.h"

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

void UnpackSettingsArray(const SettingsArray& a, CompanySettings& s)
{
    auto text = [&](size_t i, std::string& field, size_t width) {
        if (auto p = std::get_if<std::string>(&a[i])) field = width ? FixedText(*p, width) : *p;
    };
    auto number = [&](size_t i, float& field) {
        if (auto p = std::get_if<float>(&a[i])) field = *p;
    };
    text(0, s.OwnerName, kOwnerNameWidth);
    text(1, s.OwnerKana, kOwnerKanaWidth);
    text(2, s.PostCode, kPostCodeWidth);
    text(3, s.Address, kAddressWidth);
    text(4, s.Phone, kPhoneWidth);
    text(5, s.Fax, kFaxWidth);
    number(6, s.Item7);
    number(7, s.Term);
    number(8, s.StartYear);
    number(9, s.StartMonth);
    number(10, s.StartDay);
    number(11, s.EndYear);
    number(12, s.EndMonth);
    number(13, s.EndDay);
    number(14, s.BusinessForm);
    number(15, s.TaxHandling);
    number(16, s.TaxRate);
    text(17, s.PurchaseClosingDay, 0);
    text(18, s.SalesClosingDay, 0);
    text(19, s.PrintName, kPrintNameWidth);
    text(20, s.DatabaseName, kDatabaseNameWidth);
    text(21, s.OwnerName, kOwnerNameWidth);
}

} // namespace nv
