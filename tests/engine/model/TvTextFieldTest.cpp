#include "engine/model/TvTextField.h"

#include "TextBytes.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

using namespace texttest;

TEST(TvTextField, RoundTripAndProperties)
{
    TvTextField f;
    EXPECT_EQ(f.m_nObjectId, 22u);
    EXPECT_EQ(f.GetType(), 11);
    EXPECT_EQ(f.IsTextObject(), 1);
    FillText(f, 2);
    f.m_nFieldNumber = -3;
    const std::string bytes = Store(f);
    EXPECT_EQ(bytes, ClassRecord("TvTextField") + TextBytes(f) + U32(10) + I32(-3));
    auto back = Load<TvTextField>(bytes);
    EXPECT_EQ(back->m_nFieldNumber, -3);
    EXPECT_EQ(Store(*back), bytes);
    ExpectEveryTruncationFails(bytes);
    auto clone = f.Clone();
    EXPECT_EQ(Store(*clone), bytes);

    TvTextField g;
    TvPropertyMap map;
    map.SetString(36, "#");
    map.SetLong(42, 1); // a text field wraps like a label
    map.SetLong(25, 10);
    map.SetString(1001, "value");
    g.SetProperties(map, nullptr);
    EXPECT_EQ(g.m_strReplace, "#");
    EXPECT_EQ(g.m_bWordWrap, 1);
    EXPECT_EQ(g.m_nLinePitch, 2000);
    EXPECT_EQ(g.m_strValue, "value");
    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(g.GetPropertyAddress(36, address, kind), 0);
    EXPECT_EQ(g.GetPropertyAddress(1001, address, kind), 1);
    EXPECT_EQ(address, &g.m_strValue);
    EXPECT_EQ(g.GetPropertyAddress(42, address, kind), 1);
    EXPECT_EQ(g.IsPropertySupported(37), 1);
    EXPECT_EQ(g.IsPropertySupported(38), 0);
}

} // namespace
} // namespace nv
