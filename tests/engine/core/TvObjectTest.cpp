#include "engine/core/Archive.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/EngineMath.h"
#include "engine/core/TvObject.h"

#include <gtest/gtest.h>

#include <vector>

namespace nv {
namespace {

// A box-like object with bounds, for the geometry helpers.
class Sized : public TvObject {
public:
    void GetBoundRect(Rect& out, bool) const override { out = Rect{m_nX, m_nY, m_nX + w, m_nY + h}; }
    int32_t w = 0, h = 0;
};

ObjectSourceFn Source(const std::vector<TvObject*>& objs)
{
    return ObjectSourceFn([objs](const std::function<void(const TvObject&)>& fn) {
        for (auto* o : objs) fn(*o);
    });
}

TEST(TvObject, BasePartRoundTripAndVisibility)
{
    RegisterCoreClasses();
    TvObject o;
    o.m_strName = "Label3";
    o.m_nObjectId = 9;
    o.m_nReserved = -4;
    o.m_nX = 100;
    o.m_nY = -200;
    o.m_bTransparent = 0;
    o.m_crBackColor = 0x123456;
    o.m_nDrawOrder = 2;
    o.m_bVisible = 0;
    Archive out;
    o.Serialize(out, 10);
    const std::string expected = std::string("\x0A\x00\x00\x00", 4) + "\x06Label3" + std::string("\x09\x00\x00\x00", 4) +
                                 std::string("\xFC\xFF\xFF\xFF\x64\x00\x00\x00\x38\xFF\xFF\xFF\x00\x00\x00\x00", 16) +
                                 std::string("\x56\x34\x12\x00\x02\x00\x00\x00", 8);
    EXPECT_EQ(out.Bytes(), expected);
    Archive in(out.Bytes());
    TvObject r;
    r.m_bVisible = 0;
    r.Serialize(in, 10);
    EXPECT_EQ(r.m_strName, "Label3");
    EXPECT_EQ(r.m_nObjectId, 9u);
    EXPECT_EQ(r.m_nReserved, -4);
    EXPECT_EQ(r.m_nY, -200);
    EXPECT_EQ(r.m_crBackColor, 0x123456u);
    EXPECT_EQ(r.m_bVisible, 1);
    // Schema 9 and below: no version word.
    Archive old(std::string_view(expected).substr(4));
    TvObject s;
    s.Serialize(old, 9);
    EXPECT_EQ(s.m_strName, "Label3");
    EXPECT_EQ(old.Remaining(), 0u);
}

TEST(TvObject, PropertiesAndAddresses)
{
    TvObject o;
    TvPropertyMap m;
    m.SetLong(2, 0);
    m.SetLong(4, 50);
    m.SetString(6, "n");
    m.SetLong(1000, 0);
    m.SetLong(33, 7); // not the base's
    TvChangeList list;
    o.SetProperties(m, &list);
    EXPECT_EQ(o.m_crBackColor, 0u);
    EXPECT_EQ(o.m_nX, 50);
    EXPECT_EQ(o.m_strName, "n");
    EXPECT_EQ(o.m_bVisible, 0);
    EXPECT_EQ(list.size(), 4u);
    // Applied in map order: 6, 2, 4 (bucket 0, newest first), then 1000.
    EXPECT_EQ(list[0].m_nPropId, 6);
    EXPECT_EQ(list[1].m_nPropId, 4);
    EXPECT_EQ(list[2].m_nPropId, 2);
    EXPECT_EQ(list[3].m_nPropId, 1000);
    EXPECT_EQ(list[2].GetLong(), 0xFFFFFF);

    void* addr = reinterpret_cast<void*>(1);
    int32_t kind = 9;
    EXPECT_EQ(o.GetPropertyAddress(7, addr, kind), 0);
    EXPECT_EQ(addr, nullptr);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(o.GetPropertyAddress(6, addr, kind), 1);
    EXPECT_EQ(addr, &o.m_strName);
    EXPECT_EQ(kind, 3);
    EXPECT_EQ(o.GetPropertyAddress(1000, addr, kind), 1);
    EXPECT_EQ(addr, &o.m_bVisible);
    EXPECT_EQ(kind, 2);
}

TEST(TvObject, DefaultNaming)
{
    TvObject a, b, c, self;
    a.m_strName = "Label1";
    b.m_strName = "Label7";
    c.m_strName = "Box9";
    auto form = Source({&a, &b, &c, &self});
    self.MakeDefaultName("Label", form);
    EXPECT_EQ(self.m_strName, "Label8");
    self.MakeDefaultName("Line", form);
    EXPECT_EQ(self.m_strName, "Line1");
    // Naming mode 2 keeps stem and digit width.
    TvObject d;
    d.m_strName = "Label007";
    d.m_nNamingMode = 2;
    TvObject source;
    source.m_strName = "Label007";
    auto form2 = Source({&a, &d, &source});
    d.MakeDefaultName("Label", form2);
    EXPECT_EQ(d.m_strName, "Label008");
    // Only digits: empty stem, every name counts.
    TvObject e;
    e.m_strName = "12";
    e.m_nNamingMode = 2;
    TvObject f;
    f.m_strName = "40";
    auto form3 = Source({&e, &f});
    e.MakeDefaultName("X", form3);
    EXPECT_EQ(e.m_strName, "41");
    // Absurd numbers do not overflow.
    TvObject g;
    g.m_strName = "Label99999999999999999999999";
    TvObject h;
    auto form4 = Source({&g, &h});
    h.MakeDefaultName("Label", form4);
    EXPECT_EQ(h.m_strName.substr(0, 5), "Label");
}

TEST(TvObject, OrientationGeometry)
{
    TvObject o;
    o.m_nX = 100;
    o.m_nY = 100;
    Rect r;
    o.RectFromAnchor(r, 3, 30, 10);
    EXPECT_EQ(r, (Rect{70, 90, 100, 100}));
    o.RectFromAnchor(r, 2, 30, 10);
    EXPECT_EQ(r, (Rect{90, 100, 100, 130}));
    o.RectFromAnchor(r, 4, 30, 10);
    EXPECT_EQ(r, (Rect{100, 70, 110, 100}));
    o.RectFromAnchor(r, 9, 30, 10);
    EXPECT_EQ(r, (Rect{100, 100, 130, 110}));
    for (int orient = 1; orient <= 4; ++orient) {
        Rect box;
        o.RectFromAnchor(box, orient, 30, 10);
        TvObject p;
        int32_t w = 0, h = 0;
        p.AnchorFromRect(w, h, orient, box);
        EXPECT_EQ(p.m_nX, 100) << orient;
        EXPECT_EQ(p.m_nY, 100) << orient;
        EXPECT_EQ(w, 30) << orient;
        EXPECT_EQ(h, 10) << orient;
    }
    Sized s;
    s.m_nX = 10;
    s.m_nY = 20;
    s.w = 30;
    s.h = 5;
    Point pt;
    s.AnchorForOrientation(pt, 1, 1, 30, 5);
    EXPECT_EQ(pt, (Point{10, 20}));
    s.AnchorForOrientation(pt, 2, 1, 30, 5);
    EXPECT_EQ(pt, (Point{15, 20}));
    s.AnchorForOrientation(pt, 3, 1, 30, 5);
    EXPECT_EQ(pt, (Point{40, 25}));
    s.AnchorForOrientation(pt, 4, 1, 30, 5);
    EXPECT_EQ(pt, (Point{10, 50}));
    int32_t w = -30, h = 5;
    s.NormaliseSize(w, h, 1);
    EXPECT_EQ(s.m_nX, -20);
    EXPECT_EQ(w, 30);
}

TEST(TvObject, HitTestScaleOffset)
{
    Sized s;
    s.m_nX = 0;
    s.m_nY = 0;
    s.w = 10;
    s.h = 10;
    EXPECT_TRUE(s.HitTest(Rect{10, 10, 20, 20}));  // inflated by one
    EXPECT_FALSE(s.HitTest(Rect{12, 12, 20, 20}));
    EXPECT_TRUE(s.HitTest(Rect{5, 5, -5, -5}));    // normalised
    TvObject base;
    EXPECT_FALSE(base.HitTest(Rect{5, 5, 6, 6}));
    EXPECT_TRUE(base.HitTest(Rect{-1, -1, 1, 1}));
    TvObject o;
    o.m_nX = -7;
    o.m_nY = 9;
    o.Scale(Size{3, 2}, Size{2, 1});
    EXPECT_EQ(o.m_nX, -4); // -4.67 toward zero
    EXPECT_EQ(o.m_nY, 4);
    o.Scale(Size{0, 0}, Size{5, 5}); // no division by zero
    EXPECT_EQ(o.m_nX, -4);
    o.Offset(4, -4);
    EXPECT_EQ(o.m_nX, 0);
    EXPECT_EQ(o.m_nY, 0);
}

TEST(TvObject, CopyAttributesCopiesTheBase)
{
    TvObject a;
    a.m_strName = "x";
    a.m_nObjectId = 4;
    a.m_nReserved = 3;
    a.m_nX = 1;
    a.m_nY = 2;
    a.m_bTransparent = 0;
    a.m_crBackColor = 7;
    a.m_nDrawOrder = 5;
    a.m_bVisible = 0;
    TvObject b;
    b.CopyAttributes(a);
    EXPECT_EQ(b.m_strName, "x");
    EXPECT_EQ(b.m_nObjectId, 4u);
    EXPECT_EQ(b.m_nReserved, 3);
    EXPECT_EQ(b.m_nDrawOrder, 5);
    EXPECT_EQ(b.m_crBackColor, 7u);
    EXPECT_EQ(b.m_bVisible, 0);
    EXPECT_EQ(b.GetFlags(), 16);
    EXPECT_EQ(b.GetFieldIndex(), -1);
    ASSERT_NE(b.Clone(), nullptr);
    EXPECT_EQ(b.Clone()->m_strName, "x");
}

TEST(TvObject, FitToAspect)
{
    // Natural 2:1. Drag the bottom-right corner to (300, 100): widths ratio
    // 3, heights ratio 1; the smaller wins without grow.
    Rect r{0, 0, 100, 50};
    Point p{300, 100};
    int32_t handle = 5;
    TvObject::FitToAspect(r, p, Size{2, 1}, false, handle);
    EXPECT_EQ(r, (Rect{0, 0, 200, 100}));
    EXPECT_EQ(p, (Point{200, 100}));
    EXPECT_EQ(handle, 5);
    // With grow the larger wins.
    r = Rect{0, 0, 100, 50};
    p = Point{300, 100};
    TvObject::FitToAspect(r, p, Size{2, 1}, true, handle);
    EXPECT_EQ(r, (Rect{0, 0, 300, 150}));
    // Top-left dragged past the bottom-right: handle 1 becomes 5.
    r = Rect{0, 0, 100, 50};
    p = Point{150, 80};
    handle = 1;
    TvObject::FitToAspect(r, p, Size{2, 1}, false, handle);
    EXPECT_EQ(handle, 5);
    EXPECT_EQ(r, (Rect{100, 50, 150, 75}));
    // Side handle 4 takes the width; natural (0, 0) counts as (1, 1).
    r = Rect{0, 0, 100, 50};
    p = Point{80, 25};
    handle = 4;
    TvObject::FitToAspect(r, p, Size{0, 0}, false, handle);
    EXPECT_EQ(r, (Rect{0, 0, 80, 80}));
    EXPECT_EQ(handle, 4);
    // Handle 2 crossing the bottom becomes 6.
    r = Rect{0, 0, 100, 50};
    p = Point{50, 70};
    handle = 2;
    TvObject::FitToAspect(r, p, Size{1, 1}, false, handle);
    EXPECT_EQ(handle, 6);
    EXPECT_EQ(r, (Rect{0, 50, 20, 70}));
}

TEST(EngineMath, RoundAndLeadBytes)
{
    EXPECT_EQ(RoundToLong(-2.5), -3);
    EXPECT_EQ(RoundToLong(2.5), 3);
    EXPECT_EQ(RoundToLong(0.0), 0);
    EXPECT_EQ(RoundToLong(-0.4), 0);
    EXPECT_EQ(RoundToLong(1e300), INT64_MAX);
    EXPECT_EQ(TruncToInt32(-4.9), -4);
    EXPECT_EQ(TruncToInt32(1e12), INT32_MAX);
    int len = 0;
    EXPECT_NE(IsLeadByte(0x81, &len), 0);
    EXPECT_EQ(len, 2);
    EXPECT_NE(IsLeadByte(0xFC, &len), 0);
    EXPECT_EQ(IsLeadByte(0xA0, &len), 0);
    EXPECT_EQ(len, 1);
    EXPECT_EQ(IsLeadByte(0xB1, &len), 0); // half-width katakana
    EXPECT_EQ(IsLeadByte('A', &len), 0);
}

TEST(EngineMath, LeadingWholeNumberAsTheCLibraryReadsIt)
{
    struct Row {
        const char* text;
        int64_t asLong;
        int32_t asInt;
    };
    const Row rows[] = {
        {"", 0, 0},
        {" \t+12ab", 12, 12},
        {"-7:3", -7, -7},
        {"x5", 0, 0},
        {"99999999999", 99999999999, INT32_MAX},
        {"-99999999999", -99999999999, INT32_MIN},
        {"123456789012345678901234", 123456789012345678, INT32_MAX},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ParseLeadingLong(r.text), r.asLong) << r.text;
        EXPECT_EQ(ParseLeadingInt(r.text), r.asInt) << r.text;
    }
}

} // namespace
} // namespace nv
