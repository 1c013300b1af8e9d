#include "engine/model/TvLine.h"

#include "ShapeBytes.h"

#include <gtest/gtest.h>

using namespace nv;
using namespace shapetest;

namespace {
TvLine SampleLine()
{
    TvLine l;
    FillGraphic(l, "Line1");
    l.m_nEndX = 5000;
    l.m_nEndY = -6000;
    return l;
}
} // namespace

TEST(TvLine, ByteExactRoundTrip)
{
    TvLine l = SampleLine();
    l.m_bVisible = 0;
    const std::string bytes = Store(l);
    EXPECT_EQ(bytes, ClassRecord("TvLine") + GraphicBytes(l) + U32(10) + I32(5000) + I32(-6000))
        << nvtest::HexDump(bytes);
    auto back = Load<TvLine>(bytes);
    EXPECT_EQ(back->m_nEndX, 5000);
    EXPECT_EQ(back->m_nEndY, -6000);
    EXPECT_EQ(back->m_bVisible, 1);
    EXPECT_EQ(Store(*back), bytes);
    ExpectEveryTruncationFails(bytes);

    const std::string old = ClassRecord("TvLine", 9) + GraphicBytes(l, false) + I32(5000) + I32(-6000);
    EXPECT_EQ(Store(*Load<TvLine>(old)), bytes);
}

TEST(TvLine, BoundsGrowOutwardAlongTheLine)
{
    TvLine back(Rect{100, 100, 0, 0});
    Rect r;
    back.GetBoundRect(r, false);
    EXPECT_EQ(r, (Rect{100, 100, 0, 0}));
    back.GetBoundRect(r, true);
    EXPECT_EQ(r, (Rect{7601, 7601, -7501, -7501}));

    TvLine forward(Rect{0, 0, 100, 100});
    forward.GetBoundRect(r, true);
    EXPECT_EQ(r, (Rect{-7501, -7501, 7601, 7601}));

    TvLine extreme(Rect{INT32_MAX, 0, INT32_MIN, 0});
    extreme.m_nLineWidth = INT32_MAX;
    extreme.GetBoundRect(r, true); // wraps as 32-bit fields do, never overflows
    EXPECT_EQ(r.left, -1073741824);
}

TEST(TvLine, GeometryOperations)
{
    TvGraphic tmpl;
    tmpl.m_crLineColor = 0x0000FF;
    tmpl.m_nLineWidth = 1;
    TvLine l(Rect{10, 20, 30, 40}, &tmpl);
    EXPECT_EQ(l.m_nObjectId, 5u);
    EXPECT_EQ(l.m_nX, 10);
    EXPECT_EQ(l.m_nY, 20);
    EXPECT_EQ(l.m_nEndX, 30);
    EXPECT_EQ(l.m_nEndY, 40);
    EXPECT_EQ(l.m_nLineWidth, 1);
    EXPECT_EQ(l.GetAttribute(), 0xFFu);
    EXPECT_EQ(l.GetType(), 2);
    EXPECT_EQ(l.GetFlags(), 16);

    l.Offset(5, -5);
    EXPECT_EQ(l.m_nX, 15);
    EXPECT_EQ(l.m_nEndY, 35);
    l.Scale(Size{2, 3}, Size{3, 2});
    EXPECT_EQ(l.m_nX, 22);
    EXPECT_EQ(l.m_nY, 10);
    EXPECT_EQ(l.m_nEndX, 52);
    EXPECT_EQ(l.m_nEndY, 23);
    l.Scale(Size{0, 0}, Size{5, 5}); // no extent to scale from: unchanged
    EXPECT_EQ(l.m_nEndX, 52);
    l.SetRect(Rect{1, 2, 3, 4});
    EXPECT_EQ(l.m_nEndY, 4);

    FillGraphic(l, "Line9");
    auto copy = l.Clone();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetRuntimeClass().name, std::string("TvLine"));
    EXPECT_EQ(Store(*copy), Store(l));
}

TEST(TvLine, PropertiesNamingAndAddresses)
{
    TvLine l;
    TvPropertyMap map;
    map.SetLong(33, 900);
    map.SetLong(34, 800);
    map.SetLong(11, 0x00FF00);
    TvChangeList changes;
    l.SetProperties(map, &changes);
    EXPECT_EQ(l.m_nEndX, 900);
    EXPECT_EQ(l.m_nEndY, 800);
    EXPECT_EQ(l.m_crLineColor, 0xFF00u);
    EXPECT_EQ(changes.size(), 3u); // 11 applied twice, recorded once

    for (uint16_t id : {2, 3, 4, 5, 9, 10, 11, 33, 34, 1000}) EXPECT_TRUE(l.IsPropertySupported(id)) << id;
    for (uint16_t id : {1, 6, 7, 8, 12, 35, 117}) EXPECT_FALSE(l.IsPropertySupported(id)) << id;

    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(l.GetPropertyAddress(1, address, kind), 1);
    EXPECT_EQ(address, &l.m_crLineColor);
    EXPECT_EQ(l.GetPropertyAddress(33, address, kind), 1);
    EXPECT_EQ(address, &l.m_nEndX);
    EXPECT_EQ(l.GetPropertyAddress(7, address, kind), 0);
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(l.GetPropertyAddress(9, address, kind), 1);
    EXPECT_EQ(address, &l.m_nLineWidth);

    TvLine other;
    other.m_strName = "Line4";
    ObjectSourceFn form([&](const std::function<void(const TvObject&)>& fn) {
        fn(other);
        fn(l);
    });
    l.GetTypeName(form);
    EXPECT_EQ(l.m_strName, "Line5");
}
