#include "engine/model/TvData.h"

#include "TextBytes.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

using namespace texttest;

TEST(TvData, Identity)
{
    TvData d;
    EXPECT_EQ(d.m_nObjectId, 18u);
    EXPECT_EQ(d.GetType(), 8);
    EXPECT_EQ(d.GetFlags(), 60);
    EXPECT_EQ(d.IsTextObject(), 1);
    EXPECT_EQ(d.GetFieldIndex(), 0);
    d.SetFieldIndex(5);
    EXPECT_EQ(d.m_nFieldNumber, 5);
    EXPECT_TRUE(d.IsKindOf(TvText::Class()));
    EXPECT_NE(DynamicDowncast<TvText>(static_cast<CObject*>(&d)), nullptr);
}

TEST(TvData, RoundTripWithEveryAttributeSet)
{
    TvData d;
    FillText(d, 3);
    d.m_nFieldNumber = 12;
    d.m_strValue = "1234"; // a page's value is not part of the form
    const std::string bytes = Store(d);
    EXPECT_EQ(bytes, ClassRecord("TvData") + TextBytes(d) + U32(10) + I32(12));
    auto back = Load<TvData>(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_nFieldNumber, 12);
    EXPECT_EQ(back->m_strValue, "");
    EXPECT_EQ(Store(*back), bytes);
    ExpectEveryTruncationFails(bytes);

    // Below schema 10 the field number has no version word before it.
    const std::string old = ClassRecord("TvData", 4) + BaseBytes(d, false) +
                            TextBytes(d).substr(BaseBytes(d, true).size() + 4) + I32(12);
    auto older = Load<TvData>(old);
    EXPECT_EQ(older->m_nFieldNumber, 12);
}

TEST(TvData, LinePitchFollowsTheLargerHeight)
{
    TvData d;
    d.m_nHanHeight = 900;
    d.m_nZenHeight = 1000;
    TvChangeList changes;
    d.SetProperties(TvPropertyMap(53, TvPropValue::Long(1)), &changes);
    EXPECT_EQ(d.m_nLinePitch, 200000);
    d.SetProperties(TvPropertyMap(57, TvPropValue::Long(1500)), &changes);
    EXPECT_EQ(d.m_nHanHeight, 1500);
    EXPECT_EQ(d.m_nLinePitch, 300000);
    d.SetProperties(TvPropertyMap(59, TvPropValue::Long(100)), &changes);
    EXPECT_EQ(d.m_nLinePitch, 300000);

    // Id 25 always sets the line pitch; the character pitches only with
    // measured pitches.
    d.m_bMeasuredPitch = 0;
    d.SetProperties(TvPropertyMap(25, TvPropValue::Long(10)), nullptr);
    EXPECT_EQ(d.m_nLinePitch, 2000);
    EXPECT_EQ(d.m_nZenPitch, 0);

    // Word wrap, line-breaking and automatic line feed are not a data
    // field's.
    TvPropertyMap ignored;
    ignored.SetLong(42, 1);
    ignored.SetLong(43, 1);
    ignored.SetLong(47, 0);
    changes.clear();
    d.SetProperties(ignored, &changes);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(d.m_bAutoLineFeed, 1);
}

TEST(TvData, FieldPropertiesAndAddresses)
{
    TvData d;
    TvPropertyMap map;
    map.SetString(38, "ZZZ9");
    map.SetString(36, "#");
    map.SetString(96, "Y");
    map.SetString(97, "-");
    map.SetLong(104, 1);
    map.SetLong(122, 4);
    map.SetString(1001, "12");
    TvChangeList changes;
    changes.m_bRecordOld = false;
    d.SetProperties(map, &changes);
    EXPECT_EQ(d.m_strPicture, "ZZZ9");
    EXPECT_EQ(d.m_strReplace, "#");
    EXPECT_EQ(d.m_nComma, 1);
    EXPECT_EQ(d.m_nFieldNumber, 4);
    EXPECT_EQ(d.m_strValue, "12");
    EXPECT_EQ(changes.size(), 7u);

    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(d.GetPropertyAddress(1001, address, kind), 1);
    EXPECT_EQ(address, &d.m_strValue);
    EXPECT_EQ(kind, addrString);
    EXPECT_EQ(d.GetPropertyAddress(122, address, kind), 1);
    EXPECT_EQ(address, &d.m_nFieldNumber);
    EXPECT_EQ(d.GetPropertyAddress(53, address, kind), 0);
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(d.GetPropertyAddress(1, address, kind), 1);
    EXPECT_EQ(d.IsPropertySupported(1001), 1);
    EXPECT_EQ(d.IsPropertySupported(42), 0);
    EXPECT_EQ(d.IsPropertySupported(104), 1);
}

TEST(TvData, FormatFieldText)
{
    TvData d;
    d.m_strPicture = "ZZZ,ZZ9";
    d.m_strPicture = "ZZZZZ9";
    d.m_nComma = 1;
    d.m_strValue = "-1234";
    std::string out;
    EXPECT_EQ(d.FormatFieldText(out), 0);
    EXPECT_EQ(out, "-1,234");
    d.m_strValue = "12345678";
    d.m_strReplace = "*";
    EXPECT_EQ(d.FormatFieldText(out), 0); // an overflow draws the replacement
    EXPECT_EQ(out, "******");
    // The Str form of a number: a blank where the plus sign would be.
    for (const auto& [value, shown] : {std::pair<const char*, const char*>{" 1234", "1,234"}, {"   0", "0"},
                                       {" -5", "-5"}}) {
        d.m_strValue = value;
        EXPECT_EQ(d.FormatFieldText(out), 0) << value;
        EXPECT_EQ(out, shown) << value;
    }
    d.m_strValue = " 12 3";
    EXPECT_EQ(d.FormatFieldText(out), -2);
    d.m_strValue = "abc";
    EXPECT_EQ(d.FormatFieldText(out), -2);
    EXPECT_EQ(out, "");
    d.m_strPicture = "";
    EXPECT_EQ(d.FormatFieldText(out), -1);
    d.m_strPicture = "XX";
    d.m_strValue = "ABCD";
    d.m_nAlign = 2;
    EXPECT_EQ(d.FormatFieldText(out), 0);
    EXPECT_EQ(out, "CD");
}

TEST(TvData, CloneAndTemplate)
{
    TvData d;
    FillText(d, 1);
    d.m_nFieldNumber = 9;
    auto clone = d.Clone();
    ASSERT_EQ(&clone->GetRuntimeClass(), &TvData::Class());
    EXPECT_EQ(clone->GetFieldIndex(), 9);
    EXPECT_EQ(Store(*clone), Store(d));

    TvData made(Rect{0, 0, 10, 10}, d);
    EXPECT_EQ(made.m_nFieldNumber, 0);
    EXPECT_EQ(made.m_nObjectId, 18u);
    EXPECT_EQ(made.m_strPicture, d.m_strPicture);
}

} // namespace
} // namespace nv
