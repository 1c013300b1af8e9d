// The journal's passes and the summary on realistic volumes: one party's
// opening among many, a balance pass over a long journal with its save, and
// the summary data of every party.
#include "ledger/common/LedgerSchema.h"
#include "ledger/journal/JournalBook.h"
#include "ledger/journal/MonthTotals.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// parties x lines of fiscal 2005/4/1-2006/3/31, each party opening with its
// carry-forward line.
struct JournalFixture {
    std::string path;
    nv::Database db;
    nv::CompanySettings settings;
    JournalFixture(int parties, int lines, const char* tag)
    {
        path = (std::filesystem::temp_directory_path() /
                ("nv-bench-journal-" + std::string(tag) + "-" + std::to_string(getpid()) + ".db"))
                   .string();
        nv::CreateEmptyLedgerDatabase(path);
        db = nv::OpenLedgerDatabase(path);
        settings.StartYear = 2005, settings.StartMonth = 4, settings.StartDay = 1;
        settings.EndYear = 2006, settings.EndMonth = 3, settings.EndDay = 31;
        nv::Transaction t(db);
        for (int64_t party = 1; party <= parties; ++party) {
            db.Execute("INSERT INTO \"仕入れ先\" (\"仕入先No\", \"仕入先名\", \"〆切期日\", \"繰越金額\") VALUES (?, '取引先', "
                       "'２０日', 1000)",
                       {party});
            db.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"データ数\", \"年\", \"月\", \"日\", \"品名\", "
                       "\"差引残高\") VALUES (?, 0, 2005, 4, 1, '前期繰越金額', 1000)",
                       {party});
            for (int64_t i = 1; i < lines; ++i) {
                int64_t month = 1 + (i * 12 / lines + 3) % 12;
                db.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"データ数\", \"年\", \"月\", \"日\", \"品名\", "
                           "\"数量\", \"単価\", \"仕入金額\", \"支払金額\") VALUES (?, ?, ?, ?, ?, '品物', ?, 120, ?, ?)",
                           {party, i, month >= 4 ? int64_t{2005} : int64_t{2006}, month, 1 + (i * 13) % 28,
                            double(1 + i % 5), (1 + i % 5) * 120, i % 3 == 0 ? nv::DbValue(int64_t{50}) : nv::DbNull});
            }
        }
        t.Commit();
    }
    ~JournalFixture()
    {
        db.Close();
        std::remove(path.c_str());
    }
    nv::JournalEntry Entry(int64_t party) const
    {
        nv::JournalEntry e;
        e.MenuMode = 1;
        e.Settings = settings;
        e.Party.PartyNo = party;
        e.Party.CarryForward = 1000;
        return e;
    }
};

} // namespace

// Load and open pass of 1,000 lines of one party among 50,000 (balances
// already stored, as after the first opening).
static void BM_OpenPassOfOnePartyAmong50000Lines(benchmark::State& state)
{
    static JournalFixture f(50, 1000, "open");
    for (int64_t p = 1; p <= 50; ++p) nv::JournalBook(f.db, f.Entry(p)).OpenPass();
    int64_t party = 0;
    for (auto _ : state) {
        nv::JournalBook book(f.db, f.Entry(1 + party++ % 50));
        benchmark::DoNotOptimize(book.OpenPass());
    }
}
BENCHMARK(BM_OpenPassOfOnePartyAmong50000Lines)->Unit(benchmark::kMillisecond);

// The balance pass over 100,000 lines of one party, nothing left to write.
static void BM_CalcRunningBalance100000Lines(benchmark::State& state)
{
    static JournalFixture f(1, 100000, "calc");
    nv::JournalBook book(f.db, f.Entry(1));
    book.OpenPass();
    for (auto _ : state) benchmark::DoNotOptimize(book.CalcRunningBalance());
}
BENCHMARK(BM_CalcRunningBalance100000Lines)->Unit(benchmark::kMillisecond);

// Saving those 100,000 lines after one edit: every loaded row checked,
// deleted and inserted again in one transaction.
static void BM_Save100000Lines(benchmark::State& state)
{
    static JournalFixture f(1, 100000, "save");
    nv::JournalBook book(f.db, f.Entry(1));
    book.OpenPass();
    int64_t n = 0;
    for (auto _ : state) {
        book.SetCell(5, nv::JournalColumn::Settlement, std::to_string(++n % 100));
        benchmark::DoNotOptimize(book.Save());
    }
}
BENCHMARK(BM_Save100000Lines)->Unit(benchmark::kMillisecond);

// Summary data of 1,000 parties with 100,000 lines.
static void BM_SummaryData1000Parties(benchmark::State& state)
{
    static JournalFixture f(1000, 100, "summary");
    nv::FiscalPeriod period = nv::FiscalPeriod::From(f.settings);
    for (auto _ : state) benchmark::DoNotOptimize(nv::BuildSummaryData(f.db, nv::PurchaseWords(), period));
}
BENCHMARK(BM_SummaryData1000Parties)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
