#include "ledger/journal/PartyRecord.h"

namespace nv {

PartyRecord UnpackPartyArray(const EntryArray& a, const SideWords& words)
{
    const std::string array = words.PartyArrayName;
    if (a.size() > 13 || (a.size() == 13 && !std::holds_alternative<std::monostate>(a[12])))
        throw EntryError(array, 12, array + ": 要素が多すぎます");
    PartyRecord p;
    p.PartyNo = EntryWholeAt(a, 0, array, words.PartyNo);
    struct {
        std::string PartyRecord::*field;
        size_t width;
        const char* name;
    } const texts[] = {
        {&PartyRecord::SearchKey, 1, "検索キー"},   {&PartyRecord::Kana, 20, "ふりがな"},
        {&PartyRecord::Name, 50, words.PartyName}, {&PartyRecord::PostCode, 10, "郵便番号"},
        {&PartyRecord::Address, 70, "住所"},        {&PartyRecord::Phone, 15, "電話"},
        {&PartyRecord::Fax, 15, "ファックス"},      {&PartyRecord::ClosingDay, 10, "〆切期日"},
        {&PartyRecord::BillingDay, 10, "請求期日"}, {&PartyRecord::PaymentDay, 10, "支払定日"},
    };
    size_t i = 1;
    for (const auto& t : texts) p.*t.field = FixedText(EntryTextAt(a, i++, array, t.name), t.width);
    p.CarryForward = EntryYenAt(a, 11, array, kColCarryForward);
    return p;
}

JournalEntry OpenJournalEntry(JournalSide side, const std::string& appFolder, int menuMode,
                              const EntryArray& settings, const EntryArray& party)
{
    const SideWords& words = WordsOf(side);
    if (menuMode != words.MenuMode)
        throw EntryError("indexMenu0", 0,
                         std::string(words.Caption) + "はメニューモード " + std::to_string(words.MenuMode) +
                             " で開きます (渡されたモード " + std::to_string(menuMode) + ")");
    JournalEntry e;
    e.AppFolderPath = appFolder;
    e.MenuMode = menuMode;
    e.Side = side;
    UnpackSettingsArray(settings, e.Settings);
    e.Party = UnpackPartyArray(party, words);
    return e;
}

JournalEntry OpenJournalEntry(JournalSide side, const Variant& appFolder, const Variant& menuMode,
                              const Variant& settings, const Variant& party)
{
    int mode = 0;
    try {
        mode = menuMode.ToInteger();
    } catch (const std::exception&) {
        throw EntryError("indexMenu0", 0, "indexMenu0: メニューモードが正しくありません");
    }
    std::string folder;
    try {
        folder = appFolder.ToString();
    } catch (const std::exception&) {
        throw EntryError("strAppForda", 0, "strAppForda: フォルダ名が正しくありません");
    }
    return OpenJournalEntry(side, folder, mode, EntryArrayOf(settings, "Var_自社登録"),
                            EntryArrayOf(party, WordsOf(side).PartyArrayName));
}

} // namespace nv
