// The journal's passes, its save and the summary on realistic volumes: one
// party's opening among many; one edited line saved, and the balance button
// with nothing to write and after an edit of the second line, in journals of
// 1,000, 10,000 and 100,000 lines, each beside the same writes made straight
// through SQLite's C API (prepared once, one transaction) on a copy of the
// same file in the same rounds; one edited line saved after another
// connection's commit, beside that connection's one-row UPDATE of the same
// file; and the summary data of every party.
#include "PeerRatio.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/journal/JournalBook.h"
#include "ledger/journal/MonthTotals.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// parties x lines of fiscal 2005/4/1-2006/3/31, each party opening with its
// carry-forward line, balances stored as the passes leave them.
struct JournalFixture {
    std::string path;
    nv::Database db;
    nv::CompanySettings settings;
    JournalFixture(int parties, int lines, const std::string& tag)
    {
        path = (std::filesystem::temp_directory_path() /
                ("nv-bench-journal-" + tag + "-" + std::to_string(getpid()) + ".db"))
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
            // A payment line has no price: either balance rule gives the same.
            int64_t balance = 1000;
            for (int64_t i = 1; i < lines; ++i) {
                // Dates rise with i over the year, so i is journal order.
                const int64_t k = i * 336 / lines, month = 1 + (k / 28 + 3) % 12, day = 1 + k % 28;
                int64_t amount = (1 + i % 5) * 120, payment = i % 3 == 0 ? 50 : 0;
                balance += amount - payment;
                db.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"データ数\", \"年\", \"月\", \"日\", \"品名\", "
                           "\"数量\", \"単価\", \"仕入金額\", \"支払金額\", \"差引残高\") VALUES (?, ?, ?, ?, ?, '品物', ?, ?, "
                           "?, ?, ?)",
                           {party, i, month >= 4 ? int64_t{2005} : int64_t{2006}, month, day,
                            payment ? nv::DbNull : nv::DbValue(double(1 + i % 5)),
                            payment ? nv::DbNull : nv::DbValue(120.0), amount,
                            payment ? nv::DbValue(payment) : nv::DbNull, balance});
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

// One party of n lines, made once per size.
JournalFixture& Journal(int lines)
{
    static std::map<int, std::unique_ptr<JournalFixture>> made;
    auto& f = made[lines];
    if (!f) f = std::make_unique<JournalFixture>(1, lines, std::to_string(lines));
    return *f;
}

// A party of the given number of lines opened as the journal window opens it.
struct OpenedJournal {
    JournalFixture& f;
    nv::JournalBook book;
    explicit OpenedJournal(int64_t lines) : f(Journal(static_cast<int>(lines))), book(f.db, f.Entry(1))
    {
        book.OpenPass();
    }
};

// The floor: a copy of the fixture's file on a connection of its own, and
// one statement prepared once, run for each row in one transaction as the
// journal's save would be at best.
class SqliteFloor {
public:
    SqliteFloor(const JournalFixture& f, const std::string& column) : path_(f.path + ".floor")
    {
        const std::string sql = "UPDATE \"仕入れデータ\" SET \"" + column + "\" = ? WHERE _rowid_ = ?";
        std::filesystem::copy_file(f.path, path_, std::filesystem::copy_options::overwrite_existing);
        if (sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db_, sql.c_str(), -1, &update_, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        for (sqlite3_stmt* row = Prepare("SELECT _rowid_ FROM \"仕入れデータ\" ORDER BY \"年\", \"月\", \"日\", \"データ数\"");
             sqlite3_step(row) == SQLITE_ROW;)
            ids_.push_back(sqlite3_column_int64(row, 0));
    }
    ~SqliteFloor()
    {
        sqlite3_finalize(update_);
        for (sqlite3_stmt* s : others_) sqlite3_finalize(s);
        sqlite3_close(db_);
        std::filesystem::remove(path_);
    }
    // value into the rows of lines [from, to) in journal order; the time taken.
    double Write(size_t from, size_t to, int64_t value)
    {
        Clock::time_point start = Clock::now();
        Exec("BEGIN IMMEDIATE");
        for (size_t i = from; i < to; ++i) {
            sqlite3_bind_int64(update_, 1, value + static_cast<int64_t>(i));
            sqlite3_bind_int64(update_, 2, ids_[i]);
            if (sqlite3_step(update_) != SQLITE_DONE || sqlite3_changes(db_) != 1)
                throw std::runtime_error(sqlite3_errmsg(db_));
            sqlite3_reset(update_);
        }
        Exec("COMMIT");
        return Seconds(start);
    }

private:
    sqlite3_stmt* Prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_));
        others_.push_back(s);
        return s;
    }
    void Exec(const char* sql)
    {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
    }
    std::string path_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* update_ = nullptr;
    std::vector<sqlite3_stmt*> others_;
    std::vector<int64_t> ids_;
};

int64_t RowsWritten(nv::Database& db)
{
    return db.Changes().own;
}

// Each round: work() timed, which must write rows rows of db, then the
// floor's same writes timed; the floor's time a round and our ratio to it
// reported beside ours. False when a round wrote something else.
template <class Work, class FloorWrite>
bool BesideFloor(benchmark::State& state, nv::Database& db, int64_t rows, Work work, FloorWrite floorWrite)
{
    double ours = 0, floors = 0;
    for (auto _ : state) {
        const int64_t before = RowsWritten(db);
        Clock::time_point start = Clock::now();
        work();
        const double took = Seconds(start);
        state.SetIterationTime(took);
        ours += took;
        if (RowsWritten(db) - before != rows) {
            state.SkipWithError("a round did not write the rows it changed, or wrote others");
            return false;
        }
        floors += floorWrite();
    }
    state.counters["floor_ms"] = floors / double(state.iterations()) * 1e3;
    state.counters["x_floor"] = floors > 0 ? ours / floors : 0;
    return true;
}

} // namespace

// Load and open pass of 1,000 lines of one party among 50,000 (balances
// already stored, as after the first opening).
static void BM_OpenPassOfOnePartyAmong50000Lines(benchmark::State& state)
{
    static JournalFixture f(50, 1000, "open");
    int64_t party = 0;
    for (auto _ : state) {
        nv::JournalBook book(f.db, f.Entry(1 + party++ % 50));
        benchmark::DoNotOptimize(book.OpenPass());
        if (book.Lines().size() != 1000 || book.Dirty()) {
            state.SkipWithError("the opening did not load 1,000 balanced lines");
            break;
        }
    }
}
BENCHMARK(BM_OpenPassOfOnePartyAmong50000Lines)->Unit(benchmark::kMillisecond);

// One payment typed into the middle line and saved: one row written.
static void BM_SaveOneEditedLine(benchmark::State& state)
{
    OpenedJournal j(state.range(0));
    auto& [f, book] = j;
    SqliteFloor floor(f, "支払金額");
    const size_t line = book.Lines().size() / 2;
    int64_t value = 1000 + book.Lines()[line].Settlement.value_or(0);
    // Never the value already there: each round has its row to write.
    const bool wrote = BesideFloor(
        state, f.db, 1,
        [&] {
            book.SetCell(line, nv::JournalColumn::Settlement, std::to_string(++value));
            book.Save();
        },
        [&] { return floor.Write(line, line + 1, value); });
    if (wrote && nv::IntegerOf(f.db.QueryValue("SELECT \"支払金額\" FROM \"仕入れデータ\" WHERE _rowid_ = ?",
                                               {book.Lines()[line].RowId})) != value)
        state.SkipWithError("the stored payment is not the one typed");
}
BENCHMARK(BM_SaveOneEditedLine)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// Another connection on the same file, as the register's in another
// program: one row of the party table updated through SQLite's C API,
// prepared once, committed on its own.
class OtherWriter {
public:
    explicit OtherWriter(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db_, "UPDATE \"仕入れ先\" SET \"ふりがな\" = ? WHERE \"仕入先No\" = ?", -1,
                               &update_, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
    }
    ~OtherWriter()
    {
        sqlite3_finalize(update_);
        sqlite3_close(db_);
    }
    // A new text each time: SQLite commits nothing for a row written as it
    // was, and the other program's save would then be no commit at all.
    void Write(int64_t partyNo)
    {
        static int64_t round = 0;
        const std::string kana = "とりひきさき" + std::to_string(++round);
        sqlite3_bind_text(update_, 1, kana.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(update_, 2, partyNo);
        if (sqlite3_step(update_) != SQLITE_DONE || sqlite3_changes(db_) != 1)
            throw std::runtime_error(sqlite3_errmsg(db_));
        sqlite3_reset(update_);
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* update_ = nullptr;
};

// One payment typed into the middle line and saved while another program
// commits between the saves: the save checks what it writes, not the
// journal. The peer is that program's one-row UPDATE on the same file, each
// round right before ours.
static void BM_SaveOneEditedLineAfterAnotherCommit(benchmark::State& state)
{
    OpenedJournal j(state.range(0));
    auto& [f, book] = j;
    OtherWriter other(f.path);
    const size_t line = book.Lines().size() / 2;
    int64_t value = 1000 + book.Lines()[line].Settlement.value_or(0);
    int64_t seen = f.db.Changes().others;
    bool afterCommit = true;
    other.Write(1);
    nvbench::AgainstPeer(
        state, "sqlite_update", 0,
        [&] {
            afterCommit = afterCommit && f.db.Changes().others != seen;
            book.SetCell(line, nv::JournalColumn::Settlement, std::to_string(++value));
            book.Save();
            seen = f.db.Changes().others;
        },
        [&] { other.Write(1); });
    if (!afterCommit) state.SkipWithError("a save ran without another connection's commit before it");
    else if (nv::IntegerOf(f.db.QueryValue("SELECT \"支払金額\" FROM \"仕入れデータ\" WHERE _rowid_ = ?",
                                           {book.Lines()[line].RowId})) != value)
        state.SkipWithError("the stored payment is not the one typed");
}
BENCHMARK(BM_SaveOneEditedLineAfterAnotherCommit)->Arg(100000)->Unit(benchmark::kMillisecond);

// The balance button over a balanced journal: nothing to write.
static void BM_BalanceNothingToWrite(benchmark::State& state)
{
    OpenedJournal j(state.range(0));
    auto& [f, book] = j;
    for (auto _ : state) {
        const int64_t before = RowsWritten(f.db);
        benchmark::DoNotOptimize(book.CalcRunningBalance());
        if (RowsWritten(f.db) != before || book.Dirty()) {
            state.SkipWithError("the balance pass wrote to a balanced journal");
            break;
        }
    }
}
BENCHMARK(BM_BalanceNothingToWrite)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The second line's amount typed, then the balance button: that line and
// every later balance written. The floor writes the same rows' balances.
static void BM_BalanceAfterSecondLineEdit(benchmark::State& state)
{
    OpenedJournal j(state.range(0));
    auto& [f, book] = j;
    SqliteFloor floor(f, "差引残高");
    const size_t lines = book.Lines().size();
    int64_t amount = *book.Lines()[1].Amount;
    const bool wrote = BesideFloor(
        state, f.db, static_cast<int64_t>(lines) - 1,
        [&] {
            amount = amount == 5000 ? 6000 : 5000;
            book.SetCell(1, nv::JournalColumn::Amount, std::to_string(amount));
            benchmark::DoNotOptimize(book.CalcRunningBalance());
        },
        [&] { return floor.Write(1, lines, amount); });
    nv::JournalBook reread(f.db, f.Entry(1));
    reread.SearchPeriod();
    if (wrote && reread.Lines() != book.Lines()) state.SkipWithError("the stored journal is not the one balanced");
}
BENCHMARK(BM_BalanceAfterSecondLineEdit)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Summary data of 1,000 parties with 100,000 lines.
static void BM_SummaryData1000Parties(benchmark::State& state)
{
    static JournalFixture f(1000, 100, "summary");
    nv::FiscalPeriod period = nv::FiscalPeriod::From(f.settings);
    for (auto _ : state) benchmark::DoNotOptimize(nv::BuildSummaryData(f.db, nv::PurchaseWords(), period));
}
BENCHMARK(BM_SummaryData1000Parties)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
