#include "engine/barcode/BarcodeFit.h"
#include "engine/barcode/BarcodeSymbols.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

using namespace nv;

namespace {

constexpr int32_t kMm = 56693; // document units in a millimetre, about

BarcodeParams Params(int32_t symbology, const std::string& text, int32_t orientation = 1)
{
    BarcodeParams p;
    p.left = 10 * kMm;
    p.top = 20 * kMm;
    p.width = 60 * kMm;
    p.height = 10 * kMm;
    p.orientation = orientation;
    p.resolutionX = p.resolutionY = 300;
    p.symbology = symbology;
    p.checkDigit = 1;
    p.text = text;
    return p;
}

std::vector<BarRect> Fit(BarcodeParams& p, int32_t expect = 0)
{
    std::vector<BarRect> bars;
    p.bars = &bars;
    EXPECT_EQ(FitBarcode(p), expect);
    p.bars = nullptr;
    return bars;
}

} // namespace

TEST(BarcodeFit, ParameterRecordIsChecked)
{
    std::vector<BarRect> bars;
    auto expectBad = [&](BarcodeParams p) {
        EXPECT_EQ(EncodeBarcode(p), kBarcodeErrParams);
        p.bars = &bars;
        EXPECT_EQ(FitBarcode(p), kBarcodeErrParams);
    };
    BarcodeParams p = Params(kBarcodeCode39, "ABC");
    p.widthMode = kWidthTwo;
    p.widths = {1, 2, 3};
    expectBad(p);
    p = Params(kBarcodeCode39, "ABC");
    p.resolutionX = 0;
    expectBad(p);
    p = Params(kBarcodeCode39, "ABC");
    p.resolutionY = -300;
    expectBad(p);
    p = Params(kBarcodeCode39, "ABC", 5);
    expectBad(p);
    p = Params(kBarcodeCode39, "ABC", 0);
    expectBad(p);
    p = Params(7, "ABC");
    expectBad(p);
    p = Params(kBarcodeCode39, "ABC");
    p.checkDigit = 2;
    expectBad(p);
    p.checkDigit = 1;
    p.widthMode = 5;
    expectBad(p);
    p.widthMode = kWidthExplicit; // a set of 5 is needed for Code 39
    p.widths = {1, 2, 3, 4};
    expectBad(p);
    p.symbology = kBarcodeItf;
    p.text = "1234";
    EXPECT_EQ(EncodeBarcode(p), 2 * 5 + 2 + 2);
    p = Params(kBarcodeCode39, "ABC");
    EXPECT_EQ(FitBarcode(p), kBarcodeErrParams); // no bar array

    // Nothing is written after a failure.
    std::string expanded = "untouched";
    bars = {BarRect{1, 2, 3, 4}};
    p = Params(kBarcodeCode39, "A*C");
    p.expandedText = &expanded;
    p.bars = &bars;
    EXPECT_EQ(FitBarcode(p), kBarcodeErrCharacter);
    EXPECT_EQ(expanded, "untouched");
    EXPECT_EQ(bars.size(), 1u);
}

TEST(BarcodeFit, EmptyAndShortTextsInEverySymbology)
{
    for (int32_t s = 1; s <= 6; ++s) {
        BarcodeParams p = Params(s, "");
        EXPECT_EQ(EncodeBarcode(p), kBarcodeErrLength) << s;
        Fit(p, kBarcodeErrLength);
    }
    BarcodeParams p = Params(kBarcodeNw7, "A");
    EXPECT_EQ(EncodeBarcode(p), kBarcodeErrLength);
}

TEST(BarcodeFit, Code39BarsAreUniformAndInsideTheRun)
{
    BarcodeParams p = Params(kBarcodeCode39, "ABC");
    std::string expanded;
    p.expandedText = &expanded;
    p.widthMode = kWidthTwo;
    p.widths = {0, 0};
    EXPECT_EQ(EncodeBarcode(p), 30);
    EXPECT_EQ(expanded, "*ABCX*");
    const auto bars = Fit(p);
    ASSERT_EQ(bars.size(), 30u);
    const int32_t x0 = int32_t(DocToDots(p.left, 300));
    EXPECT_EQ(bars.front().left, x0);
    std::set<int32_t> widths;
    for (size_t i = 0; i < bars.size(); ++i) {
        EXPECT_EQ(bars[i].top, DocToDots(p.top, 300));
        EXPECT_EQ(bars[i].bottom, DocToDots(p.top + p.height, 300));
        widths.insert(bars[i].right - bars[i].left);
        if (i > 0) {
            EXPECT_GT(bars[i].left, bars[i - 1].right); // a space between bars
        }
    }
    EXPECT_EQ(widths.size(), 2u); // one narrow and one wide width
    EXPECT_EQ(p.resultWidth, DotsToDoc(bars.back().right - x0, 300));
    EXPECT_EQ(p.width, 60 * kMm);
}

TEST(BarcodeFit, ExplicitWidthSetsAreTakenAsTheyStand)
{
    // '*' is n S n s w s w s n; then the gap.
    BarcodeParams p = Params(kBarcodeCode39, "1");
    p.checkDigit = 0;
    p.widthMode = kWidthExplicit;
    p.widths = {2, 3, 5, 7, 11};
    auto bars = Fit(p);
    const int32_t x0 = bars.front().left;
    ASSERT_EQ(bars.size(), 15u);
    EXPECT_EQ(bars[0], (BarRect{x0, bars[0].top, x0 + 2, bars[0].bottom}));
    EXPECT_EQ(bars[1].left, x0 + 2 + 7);
    EXPECT_EQ(bars[1].right, x0 + 2 + 7 + 2);
    EXPECT_EQ(bars[2].left, x0 + 2 + 7 + 2 + 3);
    EXPECT_EQ(bars[2].right - bars[2].left, 5);
    // End of '*': n + S + n + s + w + s + w + s + n, then the gap before '1'.
    EXPECT_EQ(bars[5].left, x0 + (2 + 7 + 2 + 3 + 5 + 3 + 5 + 3 + 2) + 11);

    // Zero and negative widths become one dot.
    p.widths = {0, -5, INT32_MIN, 0, -1};
    bars = Fit(p);
    for (const BarRect& b : bars) EXPECT_EQ(b.right - b.left, 1);
    EXPECT_EQ(bars[1].left - bars[0].right, 1);

    // JAN: bars of 1-4 modules take widths 0-3, spaces 4-7.
    p = Params(kBarcodeJan8, "4901234");
    p.widthMode = kWidthExplicit;
    p.widths = {2, 4, 6, 8, 3, 5, 7, 9};
    bars = Fit(p);
    ASSERT_EQ(bars.size(), 22u);
    EXPECT_EQ(bars[0].right - bars[0].left, 2);
    EXPECT_EQ(bars[1].left - bars[0].right, 3);
    // First digit 4 (set A 1132): space 1, bar 1, space 3, bar 2.
    EXPECT_EQ(bars[2].left - bars[1].right, 3);
    EXPECT_EQ(bars[2].right - bars[2].left, 2);
    EXPECT_EQ(bars[3].left - bars[2].right, 7);
    EXPECT_EQ(bars[3].right - bars[3].left, 4);
}

TEST(BarcodeFit, HugeWidthsNeverOverflow)
{
    BarcodeParams p = Params(kBarcodeCode39, "ABCDEFGHIJ");
    p.widthMode = kWidthExplicit;
    p.widths = {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
    Fit(p, kBarcodeErrParams);
    p.widthMode = kWidthTwo;
    p.widths = {INT32_MAX, INT32_MAX};
    Fit(p, kBarcodeErrParams);
    p.widths = {-100, -100}; // no negative bar addition
    auto bars = Fit(p);
    for (const BarRect& b : bars) EXPECT_GT(b.right, b.left);
    for (int32_t s = 1; s <= 6; ++s) {
        for (int32_t o = 1; o <= 4; ++o) {
            BarcodeParams q = Params(s, s == 5 ? "A12B" : s == 2 ? "490123456789" : "1234567");
            q.orientation = o;
            q.left = q.top = INT32_MAX;
            q.width = q.height = INT32_MAX;
            q.resolutionX = q.resolutionY = INT32_MAX;
            std::vector<BarRect> out;
            q.bars = &out;
            const int32_t r = FitBarcode(q);
            EXPECT_TRUE(r == 0 || r == kBarcodeErrParams);
            q.left = q.top = INT32_MIN;
            q.width = q.height = INT32_MIN;
            q.resolutionX = q.resolutionY = 1;
            const int32_t r2 = FitBarcode(q);
            EXPECT_TRUE(r2 == 0 || r2 == kBarcodeErrParams) << s << " " << o;
        }
    }
}

TEST(BarcodeFit, OrientationsTurnTheSameBars)
{
    BarcodeParams p = Params(kBarcodeItf, "123456");
    p.left = p.top = 0;
    const auto normal = Fit(p);
    for (int32_t o = 2; o <= 4; ++o) {
        BarcodeParams q = p;
        q.orientation = o;
        q.left = q.top = 100 * kMm;
        const auto turned = Fit(q);
        ASSERT_EQ(turned.size(), normal.size());
        const int32_t c = int32_t(DocToDots(100 * kMm, 300));
        const int32_t ch = int32_t(DocToDots(100 * kMm - p.height, 300));
        const int32_t cH = int32_t(DocToDots(100 * kMm + p.height, 300));
        for (size_t i = 0; i < normal.size(); ++i) {
            const BarRect& n = normal[i];
            BarRect e;
            if (o == 2) e = {ch, c + n.left, c, c + n.right};
            if (o == 3) e = {c - n.right, ch, c - n.left, c};
            if (o == 4) e = {c, c - n.right, cH, c - n.left};
            EXPECT_EQ(turned[i], e) << "orientation " << o << " bar " << i;
        }
        EXPECT_EQ(q.resultWidth, p.resultWidth);
    }
}

TEST(BarcodeFit, FitWidensUntilTheBarsFillTheWidth)
{
    BarcodeParams p = Params(kBarcodeCode39, "ABC");
    p.checkDigit = 0;
    EXPECT_GT(EncodeBarcode(p), 0);
    const int32_t natural = p.resultWidth;
    ASSERT_GT(natural, 0);
    for (int32_t mode : {kWidthFit, kWidthFitDevice}) {
        p.widthMode = mode;
        p.width = natural + 100000;
        const auto bars = Fit(p);
        EXPECT_GE(p.resultWidth, p.width - 15000);
        EXPECT_EQ(p.width, natural + 100000); // the requested width is kept
    }
    // Explicit widths run once, whatever the rectangle.
    p.widthMode = kWidthExplicit;
    p.widths = {1, 1, 3, 3, 1};
    Fit(p);
    EXPECT_LT(p.resultWidth, p.width - 15000);
}

TEST(BarcodeFit, CustomerBarcodeBarKinds)
{
    BarcodeParams p = Params(kBarcodeCustomer, "1");
    p.left = p.top = 0;
    p.height = 204094; // 3.6 mm
    const auto bars = Fit(p);
    ASSERT_EQ(bars.size(), 67u);
    const int32_t H = int32_t(DocToDots(p.height, 300)); // 42
    const int32_t S = H / 3, mid = (H - S) / 2;
    // Start 1 3, then 1 = 1 1 4.
    EXPECT_EQ(bars[0].top, 0);
    EXPECT_EQ(bars[0].bottom, H);
    EXPECT_EQ(bars[1].top, mid);
    EXPECT_EQ(bars[1].bottom, H);
    EXPECT_EQ(bars[4].top, mid);
    EXPECT_EQ(bars[4].bottom, mid + S);
    const int32_t space = bars[1].left - bars[0].right;
    EXPECT_EQ(space, H / 6);
    for (size_t i = 1; i < bars.size(); ++i) EXPECT_EQ(bars[i].left - bars[i - 1].right, space);

    // Upside down the descender hangs from the other side.
    p.orientation = 3;
    p.left = p.top = 100 * kMm;
    const auto turned = Fit(p);
    const int32_t low = int32_t(DocToDots(100 * kMm - p.height, 300));
    EXPECT_EQ(turned[1].top, low);
    EXPECT_EQ(turned[1].bottom, low + S + mid);

    // An explicit set: bar height, timing height, bar width, space.
    p.orientation = 1;
    p.widthMode = kWidthExplicit;
    p.widths = {30, 10, 3, 4};
    const auto fixed = Fit(p);
    EXPECT_EQ(fixed[0].bottom - fixed[0].top, 30);
    EXPECT_EQ(fixed[4].bottom - fixed[4].top, 10);
    EXPECT_EQ(fixed[0].right - fixed[0].left, 3);
    EXPECT_EQ(fixed[1].left - fixed[0].right, 4);
    EXPECT_EQ(p.resultWidth, DotsToDoc(67 * 3 + 66 * 4, 300));

    // Too low a rectangle still gives bars of at least 6 dots.
    p.widthMode = kWidthFit;
    p.widths.clear();
    p.height = 0;
    const auto flat = Fit(p);
    EXPECT_EQ(flat[0].bottom - flat[0].top, 6);
}

TEST(BarcodeFit, UnitHelpers)
{
    EXPECT_EQ(DocToHmm(1440000), 2540);
    EXPECT_EQ(DocToHmm(-1440000), -2540);
    EXPECT_EQ(HmmToDoc(2540), 1440000);
    EXPECT_EQ(HmmToDoc(1), 566); // truncated
    EXPECT_EQ(HmmToDots(2540, 300), 300);
    EXPECT_EQ(DocToDots(1440000, 600), 600);
    EXPECT_EQ(DocToDots(-2399, 600), 0);
    EXPECT_EQ(DotsToDoc(300, 300), 1440000);
}

TEST(BarcodeFit, BarsKeepTheirSizeOnAnotherDevice)
{
    std::vector<BarRect> bars = {{600, 1200, 606, 1800}, {-600, 0, INT32_MAX, INT32_MIN}};
    MapBars(bars, 600, 600, 96, 300);
    EXPECT_EQ(bars[0], (BarRect{96, 600, 96, 900})); // a bar under one dot wide maps to nothing
    EXPECT_EQ(bars[1].left, -96);
    EXPECT_EQ(bars[1].right, int32_t(int64_t(INT32_MAX) * 96 / 600));
    std::vector<BarRect> up = {{1, 2, 3, 4}};
    MapBars(up, 300, 300, 1200, 600);
    EXPECT_EQ(up[0], (BarRect{4, 4, 12, 8}));
    MapBars(up, 300, 0, 1200, 600); // no resolution: unchanged
    EXPECT_EQ(up[0], (BarRect{4, 4, 12, 8}));
    std::vector<BarRect> grow = {{INT32_MAX, INT32_MIN, 0, 0}};
    MapBars(grow, 1, 1, INT32_MAX, INT32_MAX);
    EXPECT_EQ(grow[0], (BarRect{INT32_MAX, INT32_MIN, 0, 0}));
}

TEST(BarcodeFit, FitStopsAfterTwoHundredRuns)
{
    // At 72 dpi a JAN-13 narrow element grows one dot per some 2.8 million
    // units of width, so 200 widenings of 15000 cannot reach this rectangle.
    BarcodeParams p = Params(kBarcodeJan13, "490123456789");
    p.resolutionX = p.resolutionY = 72;
    p.width = 11111828;
    BarcodeParams last = p;
    last.width = p.width + 199 * 15000; // the width of the 200th run
    ASSERT_GT(EncodeBarcode(last), 0);
    ASSERT_LT(last.resultWidth, p.width - 15000);
    BarcodeParams beyond = p;
    beyond.width = p.width + 200 * 15000;
    ASSERT_GT(EncodeBarcode(beyond), 0);
    ASSERT_NE(beyond.resultWidth, last.resultWidth);

    const auto bars = Fit(p);
    EXPECT_EQ(p.resultWidth, last.resultWidth);
    EXPECT_EQ(p.width, 11111828);
    ASSERT_FALSE(bars.empty());
    EXPECT_EQ(DotsToDoc(bars.back().right - bars.front().left, 72), last.resultWidth);
}

TEST(BarcodeFit, CoordinatesOutsideThirtyTwoBitsAreRefused)
{
    // No rectangle may come back wrapped, and the encoder refuses what the
    // fitting refuses. First the bars' cross extent leaves 32 bits.
    for (int32_t s = 1; s <= 6; ++s) {
        for (int32_t o = 1; o <= 4; ++o) {
            BarcodeParams p = Params(s, s == 5 ? "A1B" : s == 2 ? "490123456789" : s == 3 ? "4901234" : "12");
            p.orientation = o;
            p.resolutionX = p.resolutionY = 2000000000;
            p.left = p.top = 0;
            p.width = 1;
            p.height = 2000000000;
            EXPECT_EQ(EncodeBarcode(p), kBarcodeErrParams) << s << " " << o;
            Fit(p, kBarcodeErrParams);
            // A run that starts just beyond 32 bits and comes back inside
            // with its first element.
            p.resolutionX = p.resolutionY = 2 * 1440000;
            p.height = 1000;
            p.left = p.top = 0;
            (o % 2 ? p.left : p.top) = o <= 2 ? -1073741830 : 1073741830;
            p.widthMode = kWidthExplicit;
            p.widths.assign(size_t(ExplicitWidthCount(s)), 20);
            if (s == kBarcodeCustomer) p.widths[0] = p.widths[1] = 10;
            std::vector<BarRect> bars;
            p.bars = &bars;
            const int32_t r = FitBarcode(p);
            EXPECT_EQ(r, kBarcodeErrParams) << s << " " << o;
            for (const BarRect& b : bars) {
                EXPECT_LE(b.left, b.right);
                EXPECT_LE(b.top, b.bottom);
            }
        }
    }
}
