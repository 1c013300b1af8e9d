// Opening a journal window from its ProgID: from the fcFrmOp call until the
// window's first paint has ended (lines loaded, balanced, the new line
// offered, the grid drawn), for a party of 1,000 lines and one of 100,000 in
// a database of 150,000, offscreen; beside a program reading the same lines
// through SQLite's own statements (the file opened, the party's rows read
// column by column, closed), in the same rounds. The warm figure is the best
// round; the cold one the median of rounds after other work (OtherWork).
#include "ledger/common/CompanyFile.h"
#include "ledger/common/LedgerSchema.h"
#include "platform/automation/Automation.h"

#include "PeerRatio.h"

#include <QApplication>
#include <QDialog>
#include <QTableView>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int kParties = 50;
constexpr int kLinesPerParty = 1000;
// The party of a long journal, after the others.
constexpr int64_t kLongParty = kParties + 1;
int LongPartyLines() { return nvbench::ShortMode() ? 3000 : 100000; }

struct DataFolder {
    std::filesystem::path dir;
    DataFolder()
    {
        dir = std::filesystem::temp_directory_path() / ("nv-bench-journal-window-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        const std::string db = (dir / "補助簿DB.MDB").string();
        nv::CreateEmptyLedgerDatabase(db);
        nv::Database d = nv::OpenLedgerDatabase(db);
        nv::Transaction t(d);
        for (int64_t party = 1; party <= kLongParty; ++party) {
            const int64_t lines = party == kLongParty ? LongPartyLines() : kLinesPerParty;
            d.Execute("INSERT INTO \"仕入れ先\" (\"仕入先No\", \"仕入先名\", \"〆切期日\", \"繰越金額\") VALUES (?, '取引先', "
                      "'末日', 1000)",
                      {party});
            int64_t balance = 1000;
            d.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"データ数\", \"年\", \"月\", \"日\", \"品名\", "
                      "\"差引残高\") VALUES (?, 0, 2005, 4, 1, '前期繰越金額', 1000)",
                      {party});
            for (int64_t i = 1; i < lines; ++i) {
                int64_t month = 1 + (i * 12 / lines + 3) % 12;
                int64_t amount = (1 + i % 5) * 120;
                balance += amount;
                d.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"データ数\", \"年\", \"月\", \"日\", \"品名\", "
                          "\"仕入金額\", \"差引残高\") VALUES (?, ?, ?, ?, 1, '品物', ?, ?)",
                          {party, i, month >= 4 ? int64_t{2005} : int64_t{2006}, month, amount, balance});
            }
        }
        t.Commit();
        nv::CompanyFile company;
        company.Settings.StartYear = 2005, company.Settings.StartMonth = 4, company.Settings.StartDay = 1;
        company.Settings.EndYear = 2006, company.Settings.EndMonth = 3, company.Settings.EndDay = 31;
        nv::WriteCompanyFile((dir / nv::kCompanyFileName).string(), company);
        std::ofstream progids(dir / "progids", std::ios::binary);
        progids << "PurchaseJournal.shiiredataClass\t" NV_PURCHASEJOURNAL_PLUGIN "\tshiiredataClass\t\n"
                << "NvZzIME.imeClass\t" NV_IME_PLUGIN "\timeClass\t\n";
        progids.close();
        setenv("NIVALO_PROGIDS", (dir / "progids").c_str(), 1);
    }
    ~DataFolder() { std::filesystem::remove_all(dir); }
};

nv::Variant Array(std::vector<nv::Variant> items)
{
    return nv::MakeArray(std::move(items));
}

// Stops the clock when the journal window's first paint has ended: a zero
// timer started at its first paint event runs once every widget of that
// paint is drawn. The grid must show the party's lines and the new line.
class FirstPaintEnd : public QObject {
public:
    using Clock = std::chrono::steady_clock;
    Clock::time_point painted;
    int rowsShown = -1;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* w = qobject_cast<QWidget*>(watched);
        if (event->type() != QEvent::Paint || seen_ || !w || !qobject_cast<QDialog*>(w->window())) return false;
        seen_ = true;
        auto* dialog = static_cast<QDialog*>(w->window());
        QTimer::singleShot(0, dialog, [this, dialog] {
            painted = Clock::now();
            if (auto* grid = dialog->findChild<QTableView*>("DBGrid1"); grid && grid->isVisible() && grid->model())
                rowsShown = grid->model()->rowCount();
            dialog->reject();
        });
        return false;
    }

private:
    bool seen_ = false;
};

DataFolder& Data()
{
    static DataFolder data;
    return data;
}

// The party's lines read through SQLite's own statements; how many.
int SqliteRead(const std::string& db, int64_t party)
{
    sqlite3* conn = nullptr;
    int rows = 0;
    if (sqlite3_open_v2(db.c_str(), &conn, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(conn, "SELECT _rowid_, * FROM \"仕入れデータ\" WHERE \"仕入先No\" = ?", -1, &st,
                               nullptr) == SQLITE_OK) {
            sqlite3_bind_int64(st, 1, party);
            int64_t sum = 0;
            while (sqlite3_step(st) == SQLITE_ROW) {
                ++rows;
                for (int c = 0, n = sqlite3_column_count(st); c < n; ++c) switch (sqlite3_column_type(st, c)) {
                    case SQLITE_INTEGER: sum += sqlite3_column_int64(st, c); break;
                    case SQLITE_FLOAT: sum += int64_t(sqlite3_column_double(st, c)); break;
                    case SQLITE_TEXT: sum += sqlite3_column_bytes(st, c); break;
                    default: break;
                    }
            }
            benchmark::DoNotOptimize(sum);
        }
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(conn);
    return rows;
}

// The window opened on `party` from fcFrmOp to the end of its first paint,
// in seconds; the rows its grid showed then (-1: no grid painted).
std::pair<double, int> OpenWindow(int64_t party)
{
    std::vector<nv::Variant> settings(23);
    settings[8] = 2005.0f, settings[9] = 4.0f, settings[10] = 1.0f;
    settings[11] = 2006.0f, settings[12] = 3.0f, settings[13] = 31.0f;
    std::vector<nv::Variant> record{nv::Variant(float(party))};
    for (int i = 1; i <= 10; ++i) record.emplace_back(std::string(i == 8 ? "末日" : ""));
    record.emplace_back(int32_t{1000});
    record.emplace_back();
    FirstPaintEnd end;
    qApp->installEventFilter(&end);
    // A window that never paints ends the run, not the process.
    QTimer stuck;
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [] {
        if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) w->reject();
    });
    stuck.start(30000);
    nv::ObjectRef o = nv::CreateObject("PurchaseJournal.shiiredataClass");
    nv::Variant f(Data().dir.string() + "/"), m(int16_t{1}), s = Array(settings), p = Array(record);
    std::vector<nv::Variant> args{nv::Variant::ByRef(&f), nv::Variant::ByRef(&m), nv::Variant::ByRef(&s),
                                  nv::Variant::ByRef(&p)};
    const FirstPaintEnd::Clock::time_point start = FirstPaintEnd::Clock::now();
    o.CallArgs("fcFrmOp", args);
    qApp->removeEventFilter(&end);
    return {std::chrono::duration<double>(end.painted - start).count(), end.rowsShown};
}

// Argument: the party's lines; cold (1) with other work before each round.
void BM_OpenJournalWindowVsSqlite(benchmark::State& state)
{
    DataFolder& data = Data();
    const int64_t party = state.range(0) == kLinesPerParty ? 25 : kLongParty;
    const int lines = party == kLongParty ? LongPartyLines() : kLinesPerParty;
    const std::string db = (data.dir / "補助簿DB.MDB").string();
    const int shown = OpenWindow(party).second, read = SqliteRead(db, party);
    if (!nvbench::Checked(state, shown != lines + 1 ? "the first paint showed " + std::to_string(shown) +
                                                          " rows, not the party's lines and the new line"
                                 : read != lines ? "SQLite read " + std::to_string(read) + " lines"
                                                 : ""))
        return;
    bool right = true;
    nvbench::AgainstPeerTimed(
        state, "sqlite3", [&] { if (state.range(1)) nvbench::OtherWork(); },
        [&] {
            const auto [seconds, rows] = OpenWindow(party);
            right = rows == lines + 1 && right;
            return seconds;
        },
        [&] { right = SqliteRead(db, party) == lines && right; });
    if (!right) state.SkipWithError("a round showed or read the wrong lines");
}
BENCHMARK(BM_OpenJournalWindowVsSqlite)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("NIVALO_PROMPTS", "auto", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
