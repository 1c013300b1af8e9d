#include "engine/model/TvBarcode.h"

#include "ShapeBytes.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace nv;
using namespace shapetest;

namespace {

std::string ObjectBytes(const TvObject& o, bool versions = true)
{
    std::string b;
    if (versions) b += U32(10);
    b += char(o.m_strName.size()) + o.m_strName;
    b += U32(o.m_nObjectId) + I32(o.m_nReserved) + I32(o.m_nX) + I32(o.m_nY) + I32(o.m_bTransparent) +
         U32(o.m_crBackColor) + I32(o.m_nDrawOrder);
    return b;
}

// Own fields from the bar colour on, up to and with the widths.
std::string Fields(const TvBarcode& b)
{
    std::string s = I32(b.m_bFieldBound) + I32(b.m_nWidth) + I32(b.m_nHeight) + I32(b.m_nSymbology) +
                    U32(b.m_crBarColor) + I32(b.m_bCheckDigit) + I32(b.m_nOrientation) + I32(b.m_nWidthMode) +
                    I32(b.m_nSecondWidth) + I32(b.m_nFirstWidth) + I32(b.m_nNominalLength) + I32(b.m_nWidthCount);
    for (int32_t i = 0; i < b.m_nWidthCount; ++i) s += I32(b.m_nWidths[size_t(i)]);
    return s;
}

TvBarcode Sample()
{
    TvBarcode b;
    b.m_strName = "Barcode3";
    b.m_nObjectId = 17;
    b.m_nReserved = -2;
    b.m_nX = 100000;
    b.m_nY = -50000;
    b.m_bTransparent = 0;
    b.m_crBackColor = 0x00ABCDEF;
    b.m_nDrawOrder = 4;
    b.SetSymbology(kBarcodeJan13);
    b.m_bFieldBound = 0;
    b.m_nWidth = 3000000;
    b.m_nHeight = 600000;
    b.m_crBarColor = 0x00102030;
    b.m_bCheckDigit = 0;
    b.m_nOrientation = 3;
    b.m_nWidthMode = kWidthExplicit;
    b.m_nSecondWidth = 2;
    b.m_nFirstWidth = 1;
    b.m_nNominalLength = 13;
    for (int i = 0; i < 8; ++i) b.m_nWidths[size_t(i)] = i + 1;
    b.m_nFieldIndex = 6;
    b.m_bCustomerHeight = 0;
    b.m_strText = "490123456789";
    return b;
}

std::string RectBytes(const Rect& r)
{
    return I32(r.left) + I32(r.top) + I32(r.right) + I32(r.bottom);
}

} // namespace

TEST(TvBarcode, NewBarcodeDefaults)
{
    TvBarcode b;
    EXPECT_EQ(b.m_nSymbology, kBarcodeCode39);
    EXPECT_EQ(b.m_nOrientation, 1);
    EXPECT_EQ(b.m_nWidthMode, kWidthFit);
    EXPECT_EQ(b.m_bCheckDigit, 1);
    EXPECT_EQ(b.m_crBarColor, 0u);
    EXPECT_EQ(b.m_nWidthCount, 5);
    EXPECT_EQ(b.m_nSecondWidth, 1);
    EXPECT_EQ(b.m_nNominalLength, 10);
    EXPECT_EQ(b.m_bCustomerHeight, 1);
    EXPECT_EQ(b.m_bFieldBound, 1);
    EXPECT_EQ(b.GetType(), 9);
    EXPECT_EQ(b.GetFlags(), 96);
    EXPECT_EQ(b.IsTextObject(), 1);

    b.m_nWidths[3] = 9;
    b.SetSymbology(kBarcodeJan13);
    EXPECT_EQ(b.m_nWidthCount, 8);
    EXPECT_EQ(b.m_nWidths[3], 0);
    b.SetSymbology(kBarcodeItf);
    EXPECT_EQ(b.m_nWidthCount, 4);
    EXPECT_EQ(b.IsWidthIndexValid(3), 1);
    EXPECT_EQ(b.IsWidthIndexValid(4), 0);
    EXPECT_EQ(b.IsWidthIndexValid(-1), 0);
    b.SetSymbology(9);
    EXPECT_EQ(b.m_nWidthCount, 4); // kept
    EXPECT_EQ(b.IsWidthIndexValid(0), 0);
}

TEST(TvBarcode, ByteExactRoundTrip)
{
    RegisterModelClasses();
    const TvBarcode b = Sample();
    const std::string bytes = Store(b);
    EXPECT_EQ(bytes, ClassRecord("TvBarcode") + ObjectBytes(b) + U32(10) + Fields(b) + I32(6) + I32(0))
        << nvtest::HexDump(bytes);
    auto back = Load<TvBarcode>(bytes);
    EXPECT_EQ(back->m_nWidths[7], 8);
    EXPECT_EQ(back->m_nFieldIndex, 6);
    EXPECT_TRUE(back->m_strText.empty()); // the text is not stored
    EXPECT_EQ(Store(*back), bytes);
    ExpectEveryTruncationFails(bytes);

    // Schema 9: no version words.
    const std::string nine = ClassRecord("TvBarcode", 9) + ObjectBytes(b, false) + Fields(b) + I32(6) + I32(0);
    EXPECT_EQ(Store(*Load<TvBarcode>(nine)), bytes);

    // Schema 1 has the field index but no height flag; schema 0 neither.
    TvBarcode expect = b;
    expect.m_bCustomerHeight = 1;
    const std::string one = ClassRecord("TvBarcode", 1) + ObjectBytes(b, false) + Fields(b) + I32(6);
    EXPECT_EQ(Store(*Load<TvBarcode>(one)), Store(expect));
    expect.m_nFieldIndex = 0;
    const std::string zero = ClassRecord("TvBarcode", 0) + ObjectBytes(b, false) + Fields(b);
    EXPECT_EQ(Store(*Load<TvBarcode>(zero)), Store(expect));
}

TEST(TvBarcode, WidthCountsFromFiles)
{
    TvBarcode b = Sample();
    b.m_nWidthCount = 2; // fewer widths stored: the rest read back as zero
    const std::string few = Store(b);
    EXPECT_EQ(few.size(), Store(Sample()).size() - 6 * 4);
    auto back = Load<TvBarcode>(few);
    EXPECT_EQ(back->m_nWidths[1], 2);
    EXPECT_EQ(back->m_nWidths[2], 0);

    // A count outside 0-8 is refused before anything is read for it.
    const std::string head = ClassRecord("TvBarcode") + ObjectBytes(b) + U32(10);
    b.m_nWidthCount = 0;
    std::string fields = Fields(b);
    fields.resize(fields.size() - 4);
    for (int32_t bad : {-1, 9, INT32_MAX, INT32_MIN}) {
        const std::string bytes = head + fields + I32(bad) + std::string(64, '\0');
        EXPECT_EQ(LoadCause(bytes), CArchiveException::badIndex) << bad;
    }
    // Storing never writes a count that would not read back.
    b.m_nWidthCount = 99;
    const std::string capped = Store(b);
    EXPECT_EQ(Load<TvBarcode>(capped)->m_nWidthCount, 8);
}

TEST(TvBarcode, BoundsByOrientation)
{
    TvBarcode b;
    b.m_nX = b.m_nY = 1000;
    b.m_nWidth = 300;
    b.m_nHeight = 100;
    const Rect expect[] = {{1000, 1000, 1300, 1100}, {900, 1000, 1000, 1300}, {700, 900, 1000, 1000},
                           {1000, 700, 1100, 1000}};
    for (int32_t o = 1; o <= 4; ++o) {
        b.m_nOrientation = o;
        Rect r;
        b.GetBoundRect(r, true);
        EXPECT_EQ(r, expect[o - 1]) << o;
        TvBarcode c;
        c.m_nOrientation = o;
        c.SetRect(Rect{r.right, r.bottom, r.left, r.top}); // any corner order
        EXPECT_EQ(c.m_nX, 1000);
        EXPECT_EQ(c.m_nY, 1000);
        EXPECT_EQ(c.m_nWidth, 300);
        EXPECT_EQ(c.m_nHeight, 100);
    }
}

TEST(TvBarcode, PropertiesAndAddresses)
{
    TvBarcode b;
    b.m_nOrientation = 2;
    TvPropertyMap map;
    map.SetLong(28, kBarcodeJan8);
    map.SetLong(7, 0x0000FF);
    map.SetLong(110, 3);
    map.SetString(1001, "4901234");
    map.SetAt(93, TvPropValue::Bytes(RectBytes(Rect{200, 300, 700, 5300})));
    TvChangeList changes;
    b.SetProperties(map, &changes);
    EXPECT_EQ(b.m_nSymbology, kBarcodeJan8);
    EXPECT_EQ(b.m_nWidthCount, 8);
    EXPECT_EQ(b.m_crBarColor, 0x0000FFu);
    EXPECT_EQ(b.GetAttribute(), 0x0000FFu);
    EXPECT_EQ(b.m_strText, "4901234");
    // Turned 90 degrees: the anchor is the top-right corner, width along y.
    EXPECT_EQ(b.m_nX, 700);
    EXPECT_EQ(b.m_nY, 300);
    EXPECT_EQ(b.m_nWidth, 5000);
    EXPECT_EQ(b.m_nHeight, 500);
    bool saw4 = false, saw5 = false;
    for (const auto& c : changes) {
        saw4 |= c->m_nPropId == 4;
        saw5 |= c->m_nPropId == 5;
    }
    EXPECT_TRUE(saw4 && saw5);
    // Width 110 set in the same map is applied in map order: either cleared
    // by the symbology change or kept after it, never out of range.
    EXPECT_TRUE(b.m_nWidths[1] == 0 || b.m_nWidths[1] == 3);

    // A rectangle of the wrong size is ignored.
    TvPropertyMap bad(93, TvPropValue::Bytes("short"));
    b.SetProperties(bad, nullptr);
    EXPECT_EQ(b.m_nX, 700);

    void* address = nullptr;
    int32_t kind = 0;
    ASSERT_EQ(b.GetPropertyAddress(122, address, kind), 1);
    EXPECT_EQ(address, &b.m_nFieldIndex);
    EXPECT_EQ(kind, addrLong);
    ASSERT_EQ(b.GetPropertyAddress(116, address, kind), 1);
    EXPECT_EQ(address, &b.m_nWidths[7]);
    ASSERT_EQ(b.GetPropertyAddress(108, address, kind), 1);
    ASSERT_EQ(b.GetPropertyAddress(6, address, kind), 1);
    EXPECT_EQ(kind, addrString);
    b.m_bFieldBound = 0;
    EXPECT_EQ(b.GetPropertyAddress(122, address, kind), 0);

    EXPECT_EQ(b.IsPropertySupported(28), 1);
    EXPECT_EQ(b.IsPropertySupported(1001), 1);
    EXPECT_EQ(b.IsPropertySupported(108), 0);
    EXPECT_EQ(b.IsPropertySupported(117), 0);
    EXPECT_EQ(b.GetFieldIndex(), 0);
    b.SetFieldIndex(4);
    EXPECT_EQ(b.GetFieldIndex(), 4);
}

TEST(TvBarcode, CloneCopiesAllButTheText)
{
    const TvBarcode b = Sample();
    auto copy = b.Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Store(*copy), Store(b));
    EXPECT_TRUE(static_cast<TvBarcode&>(*copy).m_strText.empty());

    TvBarcode other;
    other.CopyAttributes(b);
    EXPECT_EQ(Store(other), Store(b));
}

TEST(TvBarcode, FillParamsByWidthMode)
{
    TvBarcode b = Sample();
    BarcodeParams p;
    b.FillParams(p, 600, 400);
    EXPECT_EQ(p.left, b.m_nX);
    EXPECT_EQ(p.top, b.m_nY);
    EXPECT_EQ(p.resolutionX, 600);
    EXPECT_EQ(p.resolutionY, 400);
    EXPECT_EQ(p.orientation, 3);
    EXPECT_EQ(p.widths, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    b.m_nWidthMode = kWidthTwo;
    b.FillParams(p, 600, 600);
    EXPECT_EQ(p.widths, (std::vector<int32_t>{1, 2}));
    b.m_nWidthMode = kWidthFit;
    b.FillParams(p, 600, 600);
    EXPECT_TRUE(p.widths.empty());
    EXPECT_TRUE(p.text.empty());
    EXPECT_EQ(p.bars, nullptr);
}

TEST(TvBarcode, CustomerBarcodeDrawsAtItsFixedHeight)
{
    TvBarcode b;
    b.SetSymbology(kBarcodeCustomer);
    b.m_nWidth = 80 * 56693;
    b.m_nHeight = 1000000;
    std::vector<BarRect> bars;
    ASSERT_EQ(b.ComputeBars("1234567", 600, 600, bars), 0);
    ASSERT_EQ(bars.size(), 67u);
    EXPECT_EQ(bars[0].bottom - bars[0].top, 85); // 3.6 mm at 600 dpi
    EXPECT_EQ(b.m_nHeight, 1000000);             // drawing leaves the object alone
    BarcodeParams p;
    b.FillParams(p, 600, 600);
    EXPECT_EQ(p.height, TvBarcode::kCustomerHeight);
    EXPECT_EQ(b.m_nHeight, 1000000);

    b.m_bCustomerHeight = 0;
    ASSERT_EQ(b.ComputeBars("1234567", 600, 600, bars), 0);
    EXPECT_EQ(bars[0].bottom - bars[0].top, 416);
}

TEST(TvBarcode, CheckTextExpandsOrRefuses)
{
    TvBarcode b;
    b.m_nWidth = 3000000;
    b.m_nHeight = 500000;
    std::string expanded;
    EXPECT_EQ(b.CheckText(expanded, "ABC"), 0);
    EXPECT_EQ(expanded, "*ABCX*");
    EXPECT_EQ(b.CheckText(expanded, std::string(101, 'A')), kBarcodeErrLength);
    EXPECT_TRUE(expanded.empty());
    EXPECT_EQ(b.CheckText(expanded, std::string(100, 'A')), 0);
    EXPECT_EQ(b.CheckText(expanded, "abc"), kBarcodeErrCharacter);
    EXPECT_EQ(b.CheckText(expanded, ""), kBarcodeErrLength);

    b.SetSymbology(kBarcodeCustomer);
    EXPECT_EQ(b.CheckText(expanded, "263-0023-3-2-3A"), 0);
    EXPECT_EQ(expanded, "263-0023-3-2-3A");
    EXPECT_EQ(b.CheckText(expanded, "ABCDEFGHIJK"), kBarcodeErrLength);

    b.SetSymbology(kBarcodeJan13);
    EXPECT_EQ(b.CheckText(expanded, "490123456789"), 0);
    EXPECT_EQ(expanded, "4901234567894");

    // A record the encoder cannot take is reported, not drawn.
    b.m_nOrientation = 7;
    EXPECT_EQ(b.CheckText(expanded, "490123456789"), kBarcodeErrParams);
    std::vector<BarRect> bars;
    EXPECT_EQ(b.ComputeBars("490123456789", 300, 300, bars), kBarcodeErrParams);
    EXPECT_TRUE(bars.empty());
}

TEST(TvBarcode, WidthCountAndNominalLengthAreSettable)
{
    TvBarcode b;
    TvPropertyMap map;
    map.SetLong(108, 3);
    map.SetLong(94, 13);
    TvChangeList changes;
    b.SetProperties(map, &changes);
    EXPECT_EQ(b.m_nWidthCount, 3);
    EXPECT_EQ(b.m_nNominalLength, 13);
    bool saw108 = false;
    for (const auto& c : changes) saw108 |= c->m_nPropId == 108;
    EXPECT_TRUE(saw108);

    // A count beyond the eight widths is held to them.
    b.SetProperties(TvPropertyMap(108, TvPropValue::Long(9)), nullptr);
    EXPECT_EQ(b.m_nWidthCount, TvBarcode::kMaxWidths);
    b.SetProperties(TvPropertyMap(108, TvPropValue::Long(-1)), nullptr);
    EXPECT_EQ(b.m_nWidthCount, 0);
}
