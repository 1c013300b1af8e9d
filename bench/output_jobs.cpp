// 100 ledger pages of 31 rows of nine values, filled and printed late-bound
// by dispatch id as the journal does it: into a report document, and onto a
// 600-dpi PDF printer.
#include "control/InkplateDispatch.h"
#include "engine/model/FormFile.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvText.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kPages = 100;
const char* const kPrefixes[] = {"tsuki", "hi", "hinmei", "suuryou", "tanka", "uriage", "ukeire", "kashi", "zandaka"};

const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        nv::RegisterModelClasses();
        auto f = std::make_unique<nv::TvFedObject>();
        f->EnsureFormInfo().m_strName = "ledger";
        auto frame = std::make_unique<nv::TvLayer>(1);
        frame->m_strName = "Frame";
        frame->m_objects.push_back(std::make_unique<nv::TvBox>(nv::Rect{566930, 566930, 11338583, 16270000}));
        auto rows = std::make_unique<nv::TvLayer>(2);
        rows->m_strName = "Rows";
        const int32_t mm = 56693;
        for (int r = 1; r <= 31; ++r) {
            int32_t left = 12 * mm;
            const int32_t top = (40 + (r - 1) * 7) * mm;
            for (const char* p : kPrefixes) {
                auto t = std::make_unique<nv::TvText>(nv::Rect{left, top, left + 20 * mm, top + 6 * mm});
                t->m_strName = p + std::to_string(r);
                t->m_nHanHeight = t->m_nZenHeight = 1000; // 10 pt: every value is drawn
                rows->m_objects.push_back(std::move(t));
                left += 20 * mm;
            }
        }
        f->m_layers.push_back(std::move(frame));
        f->m_layers.push_back(std::move(rows));
        f->RebuildIdMap(true);
        auto dir = std::filesystem::temp_directory_path() / "nivalo-bench-output";
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "ledger.tvf", std::ios::binary) << nv::StoreFormFile(*f);
        return dir;
    }();
    return folder;
}

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "bench_output_jobs";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        new QApplication(argc, argv);
    }
}

// One run of the journal's protocol; mode 1 print job, 2 document.
void PrintLedger(int mode)
{
    nv::ObjectRef ink(nv::Ref<nv::Dispatch>(nv::MakeRef<nv::InkplateControl>()));
    ink.Put("FormPath", nv::Variant(Folder().string()));
    ink.Put("DocumentPath", nv::Variant(Folder().string()));
    const int32_t idText = 2, idItem = 0, idPrintOut = 22;
    ink.Call(23);
    nv::ObjectRef printer(ink.Get(12));
    printer.Put(3, nv::Variant(int32_t(1)));
    printer.Put(4, nv::Variant(int32_t(9)));
    printer.Put(7, nv::Variant(int16_t(100)));
    const int32_t started = mode == 1 ? ink.Call(19, {nv::Variant(""), nv::Variant("Tavelo Document")}).ToLong()
                                      : ink.Call(15, {nv::Variant("ledger.tvd"), nv::Variant("Tavelo Document")}).ToLong();
    if (started != 0) throw std::runtime_error("start " + std::to_string(started));
    nv::ObjectRef form(ink.Call(14, {nv::Variant("ledger.tvf")}));
    nv::ObjectRef objects(form.Get(8));
    for (int page = 1; page <= kPages; ++page) {
        for (int r = 1; r <= 31; ++r)
            for (const char* p : kPrefixes) {
                nv::ObjectRef obj(objects.Get(idItem, {nv::Variant(p + std::to_string(r))}));
                obj.Put(idText, nv::Variant(int32_t(page * 1000 + r)));
            }
        if (form.Call(idPrintOut).ToLong() != 0) throw std::runtime_error("page");
    }
    form.Call(24);
    if (ink.Call(mode == 1 ? 20 : 16).ToLong() != 0) throw std::runtime_error("end");
}

void BM_LedgerIntoDocument(benchmark::State& state)
{
    EnsureApplication();
    for (auto _ : state) PrintLedger(2);
    state.SetItemsProcessed(state.iterations() * kPages);
}
BENCHMARK(BM_LedgerIntoDocument)->Unit(benchmark::kMillisecond);

void BM_LedgerOnPdfPrinter(benchmark::State& state)
{
    EnsureApplication();
    setenv("PRINTER", ("pdf:" + (Folder() / "ledger.pdf").string()).c_str(), 1);
    for (auto _ : state) PrintLedger(1);
    unsetenv("PRINTER");
    state.SetItemsProcessed(state.iterations() * kPages);
}
BENCHMARK(BM_LedgerOnPdfPrinter)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
