#pragma once
// A ledger database in a temporary folder with one fiscal year and helpers to
// put parties and lines into it directly.
#include "ledger/common/LedgerSchema.h"
#include "ledger/journal/JournalBook.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace nvtest {

struct StatusLog : nv::StatusBarPanels {
    std::vector<std::string> texts;
    void SetPanelText(int, const std::string& text) override { texts.push_back(text); }
};

struct LineSpec {
    int y, m, d;
    const char* item = nullptr;
    std::optional<double> quantity = {}, price = {};
    std::optional<int64_t> amount = {}, settlement = {}, balance = {};
    std::optional<int64_t> dataNo = {};
};

class JournalTestDb {
public:
    explicit JournalTestDb(nv::JournalSide side = nv::JournalSide::Purchases) : JournalTestDb(side, {}, true) {}
    // The books at `at` (else in a folder of their own), made new when `create`.
    JournalTestDb(nv::JournalSide side, const std::string& at, bool create = false) : side(side)
    {
        path = at.empty() ? dir.file("補助簿DB.MDB") : at;
        if (create) nv::CreateEmptyLedgerDatabase(path);
        db = nv::OpenLedgerDatabase(path);
        SetFiscal(2005, 4, 1, 2006, 3, 31);
    }

    const nv::SideWords& Words() const { return nv::WordsOf(side); }

    void SetFiscal(float sy, float sm, float sd, float ey, float em, float ed)
    {
        settings.StartYear = sy, settings.StartMonth = sm, settings.StartDay = sd;
        settings.EndYear = ey, settings.EndMonth = em, settings.EndDay = ed;
    }

    void AddParty(int64_t no, const std::string& name, int64_t carry, const std::string& closing = "末日")
    {
        db.Execute(std::string("INSERT OR REPLACE INTO \"") + Words().PartyTable + "\" (\"" + Words().PartyNo + "\", \"" +
                       Words().PartyName + "\", \"〆切期日\", \"繰越金額\") VALUES (?, ?, ?, ?)",
                   {no, name, closing, carry});
    }

    void AddLine(int64_t party, const LineSpec& l)
    {
        auto opt = [](auto v) -> nv::DbValue {
            if (!v) return nv::DbNull;
            return nv::DbValue(*v);
        };
        static int64_t next = 0;
        db.Execute(std::string("INSERT INTO \"") + Words().LineTable + "\" (\"" + Words().PartyNo +
                       "\", \"データ数\", \"年\", \"月\", \"日\", \"品名\", \"数量\", \"単価\", \"" + Words().Amount +
                       "\", \"" + Words().Settlement + "\", \"差引残高\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                   {party, l.dataNo ? nv::DbValue(*l.dataNo) : nv::DbValue(++next), int64_t{l.y}, int64_t{l.m},
                    int64_t{l.d}, l.item ? nv::DbValue(std::string(l.item)) : nv::DbNull, opt(l.quantity),
                    opt(l.price), opt(l.amount), opt(l.settlement), opt(l.balance)});
    }

    // A journal is opened from the register, on a party that is registered.
    nv::JournalEntry Entry(int64_t party, int64_t carry)
    {
        const auto names = db.Query(std::string("SELECT \"") + Words().PartyName + "\" FROM \"" + Words().PartyTable +
                                        "\" WHERE \"" + Words().PartyNo + "\" = ?",
                                    {party});
        if (names.empty()) AddParty(party, "", carry);
        nv::JournalEntry e;
        e.Side = side;
        e.MenuMode = Words().MenuMode;
        e.Settings = settings;
        e.Party.PartyNo = party;
        e.Party.Name = nv::FixedText(names.empty() ? "" : nv::TextOf(names[0][0]).value_or(""), 50);
        e.Party.CarryForward = carry;
        return e;
    }

    // Every row of the side's line table, rowid first, as stored.
    std::vector<std::vector<nv::DbValue>> Dump()
    {
        return db.Query(std::string("SELECT _rowid_, * FROM \"") + Words().LineTable + "\" ORDER BY _rowid_");
    }

    // The balances of a party's stored lines in journal order.
    std::vector<int64_t> StoredBalances(int64_t party)
    {
        std::vector<int64_t> out;
        for (auto& r : db.Query(std::string("SELECT \"差引残高\" FROM \"") + Words().LineTable + "\" WHERE \"" +
                                Words().PartyNo + "\" = ? ORDER BY \"年\", \"月\", \"日\", \"データ数\"",
                                {party}))
            out.push_back(nv::IntegerOf(r[0]).value_or(-999999999));
        return out;
    }

    TempDir dir;
    std::string path;
    nv::Database db;
    nv::JournalSide side;
    nv::CompanySettings settings;
};

// The balances a book shows, a missing one as -999999999.
inline std::vector<int64_t> Balances(const nv::JournalBook& b)
{
    std::vector<int64_t> out;
    for (const nv::JournalLine& l : b.Lines()) out.push_back(l.Balance.value_or(-999999999));
    return out;
}

} // namespace nvtest
