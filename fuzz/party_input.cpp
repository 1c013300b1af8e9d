// What people type into the register: the first twelve lines are the party
// fields, the next three a search field, operator and value. Whatever is
// taken must be stored and read back the same; a search either runs or is
// refused, never reaching the database as text.
#include "ledger/common/LedgerSchema.h"
#include "ledger/master/PartyBook.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct QuietBar : nv::StatusBarPanels {
    void SetPanelText(int, const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    for (size_t start = 0; start <= input.size();) {
        size_t nl = input.find('\n', start);
        if (nl == std::string::npos) nl = input.size();
        lines.push_back(input.substr(start, nl - start));
        start = nl + 1;
    }
    lines.resize(15);
    const nv::SideWords& words = size % 2 ? nv::SalesWords() : nv::PurchaseWords();
    nv::PartyTexts texts;
    for (int c = 0; c < nv::kPartyColumnCount; ++c) texts[size_t(c)] = lines[size_t(c)];
    nv::Database& db = nv::MemoryLedgerDatabase();
    db.BeginTrans();
    nv::PartyBook book(db, words);
    try {
        nv::PartyValues v = nv::ParsePartyTexts(words, texts);
        nv::CompanySettings s;
        s.StartYear = 2005, s.StartMonth = 4, s.StartDay = 1, s.EndYear = 2006, s.EndMonth = 3, s.EndDay = 31;
        QuietBar bar;
        int64_t id = book.Register(v, s, bar);
        auto row = db.Query("SELECT * FROM \"" + std::string(words.PartyTable) + "\" WHERE _rowid_ = ?", {id});
        for (int c = 0; c < nv::kPartyColumnCount; ++c)
            if (row.at(0).at(size_t(c)) != v[size_t(c)]) std::abort();
    } catch (const nv::PartyInputError&) {
        // Refused input is the wanted answer; the search still runs.
    }
    try {
        nv::Recordset rs = db.OpenRecordset(book.SearchRows(lines[12], lines[13], lines[14], lines[12]));
        (void)rs.RecordCount();
    } catch (const nv::SearchError&) {
        // A refused search likewise.
    }
    db.Rollback();
    return 0;
}
