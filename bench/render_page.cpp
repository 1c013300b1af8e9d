// Rendering speed of a ledger page: an A4 page of 40 rows x 6 columns of
// Japanese text with ruled lines, into a 96-dpi image and into a PDF.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdio>
#include <memory>

#include "engine/model/TvFedObject.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvText.h"
#include "engine/render/FormPainter.h"
#include "engine/render/TextMeasurer.h"
#include "platform/core/Cp932.h"
#include "platform/qt/QtSurfaces.h"

using namespace nv;

namespace {

constexpr int32_t kMm = 56693; // document units per millimetre, near enough

std::unique_ptr<TvFedObject> LedgerPage()
{
    auto form = std::make_unique<TvFedObject>();
    form->EnsureFormInfo();
    auto layer = std::make_unique<TvLayer>(1);
    const int32_t left = 15 * kMm, top = 20 * kMm, rowH = 6 * kMm;
    const int32_t widths[6] = {20 * kMm, 50 * kMm, 25 * kMm, 25 * kMm, 30 * kMm, 30 * kMm};
    const char* samples[6] = {"令和６年", "仕入れ商品の品名サンプル", "1,234", "5,678", "支払済み", "差引残高"};
    std::string texts[6];
    for (int c = 0; c < 6; ++c) texts[c] = *Utf8ToCp932(samples[c]);
    int32_t right = left;
    for (int32_t w : widths) right += w;
    for (int r = 0; r < 40; ++r) {
        int32_t x = left;
        for (int c = 0; c < 6; ++c) {
            auto t = std::make_unique<TvText>(Rect{x, top + r * rowH, x + widths[c], top + (r + 1) * rowH}, texts[c]);
            t->m_nZenHeight = t->m_nHanHeight = 1000;
            t->m_nMarginLeft = t->m_nMarginRight = kMm / 2;
            t->m_nAlign = c >= 2 && c <= 3 ? 2 : 1;
            layer->m_objects.push_back(std::move(t));
            x += widths[c];
        }
    }
    for (int r = 0; r <= 40; ++r)
        layer->m_objects.push_back(std::make_unique<TvLine>(Rect{left, top + r * rowH, right, top + r * rowH}));
    int32_t x = left;
    for (int c = 0; c <= 6; ++c) {
        layer->m_objects.push_back(std::make_unique<TvLine>(Rect{x, top, x, top + 40 * rowH}));
        if (c < 6) x += widths[c];
    }
    form->m_layers.push_back(std::move(layer));
    return form;
}

void BM_LedgerPageImage96(benchmark::State& state)
{
    auto form = LedgerPage();
    QtImageDc dc(794, 1123, 96);
    FormPageOptions o;
    for (auto _ : state) {
        dc.Clear();
        DrawFormPage(dc, *form, o);
    }
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LedgerPageImage96)->Unit(benchmark::kMillisecond);

void BM_LedgerPagePdf600(benchmark::State& state)
{
    auto form = LedgerPage();
    std::string path = "/tmp/nv-bench-ledger.pdf";
    QtPdfDc dc(path, 210, 297, 600);
    FormPageOptions o;
    bool first = true;
    for (auto _ : state) {
        if (!first) dc.NewPage();
        first = false;
        DrawFormPage(dc, *form, o);
    }
    dc.Finish();
    std::remove(path.c_str());
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LedgerPagePdf600)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                   : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
