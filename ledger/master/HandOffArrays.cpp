#include "ledger/master/HandOffArrays.h"

namespace nv {

Variant PartyArrayOf(const SideWords& words, const PartyValues& row)
{
    std::optional<int64_t> no = IntegerOf(row[kPartyNo]);
    if (!no) throw PartyInputError(std::string(words.PartyNo) + "がありません。");
    std::vector<Variant> items;
    items.emplace_back(static_cast<float>(*no));
    for (int c = kSearchKey; c <= kPaymentDay; ++c)
        items.emplace_back(FixedText(TextOf(row[size_t(c)]).value_or(""), PartyTextWidth(c)));
    items.emplace_back(static_cast<int32_t>(IntegerOf(row[kCarryForward]).value_or(0)));
    items.emplace_back();
    return MakeArray(std::move(items));
}

Variant SettingsArrayOf(const CompanySettings& settings)
{
    std::vector<Variant> items;
    for (const SettingsValue& v : MakeSettingsArray(settings)) {
        if (auto f = std::get_if<float>(&v)) items.emplace_back(*f);
        else if (auto s = std::get_if<std::string>(&v)) items.emplace_back(*s);
        else items.emplace_back();
    }
    return MakeArray(std::move(items));
}

} // namespace nv
