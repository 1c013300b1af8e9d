// One ledger page filled late-bound: 290 objects found by name in a form of
// 300 and their Text put, as the journals do per page; and OpenForm of that
// form.
#include "control/InkplateDispatch.h"
#include "engine/model/FormFile.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvData.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kObjects = 300;
constexpr int kFilled = 290;

std::string ObjectName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "F%03d", i);
    return name;
}

// A form of 300 data fields in one layer, written once to a temporary folder.
const std::filesystem::path& FormFolder()
{
    static const std::filesystem::path folder = [] {
        nv::RegisterModelClasses();
        auto f = std::make_unique<nv::TvFedObject>();
        f->EnsureFormInfo().m_strName = "bench";
        auto layer = std::make_unique<nv::TvLayer>(1);
        layer->m_strName = "Base";
        for (int i = 0; i < kObjects; ++i) {
            auto o = std::make_unique<nv::TvData>(nv::Rect{0, i * 10000, 500000, i * 10000 + 9000});
            o->m_strName = ObjectName(i);
            layer->m_objects.push_back(std::move(o));
        }
        f->m_layers.push_back(std::move(layer));
        f->RebuildIdMap(true);
        auto dir = std::filesystem::temp_directory_path() / "nivalo-bench-control";
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "page.tvf", std::ios::binary) << nv::StoreFormFile(*f);
        return dir;
    }();
    return folder;
}

nv::ObjectRef NewControl()
{
    nv::ObjectRef ink(nv::Ref<nv::Dispatch>(nv::MakeRef<nv::InkplateControl>()));
    ink.Put("FormPath", nv::Variant(FormFolder().string()));
    return ink;
}

void BM_FillPageLateBound(benchmark::State& state)
{
    nv::ObjectRef ink = NewControl();
    nv::ObjectRef form(ink.Call("OpenForm", {nv::Variant("page.tvf")}));
    nv::ObjectRef objects(form.Get("TvObjects"));
    const int32_t item = nv::IdOfName(objects.get(), "Item");
    const int32_t text = nv::IdOfName(nv::ObjectRef(objects.Get(item, {nv::Variant("F000")})).get(), "Text");
    std::vector<nv::Variant> names;
    for (int i = 0; i < kFilled; ++i) names.emplace_back(ObjectName(i));
    int page = 0;
    for (auto _ : state) {
        const nv::Variant value(std::to_string(++page * 1000 + 56));
        for (int i = 0; i < kFilled; ++i) {
            nv::ObjectRef o(objects.Get(item, {names[static_cast<size_t>(i)]}));
            o.Put(text, value);
        }
    }
}
BENCHMARK(BM_FillPageLateBound)->Unit(benchmark::kMillisecond);

void BM_OpenForm(benchmark::State& state)
{
    nv::ObjectRef ink = NewControl();
    for (auto _ : state) {
        nv::ObjectRef form(ink.Call("OpenForm", {nv::Variant("page.tvf")}));
        form.Call("Close");
    }
}
BENCHMARK(BM_OpenForm)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
