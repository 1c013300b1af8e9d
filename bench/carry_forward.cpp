// Moving a full ledger into a new fiscal year: 500 suppliers and 500
// customers with 100,000 lines over two years, carry-forward and closing days
// in one transaction, committed, and the carried balances checked.
#include "ledger/common/LedgerSchema.h"
#include "ledger/master/CarryForward.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int64_t kPartiesPerSide = 500;
constexpr int64_t kLinesPerParty = 100;   // 50 a year

struct NoStatus : nv::StatusBarPanels {
    void SetPanelText(int, const std::string&) override {}
};

std::string Q(const char* name)
{
    return std::string("\"") + name + "\"";
}

void Fill(nv::Database& db, nv::JournalSide side)
{
    const nv::SideWords& w = nv::WordsOf(side);
    std::string party = "INSERT INTO " + Q(w.PartyTable) + " (" + Q(w.PartyNo) + ", " + Q(w.PartyName) +
                        ", \"繰越金額\", \"〆切期日\") VALUES (?, '取引先', 10000, '２５日')";
    std::string line = "INSERT INTO " + Q(w.LineTable) + " (" + Q(w.PartyNo) +
                       ", \"データ数\", \"年\", \"月\", \"日\", \"品名\", " + Q(w.Amount) + ", " + Q(w.Settlement) +
                       ", \"差引残高\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
    for (int64_t no = 1; no <= kPartiesPerSide; ++no) {
        db.Execute(party, {no});
        for (int64_t i = 0; i < kLinesPerParty; ++i) {
            int64_t year = i < 50 ? 2004 : 2005;
            int64_t k = i % 50;   // spread over April to March
            int64_t month = (3 + k / 4) % 12 + 1;
            if (month < 4) ++year;
            int64_t day = 1 + (k % 4) * 7;
            bool carry = i == 0 || (i == 50 && no % 2 == 0);
            std::vector<nv::DbValue> row{no, k, year, month, day};
            if (carry) {
                row.insert(row.end(), {std::string(i == 0 ? "前期繰越金額" : "繰越金額"), nv::DbNull, nv::DbNull,
                                       int64_t{10000}});
            } else {
                row.insert(row.end(), {std::string("品物"), (i * 37 % 5 + 1) * 1000, nv::DbNull, nv::DbNull});
                if (i % 3 == 0) row[7] = int64_t{2000};
            }
            db.Execute(line, row);
        }
    }
}

std::string TemplatePath()
{
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() /
                         ("nv-bench-carry-" + std::to_string(getpid()) + ".db"))
                            .string();
        nv::CreateEmptyLedgerDatabase(p);
        nv::Database db = nv::OpenLedgerDatabase(p);
        nv::Transaction t(db);
        Fill(db, nv::JournalSide::Purchases);
        Fill(db, nv::JournalSide::Sales);
        t.Commit();
        return p;
    }();
    return path;
}

// Each party's closing balance of the year before, from the lines Fill
// writes: the opening 10,000, plus every purchase or sale, less every payment
// or receipt.
int64_t ExpectedCarry()
{
    int64_t balance = 10000;
    for (int64_t i = 1; i < 50; ++i) balance += (i * 37 % 5 + 1) * 1000 - (i % 3 == 0 ? 2000 : 0);
    return balance;
}

// What a finished run leaves: every party carries the year's closing balance,
// the new years that open on a "繰越金額" line (every even party) hold it
// there, and the others still open on their own line. Empty when so.
std::string CheckCarried(nv::Database& db)
{
    const nv::DbValue carry{ExpectedCarry()}, all{kPartiesPerSide}, half{kPartiesPerSide / 2};
    for (nv::JournalSide side : {nv::JournalSide::Purchases, nv::JournalSide::Sales}) {
        const nv::SideWords& w = nv::WordsOf(side);
        const std::string opening = " WHERE \"年\" = 2005 AND \"月\" = 4 AND \"日\" = 1 AND \"データ数\" = 0";
        if (db.QueryValue("SELECT count(*) FROM " + Q(w.PartyTable) + " WHERE \"繰越金額\" = ?", {carry}) != all)
            return std::string(w.PartyTable) + ": 繰越金額 is not the closing balance";
        if (db.QueryValue("SELECT count(*) FROM " + Q(w.LineTable) + opening +
                              " AND \"品名\" = '繰越金額' AND \"差引残高\" = ? AND " + Q(w.PartyNo) + " % 2 = 0",
                          {carry}) != half)
            return std::string(w.LineTable) + ": a carry line does not hold the closing balance";
        if (db.QueryValue("SELECT count(*) FROM " + Q(w.LineTable) + opening + " AND \"品名\" = '品物' AND " +
                          Q(w.PartyNo) + " % 2 = 1 AND \"差引残高\" IS NULL") != half)
            return std::string(w.LineTable) + ": a year opening on the user's own line was changed";
    }
    return "";
}

} // namespace

static void BM_CarryForwardAndClosingDays(benchmark::State& state)
{
    namespace fs = std::filesystem;
    const std::string source = TemplatePath();
    const std::string work = source + ".work";
    nv::CompanySettings settings;
    settings.StartYear = 2005, settings.StartMonth = 4, settings.StartDay = 1;
    settings.EndYear = 2006, settings.EndMonth = 3, settings.EndDay = 31;
    settings.PurchaseClosingDay = "末日";
    settings.SalesClosingDay = "２０日";
    NoStatus bar;
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(source, work, fs::copy_options::overwrite_existing);
        nv::Database db = nv::OpenLedgerDatabase(work);
        state.ResumeTiming();
        nv::Transaction t(db);
        nv::sCarryForward(db, settings, bar);
        nv::gsShimebiSet(db, settings, bar);
        t.Commit();
        state.PauseTiming();
        const std::string wrong = CheckCarried(db);
        db.Close();
        if (!wrong.empty()) {
            state.SkipWithError(wrong.c_str());
            break;
        }
        state.ResumeTiming();
    }
    fs::remove(work);
    fs::remove(source);
    state.SetItemsProcessed(state.iterations() * 2 * kPartiesPerSide);
}
BENCHMARK(BM_CarryForwardAndClosingDays)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
