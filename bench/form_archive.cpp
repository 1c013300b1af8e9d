// Storing and loading a large form: the archive layer's throughput.
#include "engine/model/ModelClasses.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvData.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvLine.h"

#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<nv::TvFedObject> MakeForm(int objects)
{
    auto f = std::make_unique<nv::TvFedObject>();
    f->EnsureFormInfo().m_strName = "bench";
    for (int l = 0; l < 4; ++l) {
        auto layer = std::make_unique<nv::TvLayer>(l);
        layer->m_strName = "L" + std::to_string(l);
        for (int i = 0; i < objects / 4; ++i) {
            std::unique_ptr<nv::TvObject> o;
            if (i % 2)
                o = std::make_unique<nv::TvLine>(nv::Rect{i, i, i + 100, i + 100});
            else
                o = std::make_unique<nv::TvBox>(nv::Rect{i, i, i + 100, i + 100});
            o->m_strName = "Obj" + std::to_string(l * objects + i);
            layer->m_objects.push_back(std::move(o));
        }
        f->m_layers.push_back(std::move(layer));
    }
    f->RebuildIdMap(true);
    return f;
}

void BM_StoreForm(benchmark::State& state)
{
    nv::RegisterModelClasses();
    auto form = MakeForm(static_cast<int>(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        std::string s = nv::StoreFormArchive(*form);
        bytes = s.size();
        benchmark::DoNotOptimize(s);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_StoreForm)->Arg(100)->Arg(10000);

void BM_LoadForm(benchmark::State& state)
{
    nv::RegisterModelClasses();
    const std::string s = nv::StoreFormArchive(*MakeForm(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        auto f = nv::LoadFormArchive(s);
        benchmark::DoNotOptimize(f);
    }
    state.SetBytesProcessed(static_cast<int64_t>(s.size()) * state.iterations());
}
BENCHMARK(BM_LoadForm)->Arg(100)->Arg(10000);

// A page's values applied to a data field and a box, recording the new
// values as the page data does: the cost of looking ids up.
void BM_ApplyPageValues(benchmark::State& state)
{
    nv::TvData field(nv::Rect{0, 0, 5000, 1000});
    nv::TvBox box(nv::Rect{0, 0, 5000, 1000});
    int32_t n = 0;
    size_t records = 0;
    for (auto _ : state) {
        ++n;
        nv::TvPropertyMap values;
        values.SetString(1001, std::to_string(n));
        values.SetLong(1, n);
        values.SetLong(57, 1000 + n % 7);
        values.SetLong(1000, n & 1);
        nv::TvChangeList changes;
        changes.m_bRecordOld = false;
        field.SetProperties(values, &changes);
        box.SetProperties(values, &changes);
        nv::TvPropertyMap shape;
        shape.SetLong(13, 4000 + n % 3);
        shape.SetShort(8, static_cast<int16_t>(n % 5));
        box.SetProperties(shape, &changes);
        records += changes.size();
        benchmark::DoNotOptimize(records);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ApplyPageValues);

} // namespace

BENCHMARK_MAIN();
