// Opening a journal window from its ProgID: from the fcFrmOp call until the
// window's first paint has ended (lines loaded, balanced, the new line
// offered, the grid drawn), for a party of 1,000 lines in a database of
// 50,000, offscreen.
#include "ledger/common/CompanyFile.h"
#include "ledger/common/LedgerSchema.h"
#include "platform/automation/Automation.h"

#include <QApplication>
#include <QDialog>
#include <QTableView>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int kParties = 50;
constexpr int kLinesPerParty = 1000;

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
        for (int64_t party = 1; party <= kParties; ++party) {
            d.Execute("INSERT INTO \"仕入れ先\" (\"仕入先No\", \"仕入先名\", \"〆切期日\", \"繰越金額\") VALUES (?, '取引先', "
                      "'末日', 1000)",
                      {party});
            int64_t balance = 1000;
            d.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"データ数\", \"年\", \"月\", \"日\", \"品名\", "
                      "\"差引残高\") VALUES (?, 0, 2005, 4, 1, '前期繰越金額', 1000)",
                      {party});
            for (int64_t i = 1; i < kLinesPerParty; ++i) {
                int64_t month = 1 + (i * 12 / kLinesPerParty + 3) % 12;
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

void BM_OpenJournalWindow(benchmark::State& state)
{
    DataFolder data;
    std::vector<nv::Variant> settings(23);
    settings[8] = 2005.0f, settings[9] = 4.0f, settings[10] = 1.0f;
    settings[11] = 2006.0f, settings[12] = 3.0f, settings[13] = 31.0f;
    std::vector<nv::Variant> party{nv::Variant(25.0f)};
    for (int i = 1; i <= 10; ++i) party.emplace_back(std::string(i == 8 ? "末日" : ""));
    party.emplace_back(int32_t{1000});
    party.emplace_back();
    for (auto _ : state) {
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
        nv::Variant f(data.dir.string() + "/"), m(int16_t{1}), s = Array(settings), p = Array(party);
        std::vector<nv::Variant> args{nv::Variant::ByRef(&f), nv::Variant::ByRef(&m), nv::Variant::ByRef(&s),
                                      nv::Variant::ByRef(&p)};
        const FirstPaintEnd::Clock::time_point start = FirstPaintEnd::Clock::now();
        o.CallArgs("fcFrmOp", args);
        qApp->removeEventFilter(&end);
        if (end.rowsShown != kLinesPerParty + 1) {
            state.SkipWithError("the first paint did not show the party's lines and the new line");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end.painted - start).count());
    }
}
BENCHMARK(BM_OpenJournalWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

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
