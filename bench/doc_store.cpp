// The document body packer against zlib level 1 on the same data, and the
// document store writing and reading a large document.
#include "engine/core/TempFileManager.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvTextField.h"
#include "engine/store/TvDocStore.h"
#include "engine/store/TvHuffman.h"

#include "PeerRatio.h"
#include "SampleDocs.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>

namespace {

// A body like a ledger document's: change entries (length, ids, short
// values and CP932 texts) with a sprinkle of archive bytes. The same
// generator for every size: a smaller body is the start of a larger one.
const std::string& Body(size_t size)
{
    static std::map<size_t, std::string> bodies;
    std::string& s = bodies[size];
    if (!s.empty()) return s;
    s.reserve(size + 256);
    std::mt19937 rng(42);
    const char* words[] = {"\x94\x84\x8f\xe3", "\x8e\x64\x93\xfc", "\x8a\x94\x8e\xae\x89\xef\x8e\xd0", "\x8d\x87\x8c\x76",
                           "\x8f\xac\x8c\x76", "\x8c\xbb\x8b\xe0", "Tokyo", "No."};
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) s.push_back(char(v >> (8 * i)));
    };
    while (s.size() < size) {
        std::string value;
        if (rng() % 3 == 0) {
            value = words[rng() % 8];
            value += std::to_string(rng() % 100000);
        } else {
            value = std::to_string((rng() % 2000000) * 10) + ",";
        }
        u32(uint32_t(value.size()));
        u32(100 + rng() % 400);
        u32(rng() % 4 == 0 ? 125 : 3);
        s += value;
    }
    s.resize(size);
    return s;
}

// The body's size; a mebibyte when the suite only checks the benchmarks work.
size_t MiB(const benchmark::State& state) { return size_t(nvbench::ShortMode() ? 1 : state.range(0)) << 20; }

// The body packer against zlib level 1 on the same body.
void BM_PackAgainstDeflate1(benchmark::State& state)
{
    const std::string& in = Body(MiB(state));
    std::string out, back;
    std::string z(compressBound(uLong(in.size())), '\0');
    uLongf n = 0;
    const bool right = nv::TvHuffman::CompressBuffer(in, out) == 0 &&
                       nv::TvHuffman::DecompressBuffer(out, back, in.size()) == 0 && back == in;
    if (!nvbench::Checked(state, right ? "" : "the packed body does not unpack to the body")) return;
    nvbench::AgainstPeer(
        state, "zlib1", double(in.size()),
        [&] {
            if (nv::TvHuffman::CompressBuffer(in, out) != 0) state.SkipWithError("pack failed");
            benchmark::DoNotOptimize(out.data());
        },
        [&] {
            n = uLongf(z.size());
            if (compress2(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(in.data()),
                          uLong(in.size()), 1) != Z_OK)
                state.SkipWithError("deflate failed");
            benchmark::DoNotOptimize(z.data());
        });
    state.counters["size"] = double(out.size()) / double(in.size());
    state.counters["zlib1_size"] = double(n) / double(in.size());
}

// The body unpacker against zlib's inflate of the same body.
void BM_UnpackAgainstInflate(benchmark::State& state)
{
    const std::string& in = Body(MiB(state));
    std::string packed, out;
    nv::TvHuffman::CompressBuffer(in, packed);
    std::string z(compressBound(uLong(in.size())), '\0');
    uLongf n = uLongf(z.size());
    compress2(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(in.data()), uLong(in.size()), 1);
    // Both write into memory the caller already has: not timed.
    std::string inflated(in.size(), '\0');
    uLongf m = uLongf(inflated.size());
    const bool right =
        nv::TvHuffman::DecompressBuffer(packed, out, in.size()) == 0 && out == in &&
        uncompress(reinterpret_cast<Bytef*>(inflated.data()), &m, reinterpret_cast<const Bytef*>(z.data()), n) == Z_OK &&
        inflated == in;
    if (!nvbench::Checked(state, right ? "" : "a body does not unpack to itself")) return;
    nvbench::AgainstPeer(
        state, "inflate", double(in.size()),
        [&] {
            if (nv::TvHuffman::DecompressBuffer(packed, out, in.size()) != 0) state.SkipWithError("unpack failed");
            benchmark::DoNotOptimize(out.data());
        },
        [&] {
            uLongf m = uLongf(inflated.size());
            if (uncompress(reinterpret_cast<Bytef*>(inflated.data()), &m, reinterpret_cast<const Bytef*>(z.data()), n) !=
                Z_OK)
                state.SkipWithError("inflate failed");
            benchmark::DoNotOptimize(inflated.data());
        });
    if (out != in || inflated != in) state.SkipWithError("round trip differs");
}

// A ledger form of 40 text fields on one layer.
std::unique_ptr<nv::TvFedObject> LedgerForm()
{
    nv::RegisterModelClasses();
    auto form = std::make_unique<nv::TvFedObject>();
    form->EnsureFormInfo().m_strName = "Ledger";
    form->m_layers.push_back(std::make_unique<nv::TvLayer>(1));
    for (int i = 0; i < 40; ++i) {
        auto field = std::make_unique<nv::TvTextField>();
        field->m_strName = "F" + std::to_string(i);
        field->m_nX = 100 * (i % 8);
        field->m_nY = 50 * (i / 8);
        form->AddObject(std::move(field), nullptr, true);
    }
    form->RebuildIdMap(true);
    return form;
}

constexpr int kPages = 10000;

void WriteDocument(const std::string& path, bool packed)
{
    auto form = LedgerForm();
    nv::TvDocStore store;
    store.Header().m_bPacked = packed ? 1 : 0;
    store.Create(path);
    store.WriteForm(*form);
    for (int p = 0; p < kPages; ++p) {
        nv::TvPageData page;
        for (const auto& obj : form->m_layers[0]->m_objects) {
            nv::TvObjectChanges c(obj->m_nObjectId);
            c.m_changes.Add(nv::CChangeData::FromString(1001, std::to_string(p * 1000 + obj->m_nObjectId * 37) + ",000"));
            page.m_objectEntries.MergeChanges(c);
        }
        store.WritePage(page);
    }
    store.WriteObjectList({});
    store.Close();
}

std::string BenchPath(const char* stem)
{
    // A benchmark's scratch file, not the program's: the system's temporary folder.
    return (std::filesystem::temp_directory_path() / ("nv_bench_" + std::string(stem) + ".tvd")).string();
}

void BM_WriteDocument10000Pages(benchmark::State& state)
{
    const bool packed = state.range(0) != 0;
    const std::string path = BenchPath(packed ? "write_packed" : "write_plain");
    for (auto _ : state) WriteDocument(path, packed);
    state.SetItemsProcessed(int64_t(state.iterations()) * kPages);
    std::remove(path.c_str());
}

void BM_ReadRandomPage(benchmark::State& state)
{
    const bool packed = state.range(0) != 0;
    const std::string path = BenchPath(packed ? "read_packed" : "read_plain");
    WriteDocument(path, packed);
    nv::TvDocStore store;
    store.Open(path);
    std::mt19937 rng(1);
    for (auto _ : state) {
        nv::TvPageData page;
        store.ReadPage(page, int32_t(rng() % kPages) + 1);
        page.Apply();
        benchmark::DoNotOptimize(page.m_pForm.get());
    }
    store.Close();
    std::remove(path.c_str());
}

void BM_OpenDocument(benchmark::State& state)
{
    const bool packed = state.range(0) != 0;
    const std::string path = BenchPath(packed ? "open_packed" : "open_plain");
    WriteDocument(path, packed);
    for (auto _ : state) {
        nv::TvDocStore store;
        store.Open(path);
        store.Close();
    }
    std::remove(path.c_str());
}

// 400,000 pages in stored order, and numbered last to first, all pointing at
// one page record: opening and asking for every page's settings, as a
// reader does when it opens a document.
void BM_OpenAndVisitPages(benchmark::State& state)
{
    const bool reversed = state.range(0) != 0;
    const uint32_t pages = nvbench::ShortMode() ? 4000 : 400000;
    const std::string path = BenchPath(reversed ? "pages_reversed" : "pages_ordered");
    {
        auto form = LedgerForm();
        nv::TvDocStore store;
        store.Create(path);
        store.WriteForm(*form);
        store.WritePage(nv::TvPageData{});
        store.Close();
    }
    nv::samples::PointEveryPageAtTheFirst(path, pages, reversed);
    for (auto _ : state) {
        nv::TvDocStore store;
        store.Open(path);
        nv::TvEntryMap settings;
        for (uint32_t p = 1; p <= pages; ++p) store.ReadPageSettings(settings, int32_t(p));
        store.Close();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * pages);
    std::remove(path.c_str());
}

// 100,000 pages sharing one page record whose printer entry is 1 MB (a
// 2.2 MB file): opening reads every page's settings, as a reader does.
void BM_OpenSharedRecordDocument(benchmark::State& state)
{
    const uint32_t pages = 100000;
    const std::string path = BenchPath("shared_record");
    {
        auto form = LedgerForm();
        nv::TvDocStore store;
        store.Create(path);
        store.WriteForm(*form);
        nv::TvPageData page;
        nv::TvObjectChanges c(0);
        c.m_changes.Add(nv::CChangeData::FromString(1001, std::string(1 << 20, 'S')));
        page.m_printerEntries.MergeChanges(c);
        store.WritePage(page);
        store.Close();
    }
    nv::samples::PointEveryPageAtTheFirst(path, pages);
    for (auto _ : state) {
        nv::TvDocStore store;
        store.Open(path);
        size_t held = 0;
        store.ReadAllPageSettings([&](int32_t, nv::TvEntryMap& m) { held += m.size(); });
        benchmark::DoNotOptimize(held);
        store.Close();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * pages);
    std::remove(path.c_str());
}

} // namespace

BENCHMARK(BM_OpenSharedRecordDocument)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OpenAndVisitPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDocument10000Pages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRandomPage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenDocument)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackAgainstDeflate1)->Arg(64)->Unit(benchmark::kMillisecond);
// How the unpack grows: 1, 8 and 64 MiB.
BENCHMARK(BM_UnpackAgainstInflate)->Arg(1)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
