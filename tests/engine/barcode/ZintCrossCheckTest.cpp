// Cross-check of the element sequences against an independent encoder.
#include "engine/barcode/BarcodeFit.h"
#include "engine/barcode/BarcodeParams.h"
#include "engine/barcode/BarcodeSymbols.h"

#include <gtest/gtest.h>
#include <zint.h>

#include <memory>
#include <random>
#include <string>

using namespace nv;

namespace {

constexpr int kInputs = 1200;

struct ZintSymbol {
    zint_symbol* s = ZBarcode_Create();
    ~ZintSymbol() { ZBarcode_Delete(s); }
};

bool Module(const zint_symbol* s, int row, int col)
{
    return (s->encoded_data[row][col >> 3] >> (col & 7)) & 1;
}

// Encodes with the reference library; "" and a failure when it refuses.
bool ZintEncode(ZintSymbol& z, int symbology, const std::string& data, int option2)
{
    ZBarcode_Clear(z.s);
    z.s->symbology = symbology;
    z.s->option_2 = option2;
    const int rc = ZBarcode_Encode(z.s, reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
    EXPECT_LT(rc, ZINT_ERROR) << data << ": " << z.s->errtxt;
    return rc < ZINT_ERROR;
}

// Alternating bars and spaces (first a bar) as run lengths in modules.
std::vector<int> ZintRuns(const zint_symbol* s)
{
    std::vector<int> runs;
    bool current = true;
    int length = 0;
    int end = s->width;
    while (end > 0 && !Module(s, 0, end - 1)) --end; // no trailing space
    for (int col = 0; col < end; ++col) {
        const bool m = Module(s, 0, col);
        if (m == current) {
            ++length;
        } else {
            runs.push_back(length);
            current = m;
            length = 1;
        }
    }
    runs.push_back(length);
    return runs;
}

// Narrow/wide sketch: 'n' narrow, 'w' wide for both bars and spaces.
std::string ZintNarrowWide(const zint_symbol* s)
{
    std::string out;
    for (int r : ZintRuns(s)) out += r > 1 ? 'w' : 'n';
    return out;
}

std::string OurNarrowWide(const LogicalBarcode& lb)
{
    std::string out;
    for (const BarElement& e : lb.elements) out += (e.kind != ElementKind::Gap && e.size) ? 'w' : 'n';
    return out;
}

std::string ZintModules(const zint_symbol* s)
{
    std::string out;
    for (int r : ZintRuns(s)) out += char('0' + r);
    return out;
}

std::string OurModules(const LogicalBarcode& lb)
{
    std::string out;
    for (const BarElement& e : lb.elements) out += char('0' + e.size);
    return out;
}

std::string RandomText(std::mt19937& rng, std::string_view alphabet, int minLen, int maxLen)
{
    std::uniform_int_distribution<int> len(minLen, maxLen);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string s(size_t(len(rng)), ' ');
    for (char& c : s) c = alphabet[pick(rng)];
    return s;
}

// The same sequences read back from fitted bars: explicit widths that tell
// every element apart, in orientation 1 at 600 dpi.
std::vector<BarRect> FitExplicit(int32_t symbology, const std::string& text, int32_t check)
{
    BarcodeParams p;
    p.left = p.top = 1440000;
    p.width = 4 * 1440000;
    p.height = 720000;
    p.resolutionX = p.resolutionY = 600;
    p.symbology = symbology;
    p.checkDigit = check;
    p.widthMode = kWidthExplicit;
    switch (symbology) {
    case kBarcodeJan13:
    case kBarcodeJan8: p.widths = {2, 4, 6, 8, 3, 5, 7, 9}; break;
    case kBarcodeItf: p.widths = {2, 3, 5, 7}; break;
    case kBarcodeCustomer: p.widths = {30, 10, 3, 4}; break;
    default: p.widths = {2, 3, 5, 7, 3}; break; // the gap is a narrow space
    }
    p.text = text;
    std::vector<BarRect> bars;
    p.bars = &bars;
    EXPECT_EQ(FitBarcode(p), 0) << text;
    return bars;
}

std::string FittedNarrowWide(const std::vector<BarRect>& bars)
{
    std::string out;
    for (size_t i = 0; i < bars.size(); ++i) {
        if (i > 0) out += bars[i].left - bars[i - 1].right == 7 ? 'w' : 'n';
        out += bars[i].right - bars[i].left == 5 ? 'w' : 'n';
    }
    return out;
}

std::string FittedModules(const std::vector<BarRect>& bars)
{
    std::string out;
    for (size_t i = 0; i < bars.size(); ++i) {
        if (i > 0) out += char('0' + (bars[i].left - bars[i - 1].right - 1) / 2);
        out += char('0' + (bars[i].right - bars[i].left) / 2);
    }
    return out;
}

std::string FittedPostal(const std::vector<BarRect>& bars)
{
    std::string out;
    if (bars.empty()) return out;
    const int32_t top = bars.front().top, bottom = bars.front().bottom; // the start code begins with a long bar
    for (const BarRect& b : bars) {
        const bool up = b.top == top, down = b.bottom == bottom;
        out += up && down ? '1' : up ? '2' : down ? '3' : '4';
    }
    return out;
}

} // namespace

TEST(ZintCrossCheck, Code39)
{
    std::mt19937 rng(39);
    ZintSymbol z;
    for (int i = 0; i < kInputs; ++i) {
        const std::string text = RandomText(rng, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", 1, 40);
        const int check = i % 2;
        LogicalBarcode lb;
        ASSERT_GT(EncodeSymbols(kBarcodeCode39, text, check, lb), 0) << text;
        ASSERT_TRUE(ZintEncode(z, BARCODE_CODE39, text, check));
        ASSERT_EQ(OurNarrowWide(lb), ZintNarrowWide(z.s)) << text << " check " << check;
        ASSERT_EQ(FittedNarrowWide(FitExplicit(kBarcodeCode39, text, check)), ZintNarrowWide(z.s)) << text;
    }
}

TEST(ZintCrossCheck, Jan13)
{
    std::mt19937 rng(13);
    ZintSymbol z;
    for (int i = 0; i < kInputs; ++i) {
        const std::string text = RandomText(rng, "0123456789", 12, 12);
        LogicalBarcode lb;
        ASSERT_EQ(EncodeSymbols(kBarcodeJan13, text, 1, lb), 30) << text;
        ASSERT_TRUE(ZintEncode(z, BARCODE_EANX, text, 0));
        ASSERT_EQ(OurModules(lb), ZintModules(z.s)) << text;
        ASSERT_EQ(FittedModules(FitExplicit(kBarcodeJan13, text, 1)), ZintModules(z.s)) << text;
        ASSERT_EQ(lb.expanded, reinterpret_cast<const char*>(z.s->text)) << text;
        // The full thirteen digits encode the same.
        LogicalBarcode full;
        ASSERT_EQ(EncodeSymbols(kBarcodeJan13, lb.expanded, 0, full), 30);
        ASSERT_EQ(full.elements, lb.elements);
    }
}

TEST(ZintCrossCheck, Jan8)
{
    std::mt19937 rng(8);
    ZintSymbol z;
    for (int i = 0; i < kInputs; ++i) {
        const std::string text = RandomText(rng, "0123456789", 7, 7);
        LogicalBarcode lb;
        ASSERT_EQ(EncodeSymbols(kBarcodeJan8, text, 1, lb), 22) << text;
        ASSERT_TRUE(ZintEncode(z, BARCODE_EANX, text, 0));
        ASSERT_EQ(OurModules(lb), ZintModules(z.s)) << text;
        ASSERT_EQ(FittedModules(FitExplicit(kBarcodeJan8, text, 1)), ZintModules(z.s)) << text;
        ASSERT_EQ(lb.expanded, reinterpret_cast<const char*>(z.s->text)) << text;
    }
}

TEST(ZintCrossCheck, Itf)
{
    std::mt19937 rng(25);
    ZintSymbol z;
    for (int i = 0; i < kInputs; ++i) {
        const std::string text = RandomText(rng, "0123456789", 1, 30);
        LogicalBarcode lb;
        ASSERT_GT(EncodeSymbols(kBarcodeItf, text, 0, lb), 0) << text;
        // The reference appends its check digit on request; ours only to odd counts.
        ASSERT_TRUE(ZintEncode(z, BARCODE_C25INTER, text, text.size() % 2 ? 1 : 0));
        ASSERT_EQ(OurNarrowWide(lb), ZintNarrowWide(z.s)) << text;
        ASSERT_EQ(FittedNarrowWide(FitExplicit(kBarcodeItf, text, 0)), ZintNarrowWide(z.s)) << text;
    }
}

TEST(ZintCrossCheck, Nw7)
{
    std::mt19937 rng(7);
    ZintSymbol z;
    for (int i = 0; i < kInputs; ++i) {
        const std::string text = RandomText(rng, "ABCD", 1, 1) + RandomText(rng, "0123456789-$:/.+", 1, 28) +
                                 RandomText(rng, "ABCD", 1, 1);
        const int check = i % 2;
        LogicalBarcode lb;
        ASSERT_GT(EncodeSymbols(kBarcodeNw7, text, check, lb), 0) << text;
        ASSERT_TRUE(ZintEncode(z, BARCODE_CODABAR, text, check));
        ASSERT_EQ(OurNarrowWide(lb), ZintNarrowWide(z.s)) << text << " check " << check;
        ASSERT_EQ(FittedNarrowWide(FitExplicit(kBarcodeNw7, text, check)), ZintNarrowWide(z.s)) << text;
    }
}

TEST(ZintCrossCheck, CustomerBarcode)
{
    std::mt19937 rng(19);
    ZintSymbol z;
    int done = 0;
    while (done < kInputs) {
        const std::string text = RandomText(rng, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-", 1, 20);
        LogicalBarcode lb;
        const int32_t r = EncodeSymbols(kBarcodeCustomer, text, 0, lb);
        if (r == kBarcodeErrLength) continue; // more than 20 codes
        ASSERT_EQ(r, 67) << text;
        ASSERT_TRUE(ZintEncode(z, BARCODE_JAPANPOST, text, 0));
        ASSERT_EQ(z.s->rows, 3);
        ASSERT_EQ(z.s->width, 67 * 2 - 1);
        std::string theirs, ours;
        for (int col = 0; col < z.s->width; col += 2) {
            const bool up = Module(z.s, 0, col), down = Module(z.s, 2, col);
            theirs += up && down ? '1' : up ? '2' : down ? '3' : '4';
        }
        for (PostalBar b : lb.postal) ours += char('0' + int(b));
        ASSERT_EQ(ours, theirs) << text;
        ASSERT_EQ(FittedPostal(FitExplicit(kBarcodeCustomer, text, 0)), theirs) << text;
        ++done;
    }
}
