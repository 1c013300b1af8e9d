#include "engine/model/TvText.h"

#include "TextBytes.h"
#include "engine/core/PropertyTypes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

using namespace texttest;

TEST(TvText, DefaultsAndIdentity)
{
    TvText t;
    EXPECT_EQ(t.m_nObjectId, 2u);
    EXPECT_EQ(t.GetType(), 1);
    EXPECT_EQ(t.GetFlags(), 60);
    EXPECT_EQ(t.IsTextObject(), 0);
    EXPECT_EQ(t.GetFieldIndex(), -1);
    EXPECT_EQ(t.m_nDirection, 1);
    EXPECT_EQ(t.m_nAlign, 1);
    EXPECT_EQ(t.m_nLineStyle, 1);
    EXPECT_EQ(t.m_nLineWidth, 15000);
    EXPECT_EQ(t.m_bMeasuredPitch, 1);
    EXPECT_EQ(t.m_bAutoLineFeed, 1);
    EXPECT_EQ(t.m_bFlag100, 1);
    EXPECT_EQ(t.m_nComma, 0);
    t.m_crText = 0x123456;
    EXPECT_EQ(t.GetAttribute(), 0x123456u);
    EXPECT_TRUE(t.IsKindOf(TvObject::Class()));
    EXPECT_STREQ(TvText::Class().name, "TvText");
}

TEST(TvText, RoundTripWithEveryAttributeSet)
{
    TvText t;
    FillText(t);
    const std::string bytes = Store(t);
    EXPECT_EQ(bytes, ClassRecord("TvText") + TextBytes(t)) << nvtest::HexDump(bytes);
    auto back = Load<TvText>(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(Store(*back), bytes);
    EXPECT_EQ(back->m_strText, t.m_strText);
    EXPECT_EQ(back->m_nComma, 1);
    EXPECT_EQ(back->m_bVisible, 1);
}

TEST(TvText, VisibleIsSetAfterLoad)
{
    TvText t;
    FillText(t);
    t.m_bVisible = 0;
    auto back = Load<TvText>(Store(t));
    EXPECT_EQ(back->m_bVisible, 1);
}

TEST(TvText, SchemaZeroGetsDefaultsAndANormalisedBox)
{
    TvText t;
    FillText(t);
    t.m_nDirection = 1;
    t.m_nX = 1000;
    t.m_nY = 2000;
    t.m_nWidth = -300; // stored as a plain rectangle that runs leftwards
    t.m_nHeight = 400;
    const std::string bytes = ClassRecord("TvText", 0) + TextBytes40(t, false);
    auto back = Load<TvText>(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_bMeasuredPitch, 1);
    EXPECT_EQ(back->m_bReverse, 0);
    EXPECT_EQ(back->m_bAutoLineFeed, 1);
    EXPECT_EQ(back->m_nMarginRight, 0);
    EXPECT_EQ(back->m_nMarginBottom, 0);
    EXPECT_EQ(back->m_bFlag100, 1);
    EXPECT_EQ(back->m_strBefore, "");
    EXPECT_EQ(back->m_strAfter, "");
    EXPECT_EQ(back->m_nComma, 0);
    EXPECT_EQ(back->m_nX, 700);
    EXPECT_EQ(back->m_nY, 2000);
    EXPECT_EQ(back->m_nWidth, 300);
    EXPECT_EQ(back->m_nHeight, 400);
    EXPECT_EQ(back->m_strText, t.m_strText);
}

TEST(TvText, SchemasThreeAndFour)
{
    TvText t;
    FillText(t);
    // Below schema 10 there are no version words; schema 3 has no thousands
    // flag, schema 4 has it.
    const std::string full = TextBytes(t);
    const size_t head = BaseBytes(t, true).size() + 4;
    const std::string rest = full.substr(head);
    const std::string withoutComma = rest.substr(0, rest.size() - 4);
    auto three = Load<TvText>(ClassRecord("TvText", 3) + BaseBytes(t, false) + withoutComma);
    EXPECT_EQ(three->m_nComma, 0);
    EXPECT_EQ(three->m_strAfter, "-");
    EXPECT_EQ(three->m_nMarginBottom, t.m_nMarginBottom);
    EXPECT_EQ(three->m_nWidth, t.m_nWidth);
    auto four = Load<TvText>(ClassRecord("TvText", 4) + BaseBytes(t, false) + rest);
    EXPECT_EQ(four->m_nComma, 1);
    // Stored again, both come out in the current form.
    four->m_bVisible = t.m_bVisible;
    EXPECT_EQ(Store(*four), Store(t));
}

TEST(TvText, EveryTruncationFails)
{
    TvText t;
    FillText(t);
    ExpectEveryTruncationFails(Store(t));
}

TEST(TvText, ConstructorsAndClone)
{
    TvText plain(Rect{10, 20, 5, 70}, "abc");
    EXPECT_EQ(plain.m_nX, 10);
    EXPECT_EQ(plain.m_nWidth, -5); // not normalised
    EXPECT_EQ(plain.m_nHeight, 50);
    EXPECT_EQ(plain.m_strText, "abc");

    TvText templ;
    FillText(templ);
    TvText made(Rect{100, 200, 400, 600}, templ);
    EXPECT_EQ(made.m_nX, 100);
    EXPECT_EQ(made.m_nY, 200);
    EXPECT_EQ(made.m_nWidth, 300);
    EXPECT_EQ(made.m_nHeight, 400);
    EXPECT_EQ(made.m_nExtra87, 0); // 87-90 are not taken from a template
    EXPECT_EQ(made.m_nExtra90, 0);
    EXPECT_EQ(made.m_bTransparent, templ.m_bTransparent);
    EXPECT_EQ(made.m_crBackColor, templ.m_crBackColor);
    EXPECT_EQ(made.m_strText, templ.m_strText);
    EXPECT_EQ(made.m_nComma, 1);
    EXPECT_EQ(made.m_strName, "");
    EXPECT_EQ(made.m_nObjectId, 2u);

    auto clone = templ.Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(&clone->GetRuntimeClass(), &TvText::Class());
    EXPECT_EQ(Store(*clone), Store(templ));
}

TEST(TvText, CharacterSizeFollowsMeasuredPitch)
{
    TvText t;
    TvChangeList changes;
    t.SetProperties(TvPropertyMap(25, TvPropValue::Long(10)), &changes);
    EXPECT_EQ(t.m_nHanHeight, 10);
    EXPECT_EQ(t.m_nZenHeight, 10);
    EXPECT_EQ(t.m_nHanWidth, 0);
    EXPECT_EQ(t.m_nZenWidth, 0);
    EXPECT_EQ(t.m_nZenPitch, 2000);
    EXPECT_EQ(t.m_nHanPitch, 1000);
    EXPECT_EQ(t.m_nLinePitch, 2000);
    EXPECT_EQ(changes.size(), 5u); // widths were 0 already
    EXPECT_EQ(changes[0].m_nPropId, 57);

    TvText fixed;
    fixed.m_bMeasuredPitch = 0;
    fixed.SetProperties(TvPropertyMap(25, TvPropValue::Long(10)), nullptr);
    EXPECT_EQ(fixed.m_nHanHeight, 10);
    EXPECT_EQ(fixed.m_nZenPitch, 0);
    EXPECT_EQ(fixed.m_nHanPitch, 0);
    EXPECT_EQ(fixed.m_nLinePitch, 0);
}

TEST(TvText, DirectionThroughBothIds)
{
    TvText t(Rect{1000, 2000, 1300, 2100});
    Rect before;
    t.GetBoundRect(before, false);
    TvChangeList changes;
    t.SetProperties(TvPropertyMap(93, TvPropValue::Long(2)), &changes);
    Rect after;
    t.GetBoundRect(after, false);
    EXPECT_EQ(t.m_nDirection, 2);
    EXPECT_EQ(after, (Rect{1000, 2000, 1100, 2300}));
    EXPECT_EQ(t.m_nX, 1100);
    EXPECT_EQ(t.m_nY, 2000);
    ASSERT_EQ(changes.size(), 2u); // direction and x; y stays
    EXPECT_EQ(changes[0].m_nPropId, 93);
    EXPECT_EQ(changes[0].GetLong(), 1);
    EXPECT_EQ(changes[1].m_nPropId, 4);
    EXPECT_EQ(changes[1].GetLong(), 1000);

    TvText u(Rect{1000, 2000, 1300, 2100});
    u.SetProperties(TvPropertyMap(31, TvPropValue::Long(2)), nullptr);
    EXPECT_EQ(u.m_nDirection, 2);
    EXPECT_EQ(u.m_nX, 1000);
    EXPECT_EQ(u.m_nY, 2000);
}

TEST(TvText, SettersRecordOnlyChanges)
{
    TvText t;
    TvChangeList changes;
    TvPropertyMap map;
    map.SetLong(1, 0);              // same text colour
    map.SetLong(7, 0);              // same fill colour
    map.SetShort(8, -1);            // fill style, sign-extended
    map.SetString(35, "new");
    map.SetLong(2, 0);              // background from white to black
    t.SetProperties(map, &changes);
    EXPECT_EQ(t.m_nFillStyle, -1);
    EXPECT_EQ(t.m_strText, "new");
    EXPECT_EQ(t.m_crBackColor, 0u);
    ASSERT_EQ(changes.size(), 3u);
    bool sawWhite = false;
    for (const auto& c : changes)
        if (c->m_nPropId == 2) sawWhite = c->GetLong() == 0xFFFFFF;
    EXPECT_TRUE(sawWhite);
    changes.clear();
    t.SetProperties(map, &changes);
    EXPECT_TRUE(changes.empty());

    // A label has no case for the field strings.
    t.SetProperties(TvPropertyMap(38, TvPropValue::String("999")), &changes);
    EXPECT_EQ(t.m_strPicture, "");
}

TEST(TvText, BoundsScaleAndAddresses)
{
    TvText t(Rect{100000, 100000, 400000, 200000});
    Rect r;
    t.GetBoundRect(r, true);
    EXPECT_EQ(r, (Rect{100000 - 7501, 100000 - 7501, 400000 + 7501, 200000 + 7501}));
    t.SetRect(Rect{50, 60, 10, 20});
    EXPECT_EQ(t.m_nX, 10);
    EXPECT_EQ(t.m_nY, 20);
    EXPECT_EQ(t.m_nWidth, 40);

    TvText s(Rect{40000, 60000, 80000, 100000});
    s.Scale(Size{20000, 40000}, Size{10000, 60000});
    EXPECT_EQ(s.m_nX, 20000);
    EXPECT_EQ(s.m_nY, 90000);
    EXPECT_EQ(s.m_nWidth, 20000);
    EXPECT_EQ(s.m_nHeight, 60000);
    EXPECT_EQ(s.m_bMeasuredPitch, 0);
    EXPECT_EQ(s.m_nHanWidth, 50);
    EXPECT_EQ(s.m_nHanHeight, 300);
    EXPECT_EQ(s.m_nHanPitch, 10000);
    EXPECT_EQ(s.m_nLinePitch, 60000);
    EXPECT_EQ(s.m_nZenWidth, 100);
    EXPECT_EQ(s.m_nZenPitch, 20000);
    s.m_nCharRatio = 1;
    s.Scale(Size{10000, 60000}, Size{10001, 60000});
    EXPECT_EQ(s.m_nZenWidth, 75);
    EXPECT_EQ(s.m_nZenPitch, 15001);

    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(t.GetPropertyAddress(35, address, kind), 1);
    EXPECT_EQ(address, &t.m_strText);
    EXPECT_EQ(kind, addrString);
    EXPECT_EQ(t.GetPropertyAddress(8, address, kind), 1);
    EXPECT_EQ(address, &t.m_nFillStyle);
    EXPECT_EQ(kind, addrLong);
    EXPECT_EQ(t.GetPropertyAddress(6, address, kind), 1);
    EXPECT_EQ(address, &t.m_strName);
    EXPECT_EQ(t.GetPropertyAddress(38, address, kind), 0);
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(t.IsPropertySupported(35), 1);
    EXPECT_EQ(t.IsPropertySupported(36), 0);
    EXPECT_EQ(t.IsPropertySupported(93), 1);
    EXPECT_EQ(t.IsPropertySupported(1001), 0);
}

TEST(TvText, CommaPicture)
{
    TvText t;
    t.m_nComma = 1;
    EXPECT_EQ(t.CommaPicture("ZZZZZ9.99"), "ZZZ,ZZ9.99");
    EXPECT_EQ(t.CommaPicture("9999"), "9,999");
    EXPECT_EQ(t.CommaPicture("999"), "999");
    EXPECT_EQ(t.CommaPicture("*******"), "*,***,***");
    EXPECT_EQ(t.CommaPicture("XXXX"), "XXXX");
    EXPECT_EQ(t.CommaPicture(""), "");
    t.m_nComma = 0;
    EXPECT_EQ(t.CommaPicture("9999"), "9999");
    t.m_nComma = 2;
    EXPECT_EQ(t.CommaPicture("9999"), "9999");
}

TEST(TvText, DefaultName)
{
    TvText a, b, c;
    b.m_strName = "Label1";
    c.m_strName = "Label7";
    ObjectSourceFn form([&](const std::function<void(const TvObject&)>& fn) {
        fn(a);
        fn(b);
        fn(c);
    });
    a.GetTypeName(form);
    EXPECT_EQ(a.m_strName, "Label8");
}

} // namespace
} // namespace nv
