// Barcodes are fitted once per printed page and field.
#include "engine/barcode/BarcodeFit.h"

#include <benchmark/benchmark.h>

#include <vector>

static void Fit(benchmark::State& state, int32_t symbology, const char* text, int32_t widthMode, int32_t width)
{
    nv::BarcodeParams p;
    p.left = p.top = 1440000;
    p.width = width;
    p.height = 720000;
    p.resolutionX = p.resolutionY = 600;
    p.symbology = symbology;
    p.widthMode = widthMode;
    p.text = text;
    std::vector<nv::BarRect> bars;
    p.bars = &bars;
    for (auto _ : state) benchmark::DoNotOptimize(nv::FitBarcode(p));
}

// Fitting 20 characters into 6 inches widens the working width some 90 times.
static void BM_FitCode39(benchmark::State& s) { Fit(s, 1, "ABCDEFGHIJ0123456789", 1, 8640000); }
// Two explicit widths: one encoder run.
static void BM_FitCode39TwoWidths(benchmark::State& s) { Fit(s, 1, "ABCDEFGHIJ0123456789", 2, 8640000); }
static void BM_FitJan13(benchmark::State& s) { Fit(s, 2, "490123456789", 1, 2160000); }
static void BM_FitCustomer(benchmark::State& s) { Fit(s, 6, "263-0023-3-2-3A", 2, 4320000); }
BENCHMARK(BM_FitCode39TwoWidths);
BENCHMARK(BM_FitCode39);
BENCHMARK(BM_FitJan13);
BENCHMARK(BM_FitCustomer);
BENCHMARK_MAIN();
