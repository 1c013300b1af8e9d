// One ledger page filled late-bound: 290 objects found by name in a form of
// 300 and their Text put, as the journals do per page; OpenForm of that form;
// and the object collection of a form of 100,000 objects.
#include "control/CInkplateCtrl.h"
#include "control/CXForm.h"
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
// `objects` data fields spread over `layers` layers.
std::string FormFile(int objects, int layers)
{
    nv::RegisterModelClasses();
    auto f = std::make_unique<nv::TvFedObject>();
    f->EnsureFormInfo().m_strName = "bench";
    for (int l = 0; l < layers; ++l) {
        auto layer = std::make_unique<nv::TvLayer>(l + 1);
        layer->m_strName = "L" + std::to_string(l);
        for (int i = l; i < objects; i += layers) {
            auto o = std::make_unique<nv::TvData>(nv::Rect{0, i * 10, 500000, i * 10 + 9});
            o->m_strName = ObjectName(i);
            layer->m_objects.push_back(std::move(o));
        }
        f->m_layers.push_back(std::move(layer));
    }
    f->RebuildIdMap(true);
    return nv::StoreFormFile(*f);
}

const std::filesystem::path& FormFolder()
{
    static const std::filesystem::path folder = [] {
        auto dir = std::filesystem::temp_directory_path() / "nivalo-bench-control";
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "page.tvf", std::ios::binary) << FormFile(kObjects, 1);
        std::ofstream(dir / "large.tvf", std::ios::binary) << FormFile(100000, 10);
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
    const int32_t item = nv::IdOfName(objects.Get(), "Item");
    const int32_t text = nv::IdOfName(nv::ObjectRef(objects.Get(item, {nv::Variant("F000")})).Get(), "Text");
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

// Every object of a form of 100,000 in ten layers, each wrapped with its layer.
void BM_TvObjects100000(benchmark::State& state)
{
    nv::CInkplateCtrl ctrl;
    ctrl.SetFormPath(FormFolder().string());
    std::shared_ptr<nv::CXForm> form = ctrl.OpenForm("large.tvf");
    for (auto _ : state) benchmark::DoNotOptimize(form->TvObjects().size());
    state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
}
BENCHMARK(BM_TvObjects100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
