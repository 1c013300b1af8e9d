#include "ImageTool/DibReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace nv;

namespace {

void Put16(std::string& s, size_t at, uint16_t v) { s[at] = char(v); s[at + 1] = char(v >> 8); }
void Put32(std::string& s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
}

// A BMP file with a 40-byte header; table entries are 0x00RRGGBB.
std::string Bmp(int32_t w, int32_t h, uint16_t bits, uint32_t compression, const std::vector<uint32_t>& table,
                const std::string& pixels, uint32_t clrUsed = 0, const std::vector<uint32_t>& masks = {})
{
    std::string s(14 + 40, '\0');
    s[0] = 'B';
    s[1] = 'M';
    Put32(s, 14, 40);
    Put32(s, 18, uint32_t(w));
    Put32(s, 22, uint32_t(h));
    Put16(s, 26, 1);
    Put16(s, 28, bits);
    Put32(s, 30, compression);
    Put32(s, 34, uint32_t(pixels.size()));
    Put32(s, 46, clrUsed);
    for (uint32_t m : masks) {
        std::string e(4, '\0');
        Put32(e, 0, m);
        s += e;
    }
    for (uint32_t c : table) {
        std::string e(4, '\0');
        Put32(e, 0, c);
        s += e;
    }
    Put32(s, 10, uint32_t(s.size()));
    s += pixels;
    Put32(s, 2, uint32_t(s.size()));
    return s;
}

struct Image {
    DibStatus status;
    DibInfo info;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[size_t(y) * info.width + x] & 0xFFFFFF; }
};

Image Read(const std::string& file)
{
    Image img;
    std::vector<uint8_t> packed;
    img.status = DibReader::ParseFile(file, packed, img.info);
    if (img.status == DibStatus::Ok) {
        img.px.assign(size_t(img.info.width) * img.info.height, 0);
        DibReader::Decode(packed.data(), img.info, img.px.data());
    }
    return img;
}

std::string Bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int v : b) s += char(v);
    return s;
}

} // namespace

TEST(DibReader, IndexedDepthsBottomUp)
{
    // 1 bit, 3x2: bottom row first, rows padded to 4 bytes
    auto one = Read(Bmp(3, 2, 1, 0, {0x000000, 0xFF0000}, Bytes({0xA0, 0, 0, 0, 0x40, 0, 0, 0})));
    ASSERT_EQ(one.status, DibStatus::Ok);
    EXPECT_EQ(one.at(0, 0), 0x000000u);
    EXPECT_EQ(one.at(1, 0), 0xFF0000u);
    EXPECT_EQ(one.at(0, 1), 0xFF0000u);
    EXPECT_EQ(one.at(2, 1), 0xFF0000u);

    auto four = Read(Bmp(3, 1, 4, 0, {0x111111, 0x222222, 0x333333}, Bytes({0x12, 0x00, 0, 0}), 3));
    ASSERT_EQ(four.status, DibStatus::Ok);
    EXPECT_EQ(four.at(0, 0), 0x222222u);
    EXPECT_EQ(four.at(1, 0), 0x333333u);
    EXPECT_EQ(four.at(2, 0), 0x111111u);

    std::vector<uint32_t> grey(256);
    for (uint32_t i = 0; i < 256; ++i) grey[i] = i * 0x010101;
    auto eight = Read(Bmp(2, 1, 8, 0, grey, Bytes({7, 200, 0, 0})));
    ASSERT_EQ(eight.status, DibStatus::Ok);
    EXPECT_EQ(eight.at(1, 0), 200u * 0x010101);
}

TEST(DibReader, DirectColourDepths)
{
    auto rgb = Read(Bmp(1, 2, 24, 0, {}, Bytes({1, 2, 3, 0, 0x30, 0x20, 0x10, 0})));
    ASSERT_EQ(rgb.status, DibStatus::Ok);
    EXPECT_EQ(rgb.at(0, 0), 0x102030u);
    EXPECT_EQ(rgb.at(0, 1), 0x030201u);

    auto rgb555 = Read(Bmp(2, 1, 16, 0, {}, Bytes({0x00, 0x7C, 0x1F, 0x00})));
    ASSERT_EQ(rgb555.status, DibStatus::Ok);
    EXPECT_EQ(rgb555.at(0, 0), 0xFF0000u);
    EXPECT_EQ(rgb555.at(1, 0), 0x0000FFu);

    auto rgb565 = Read(Bmp(1, 1, 16, 3, {}, Bytes({0xE0, 0x07, 0, 0}), 0, {0xF800, 0x07E0, 0x001F}));
    ASSERT_EQ(rgb565.status, DibStatus::Ok);
    EXPECT_EQ(rgb565.at(0, 0), 0x00FF00u);

    auto x32 = Read(Bmp(1, 1, 32, 0, {}, Bytes({0x11, 0x22, 0x33, 0x00})));
    ASSERT_EQ(x32.status, DibStatus::Ok);
    EXPECT_EQ(x32.at(0, 0), 0x332211u);
    EXPECT_EQ(x32.px[0] >> 24, 0xFFu);  // the fourth byte is not alpha
}

TEST(DibReader, CoreHeaderAndRunLengths)
{
    std::string core(14 + 12, '\0');
    core[0] = 'B';
    core[1] = 'M';
    Put32(core, 14, 12);
    Put16(core, 18, 2);
    Put16(core, 20, 1);
    Put16(core, 22, 1);
    Put16(core, 24, 1);
    core += Bytes({0, 0, 0, 0xFF, 0xFF, 0xFF});  // RGBTRIPLE table
    core += Bytes({0x40, 0, 0, 0});
    auto c = Read(core);
    ASSERT_EQ(c.status, DibStatus::Ok);
    EXPECT_EQ(c.at(0, 0), 0u);
    EXPECT_EQ(c.at(1, 0), 0xFFFFFFu);

    std::vector<uint32_t> pal = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};
    // RLE8 4x2: bottom row run of 3 x index 1, then absolute 1 pixel is not
    // allowed (absolute needs >= 3), so a run of 1 x index 2; end of line;
    // top row: delta (1,0), absolute 3 pixels 3 2 1 (padded), end of bitmap.
    auto r8 = Read(Bmp(4, 2, 8, 1, pal,
                       Bytes({3, 1, 1, 2, 0, 0, 0, 2, 1, 0, 0, 3, 3, 2, 1, 0, 0, 1}), 4));
    ASSERT_EQ(r8.status, DibStatus::Ok);
    EXPECT_EQ(r8.at(0, 1), 0x0000FFu);
    EXPECT_EQ(r8.at(3, 1), 0x00FF00u);
    EXPECT_EQ(r8.at(0, 0), 0x000000u);  // skipped by the delta
    EXPECT_EQ(r8.at(1, 0), 0xFF0000u);
    EXPECT_EQ(r8.at(3, 0), 0x0000FFu);

    // RLE4 3x1: run of 3 alternating indexes 2 and 1
    auto r4 = Read(Bmp(3, 1, 4, 2, pal, Bytes({3, 0x21, 0, 1}), 4));
    ASSERT_EQ(r4.status, DibStatus::Ok);
    EXPECT_EQ(r4.at(0, 0), 0x00FF00u);
    EXPECT_EQ(r4.at(1, 0), 0x0000FFu);
    EXPECT_EQ(r4.at(2, 0), 0x00FF00u);

    // A run that overruns the row and the image is clipped, not written past.
    auto over = Read(Bmp(2, 1, 8, 1, pal, Bytes({255, 3, 0, 2, 200, 200, 255, 1}), 4));
    ASSERT_EQ(over.status, DibStatus::Ok);
    EXPECT_EQ(over.at(1, 0), 0xFF0000u);
}

TEST(DibReader, HeaderFieldsAreChecked)
{
    const std::string good = Bmp(2, 2, 24, 0, {}, std::string(16, '\x7F'));
    const std::string pal = Bmp(1, 1, 8, 0, {0x123456}, Bytes({0, 0, 0, 0}), 1);
    ASSERT_EQ(Read(good).status, DibStatus::Ok);
    ASSERT_EQ(Read(pal).status, DibStatus::Ok);
    EXPECT_EQ(Read(pal).at(0, 0), 0x123456u);
    // One field of a good file changed: little-endian `value` over `size` bytes at `at`.
    const struct {
        const char* what;
        const std::string& file;
        size_t at, size;
        uint64_t value;
        DibStatus status;
    } cases[] = {
        {"signature", good, 0, 1, 'X', DibStatus::NotBitmap},
        {"top-down rows", good, 22, 4, uint32_t(-2), DibStatus::BadSize},
        {"no width", good, 18, 4, 0, DibStatus::BadSize},
        {"header size", good, 14, 4, 41, DibStatus::BadHeader},
        {"huge header", good, 14, 4, 0x7FFFFFF0, DibStatus::BadHeader},
        {"depth", good, 28, 2, 7, DibStatus::BadHeader},
        {"RLE8 at 24 bits", good, 30, 4, 1, DibStatus::BadHeader},
        {"planes", good, 26, 2, 2, DibStatus::BadHeader},
        {"bits inside the header", good, 10, 4, 20, DibStatus::BadHeader},
        {"bits past the end", good, 10, 4, 0xFFFFFFF0, DibStatus::Truncated},
        {"too few bytes for the rows", good, 10, 4, 14 + 40 + 4, DibStatus::Truncated},
        {"more colours than the depth allows", pal, 46, 4, 257, DibStatus::BadHeader},
        {"more colours than the file holds", pal, 46, 4, 200, DibStatus::Truncated},
        {"colour count at its limit", good, 46, 4, 0xFFFFFFFF, DibStatus::BadHeader},
        {"100000 x 100000", good, 18, 8, 100000 | uint64_t(100000) << 32, DibStatus::TooLarge},
    };
    for (const auto& c : cases) {
        std::string bad = c.file;
        for (size_t i = 0; i < c.size; ++i) bad[c.at + i] = char(c.value >> (8 * i));
        EXPECT_EQ(Read(bad).status, c.status) << c.what;
    }

    // a pixel index past a short colour table reads as black
    std::string shortTable = Bmp(1, 1, 8, 0, {0xFFFFFF}, Bytes({9, 0, 0, 0}), 1);
    EXPECT_EQ(Read(shortTable).at(0, 0), 0u);
}

TEST(DibReader, DataOffsetIsHonoured)
{
    // A gap between the table and the bits: the bits are where the file
    // header says, not right after the table.
    std::string f = Bmp(1, 1, 24, 0, {}, Bytes({9, 9, 9, 9, 1, 2, 3, 0}));
    Put32(f, 10, 14 + 40 + 4);
    auto img = Read(f);
    ASSERT_EQ(img.status, DibStatus::Ok);
    EXPECT_EQ(img.at(0, 0), 0x030201u);
    // Zero means right after the table.
    Put32(f, 10, 0);
    EXPECT_EQ(Read(f).at(0, 0), 0x090909u);
}

TEST(DibReader, EveryTruncationIsRefusedOrDecodes)
{
    std::vector<std::string> files = {
        Bmp(3, 2, 1, 0, {0, 0xFFFFFF}, std::string(8, '\x55')),
        Bmp(5, 3, 24, 0, {}, std::string(48, '\x33')),
        Bmp(4, 2, 8, 1, {0, 0xFF}, Bytes({3, 1, 1, 2, 0, 0, 0, 2, 1, 0, 0, 3, 3, 2, 1, 0, 0, 1}), 2),
        Bmp(2, 2, 16, 3, {}, std::string(8, '\x11'), 0, {0xF800, 0x07E0, 0x001F}),
    };
    for (const auto& f : files) {
        for (size_t n = 0; n < f.size(); ++n) {
            auto img = Read(f.substr(0, n));
            bool rle = f[30] == 1;
            if (!rle) {
                EXPECT_NE(img.status, DibStatus::Ok) << n;
            }
        }
    }
}

TEST(DibReader, RunLengthBitsThatCannotReachTheHeightAreRefused)
{
    // 4096 x 4096 from four bytes: end of bitmap at once.
    const std::string tiny = Bmp(4096, 4096, 8, 1, {0, 0xFFFFFF}, std::string("\x00\x01\x00\x00", 4), 2);
    EXPECT_EQ(Read(tiny).status, DibStatus::Truncated);
    // Deltas that do reach the top row: a real, if empty, bitmap.
    std::string deltas;
    for (int row = 0; row < 4096; row += 255) deltas += std::string("\x00\x02\x00\xff", 4);
    deltas += std::string("\x00\x01", 2);
    EXPECT_EQ(Read(Bmp(4096, 4096, 8, 1, {0, 0xFFFFFF}, deltas, 2)).status, DibStatus::Ok);
    EXPECT_EQ(Read(Bmp(4096, 4096, 8, 1, {0, 0xFFFFFF}, deltas.substr(4), 2)).status, DibStatus::Truncated);
}
