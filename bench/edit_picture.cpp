// Every printed amount of a ledger goes through an edit picture.
#include "engine/format/TvPicture.h"
#include "engine/format/UnitScaler.h"
#include "engine/format/UnitTable.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_FormatAmount(benchmark::State& state)
{
    nv::TvPicture p;
    p.SetPicture("ZZZZZZZZ9");
    p.SetThousands(true);
    p.SetPrefix("\x81\x8F");
    std::string out;
    int64_t i = 0;
    for (auto _ : state) {
        p.SetValue(std::to_string(-1234567 + (i++ % 1000) * 7919));
        benchmark::DoNotOptimize(p.Format(out));
    }
}
BENCHMARK(BM_FormatAmount);

static void BM_FormatFraction(benchmark::State& state)
{
    nv::TvPicture p;
    p.SetPicture("ZZZ,ZZ9.99");
    p.SetValue("98765.4321");
    std::string out;
    for (auto _ : state) benchmark::DoNotOptimize(p.Format(out));
}
BENCHMARK(BM_FormatFraction);

static void BM_FormatCharacters(benchmark::State& state)
{
    nv::TvPicture p;
    p.SetPicture(std::string(20, 'X'));
    p.SetValue(std::string(15, 'A') + "\x8B\xE0\x8A\x7A\x8B\xE0\x8A\x7A\x8B\xE0\x8A\x7A");
    std::string out;
    for (auto _ : state) benchmark::DoNotOptimize(p.Format(out));
}
BENCHMARK(BM_FormatCharacters);

static void BM_ConvertUnit(benchmark::State& state)
{
    int32_t v = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(nv::ConvertUnit(nv::UNIT_MM, v, nv::UNIT_TWIPS, true));
        v = (v + 37) % 100000;
    }
}
BENCHMARK(BM_ConvertUnit);

static void BM_DocToDevice(benchmark::State& state)
{
    nv::UnitScaler s(600, 600, 100);
    nv::Rect r{144000, 288000, 1440000, 2880000};
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.DocToDeviceRect(r));
        r.left++;
    }
}
BENCHMARK(BM_DocToDevice);
BENCHMARK_MAIN();
