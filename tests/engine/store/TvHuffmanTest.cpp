#include "engine/store/TvHuffman.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>

using nv::TvHuffman;
using nvtest::HexDump;

namespace {

// "1 0 01100010" -> bytes, MSB first, zero padded.
std::string Bits(const std::string& text)
{
    std::string out;
    int n = 0;
    unsigned acc = 0;
    for (char c : text) {
        if (c != '0' && c != '1') continue;
        acc = (acc << 1) | unsigned(c == '1');
        if (++n == 8) {
            out.push_back(char(acc));
            acc = 0;
            n = 0;
        }
    }
    if (n) out.push_back(char(acc << (8 - n)));
    return out;
}

std::string Length(uint32_t n)
{
    return std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
}

std::string Pack(const std::string& in)
{
    std::string out;
    EXPECT_EQ(TvHuffman::CompressBuffer(in, out), 0);
    return out;
}

std::string Unpack(const std::string& in, int expect = 0)
{
    std::string out;
    EXPECT_EQ(TvHuffman::DecompressBuffer(in, out, 1u << 30), expect);
    return out;
}

// Straightforward packer written from the stream description, one bit at a
// time: the fast packer must produce the same bytes.
std::string ReferencePack(const std::string& in)
{
    uint32_t freq[511] = {};
    int parent[511] = {}, first[511] = {}, second[511] = {};
    for (unsigned char c : in) ++freq[c];
    int heap[257], n = 0;
    for (int b = 0; b < 256; ++b)
        if (freq[b]) heap[++n] = b;
    auto sift = [&](int k) {
        int v = heap[k];
        while (2 * k <= n) {
            int j = 2 * k;
            if (j + 1 <= n && freq[heap[j + 1]] < freq[heap[j]]) ++j;
            if (freq[heap[j]] >= freq[v]) break;
            heap[k] = heap[j];
            k = j;
        }
        heap[k] = v;
    };
    for (int k = n / 2; k >= 1; --k) sift(k);
    int root = n ? heap[1] : 0, next = 256;
    while (n > 1) {
        int x = heap[1];
        heap[1] = heap[n--];
        sift(1);
        int y = heap[1], i = next++;
        freq[i] = freq[x] + freq[y];
        heap[1] = i;
        sift(1);
        parent[x] = i;
        parent[y] = -i;
        first[i] = x;
        second[i] = y;
        root = i;
    }
    std::string bits;
    std::function<void(int)> tree = [&](int node) {
        if (node > 255) {
            bits += '1';
            tree(first[node]);
            tree(second[node]);
        } else {
            bits += '0';
            for (int i = 7; i >= 0; --i) bits += char('0' + ((node >> i) & 1));
        }
    };
    tree(root);
    for (unsigned char c : in) {
        std::string code;
        for (int node = c; parent[node]; node = std::abs(parent[node])) code += parent[node] < 0 ? '1' : '0';
        bits.append(code.rbegin(), code.rend());
    }
    return Length(uint32_t(in.size())) + Bits(bits);
}

// Straightforward unpacker from the stream description, a bit at a time: the
// fast one must give what it gives on every stream, damaged ones included.
// False when the stream ends before the stated length.
bool ReferenceUnpack(const std::string& in, std::string& out)
{
    out.clear();
    if (in.size() < 4) return false;
    const uint32_t n = uint8_t(in[0]) | uint32_t(uint8_t(in[1])) << 8 | uint32_t(uint8_t(in[2])) << 16 |
                       uint32_t(uint8_t(in[3])) << 24;
    size_t pos = 32;
    const auto bit = [&]() -> int {
        if (pos >= in.size() * 8) return -1;
        const int b = (uint8_t(in[pos / 8]) >> (7 - pos % 8)) & 1;
        ++pos;
        return b;
    };
    int first[511] = {}, second[511] = {}, next = 256;
    std::function<int()> node = [&]() -> int {
        const int b = bit();
        if (b < 0) return -1;
        if (b == 0) {
            int v = 0;
            for (int i = 0; i < 8; ++i) {
                const int x = bit();
                if (x < 0) return -1;
                v = v << 1 | x;
            }
            return v;
        }
        if (next >= 511) return -1;
        const int id = next++;
        if ((first[id] = node()) < 0 || (second[id] = node()) < 0) return -1;
        return id;
    };
    const int root = node();
    if (root < 0) return false;
    for (uint32_t i = 0; i < n; ++i) {
        int at = root;
        while (at > 255) {
            const int b = bit();
            if (b < 0) return false;
            at = b ? second[at] : first[at];
        }
        out.push_back(char(at));
    }
    return true;
}

std::string RandomBytes(size_t n, unsigned seed, bool skewed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    std::geometric_distribution<int> geo(0.15);
    for (auto& c : s) c = char(skewed ? std::min(geo(rng), 255) : int(rng() & 0xFF));
    return s;
}

} // namespace

TEST(TvHuffman, EdgeCasesAsExactBytes)
{
    EXPECT_EQ(HexDump(Pack("")), HexDump(Length(0) + std::string("\0\0", 2)));
    EXPECT_EQ(HexDump(Pack(std::string(1000, 'A'))), HexDump(Length(1000) + "\x20\x80"));
    // a three times, b once: b gets code 0 (first child), a code 1.
    EXPECT_EQ(HexDump(Pack("abaa")), HexDump(Length(4) + Bits("1 0 01100010 0 01100001  1 0 1 1")));
    // Equal frequencies: the heap order decides. a, b, c once each.
    EXPECT_EQ(HexDump(Pack("abc")),
              HexDump(Length(3) + Bits("1 0 01100010 1 0 01100001 0 01100011  10 0 11")));
}

TEST(TvHuffman, MatchesTheBitByBitPacker)
{
    for (size_t n : {size_t(1), size_t(2), size_t(7), size_t(255), size_t(4093), size_t(4094), size_t(4095),
                     size_t(70000)}) {
        for (bool skewed : {false, true}) {
            const std::string in = RandomBytes(n, unsigned(n) * 7 + skewed, skewed);
            ASSERT_EQ(Pack(in), ReferencePack(in)) << n << " " << skewed;
        }
    }
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "売上帳 " + std::to_string(i * 37 % 1001) + "\n";
    EXPECT_EQ(Pack(text), ReferencePack(text));
}

TEST(TvHuffman, PackThenUnpackGivesTheInputBack)
{
    for (size_t n : {size_t(0), size_t(1), size_t(2), size_t(4093), size_t(4094), size_t(4095), size_t(65537),
                     size_t(1) << 20}) {
        for (bool skewed : {false, true}) {
            const std::string in = RandomBytes(n, unsigned(n) + 11 * skewed, skewed);
            ASSERT_EQ(Unpack(Pack(in)), in) << n << " " << skewed;
        }
    }
    // Every byte value, and a deep tree (code lengths far beyond the table).
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(char(i));
    EXPECT_EQ(Unpack(Pack(all)), all);
    std::string deep;
    uint64_t a = 1, b = 1;
    for (int sym = 0; sym < 24; ++sym) {
        deep.append(size_t(a), char(sym));
        const uint64_t c = a + b;
        a = b;
        b = c;
    }
    const std::string packed = Pack(deep);
    EXPECT_EQ(packed, ReferencePack(deep));
    EXPECT_EQ(Unpack(packed), deep);
}

// Bytes drawn by `pick` from one generator: the kinds of code the unpacker
// meets, each large enough to be decoded in several stretches at once.
std::string Drawn(size_t n, const std::function<int(std::mt19937&)>& pick)
{
    std::mt19937 rng{unsigned(n)};
    std::string s(n, '\0');
    for (auto& c : s) c = char(pick(rng));
    return s;
}

std::string LedgerText(size_t n)
{
    std::string s;
    for (int i = 0; s.size() < n; ++i) s += "仕入帳 No." + std::to_string(i * 7919 % 100003) + " 1,234,500\n";
    s.resize(n);
    return s;
}

std::string FibonacciBytes(int symbols)
{
    std::string s;
    uint64_t a = 1, b = 1;
    for (int sym = 0; sym < symbols; ++sym) {
        s.append(size_t(a), char(sym));
        const uint64_t c = a + b;
        a = b;
        b = c;
    }
    return s;
}

// 'a' takes the code 0, 'b' 10 and 'c' 11. In the runs of 'c' a decoder that
// starts an odd number of bits off stays off until the next 'a'.
std::string OutOfStep()
{
    std::string s(800000, 'a');
    s.append(590000, 'b');
    for (int i = 0; i < 600000; ++i) s.push_back(i % 1999 == 0 ? 'a' : 'c');
    return s;
}

TEST(TvHuffman, EveryKindOfCodeUnpacksAsTheBitByBitReaderReadsIt)
{
    const struct {
        const char* what;
        std::string in;
    } cases[] = {
        {"ledger text", LedgerText(3 << 20)},
        {"uniform bytes: codes of one length", Drawn(2 << 20, [](std::mt19937& r) { return int(r() & 0xFF); })},
        {"two-bit codes", Drawn(1 << 20, [](std::mt19937& r) { return int(r() & 3); })},
        {"codes of 7 and 8 bits: decoders seldom fall into step",
         Drawn(2 << 20, [](std::mt19937& r) { return int(r() % 200); })},
        {"one-bit codes and rare long ones",
         Drawn(2 << 20, [](std::mt19937& r) { return r() % 1000 ? 0 : int(1 + r() % 255); })},
        {"codes beyond both look-up tables", FibonacciBytes(31)},
        {"runs of a two-bit code a one-bit code seldom breaks: decoders out of step", OutOfStep()},
        {"a few stretches", LedgerText(30000)},
    };
    nvtest::TempDir dir;
    for (const auto& c : cases) {
        const std::string packed = Pack(c.in);
        std::string reference;
        ASSERT_TRUE(ReferenceUnpack(packed, reference)) << c.what;
        ASSERT_TRUE(reference == c.in) << c.what;
        EXPECT_TRUE(Unpack(packed) == c.in) << c.what;
        // Files go through windows on both sides.
        nvtest::WriteFileBytes(dir.file("p"), packed);
        ASSERT_EQ(TvHuffman::Decompress(dir.file("u"), dir.file("p")), 0) << c.what;
        EXPECT_TRUE(nvtest::ReadFileBytes(dir.file("u")) == c.in) << c.what;
    }
}

TEST(TvHuffman, DamagedLargeStreamsUnpackAsTheBitByBitReaderReadsThem)
{
    const std::string in = LedgerText(300000);
    const std::string packed = Pack(in);
    std::mt19937 rng(17);
    for (int i = 0; i < 40; ++i) {
        std::string bad = packed;
        if (i % 4 == 0) {
            bad.resize(rng() % bad.size()); // cut anywhere
        } else {
            // Flips past the length, in the tree or among the codes.
            const size_t at = 4 + rng() % (i % 4 == 1 ? 200 : bad.size() - 4);
            bad[at] ^= char(1 << (rng() % 8));
        }
        std::string expect, out;
        const bool ok = ReferenceUnpack(bad, expect);
        const int r = TvHuffman::DecompressBuffer(bad, out, 1u << 30);
        EXPECT_EQ(r == 0, ok) << i;
        if (ok) EXPECT_TRUE(out == expect) << i;
        else EXPECT_TRUE(out.empty()) << i;
    }
}

TEST(TvHuffman, CodesLongerThan32BitsRoundTrip)
{
    // Fibonacci frequencies over 35 values give a code of 34 bits.
    std::string deep;
    uint64_t a = 1, b = 1;
    for (int sym = 0; sym < 35; ++sym) {
        deep.append(size_t(a), char(sym));
        const uint64_t c = a + b;
        a = b;
        b = c;
    }
    std::string packed, back;
    ASSERT_EQ(TvHuffman::CompressBuffer(deep, packed), 0);
    ASSERT_EQ(TvHuffman::DecompressBuffer(packed, back, deep.size()), 0);
    EXPECT_TRUE(back == deep);
    // The code bits: sum of frequency times depth, as the tree dictates.
    uint64_t bits = 0;
    a = 1, b = 1;
    for (int sym = 0; sym < 35; ++sym) {
        bits += a * uint64_t(sym == 0 ? 34 : 35 - sym);
        const uint64_t c = a + b;
        a = b;
        b = c;
    }
    const uint64_t treeBits = 34 + 35 * 9;
    EXPECT_EQ(packed.size(), 4 + (treeBits + bits + 7) / 8);
}

TEST(TvHuffman, FilesRoundTripAndReportOpenFailures)
{
    nvtest::TempDir dir;
    const std::string src = dir.file("src"), packed = dir.file("packed"), back = dir.file("back");
    const std::string in = RandomBytes(300000, 5, true);
    nvtest::WriteFileBytes(src, in);
    ASSERT_EQ(TvHuffman::Compress(packed, src), 0);
    EXPECT_EQ(nvtest::ReadFileBytes(packed), Pack(in));
    ASSERT_EQ(TvHuffman::Decompress(back, packed), 0);
    EXPECT_EQ(nvtest::ReadFileBytes(back), in);

    EXPECT_EQ(TvHuffman::Compress(packed, dir.file("missing")), TvHuffman::kSourceOpenFailed);
    EXPECT_EQ(TvHuffman::Decompress(back, dir.file("missing")), TvHuffman::kSourceOpenFailed);
    EXPECT_EQ(TvHuffman::Compress(dir.file("no/such/dir"), src), TvHuffman::kTargetCreateFailed);
    EXPECT_EQ(TvHuffman::Decompress(dir.file("no/such/dir"), packed), TvHuffman::kTargetCreateFailed);
}

TEST(TvHuffman, DamagedStreamsAreRejected)
{
    const std::string in = RandomBytes(5000, 9, true);
    const std::string packed = Pack(in);
    // Every truncation: inside the length, the tree or the codes.
    for (size_t n = 0; n < packed.size(); ++n) {
        std::string out;
        const int r = TvHuffman::DecompressBuffer(packed.substr(0, n), out, 1u << 30);
        EXPECT_NE(r, 0) << n;
    }
    // A tree of more than 255 internal nodes.
    std::string tooMany = Length(1) + Bits(std::string(300, '1'));
    Unpack(tooMany, TvHuffman::kBadStream);
    // A length the codes cannot give (the padding holds at most 7 codes).
    std::string longer = Length(uint32_t(in.size() + 8)) + packed.substr(4);
    Unpack(longer, TvHuffman::kBadStream);
    // A claimed length beyond the caller's limit is refused before any work.
    std::string out;
    EXPECT_EQ(TvHuffman::DecompressBuffer(Length(0xFFFFFFFF) + "\x20\x80", out, 1u << 20), TvHuffman::kTooLarge);
    // Random flips end in an error or in some output, never a fault.
    std::mt19937 rng(3);
    for (int i = 0; i < 2000; ++i) {
        std::string bad = packed;
        bad[rng() % bad.size()] ^= char(1 << (rng() % 8));
        std::string o;
        TvHuffman::DecompressBuffer(bad, o, 1u << 20);
    }
}

TEST(TvHuffman, AFullDiskIsAFailureNotASuccess)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    nvtest::TempDir dir;
    const std::string src = dir.file("src"), packed = dir.file("packed");
    for (size_t n : {size_t(0), size_t(10), size_t(300000)}) {
        const std::string in = RandomBytes(n, 5, true);
        nvtest::WriteFileBytes(src, in);
        EXPECT_NE(TvHuffman::Compress("/dev/full", src), 0) << n;
        ASSERT_EQ(TvHuffman::Compress(packed, src), 0);
        // Unpacking nothing writes nothing, and that is no failure.
        if (n > 0) {
            EXPECT_NE(TvHuffman::Decompress("/dev/full", packed), 0) << n;
        }
    }
}
