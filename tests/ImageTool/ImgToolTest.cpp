#include "ImageTool/DibReader.h"
#include "ImageTool/ImgTool.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nv;

namespace {

struct TiffSpec {
    uint32_t width = 4, height = 3;
    uint16_t bps = 8, spp = 1, photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t compression = COMPRESSION_NONE;
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint32_t rowsPerStrip = 2;
    uint32_t tile = 0;          // tile edge; 0 writes strips
    bool alpha = false;         // last sample is alpha
    uint16_t alphaKind = EXTRASAMPLE_UNASSALPHA;
    std::vector<uint16_t> red, green, blue;  // colour map
    // Sample value of pixel (x, y), sample s.
    std::function<uint32_t(uint32_t, uint32_t, uint16_t)> sample = [](uint32_t x, uint32_t y, uint16_t) {
        return x + y;
    };
};

void PackRow(const TiffSpec& t, uint32_t y, uint16_t onlySample, uint16_t samples, std::vector<uint8_t>& row)
{
    uint64_t bits = uint64_t(t.width) * samples * t.bps;
    row.assign((bits + 7) / 8, 0);
    uint64_t bit = 0;
    for (uint32_t x = 0; x < t.width; ++x)
        for (uint16_t s = 0; s < samples; ++s) {
            uint32_t v = t.sample(x, y, samples == 1 ? onlySample : s);
            if (t.bps == 16) {
                uint16_t w = static_cast<uint16_t>(v);
                std::memcpy(&row[bit / 8], &w, 2);  // host order, libtiff swaps if needed
            } else {
                for (int b = t.bps - 1; b >= 0; --b, ++bit)
                    if ((v >> b) & 1) row[bit / 8] |= uint8_t(0x80 >> (bit % 8));
                continue;
            }
            bit += 16;
        }
}

std::string WriteTiff(const nvtest::TempDir& dir, const std::string& name, const TiffSpec& t)
{
    std::string path = dir.file(name);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, t.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, t.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, t.bps);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, t.spp);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, t.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, t.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, t.planar);
    if (t.alpha) {
        uint16_t extra = t.alphaKind;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (!t.red.empty())
        TIFFSetField(tif, TIFFTAG_COLORMAP, t.red.data(), t.green.data(), t.blue.data());
    std::vector<uint8_t> row;
    if (t.tile) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, t.tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, t.tile);
        // 8-bit contiguous samples only
        std::vector<uint8_t> buf(size_t(t.tile) * t.tile * t.spp);
        for (uint32_t ty = 0; ty < t.height; ty += t.tile)
            for (uint32_t tx = 0; tx < t.width; tx += t.tile) {
                std::fill(buf.begin(), buf.end(), 0);
                for (uint32_t y = 0; y < t.tile; ++y)
                    for (uint32_t x = 0; x < t.tile; ++x)
                        for (uint16_t s = 0; s < t.spp; ++s)
                            if (tx + x < t.width && ty + y < t.height)
                                buf[(size_t(y) * t.tile + x) * t.spp + s] =
                                    static_cast<uint8_t>(t.sample(tx + x, ty + y, s));
                TIFFWriteTile(tif, buf.data(), tx, ty, 0, 0);
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, t.rowsPerStrip);
        if (t.planar == PLANARCONFIG_SEPARATE) {
            for (uint16_t s = 0; s < t.spp; ++s)
                for (uint32_t y = 0; y < t.height; ++y) {
                    PackRow(t, y, s, 1, row);
                    EXPECT_EQ(TIFFWriteScanline(tif, row.data(), y, s), 1);
                }
        } else {
            for (uint32_t y = 0; y < t.height; ++y) {
                PackRow(t, y, 0, t.spp, row);
                EXPECT_EQ(TIFFWriteScanline(tif, row.data(), y, 0), 1);
            }
        }
    }
    TIFFClose(tif);
    return path;
}

struct Decoded {
    int rc = 0;
    DibInfo info;
    std::vector<uint32_t> px;
    uint32_t at(uint32_t x, uint32_t y) const { return px[size_t(y) * info.width + x] & 0xFFFFFF; }
};

Decoded Convert(const std::string& path)
{
    Decoded d;
    std::vector<uint8_t> dib;
    d.rc = ImgTiffToDib(path, dib);
    if (d.rc != 0) {
        EXPECT_TRUE(dib.empty());
        return d;
    }
    EXPECT_EQ(DibReader::Parse(dib.data(), dib.size(), d.info), DibStatus::Ok);
    d.px.resize(size_t(d.info.width) * d.info.height);
    DibReader::Decode(dib.data(), d.info, d.px.data());
    return d;
}

uint32_t Grey(uint32_t v) { return v * 0x010101u; }

// Patches the value of one short or long IFD entry of a little-endian TIFF.
void PatchTag(std::string& bytes, uint16_t tag, uint32_t value)
{
    auto le32 = [&](size_t o) { uint32_t v; std::memcpy(&v, &bytes[o], 4); return v; };
    uint32_t ifd = le32(4);
    uint16_t count;
    std::memcpy(&count, &bytes[ifd], 2);
    for (uint16_t i = 0; i < count; ++i) {
        size_t e = ifd + 2 + 12 * size_t(i);
        uint16_t t, type;
        std::memcpy(&t, &bytes[e], 2);
        std::memcpy(&type, &bytes[e + 2], 2);
        if (t != tag) continue;
        if (type == TIFF_SHORT) {
            uint16_t v = static_cast<uint16_t>(value);
            std::memcpy(&bytes[e + 8], &v, 2);
        } else {
            std::memcpy(&bytes[e + 8], &value, 4);
        }
        return;
    }
    ADD_FAILURE() << "tag " << tag << " not found";
}

// Renames one IFD entry, so that the file lacks that tag.
void PatchTagId(std::string& bytes, uint16_t tag, uint16_t newTag)
{
    uint32_t ifd;
    std::memcpy(&ifd, &bytes[4], 4);
    uint16_t count;
    std::memcpy(&count, &bytes[ifd], 2);
    for (uint16_t i = 0; i < count; ++i) {
        size_t e = ifd + 2 + 12 * size_t(i);
        uint16_t t;
        std::memcpy(&t, &bytes[e], 2);
        if (t == tag) {
            std::memcpy(&bytes[e], &newTag, 2);
            return;
        }
    }
    ADD_FAILURE() << "tag " << tag << " not found";
}

} // namespace

TEST(ImgTool, GreyDepthsAndPhotometric)
{
    nvtest::TempDir dir;
    for (uint16_t bps : {1, 4, 8}) {
        for (uint16_t ph : {PHOTOMETRIC_MINISBLACK, PHOTOMETRIC_MINISWHITE}) {
            TiffSpec t;
            t.width = 7;
            t.height = 5;
            t.bps = bps;
            t.photometric = ph;
            uint32_t maxv = (1u << bps) - 1;
            t.sample = [maxv](uint32_t x, uint32_t y, uint16_t) { return (x + 3 * y) % (maxv + 1); };
            auto d = Convert(WriteTiff(dir, "g.tif", t));
            ASSERT_EQ(d.rc, 0) << bps;
            EXPECT_EQ(d.info.bitCount, bps);
            for (uint32_t y = 0; y < 5; ++y)
                for (uint32_t x = 0; x < 7; ++x) {
                    uint32_t v = (x + 3 * y) % (maxv + 1) * 255 / maxv;
                    if (ph == PHOTOMETRIC_MINISWHITE) v = 255 - v;
                    ASSERT_EQ(d.at(x, y), Grey(v)) << bps << " " << ph << " " << x << "," << y;
                }
        }
    }
}

TEST(ImgTool, WhiteIsZeroShowsDarkFor255)
{
    nvtest::TempDir dir;
    TiffSpec t;
    t.photometric = PHOTOMETRIC_MINISWHITE;
    t.sample = [](uint32_t, uint32_t, uint16_t) { return 255u; };
    auto d = Convert(WriteTiff(dir, "w.tif", t));
    ASSERT_EQ(d.rc, 0);
    EXPECT_EQ(d.at(0, 0), 0u);
}

TEST(ImgTool, PaletteMapsEightAndSixteenBit)
{
    nvtest::TempDir dir;
    for (uint16_t bps : {1, 4, 8}) {
        for (bool wide : {false, true}) {
            TiffSpec t;
            t.photometric = PHOTOMETRIC_PALETTE;
            t.bps = bps;
            uint32_t n = 1u << bps;
            for (uint32_t i = 0; i < n; ++i) {
                uint16_t r = static_cast<uint16_t>((i * 37) & 0xFF), g = static_cast<uint16_t>(255 - (i & 0xFF)),
                         b = static_cast<uint16_t>(i == n - 1 ? 255 : 0);
                t.red.push_back(wide ? uint16_t(r * 257) : r);
                t.green.push_back(wide ? uint16_t(g * 257) : g);
                t.blue.push_back(wide ? uint16_t(b * 257) : b);
            }
            t.sample = [n](uint32_t x, uint32_t y, uint16_t) { return (x * 5 + y) % n; };
            auto d = Convert(WriteTiff(dir, "p.tif", t));
            ASSERT_EQ(d.rc, 0);
            for (uint32_t y = 0; y < t.height; ++y)
                for (uint32_t x = 0; x < t.width; ++x) {
                    uint32_t i = (x * 5 + y) % n;
                    uint32_t want = (((i * 37) & 0xFF) << 16) | ((255 - (i & 0xFF)) << 8) | (i == n - 1 ? 255 : 0);
                    ASSERT_EQ(d.at(x, y), want) << bps << " wide " << wide;
                }
        }
    }
}

TEST(ImgTool, PaletteEntry65535Gives255)
{
    nvtest::TempDir dir;
    TiffSpec t;
    t.photometric = PHOTOMETRIC_PALETTE;
    t.bps = 1;
    t.red = {0, 65535};
    t.green = {0, 65535};
    t.blue = {0, 65535};
    t.sample = [](uint32_t, uint32_t, uint16_t) { return 1u; };
    auto d = Convert(WriteTiff(dir, "p1.tif", t));
    ASSERT_EQ(d.rc, 0);
    EXPECT_EQ(d.at(0, 0), 0xFFFFFFu);
}

TEST(ImgTool, RgbWidthFivePadsRows)
{
    nvtest::TempDir dir;
    TiffSpec t;
    t.width = 5;
    t.photometric = PHOTOMETRIC_RGB;
    t.spp = 3;
    t.sample = [](uint32_t x, uint32_t y, uint16_t s) { return s == 0 ? x * 50 : s == 1 ? y * 80 : 7u; };
    std::vector<uint8_t> dib;
    ASSERT_EQ(ImgTiffToDib(WriteTiff(dir, "rgb.tif", t), dib), 0);
    // 15 bytes of pixels and one padding byte per row
    EXPECT_EQ(dib.size(), 40u + 16u * 3);
    auto d = Convert(dir.file("rgb.tif"));
    EXPECT_EQ(d.info.bitCount, 24);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) EXPECT_EQ(d.at(x, y), ((x * 50) << 16) | ((y * 80) << 8) | 7u);
}

TEST(ImgTool, DepthsThroughTheRgbaPath)
{
    nvtest::TempDir dir;
    {   // RGBA: half-transparent red over white paper
        TiffSpec t;
        t.photometric = PHOTOMETRIC_RGB;
        t.spp = 4;
        t.alpha = true;
        t.sample = [](uint32_t x, uint32_t, uint16_t s) { return s == 0 ? 255u : s == 3 ? (x == 0 ? 255u : x == 1 ? 0u : 128u) : 0u; };
        auto d = Convert(WriteTiff(dir, "rgba.tif", t));
        ASSERT_EQ(d.rc, 0);
        EXPECT_EQ(d.at(0, 0), 0xFF0000u);
        EXPECT_EQ(d.at(1, 0), 0xFFFFFFu);
        uint32_t mid = d.at(2, 1);
        EXPECT_EQ(mid >> 16, 255u);
        EXPECT_NEAR(double(mid & 0xFF), 127.0, 2.0);
    }
    {   // 16-bit grey keeps the high byte
        TiffSpec t;
        t.bps = 16;
        t.sample = [](uint32_t x, uint32_t y, uint16_t) { return (x * 60 + y) * 257; };
        auto d = Convert(WriteTiff(dir, "g16.tif", t));
        ASSERT_EQ(d.rc, 0);
        EXPECT_EQ(d.at(3, 2), Grey(182));
    }
    {   // 16-bit RGB
        TiffSpec t;
        t.bps = 16;
        t.spp = 3;
        t.photometric = PHOTOMETRIC_RGB;
        t.sample = [](uint32_t, uint32_t, uint16_t s) { return s == 0 ? 65535u : s == 1 ? 0x8000u : 0u; };
        auto d = Convert(WriteTiff(dir, "rgb16.tif", t));
        ASSERT_EQ(d.rc, 0);
        EXPECT_EQ(d.at(1, 1), 0xFF8000u);
    }
    {   // 2-bit grey
        TiffSpec t;
        t.bps = 2;
        t.sample = [](uint32_t x, uint32_t, uint16_t) { return x % 4; };
        auto d = Convert(WriteTiff(dir, "g2.tif", t));
        ASSERT_EQ(d.rc, 0);
        EXPECT_EQ(d.at(0, 0), Grey(0));
        EXPECT_EQ(d.at(1, 0), Grey(85));
        EXPECT_EQ(d.at(3, 0), Grey(255));
    }
    {   // planar-separate RGB
        TiffSpec t;
        t.photometric = PHOTOMETRIC_RGB;
        t.spp = 3;
        t.planar = PLANARCONFIG_SEPARATE;
        t.sample = [](uint32_t x, uint32_t y, uint16_t s) { return s == 0 ? x * 10 : s == 1 ? y * 10 : 200u; };
        auto d = Convert(WriteTiff(dir, "sep.tif", t));
        ASSERT_EQ(d.rc, 0);
        EXPECT_EQ(d.at(3, 2), (30u << 16) | (20u << 8) | 200u);
    }
    {   // tiled RGB, image not a multiple of the tile
        TiffSpec t;
        t.width = 20;
        t.height = 18;
        t.tile = 16;
        t.photometric = PHOTOMETRIC_RGB;
        t.spp = 3;
        t.sample = [](uint32_t x, uint32_t y, uint16_t s) { return s == 0 ? x : s == 1 ? y : 9u; };
        auto d = Convert(WriteTiff(dir, "tiled.tif", t));
        ASSERT_EQ(d.rc, 0);
        EXPECT_EQ(d.at(19, 17), (19u << 16) | (17u << 8) | 9u);
        EXPECT_EQ(d.at(0, 0), 9u);
    }
}

// Grey with alpha lies over white paper like RGBA does, whatever the depth,
// the plane layout or tiling; libtiff's RGBA reader treats each of these
// differently (unscaled samples, a dropped alpha, a lost white-is-zero).
TEST(ImgTool, GreyWithAlphaLiesOverWhitePaper)
{
    nvtest::TempDir dir;
    // pixel x: grey 200 at alpha 255, 128 and 0; then grey 0 at alpha 128
    const uint32_t greys[4] = {200, 200, 200, 0};
    const uint32_t alphas[4] = {255, 128, 0, 128};
    struct Case {
        const char* what;
        uint16_t bps, photometric, planar, alphaKind;
        uint32_t tile;
    };
    const Case cases[] = {
        {"8-bit", 8, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, EXTRASAMPLE_UNASSALPHA, 0},
        {"16-bit", 16, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, EXTRASAMPLE_UNASSALPHA, 0},
        {"8-bit planes", 8, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_SEPARATE, EXTRASAMPLE_UNASSALPHA, 0},
        {"16-bit planes", 16, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_SEPARATE, EXTRASAMPLE_UNASSALPHA, 0},
        {"white is zero", 8, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG, EXTRASAMPLE_UNASSALPHA, 0},
        {"white is zero, planes", 8, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_SEPARATE, EXTRASAMPLE_UNASSALPHA, 0},
        {"tiled", 8, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, EXTRASAMPLE_UNASSALPHA, 16},
        {"associated", 8, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, EXTRASAMPLE_ASSOCALPHA, 0},
    };
    for (const Case& c : cases) {
        TiffSpec t;
        t.width = 4;
        t.height = 3;
        t.spp = 2;
        t.alpha = true;
        t.bps = c.bps;
        t.photometric = c.photometric;
        t.planar = c.planar;
        t.alphaKind = c.alphaKind;
        t.tile = c.tile;
        const bool assoc = c.alphaKind == EXTRASAMPLE_ASSOCALPHA;
        const bool white = c.photometric == PHOTOMETRIC_MINISWHITE;
        const uint32_t scale = c.bps == 16 ? 257 : 1;
        t.sample = [&](uint32_t x, uint32_t, uint16_t s) {
            if (s == 1) return alphas[x] * scale;
            uint32_t g = assoc ? greys[x] * alphas[x] / 255 : greys[x];
            return (white ? 255 - g : g) * scale;
        };
        auto d = Convert(WriteTiff(dir, "ga.tif", t));
        ASSERT_EQ(d.rc, 0) << c.what;
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 4; ++x) {
                const double want = greys[x] * alphas[x] / 255.0 + 255 - alphas[x];
                const uint32_t got = d.at(x, y);
                EXPECT_EQ(got >> 16, got & 0xFF) << c.what;
                EXPECT_NEAR(double(got & 0xFF), want, 1.5) << c.what << " at " << x << "," << y;
            }
    }
}

TEST(ImgTool, GreyWithAlphaBelowEightBits)
{
    nvtest::TempDir dir;
    TiffSpec t;
    t.width = 3;
    t.height = 2;
    t.spp = 2;
    t.bps = 4;
    t.alpha = true;
    // x 0: black opaque; x 1: black transparent; x 2: grey 5/15 opaque
    t.sample = [](uint32_t x, uint32_t, uint16_t s) { return s == 1 ? (x == 1 ? 0u : 15u) : (x == 2 ? 5u : 0u); };
    auto d = Convert(WriteTiff(dir, "ga4.tif", t));
    ASSERT_EQ(d.rc, 0);
    EXPECT_EQ(d.at(0, 1), Grey(0));
    EXPECT_EQ(d.at(1, 1), Grey(255));
    EXPECT_EQ(d.at(2, 0), Grey(85));
}

TEST(ImgTool, EveryAcceptedCodecThatLibtiffWrites)
{
    nvtest::TempDir dir;
    for (uint16_t c : {COMPRESSION_NONE, COMPRESSION_PACKBITS, COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3,
                       COMPRESSION_CCITTFAX4}) {
        TiffSpec t;
        t.width = 40;
        t.height = 9;
        t.bps = 1;
        t.compression = c;
        t.photometric = PHOTOMETRIC_MINISWHITE;
        t.rowsPerStrip = 4;
        t.sample = [](uint32_t x, uint32_t y, uint16_t) { return (x / 3 + y) & 1; };
        auto d = Convert(WriteTiff(dir, "c.tif", t));
        ASSERT_EQ(d.rc, 0) << "codec " << c;
        for (uint32_t y = 0; y < 9; ++y)
            for (uint32_t x = 0; x < 40; ++x)
                ASSERT_EQ(d.at(x, y), ((x / 3 + y) & 1) ? 0u : 0xFFFFFFu) << "codec " << c;
    }
}

// libtiff only decodes NeXT, ThunderScan and word-aligned CCITT RLE, so their
// strips are written raw.
TEST(ImgTool, DecodeOnlyCodecs)
{
    nvtest::TempDir dir;
    auto writeRaw = [&](const char* name, uint16_t codec, uint16_t bps, const std::vector<uint8_t>& strip,
                        uint32_t width, uint32_t height) {
        std::string path = dir.file(name);
        TIFF* tif = TIFFOpen(path.c_str(), "w");
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bps);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, bps == 1 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, codec);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
        TIFFWriteRawStrip(tif, 0, const_cast<uint8_t*>(strip.data()), static_cast<tmsize_t>(strip.size()));
        TIFFClose(tif);
        return path;
    };
    {   // NeXT: 2-bit, each row a literal row (code 0x00) of 2 bytes (8 pixels)
        std::vector<uint8_t> s = {0x00, 0x1B, 0xE4, 0x00, 0xFF, 0x00};
        auto d = Convert(writeRaw("next.tif", COMPRESSION_NEXT, 2, s, 8, 2));
        ASSERT_EQ(d.rc, 0);
        EXPECT_EQ(d.at(0, 0), Grey(0));
        EXPECT_EQ(d.at(1, 0), Grey(85));
        EXPECT_EQ(d.at(2, 0), Grey(170));
        EXPECT_EQ(d.at(3, 0), Grey(255));
        EXPECT_EQ(d.at(4, 0), Grey(255));
        EXPECT_EQ(d.at(0, 1), Grey(255));
        EXPECT_EQ(d.at(7, 1), Grey(0));
    }
    {   // ThunderScan: 4-bit, raw codes (0xC0 | value) one pixel each
        std::vector<uint8_t> s = {0xC0, 0xC5, 0xCA, 0xCF, 0xCF, 0xCA, 0xC5, 0xC0};
        auto d = Convert(writeRaw("thunder.tif", COMPRESSION_THUNDERSCAN, 4, s, 4, 2));
        ASSERT_EQ(d.rc, 0);
        EXPECT_EQ(d.at(0, 0), Grey(0));
        EXPECT_EQ(d.at(1, 0), Grey(85));
        EXPECT_EQ(d.at(3, 0), Grey(255));
        EXPECT_EQ(d.at(2, 1), Grey(85));
    }
    {   // CCITT RLE-W: row 0 white 16 (101010), row 1 white 8 (10011) black 8
        // (000101); each row padded to a 16-bit word
        std::vector<uint8_t> s = {0xA8, 0x00, 0x98, 0xA0};
        auto d = Convert(writeRaw("rlew.tif", COMPRESSION_CCITTRLEW, 1, s, 16, 2));
        ASSERT_EQ(d.rc, 0);
        EXPECT_EQ(d.at(0, 0), 0xFFFFFFu);
        EXPECT_EQ(d.at(15, 0), 0xFFFFFFu);
        EXPECT_EQ(d.at(7, 1), 0xFFFFFFu);
        EXPECT_EQ(d.at(8, 1), 0u);
        EXPECT_EQ(d.at(15, 1), 0u);
    }
}

TEST(ImgTool, RefusedKindsGiveTheErrorCode)
{
    nvtest::TempDir dir;
    {   // a codec outside the toolkit's list
        TiffSpec t;
        t.compression = COMPRESSION_LZW;
        EXPECT_EQ(Convert(WriteTiff(dir, "lzw.tif", t)).rc, kImgReadError);
    }
    {   // separated (CMYK) photometric
        TiffSpec t;
        t.photometric = PHOTOMETRIC_SEPARATED;
        t.spp = 4;
        EXPECT_EQ(Convert(WriteTiff(dir, "cmyk.tif", t)).rc, kImgReadError);
    }
    {   // 16-bit palette: 65536 colours do not fit a DIB colour table
        TiffSpec t;
        t.photometric = PHOTOMETRIC_PALETTE;
        t.bps = 16;
        t.red.assign(65536, 0);
        t.green.assign(65536, 0);
        t.blue.assign(65536, 0);
        EXPECT_EQ(Convert(WriteTiff(dir, "p16.tif", t)).rc, kImgReadError);
    }
    EXPECT_EQ(Convert(dir.file("missing.tif")).rc, kImgReadError);
    nvtest::WriteFileBytes(dir.path() / "text.tif", "II*\0not really");
    EXPECT_EQ(Convert(dir.file("text.tif")).rc, kImgReadError);
}

TEST(ImgTool, ZeroWidthHugeSizesAndMissingRowsPerStrip)
{
    nvtest::TempDir dir;
    TiffSpec t;
    t.bps = 1;
    std::string good = nvtest::ReadFileBytes(WriteTiff(dir, "b.tif", t));

    std::string zero = good;
    PatchTag(zero, TIFFTAG_IMAGEWIDTH, 0);
    nvtest::WriteFileBytes(dir.path() / "zero.tif", zero);
    EXPECT_EQ(Convert(dir.file("zero.tif")).rc, kImgReadError);

    std::string huge = good;
    PatchTag(huge, TIFFTAG_IMAGEWIDTH, 100000);
    PatchTag(huge, TIFFTAG_IMAGELENGTH, 100000);
    nvtest::WriteFileBytes(dir.path() / "huge.tif", huge);
    int rc = Convert(dir.file("huge.tif")).rc;
    EXPECT_TRUE(rc == kImgNoMemory || rc == kImgReadError) << rc;

    std::string wide = good;
    PatchTag(wide, TIFFTAG_IMAGEWIDTH, 0xFFFFFFFFu);
    nvtest::WriteFileBytes(dir.path() / "wide.tif", wide);
    rc = Convert(dir.file("wide.tif")).rc;
    EXPECT_TRUE(rc == kImgNoMemory || rc == kImgReadError) << rc;

    // Without RowsPerStrip the whole image is one strip.
    TiffSpec one;
    one.rowsPerStrip = 3;
    std::string bytes = nvtest::ReadFileBytes(WriteTiff(dir, "one.tif", one));
    PatchTagId(bytes, TIFFTAG_ROWSPERSTRIP, 32000);
    nvtest::WriteFileBytes(dir.path() / "one0.tif", bytes);
    auto d = Convert(dir.file("one0.tif"));
    ASSERT_EQ(d.rc, 0);
    EXPECT_EQ(d.at(3, 2), Grey(5));
}

TEST(ImgTool, EveryTruncationFailsCleanly)
{
    nvtest::TempDir dir;
    std::vector<TiffSpec> specs(3);
    specs[0].compression = COMPRESSION_PACKBITS;
    specs[1].bps = 1;
    specs[1].compression = COMPRESSION_CCITTFAX4;
    specs[1].photometric = PHOTOMETRIC_MINISWHITE;
    specs[2].photometric = PHOTOMETRIC_RGB;
    specs[2].spp = 4;
    specs[2].alpha = true;
    for (size_t k = 0; k < specs.size(); ++k) {
        std::string bytes = nvtest::ReadFileBytes(WriteTiff(dir, "t.tif", specs[k]));
        std::vector<uint8_t> dib;
        ASSERT_EQ(ImgTiffMemoryToDib(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), dib), 0);
        for (size_t n = 0; n < bytes.size(); ++n) {
            int rc = ImgTiffMemoryToDib(reinterpret_cast<const uint8_t*>(bytes.data()), n, dib);
            if (rc != 0) {
                EXPECT_EQ(rc, kImgReadError) << k << " at " << n;
                EXPECT_TRUE(dib.empty());
            } else {
                DibInfo info;
                EXPECT_EQ(DibReader::Parse(dib.data(), dib.size(), info), DibStatus::Ok);
            }
        }
    }
}

TEST(ImgTool, ThreadSlotsAndFileAndMemoryAgree)
{
    EXPECT_EQ(ImgInitThreadSlots(), 1);
    nvtest::TempDir dir;
    TiffSpec t;
    std::string path = WriteTiff(dir, "m.tif", t);
    std::string bytes = nvtest::ReadFileBytes(path);
    std::vector<uint8_t> a, b;
    ASSERT_EQ(ImgTiffToDib(path, a), 0);
    ASSERT_EQ(ImgTiffMemoryToDib(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), b), 0);
    EXPECT_EQ(a, b);
    // A failed conversion leaves nothing behind for the next one.
    EXPECT_EQ(ImgTiffMemoryToDib(reinterpret_cast<const uint8_t*>(bytes.data()), 20, b), kImgReadError);
    ASSERT_EQ(ImgTiffToDib(path, b), 0);
    EXPECT_EQ(a, b);
    ImgFreeThreadSlots();
}

#if !defined(__SANITIZE_ADDRESS__)
namespace {

// Runs the conversion in a child whose address space may grow by no more
// than `headroom` bytes; its result code, or -1 when it died.
int ConvertWithinHeadroom(const std::string& path, uint64_t headroom)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
            std::fclose(f);
        }
        const rlim_t now = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE));
        rlimit limit{now + headroom, now + headroom};
        ::setrlimit(RLIMIT_AS, &limit);
        std::vector<uint8_t> dib;
        ::_exit(ImgTiffToDib(path, dib));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? int(int8_t(WEXITSTATUS(status))) : -1;
}

} // namespace
#endif

TEST(ImgTool, ASizeTheDataCannotHoldIsRefusedBeforeAllocating)
{
    nvtest::TempDir dir;
    for (uint16_t compression : {uint16_t(COMPRESSION_NONE), uint16_t(COMPRESSION_PACKBITS)}) {
        for (uint16_t bps : {uint16_t(8), uint16_t(16)}) { // straight, and through the RGBA reader
            TiffSpec t;
            t.bps = bps;
            t.compression = compression;
            std::string bytes = nvtest::ReadFileBytes(WriteTiff(dir, "small.tif", t));
            ASSERT_LT(bytes.size(), 400u);
            PatchTag(bytes, TIFFTAG_IMAGEWIDTH, 4000);
            PatchTag(bytes, TIFFTAG_IMAGELENGTH, 4000);
            PatchTag(bytes, TIFFTAG_ROWSPERSTRIP, 4000);
            nvtest::WriteFileBytes(dir.path() / "claims.tif", bytes);
            EXPECT_EQ(Convert(dir.file("claims.tif")).rc, kImgReadError) << compression << " " << bps;
#if !defined(__SANITIZE_ADDRESS__)
            // Refused without the 16 million pixel buffers it claims.
            EXPECT_EQ(ConvertWithinHeadroom(dir.file("claims.tif"), 24u << 20), kImgReadError)
                << compression << " " << bps;
#endif
        }
    }
}

TEST(ImgTool, ANamedPipeIsRefusedWithoutBlocking)
{
    nvtest::TempDir dir;
    const std::string fifo = dir.file("pipe.tif");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Convert(fifo).rc, kImgReadError);
    EXPECT_EQ(Convert(dir.path().string()).rc, kImgReadError); // a folder
}
