#include "engine/model/TvGraphic.h"

#include "ShapeBytes.h"

#include <gtest/gtest.h>

using namespace nv;
using namespace shapetest;

TEST(TvGraphic, DefaultsAndTemplate)
{
    TvGraphic g;
    EXPECT_EQ(g.m_nObjectId, 4u);
    EXPECT_EQ(g.m_nFillStyle, 0);
    EXPECT_EQ(g.m_crFillColor, 0u);
    EXPECT_EQ(g.m_nLineStyle, 1);
    EXPECT_EQ(g.m_nLineWidth, 15000);
    EXPECT_EQ(g.m_crLineColor, 0u);
    EXPECT_EQ(g.GetFlags(), 16);
    EXPECT_EQ(g.IsPropertySupported(7), 0);

    TvGraphic t;
    FillGraphic(t, "tmpl");
    TvGraphic fromTemplate(&t);
    EXPECT_EQ(fromTemplate.m_bTransparent, 0);
    EXPECT_EQ(fromTemplate.m_crBackColor, 0x123456u);
    EXPECT_EQ(fromTemplate.m_nFillStyle, 5);
    EXPECT_EQ(fromTemplate.m_crFillColor, 0xFFu);
    EXPECT_EQ(fromTemplate.m_nLineStyle, 2);
    EXPECT_EQ(fromTemplate.m_nLineWidth, 30000);
    EXPECT_EQ(fromTemplate.m_crLineColor, 0xFF0000u);
    EXPECT_EQ(fromTemplate.GetAttribute(), 0xFFu);
    // Name, id and position are not taken from a template.
    EXPECT_EQ(fromTemplate.m_strName, "");
    EXPECT_EQ(fromTemplate.m_nObjectId, 4u);
    EXPECT_EQ(fromTemplate.m_nX, 0);
    TvGraphic none(nullptr);
    EXPECT_EQ(none.m_nLineWidth, 15000);

    TvGraphic copy;
    copy.CopyGraphicAttributes(t);
    EXPECT_EQ(Store(copy), Store(t));
}

TEST(TvGraphic, ByteExactRoundTripAndOldSchema)
{
    TvGraphic g;
    FillGraphic(g, "shape");
    const std::string bytes = Store(g);
    EXPECT_EQ(bytes, ClassRecord("TvGraphic") + GraphicBytes(g)) << nvtest::HexDump(bytes);
    auto back = Load<TvGraphic>(bytes);
    EXPECT_EQ(Store(*back), bytes);

    const std::string old = ClassRecord("TvGraphic", 9) + GraphicBytes(g, false);
    auto fromOld = Load<TvGraphic>(old);
    EXPECT_EQ(Store(*fromOld), bytes);
    ExpectEveryTruncationFails(bytes);
}

TEST(TvGraphic, PropertiesAndAddresses)
{
    TvGraphic g;
    TvPropertyMap map;
    map.SetLong(7, 0x00ABCDEF);
    map.SetShort(8, 3);
    map.SetLong(9, 20000);
    map.SetShort(10, 1); // unchanged: not recorded
    map.SetLong(11, 0x0000FF00);
    map.SetLong(4, 77);
    TvChangeList changes;
    g.SetProperties(map, &changes);
    EXPECT_EQ(g.m_crFillColor, 0xABCDEFu);
    EXPECT_EQ(g.m_nFillStyle, 3);
    EXPECT_EQ(g.m_nLineWidth, 20000);
    EXPECT_EQ(g.m_crLineColor, 0xFF00u);
    EXPECT_EQ(g.m_nX, 77);
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[0].m_nPropId, 4); // the base's ids come first
    for (const auto& c : changes) EXPECT_NE(c->m_nPropId, 10);

    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(g.GetPropertyAddress(7, address, kind), 1);
    EXPECT_EQ(address, &g.m_crFillColor);
    EXPECT_EQ(kind, addrLong);
    EXPECT_EQ(g.GetPropertyAddress(8, address, kind), 1);
    EXPECT_EQ(address, &g.m_nFillStyle);
    EXPECT_EQ(kind, addrShort);
    EXPECT_EQ(g.GetPropertyAddress(10, address, kind), 1);
    EXPECT_EQ(kind, addrShort);
    EXPECT_EQ(g.GetPropertyAddress(6, address, kind), 1);
    EXPECT_EQ(kind, addrString);
    EXPECT_EQ(g.GetPropertyAddress(33, address, kind), 0);
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(kind, 0);
}
