// The journal's daily work on the ledger database: opening one supplier's
// lines in order, walking them, and adding a line.
#include "ledger/common/CompanyFile.h"
#include "ledger/common/LedgerSchema.h"
#include "platform/db/Recordset.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 50 suppliers with 1000 lines each.
struct LedgerFixture {
    std::string path;
    nv::Database db;
    LedgerFixture()
    {
        path = (std::filesystem::temp_directory_path() / ("nv-bench-ledger-" + std::to_string(getpid()) + ".db")).string();
        nv::CreateEmptyLedgerDatabase(path);
        db = nv::OpenLedgerDatabase(path);
        nv::Transaction t(db);
        for (int64_t party = 1; party <= 50; ++party)
            for (int64_t i = 0; i < 1000; ++i)
                db.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"データ数\", \"年\", \"月\", \"日\", \"品名\", \"仕入金額\", "
                           "\"差引残高\") VALUES (?, ?, 2005, ?, ?, '品物', ?, 0)",
                           {party, i, 1 + (i * 7) % 12, 1 + (i * 13) % 28, i * 100});
        t.Commit();
    }
    ~LedgerFixture()
    {
        db.Close();
        std::remove(path.c_str());
    }
};

LedgerFixture& Fixture()
{
    static LedgerFixture f;
    return f;
}

nv::RecordSource Lines(int64_t party)
{
    return {nv::kTablePurchases, "\"仕入先No\" = ?", {party}, "\"年\", \"月\", \"日\", \"データ数\""};
}

} // namespace

static void BM_OpenAndWalkSupplierLines(benchmark::State& state)
{
    LedgerFixture& f = Fixture();
    int64_t party = 0;
    for (auto _ : state) {
        nv::Recordset rs = f.db.OpenRecordset(Lines(1 + party++ % 50));
        int64_t sum = 0;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) sum += nv::IntegerOf(rs.Fields("仕入金額")).value_or(0);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_OpenAndWalkSupplierLines)->Unit(benchmark::kMillisecond);

static void BM_AddLineThroughRecordset(benchmark::State& state)
{
    LedgerFixture& f = Fixture();
    nv::Recordset rs = f.db.OpenRecordset(Lines(51));
    for (auto _ : state) {
        rs.AddNew();
        rs.SetField("仕入先No", int64_t{51});
        rs.SetField("年", int64_t{2005});
        rs.SetField("月", int64_t{4});
        rs.SetField("日", int64_t{1});
        rs.SetField("仕入金額", int64_t{1000});
        rs.Update();
    }
}
BENCHMARK(BM_AddLineThroughRecordset)->Unit(benchmark::kMicrosecond);

// Opening the ledger as the journals do: the first open of a file in a
// process checks its pages (50,000 lines here); later opens do not.
static void BM_FirstOpenChecksPages(benchmark::State& state)
{
    LedgerFixture& f = Fixture();
    int64_t stamp = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A new modification time makes the file one not checked yet.
        const timespec times[2] = {{0, UTIME_OMIT}, {1000000000 + ++stamp, 0}};
        ::utimensat(AT_FDCWD, f.path.c_str(), times, 0);
        state.ResumeTiming();
        nv::Database db = nv::OpenLedgerDatabase(f.path);
        benchmark::DoNotOptimize(db.IsReadOnly());
    }
}
BENCHMARK(BM_FirstOpenChecksPages)->Unit(benchmark::kMillisecond);

// The two checks the first open could make, on the same 50,000 lines: the
// page check alone, and pages with every index against its table.
static void BM_CheckOfTheFile(benchmark::State& state)
{
    LedgerFixture& f = Fixture();
    const char* pragma = state.range(0) ? "PRAGMA integrity_check" : "PRAGMA quick_check";
    state.SetLabel(pragma);
    state.counters["file_MB"] = double(std::filesystem::file_size(f.path)) / 1e6;
    for (auto _ : state) benchmark::DoNotOptimize(f.db.Query(pragma));
}
BENCHMARK(BM_CheckOfTheFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

static void BM_LaterOpen(benchmark::State& state)
{
    LedgerFixture& f = Fixture();
    (void)nv::OpenLedgerDatabase(f.path);
    for (auto _ : state) {
        nv::Database db = nv::OpenLedgerDatabase(f.path);
        benchmark::DoNotOptimize(db.IsReadOnly());
    }
}
BENCHMARK(BM_LaterOpen)->Unit(benchmark::kMicrosecond);

static void BM_ParseCompanyFile(benchmark::State& state)
{
    nv::CompanyFile f;
    f.Settings.OwnerName = nv::FixedText("山田太郎商店", nv::kOwnerNameWidth);
    // A fiscal year the reader takes: its start and end are dates.
    f.Settings.StartYear = 2005, f.Settings.StartMonth = 4, f.Settings.StartDay = 1;
    f.Settings.EndYear = 2006, f.Settings.EndMonth = 3, f.Settings.EndDay = 31;
    f.Settings.PurchaseClosingDay = "末日";
    std::string bytes = nv::FormatCompanyFile(f);
    for (auto _ : state) benchmark::DoNotOptimize(nv::ParseCompanyFile(bytes));
}
BENCHMARK(BM_ParseCompanyFile);
BENCHMARK_MAIN();
