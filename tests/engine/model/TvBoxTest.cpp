#include "engine/model/TvBox.h"

#include "ShapeBytes.h"

#include <gtest/gtest.h>

using namespace nv;
using namespace shapetest;

TEST(TvBox, ByteExactRoundTrip)
{
    TvBox b;
    FillGraphic(b, "Box1");
    b.m_nWidth = 600;
    b.m_nHeight = 400;
    b.m_nRoundSize = 50;
    b.m_bFrame = 0;
    const std::string bytes = Store(b);
    EXPECT_EQ(bytes, ClassRecord("TvBox") + GraphicBytes(b) + U32(10) + I32(600) + I32(400) + I32(50) + I32(0))
        << nvtest::HexDump(bytes);
    auto back = Load<TvBox>(bytes);
    EXPECT_EQ(back->m_nRoundSize, 50);
    EXPECT_EQ(Store(*back), bytes);
    ExpectEveryTruncationFails(bytes);

    const std::string old = ClassRecord("TvBox", 9) + GraphicBytes(b, false) + I32(600) + I32(400) + I32(50) + I32(0);
    EXPECT_EQ(Store(*Load<TvBox>(old)), bytes);
}

TEST(TvBox, RectangleAndCornerRadius)
{
    TvBox b;
    EXPECT_EQ(b.m_nObjectId, 6u);
    EXPECT_EQ(b.m_bFrame, 1);
    EXPECT_EQ(b.GetFlags(), 25);
    EXPECT_EQ(b.GetType(), 3);
    b.m_nRoundSize = 500;
    b.SetRect(Rect{100, 100, 700, 500});
    EXPECT_EQ(b.m_nX, 100);
    EXPECT_EQ(b.m_nWidth, 600);
    EXPECT_EQ(b.m_nHeight, 400);
    EXPECT_EQ(b.m_nRoundSize, 200);
    b.SetRect(Rect{100, 100, 0, 500}); // reversed: no negative radius
    EXPECT_EQ(b.m_nWidth, -100);
    EXPECT_EQ(b.m_nRoundSize, 0);

    TvBox rounded(Rect{0, 0, 1000, 1000}, 300, 0, nullptr);
    EXPECT_EQ(rounded.m_nRoundSize, 300);
    EXPECT_EQ(rounded.m_bFrame, 0);
    TvBox limited(Rect{0, 0, 1000, 101}, 300, 1, nullptr);
    EXPECT_EQ(limited.m_nRoundSize, 50);

    Rect r;
    rounded.GetBoundRect(r, false);
    EXPECT_EQ(r, (Rect{0, 0, 1000, 1000}));
    rounded.GetBoundRect(r, true);
    EXPECT_EQ(r, (Rect{-7501, -7501, 8501, 8501}));

    rounded.Scale(Size{10, 10}, Size{20, 5});
    EXPECT_EQ(rounded.m_nWidth, 2000);
    EXPECT_EQ(rounded.m_nHeight, 500);
    EXPECT_EQ(rounded.m_nRoundSize, 300); // the radius is not scaled

    FillGraphic(rounded, "Box2");
    EXPECT_EQ(Store(*rounded.Clone()), Store(rounded));
}

TEST(TvBox, PropertiesDoNotLimitTheRadius)
{
    TvBox b(Rect{0, 0, 100, 100});
    TvPropertyMap map;
    map.SetLong(15, 400);
    map.SetLong(13, 1000);
    map.SetLong(12, 0);
    TvChangeList changes;
    b.SetProperties(map, &changes);
    EXPECT_EQ(b.m_nRoundSize, 400);
    EXPECT_EQ(b.m_nWidth, 1000);
    EXPECT_EQ(b.m_bFrame, 0);
    EXPECT_EQ(changes.size(), 3u);
    for (uint16_t id = 2; id <= 15; ++id) EXPECT_TRUE(b.IsPropertySupported(id)) << id;
    EXPECT_TRUE(b.IsPropertySupported(1000));
    EXPECT_FALSE(b.IsPropertySupported(16));
    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(b.GetPropertyAddress(15, address, kind), 1);
    EXPECT_EQ(address, &b.m_nRoundSize);
    EXPECT_EQ(kind, addrLong);
    EXPECT_EQ(b.GetPropertyAddress(7, address, kind), 1);
    EXPECT_EQ(address, &b.m_crFillColor);
}
