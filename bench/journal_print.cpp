// The journal's ledger print of 3,001 lines (100 pages) through the real
// drawing control and the built report form: into a report document, and
// onto the 600-dpi virtual PDF printer, there also of 30 lines (one page).
// The control is a plug-in loaded as nivalo loads it (by its ProgID from the
// ProgID file, RTLD_LOCAL). Warm: rounds back to back, the best; cold:
// other work before each round, the median. The PDF's pages are checked.
#include "ledger/journal/print/JournalPrint.h"
#include "platform/automation/Automation.h"
#include "platform/ui/ScriptedPrompt.h"

#include "PeerRatio.h"
#include "support/PrintedPdf.h"

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

constexpr int kLinesPerPage = 30;

std::vector<nv::JournalLine> Lines(int pages)
{
    std::vector<nv::JournalLine> lines;
    int64_t balance = 100000;
    const int count = pages == 1 ? kLinesPerPage : pages * kLinesPerPage + 1;
    for (int i = 0; i < count; ++i) {
        nv::JournalLine l;
        l.PartyNo = 7, l.DataNo = i, l.Year = 2005, l.Month = (3 + i * 12 / count) % 12 + 1, l.Day = 1 + i % 28;
        l.Item = i ? "ボルト" : "前期繰越金額";
        if (i) l.Quantity = 1, l.UnitPrice = 1000, l.Amount = 1000, balance += 1000;
        l.Balance = balance;
        lines.push_back(l);
    }
    return lines;
}

void Print(benchmark::State& state, nv::OutputMode mode, int pages, bool cold)
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    setenv("NIVALO_HOME", Home().c_str(), 1);
    setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
    const std::string pdf = (Home() / "ledger.pdf").string();
    if (mode == nv::OutputMode::Printer) setenv("PRINTER", ("pdf:" + pdf).c_str(), 1);
    nv::ui::ScopedPrompt prompt(std::make_unique<nv::ui::ScriptedPrompt>());
    nv::ObjectRef ink(nv::CreateObject(nv::kDrawingControlProgId));
    nv::CompanySettings settings;
    nv::PartyRecord party;
    party.PartyNo = 7;
    const std::vector<nv::JournalLine> lines = Lines(pages);
    const auto print = [&] { return nv::PrintLedger(ink, mode, nv::PurchaseWords(), settings, party, lines, {}); };
    std::string problem = print() ? "" : "the print failed";
    if (problem.empty() && mode == nv::OutputMode::Printer) {
        const size_t printed = nvtest::PdfPageTexts(pdf).size();
        if (printed != size_t(pages)) problem = "the PDF has " + std::to_string(printed) + " pages";
    }
    if (nvbench::Checked(state, problem)) nvbench::ColdOrWarmRounds(state, cold, print);
    unsetenv("PRINTER");
    state.SetItemsProcessed(state.iterations() * pages);
}

void BM_JournalLedgerIntoDocument(benchmark::State& state)
{
    Print(state, nv::OutputMode::Document, 100, false);
}
BENCHMARK(BM_JournalLedgerIntoDocument)->Unit(benchmark::kMillisecond);

// Arguments: pages, cold.
void BM_JournalLedgerOnPdfPrinter(benchmark::State& state)
{
    Print(state, nv::OutputMode::Printer, int(state.range(0)), state.range(1) != 0);
}
BENCHMARK(BM_JournalLedgerOnPdfPrinter)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({100, 0})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
