// The journal's ledger print of 3,001 lines (100 pages) through the real
// drawing control and the built report form: into a report document, and
// onto the 600-dpi virtual PDF printer.
#include "ledger/journal/print/JournalPrint.h"
#include "platform/automation/Automation.h"
#include "platform/ui/ScriptedPrompt.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace {

// The data folder of the run, removed at exit.
struct Folder {
    std::filesystem::path path;
    Folder() : path(std::filesystem::temp_directory_path() / ("nv-journal-print-bench-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(path);
    }
    ~Folder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

const std::filesystem::path& Home()
{
    static const Folder folder;
    return folder.path;
}

std::vector<nv::JournalLine> Lines()
{
    std::vector<nv::JournalLine> lines;
    int64_t balance = 100000;
    for (int i = 0; i <= 3000; ++i) {
        nv::JournalLine l;
        l.PartyNo = 7, l.DataNo = i, l.Year = 2005, l.Month = (3 + i * 12 / 3001) % 12 + 1, l.Day = 1 + i % 28;
        l.Item = i ? "ボルト" : "前期繰越金額";
        if (i) l.Quantity = 1, l.UnitPrice = 1000, l.Amount = 1000, balance += 1000;
        l.Balance = balance;
        lines.push_back(l);
    }
    return lines;
}

void Print(benchmark::State& state, nv::OutputMode mode)
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    setenv("NIVALO_HOME", Home().c_str(), 1);
    setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
    if (mode == nv::OutputMode::Printer) setenv("PRINTER", (Home() / "ledger.pdf").string().insert(0, "pdf:").c_str(), 1);
    nv::ui::ScopedPrompt prompt(std::make_unique<nv::ui::ScriptedPrompt>());
    nv::ObjectRef ink(nv::CreateObject(nv::kDrawingControlProgId));
    nv::CompanySettings settings;
    nv::PartyRecord party;
    party.PartyNo = 7;
    const std::vector<nv::JournalLine> lines = Lines();
    for (auto _ : state) {
        if (!nv::PrintLedger(ink, mode, nv::PurchaseWords(), settings, party, lines, {})) {
            state.SkipWithError("the print failed");
            break;
        }
    }
    unsetenv("PRINTER");
    state.SetItemsProcessed(state.iterations() * 100);
}

void BM_JournalLedgerIntoDocument(benchmark::State& state)
{
    Print(state, nv::OutputMode::Document);
}
BENCHMARK(BM_JournalLedgerIntoDocument)->Unit(benchmark::kMillisecond);

void BM_JournalLedgerOnPdfPrinter(benchmark::State& state)
{
    Print(state, nv::OutputMode::Printer);
}
BENCHMARK(BM_JournalLedgerOnPdfPrinter)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
