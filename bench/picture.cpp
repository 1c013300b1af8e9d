// Picture loading: a fax-coded A4 page through the image toolkit, a colour
// bitmap through the DIB reader, and metafile playback.
#include "ImageTool/ImgTool.h"
#include "engine/render/DibImage.h"
#include "engine/render/EmfPlayer.h"
#include "support/NullDc.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A4 at 200 dpi, 1 bit, Group 4, with a text-like pattern of strokes.
const std::string& FaxPage()
{
    static const std::string bytes = [] {
        const std::string path = "/tmp/nv_bench_fax.tif";
        TIFF* t = TIFFOpen(path.c_str(), "w");
        const uint32_t w = 1654, h = 2339;
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
        std::vector<uint8_t> row((w + 7) / 8);
        for (uint32_t y = 0; y < h; ++y) {
            for (size_t i = 0; i < row.size(); ++i)
                row[i] = ((y / 24) % 2 == 0 && (y % 24) < 16) ? static_cast<uint8_t>((i * 37 + y) & 0x5A) : 0;
            TIFFWriteScanline(t, row.data(), y, 0);
        }
        TIFFClose(t);
        std::ifstream in(path, std::ios::binary);
        std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::remove(path.c_str());
        return s;
    }();
    return bytes;
}

void BM_TiffFaxPageToDib(benchmark::State& state)
{
    const std::string& tif = FaxPage();
    std::vector<uint8_t> dib;
    for (auto _ : state) {
        int rc = nv::ImgTiffMemoryToDib(reinterpret_cast<const uint8_t*>(tif.data()), tif.size(), dib);
        benchmark::DoNotOptimize(rc);
    }
}
BENCHMARK(BM_TiffFaxPageToDib)->Unit(benchmark::kMillisecond);

// A 24-bit photo of 1200 x 900 pixels decoded to 32-bit pixels.
void BM_DibToImage(benchmark::State& state)
{
    const int w = 1200, h = 900, stride = w * 3;
    std::vector<uint8_t> dib(40 + size_t(stride) * h);
    auto put = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) dib[at + i] = uint8_t(v >> (8 * i)); };
    put(0, 40);
    put(4, w);
    put(8, h);
    dib[12] = 1;
    dib[14] = 24;
    for (size_t i = 40; i < dib.size(); ++i) dib[i] = uint8_t(i * 7);
    nv::DcImage image;
    for (auto _ : state) benchmark::DoNotOptimize(nv::DibToImage(dib.data(), dib.size(), image));
}
BENCHMARK(BM_DibToImage)->Unit(benchmark::kMillisecond);

void Put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

// 10,000 records: rectangles, lines and brush changes, the metafile player's
// own cost (the device draws nothing).
void BM_EmfPlayback10k(benchmark::State& state)
{
    std::string records;
    uint32_t count = 0;
    auto rec = [&](uint32_t type, std::initializer_list<uint32_t> f) {
        Put32(records, type);
        Put32(records, 8 + 4 * uint32_t(f.size()));
        for (uint32_t v : f) Put32(records, v);
        ++count;
    };
    rec(17, {8});
    rec(9, {10000, 10000});
    rec(11, {4960, 7016});
    for (uint32_t i = 0; i < 2500; ++i) {
        rec(39, {1, 0, i * 97, 0});
        rec(37, {1});
        rec(43, {i % 100 * 90, i / 25 * 90, i % 100 * 90 + 80, i / 25 * 90 + 80});
        rec(54, {i * 3, i * 4});
    }
    std::string h;
    Put32(h, 1);
    Put32(h, 88);
    for (uint32_t v : {0u, 0u, 4959u, 7015u, 0u, 0u, 21000u, 29700u, 0x464D4520u, 0x10000u}) Put32(h, v);
    Put32(h, uint32_t(88 + records.size() + 20));
    Put32(h, count + 2);
    Put32(h, 4);
    for (uint32_t v : {0u, 0u, 0u, 4960u, 7016u, 210u, 297u}) Put32(h, v);
    std::string eof;
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) Put32(eof, v);
    const std::string emf = h + records + eof;
    nv::NullDc dc(600, {4960, 7016}); // A4 at 600 dpi
    if (nv::EmfPlayer::Play(dc, emf, nv::DcRect{0, 0, 4960, 7016}) != nv::EmfPlayer::Result::Complete) {
        state.SkipWithError("metafile did not play to its end");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(nv::EmfPlayer::Play(dc, emf, nv::DcRect{0, 0, 4960, 7016}));
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_EmfPlayback10k)->Unit(benchmark::kMillisecond);

// A small hostile metafile: 200 records of 4096 x 4096 run-length bitmaps
// whose codes only move down and end. The play's pixel budget ends the
// decoding after two of them.
void BM_EmfHugeBitmapRecords(benchmark::State& state)
{
    std::string bits;
    for (int row = 0; row < 4096; row += 255) bits += std::string("\x00\x02\x00\xff", 4);
    bits += std::string("\x00\x01\x00\x00", 4);
    std::string bmi;
    for (uint32_t v : {40u, 4096u, 4096u}) Put32(bmi, v);
    Put32(bmi, 1u | (8u << 16));
    for (uint32_t v : {1u, uint32_t(bits.size()), 0u, 0u, 2u, 0u, 0u, 0xFFFFFFu}) Put32(bmi, v);
    std::string records;
    for (int i = 0; i < 200; ++i) {
        std::string body;
        for (uint32_t v : {0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 4096u, 4096u}) Put32(body, v);
        for (uint32_t v : {80u, uint32_t(bmi.size()), 80u + uint32_t(bmi.size()), uint32_t(bits.size()), 0u,
                           0x00CC0020u, 100u, 100u})
            Put32(body, v);
        body += bmi + bits;
        Put32(records, 81);
        Put32(records, uint32_t(8 + body.size()));
        records += body;
    }
    std::string h;
    Put32(h, 1);
    Put32(h, 88);
    for (uint32_t v : {0u, 0u, 99u, 99u, 0u, 0u, 10000u, 10000u, 0x464D4520u, 0x10000u}) Put32(h, v);
    Put32(h, uint32_t(88 + records.size() + 20));
    Put32(h, 202);
    Put32(h, 4);
    for (uint32_t v : {0u, 0u, 0u, 1000u, 1000u, 1000u, 1000u}) Put32(h, v);
    std::string eof;
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) Put32(eof, v);
    const std::string emf = h + records + eof;
    nv::NullDc dc(600, {4960, 7016}); // A4 at 600 dpi
    nv::EmfPlayer::Stats stats;
    for (auto _ : state) benchmark::DoNotOptimize(nv::EmfPlayer::Play(dc, emf, nv::DcRect{0, 0, 100, 100}, nullptr, &stats));
    state.counters["decoded_pixels"] = double(stats.decodedPixels);
    state.counters["skipped"] = stats.skippedBitmaps;
    state.counters["bytes"] = double(emf.size());
}
BENCHMARK(BM_EmfHugeBitmapRecords)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
