#include "engine/core/Archive.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvFontDesc.h"
#include "engine/model/TvLayer.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

std::string B16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string L(int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    return B16(static_cast<uint16_t>(u)) + B16(static_cast<uint16_t>(u >> 16));
}

TEST(TvLayer, OldSchemasTakeDefaults)
{
    RegisterModelClasses();
    std::string body = L(3) + "\x01N" + L(0) + L(0) + L(0) + L(0) + L(1) + L(2) + L(300) + L(300) + L(2) + L(5) +
                       L(0x123456) + B16(0);
    {
        Archive in(body);
        TvLayer l;
        l.Serialize(in, 0);
        EXPECT_EQ(l.m_nLayerId, 3);
        EXPECT_EQ(l.m_strName, "N");
        EXPECT_EQ(l.m_bVisibleAtPrint, 0);
        EXPECT_EQ(l.m_nLayerValue1, 5);
        EXPECT_EQ(l.m_crSecondColor, 0xFFC8C8u);
        EXPECT_EQ(l.m_nLayerValue2, 1);
        EXPECT_EQ(l.m_nLayerValue3, 0);
        EXPECT_EQ(l.m_nLayerValue4, 7);
        EXPECT_EQ(in.Remaining(), 0u);
    }
    {
        Archive in(body + L(1) + L(2) + L(3));
        TvLayer l;
        l.Serialize(in, 1);
        EXPECT_EQ(l.m_crSecondColor, 1u);
        EXPECT_EQ(l.m_nLayerValue3, 3);
        EXPECT_EQ(l.m_nLayerValue4, 7);
    }
}

TEST(TvLayer, DefaultsGridAndProperties)
{
    TvLayer l;
    EXPECT_EQ(l.m_nGridX, 144000);
    EXPECT_EQ(l.m_nGridY, 240000);
    EXPECT_EQ(l.ToColumn(216000), 2); // 1.5 rounds away from zero
    EXPECT_EQ(l.ToColumn(-216000), -2);
    EXPECT_EQ(l.ToRow(240000 * 3), 3);
    EXPECT_EQ(l.FromColumn(3), 432000);
    EXPECT_EQ(l.FromRow(-2), -480000);
    l.m_nGridX = 0;
    EXPECT_EQ(l.ToColumn(216000), 0);
    (void)l.FromColumn(INT32_MAX); // no overflow trap

    TvLayer m;
    TvPropertyMap map;
    map.SetLong(74, 1); // the current value
    TvChangeList list;
    m.SetProperties(map, &list);
    EXPECT_TRUE(list.empty());
    TvPropertyMap all;
    all.SetLong(2, 0);
    all.SetString(72, "X");
    all.SetLong(74, 0);
    all.SetLong(81, 2);
    all.SetLong(102, 9);
    all.SetLong(500, 1); // not a layer id
    m.SetProperties(all, &list);
    EXPECT_EQ(list.size(), 4u); // 102 is set without a record
    EXPECT_EQ(m.m_nLayerValue4, 9);
    EXPECT_EQ(m.m_strName, "X");
    EXPECT_EQ(m.m_bVisibleAtPrint, 0);
    EXPECT_EQ(m.m_crBackColor, 0u);
}

TEST(TvLayer, CopiesOwnTheirObjects)
{
    TvLayer a(4);
    a.m_strName = "A";
    for (int i = 0; i < 3; ++i) {
        auto o = std::make_unique<TvObject>();
        o->m_strName = "o" + std::to_string(i);
        a.m_objects.push_back(std::move(o));
    }
    a.UpdateDrawOrder(false);
    EXPECT_EQ(a.m_objects[2]->m_nDrawOrder, 3);
    auto b = a.Clone();
    EXPECT_EQ(b->m_nLayerId, 4);
    ASSERT_EQ(b->m_objects.size(), 3u);
    EXPECT_NE(b->m_objects[0].get(), a.m_objects[0].get());
    b.reset(); // deleting the copy leaves the source intact
    EXPECT_EQ(a.m_objects[1]->m_strName, "o1");
    a.m_objects.push_back(std::make_unique<TvObject>());
    a.UpdateDrawOrder(true);
    EXPECT_EQ(a.m_objects[3]->m_nDrawOrder, 4);
}

TEST(TvFontDesc, StoredOrderAndCopy)
{
    TvFontDesc f(-3, "IPAGothic", 128, 49, 1200, 7);
    Archive out;
    f.Serialize(out, 0);
    EXPECT_EQ(out.Bytes(), L(-3) + L(7) + "\x09IPAGothic" + "\x80\x31" + L(1200));
    Archive in(out.Bytes());
    TvFontDesc g;
    g.Serialize(in, 0);
    auto h = g.Clone();
    EXPECT_EQ(h->m_nFontId, -3);
    EXPECT_EQ(h->m_nFontValue, 7);
    EXPECT_EQ(h->m_strFaceName, "IPAGothic");
    EXPECT_EQ(h->m_nCharSet, 128);
    EXPECT_EQ(h->m_nPitchAndFamily, 49);
    EXPECT_EQ(h->m_nSize, 1200);
}

} // namespace
} // namespace nv
