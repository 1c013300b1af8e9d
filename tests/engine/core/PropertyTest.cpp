#include "engine/core/Archive.h"
#include "engine/core/BucketMap.h"
#include "engine/core/ChangeData.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/PropertyMap.h"
#include "engine/core/PropertyTypes.h"

#include <gtest/gtest.h>

#include <map>

namespace nv {
namespace {

TEST(PropertyTypes, EveryIdAsTheTableSays)
{
    // The table written out by range; everything else is 0.
    std::map<int, int> expected;
    auto range = [&](int a, int b, int t) {
        for (int i = a; i <= b; ++i) expected[i] = t;
    };
    range(1, 5, 2); range(6, 6, 3); range(7, 7, 2); range(8, 8, 1); range(9, 9, 2); range(10, 10, 1);
    range(11, 18, 2); range(19, 19, 5); range(20, 34, 2); range(35, 38, 3); range(39, 64, 2); range(65, 65, 6);
    range(66, 68, 2); range(69, 69, 7); range(70, 70, 3); range(71, 71, 2); range(72, 72, 3); range(73, 95, 2);
    range(96, 97, 3); range(98, 121, 2); range(123, 124, 1); range(125, 125, 3); range(126, 127, 2);
    range(500, 500, 3); range(501, 507, 2); range(510, 510, 2); range(511, 512, 3); range(515, 515, 2);
    range(516, 517, 3); range(520, 524, 2); range(1000, 1000, 2); range(1001, 1001, 3); range(1002, 1002, 7);
    range(1003, 1006, 2); range(1500, 1501, 2); range(1502, 1511, 1); range(1512, 1512, 3); range(1513, 1513, 1);
    ASSERT_EQ(expected.size(), 166u);
    for (uint32_t id = 0; id <= 70000; ++id) {
        auto it = expected.find(static_cast<int>(id));
        EXPECT_EQ(GetPropertyType(id), it == expected.end() ? 0 : it->second) << id;
        const bool isString = it != expected.end() && (it->second == 3 || it->second == 7);
        EXPECT_EQ(IsStringProperty(id), isString) << id;
    }
    EXPECT_EQ(GetPropertyType(122), 0);
    EXPECT_EQ(GetPropertyType(2000), 0);
    size_t n = 0;
    const PropertyTypeEntry* t = PropertyTypeTable(&n);
    ASSERT_EQ(n, 166u);
    for (size_t i = 1; i < n; ++i) EXPECT_LT(t[i - 1].id, t[i].id);
}

TEST(BucketMap, ClassLibraryIterationOrder)
{
    BucketMap<uint16_t, int> m;
    // 1 and 2 share bucket 0 (newest first); 16 is bucket 1; 272 = 17*16 is bucket 0 again.
    for (uint16_t k : {1, 16, 2, 272, 500}) m.SetAt(k, k);
    std::vector<uint16_t> order;
    for (const auto& [k, v] : m) order.push_back(k);
    // 500 >> 4 = 31, 31 % 17 = 14.
    EXPECT_EQ(order, (std::vector<uint16_t>{272, 2, 1, 16, 500}));
    m.SetAt(2, 99); // replacing keeps the position
    order.clear();
    for (const auto& [k, v] : m) order.push_back(k);
    EXPECT_EQ(order, (std::vector<uint16_t>{272, 2, 1, 16, 500}));
    EXPECT_EQ(*m.Lookup(2), 99);
    EXPECT_TRUE(m.RemoveKey(2));
    EXPECT_FALSE(m.RemoveKey(2));
    EXPECT_EQ(m.size(), 4u);
    EXPECT_EQ(m.Lookup(2), nullptr);
}

TEST(Setters, RecordOnlyChanges)
{
    TvChangeList list;
    uint32_t colour = 0xFFFFFF;
    EXPECT_FALSE(SetLongProp(&list, 2, colour, 0xFFFFFF));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(SetLongProp(&list, 2, colour, 0));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].m_nPropId, 2);
    EXPECT_EQ(list[0].m_nType, 2);
    EXPECT_EQ(list[0].Size(), 4u);
    EXPECT_EQ(list[0].GetLong(), 0xFFFFFF); // the old value
    EXPECT_EQ(colour, 0u);

    TvChangeList fresh;
    fresh.m_bRecordOld = false;
    int16_t s = 5;
    EXPECT_TRUE(SetShortProp(&fresh, 8, s, -3));
    EXPECT_EQ(fresh[0].m_nType, 1);
    EXPECT_EQ(fresh[0].Size(), 2u);
    EXPECT_EQ(fresh[0].GetShort(), -3);
    // A 16-bit field through the 32-bit setter: recorded as 32-bit.
    EXPECT_TRUE(SetLongProp(&fresh, 10, s, -7));
    EXPECT_EQ(s, -7);
    EXPECT_EQ(fresh[1].m_nType, 2);
    EXPECT_EQ(fresh[1].GetLong(), -7);

    std::string name = "a";
    EXPECT_TRUE(SetStringProp(&fresh, 6, name, ""));
    EXPECT_EQ(fresh[2].m_nType, 3);
    EXPECT_EQ(fresh[2].Size(), 1u); // the terminating zero
    std::string file;
    EXPECT_TRUE(SetStringProp(&fresh, 1002, file, "x.bmp"));
    EXPECT_EQ(fresh[3].m_nType, 7);
    EXPECT_TRUE(SetStringProp(&list, 69, file, "y.bmp"));
    EXPECT_EQ(list[1].m_nType, 3); // old values are plain strings
    EXPECT_EQ(list[1].GetString(), "x.bmp");
    EXPECT_TRUE(SetLongProp(nullptr, 2, colour, 5));
    EXPECT_EQ(colour, 5u);
}

TEST(ChangeData, SerialisesByType)
{
    RegisterCoreClasses();
    CChangeData a(uint16_t{3}, int32_t{-2});
    CChangeData b(uint16_t{8}, int16_t{7});
    CChangeData c(Rect{1, 2, 3, 4});
    auto d = CChangeData::FromString(6, "ab");
    CChangeData e(69, CChangeData::typeFile, "f.bmp");
    Archive out;
    a.Serialize(out, 0);
    b.Serialize(out, 0);
    c.Serialize(out, 0);
    d->Serialize(out, 0);
    e.Serialize(out, 0);
    const std::string expected = std::string("\x03\x00\x02\x00\xFE\xFF\xFF\xFF", 8) +
                                 std::string("\x08\x00\x01\x00\x07\x00", 6) +
                                 std::string("\x00\x00\x04\x00\x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00\x04\x00\x00\x00", 20) +
                                 std::string("\x06\x00\x03\x00\x03\x00\x00\x00" "ab\x00", 11) +
                                 std::string("\x45\x00\x07\x00", 4);
    EXPECT_EQ(out.Bytes(), expected);
    Archive in(out.Bytes());
    CChangeData r[5];
    for (auto& x : r) x.Serialize(in, 0);
    EXPECT_EQ(r[0].GetLong(), -2);
    EXPECT_EQ(r[1].GetShort(), 7);
    EXPECT_EQ(r[2].GetRect(), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(r[3].GetString(), "ab");
    EXPECT_EQ(r[4].m_nType, 7);
    EXPECT_EQ(r[4].Size(), 0u);
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(ChangeData, HostileSizes)
{
    // A block size beyond the data, and a block without its zero.
    Archive in(std::string_view("\x06\x00\x03\x00\xFF\xFF\xFF\x7F" "abc", 11));
    CChangeData c;
    EXPECT_THROW(c.Serialize(in, 0), CArchiveException);
    Archive in2(std::string_view("\x06\x00\x03\x00\x03\x00\x00\x00" "abc", 11));
    CChangeData d;
    d.Serialize(in2, 0);
    EXPECT_EQ(d.GetString(), "abc");
    // Truncated fixed values.
    for (const char* bytes : {"\x01\x00\x01\x00\x07", "\x01\x00\x02\x00\x07\x00", "\x01\x00\x04\x00\x07\x00"}) {
        Archive t{std::string_view(bytes, 5)};
        CChangeData x;
        EXPECT_THROW(x.Serialize(t, 0), CArchiveException);
    }
}

TEST(PropertyMap, HoldsValuesInMapOrder)
{
    TvPropertyMap m;
    m.SetLong(1000, 0);
    m.SetString(6, "name");
    m.SetShort(8, -1);
    ASSERT_NE(m.GetFirst(), nullptr);
    EXPECT_EQ(m.GetFirst()->first, 8); // 8 and 6 share bucket 0, newest first
    EXPECT_EQ(m.Lookup(8)->AsLong(), -1);
    EXPECT_EQ(m.Lookup(6)->AsString(), "name");
    m.SetString(6, "other");
    EXPECT_EQ(m.Lookup(6)->AsString(), "other");
    EXPECT_EQ(m.size(), 3u);
}

} // namespace
} // namespace nv
