// 100 ledger pages of 31 rows of nine values, filled and printed late-bound
// by dispatch id as the journal does it: into a report document, and onto a
// 600-dpi PDF printer. Each checks once what it made before it times: the
// document's pages and values, the PDF's pages and texts.
#include "control/InkplateDispatch.h"
#include "engine/model/FormFile.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvText.h"
#include "engine/render/TvReportDoc.h"
#include "support/PrintedPdf.h"

#include "PeerRatio.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

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

// One run, its failure as text ("" when it went through).
std::string Failure(int mode)
{
    try {
        PrintLedger(mode);
    } catch (const std::exception& e) {
        return std::string("the job failed at ") + e.what();
    }
    return {};
}

// The value the last row's balance shows on a page.
std::string LastBalance(int page) { return std::to_string(page * 1000 + 31); }

// The document holds every page, and each page the values set on it.
std::string DocumentProblem()
{
    nv::TvReportDoc doc;
    try {
        doc.Open((Folder() / "ledger.tvd").string());
        if (doc.PageCount() != kPages) return "the document has " + std::to_string(doc.PageCount()) + " pages";
        for (int page : {1, kPages}) {
            const nv::TvPageData& data = doc.GetPageData(page);
            std::string shown;
            for (const auto& layer : data.m_pForm->m_layers)
                for (const auto& o : layer->m_objects)
                    if (o->m_strName == "zandaka31") shown = static_cast<const nv::TvText&>(*o).m_strText;
            if (shown != LastBalance(page))
                return "page " + std::to_string(page) + " shows \"" + shown + "\" for its last balance";
        }
    } catch (const std::exception& e) {
        return std::string("the document does not read: ") + e.what();
    }
    return {};
}

// The PDF has every page, and each page its own values.
std::string PdfProblem(const std::string& pdf)
{
    const std::vector<std::string> pages = nvtest::PdfPageTexts(pdf);
    if (pages.size() != size_t(kPages)) return "the PDF has " + std::to_string(pages.size()) + " pages";
    for (int page : {1, kPages})
        if (pages[size_t(page - 1)].find(LastBalance(page)) == std::string::npos)
            return "page " + std::to_string(page) + " of the PDF lacks " + LastBalance(page);
    return {};
}

void BM_LedgerIntoDocument(benchmark::State& state)
{
    EnsureApplication();
    std::string problem = Failure(2);
    if (!nvbench::Checked(state, problem.empty() ? DocumentProblem() : problem)) return;
    for (auto _ : state)
        if (problem = Failure(2); !problem.empty()) state.SkipWithError(problem.c_str());
    state.SetItemsProcessed(state.iterations() * kPages);
}
BENCHMARK(BM_LedgerIntoDocument)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LedgerOnPdfPrinter(benchmark::State& state)
{
    EnsureApplication();
    const std::string pdf = (Folder() / "ledger.pdf").string();
    std::filesystem::remove(pdf);
    setenv("PRINTER", ("pdf:" + pdf).c_str(), 1);
    std::string problem = Failure(1);
    if (nvbench::Checked(state, problem.empty() ? PdfProblem(pdf) : problem)) {
        for (auto _ : state)
            if (problem = Failure(1); !problem.empty()) state.SkipWithError(problem.c_str());
    }
    unsetenv("PRINTER");
    state.SetItemsProcessed(state.iterations() * kPages);
}
BENCHMARK(BM_LedgerOnPdfPrinter)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
