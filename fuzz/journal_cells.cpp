// Typed journal cells: each input line is a column byte and the text typed
// into it. Whatever is taken must keep the line inside the period and the
// columns' widths, and what is saved must read back the same.
#include "ledger/common/CompanySettings.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/journal/JournalBook.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

nv::Database& Db()
{
    static nv::Database db = [] {
        nv::Database d = nv::Database::Open(":memory:", nv::OpenMode::Create);
        nv::CreateLedgerSchema(d);
        return d;
    }();
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    nv::JournalEntry e;
    e.Side = size % 2 ? nv::JournalSide::Sales : nv::JournalSide::Purchases;
    e.Settings.StartYear = 2005, e.Settings.StartMonth = 4, e.Settings.StartDay = 16;
    e.Settings.EndYear = 2006, e.Settings.EndMonth = 4, e.Settings.EndDay = 15;
    e.Party.PartyNo = 7;
    nv::Database& db = Db();
    db.BeginTrans();
    {
        nv::JournalBook book(db, e);
        book.SearchPeriod();
        size_t pos = 0;
        while (pos < input.size()) {
            size_t end = input.find('\n', pos);
            if (end == std::string::npos) end = input.size();
            std::string cell = input.substr(pos, end - pos);
            pos = end + 1;
            if (cell.empty()) continue;
            if (!book.NewLine()) book.AppendNewLine();
            auto column = static_cast<nv::JournalColumn>(static_cast<unsigned char>(cell[0]) % 12);
            size_t index = static_cast<unsigned char>(cell[0]) / 12 % (book.Lines().size() + 1);
            try {
                book.SetCell(index, column, cell.substr(1));
            } catch (const nv::JournalError&) {
                continue;
            }
        }
        for (const nv::JournalLine& l : book.Lines()) {
            nv::LineDate d{int(*l.Year), int(*l.Month), int(*l.Day)};
            if (!book.Period().Contains(d)) std::abort();
            if (l.Item && nv::Utf8CharCount(*l.Item) > nv::kItemWidth) std::abort();
        }
        try {
            book.CalcRunningBalance();
        } catch (const nv::JournalError&) {
            db.Rollback();
            return 0;   // a balance beyond what a line holds
        }
        std::vector<nv::JournalLine> saved = book.Lines();
        book.SearchPeriod();
        if (book.Lines().size() != saved.size()) std::abort();
        for (size_t i = 0; i < saved.size(); ++i)
            if (nv::LineValues(book.Lines()[i]) != nv::LineValues(saved[i])) std::abort();
    }
    db.Rollback();
    return 0;
}
