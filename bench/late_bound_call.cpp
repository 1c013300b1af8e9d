// A late-bound call into a plug-in created by ProgID: by dispatch id (how
// the journals drive the control) and by name with its look-up.
#include "platform/automation/Automation.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

nv::Ref<nv::Dispatch> Echo()
{
    static nv::Ref<nv::Dispatch> object = [] {
        std::string file =
            (std::filesystem::temp_directory_path() / ("nv-bench-progids-" + std::to_string(getpid()))).string();
        std::ofstream(file) << nv::FormatProgIdLines(nv::LoadPlugin(NV_TEST_ECHO_PLUGIN), NV_TEST_ECHO_PLUGIN);
        setenv("NIVALO_PROGIDS", file.c_str(), 1);
        nv::Ref<nv::Dispatch> o = nv::CreateObject("NvTest.Echo");
        std::filesystem::remove(file);
        return o;
    }();
    return object;
}

void BM_GetLongById(benchmark::State& state)
{
    nv::Ref<nv::Dispatch> o = Echo();
    nv::Variant result;
    for (auto _ : state) {
        o->Invoke(nv::DISPID_VALUE, nv::DISPATCH_PROPERTYGET, {}, &result, nullptr);
        benchmark::DoNotOptimize(result.I4());
    }
}
BENCHMARK(BM_GetLongById);

void BM_MethodOfTwoStringsById(benchmark::State& state)
{
    nv::Ref<nv::Dispatch> o = Echo();
    nv::Variant args[2] = {nv::Variant("仕入先"), nv::Variant("12345")};
    nv::Variant result;
    for (auto _ : state) {
        o->Invoke(2, nv::DISPATCH_METHOD, args, &result, nullptr);
        benchmark::DoNotOptimize(result.Str().size());
    }
}
BENCHMARK(BM_MethodOfTwoStringsById);

void BM_GetLongByName(benchmark::State& state)
{
    nv::Ref<nv::Dispatch> o = Echo();
    nv::Variant result;
    for (auto _ : state) {
        int32_t id = 0;
        o->GetIDOfName("value", &id);
        o->Invoke(id, nv::DISPATCH_PROPERTYGET, {}, &result, nullptr);
        benchmark::DoNotOptimize(result.I4());
    }
}
BENCHMARK(BM_GetLongByName);

void BM_MethodOfTwoStringsByName(benchmark::State& state)
{
    nv::ObjectRef o = Echo();
    for (auto _ : state) benchmark::DoNotOptimize(o.Call("join", {"仕入先", "12345"}).Str().size());
}
BENCHMARK(BM_MethodOfTwoStringsByName);

} // namespace

BENCHMARK_MAIN();
