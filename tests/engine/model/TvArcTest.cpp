#include "engine/model/TvArc.h"

#include "ShapeBytes.h"

#include <gtest/gtest.h>

using namespace nv;
using namespace shapetest;

TEST(TvArc, ByteExactRoundTrip)
{
    TvArc a(Rect{0, 0, 2000, 1000}, 1, TvArc::kPie, nullptr);
    FillGraphic(a, "Arc1");
    a.m_nX = 0;
    a.m_nY = 0;
    a.m_nStartAngle = 4500;
    a.m_nEndAngle = -9000;
    const std::string circle =
        I32(2000) + I32(1000) + I32(1000) + I32(500) + I32(1000) + I32(500) + I32(1);
    const std::string bytes = Store(a);
    EXPECT_EQ(bytes, ClassRecord("TvArc") + GraphicBytes(a) + U32(10) + circle + U32(10) + I32(3) + I32(4500) +
                         I32(-9000))
        << nvtest::HexDump(bytes);
    auto back = Load<TvArc>(bytes);
    EXPECT_EQ(back->m_nArcType, TvArc::kPie);
    EXPECT_EQ(Store(*back), bytes);
    ExpectEveryTruncationFails(bytes);

    const std::string old = ClassRecord("TvArc", 9) + GraphicBytes(a, false) + circle + I32(3) + I32(4500) + I32(-9000);
    EXPECT_EQ(Store(*Load<TvArc>(old)), bytes);

    // An arc is a circle for kind-of tests, and a circle is not an arc.
    EXPECT_TRUE(back->IsKindOf(TvCircle::Class()));
    EXPECT_EQ(LoadCause(Store(TvCircle())), -1);
    Archive in{std::string(Store(TvCircle()))};
    EXPECT_THROW(in.ReadObject<TvArc>(), CArchiveException);
}

TEST(TvArc, PointAtAngle)
{
    TvArc a(Point{1000, 2000}, Size{300, 100}, TvArc::kArc, 1, nullptr);
    EXPECT_EQ(a.m_nObjectId, 8u);
    EXPECT_EQ(a.GetFlags(), 26);
    EXPECT_EQ(a.GetType(), 5);
    struct Case {
        int32_t angle;
        Point at;
    };
    const Case cases[] = {
        {0, {1300, 2000}},     {9000, {1000, 2100}}, {18000, {700, 2000}},
        {27000, {1000, 1900}}, // taken as -90 degrees
        {-9000, {1000, 1900}}, {36000, {1300, 2000}},
        {4500, {1094, 2094}},  // where the ray at 45 degrees meets the ellipse
    };
    for (const Case& c : cases) {
        Point p;
        a.PointAtAngle(c.angle, p);
        EXPECT_EQ(p, c.at) << c.angle;
    }

    TvArc dot(Point{500, 600}, Size{0, 0}, TvArc::kArc, 1, nullptr);
    for (int32_t angle : {0, 4500, 9000, 27000}) {
        Point p{-1, -1};
        dot.PointAtAngle(angle, p);
        EXPECT_EQ(p, (Point{500, 600})) << angle;
    }
    TvArc flat(Point{500, 600}, Size{0, 40}, TvArc::kArc, 1, nullptr);
    Point p;
    flat.PointAtAngle(0, p);
    EXPECT_EQ(p, (Point{500, 600}));
    flat.PointAtAngle(9000, p); // a flat ellipse stays on its axis
    EXPECT_EQ(p.x, 500);
}

TEST(TvArc, ScalingKeepsTheShapeAndCloneCopiesEverything)
{
    TvArc a(Rect{0, 0, 400, 200}, 0, TvArc::kChord, nullptr);
    a.m_nStartAngle = 100;
    a.m_nEndAngle = 200;
    a.Scale(Size{2, 2}, Size{1, 1});
    EXPECT_EQ(a.m_nRight, 200);
    EXPECT_EQ(a.m_nBottom, 100);
    EXPECT_EQ(a.m_nCenterX, 100);
    EXPECT_EQ(a.m_nRadiusY, 50);
    EXPECT_EQ(a.m_nStartAngle, 100);

    FillGraphic(a, "Arc7");
    auto copy = a.Clone();
    EXPECT_EQ(copy->GetType(), 5);
    EXPECT_EQ(Store(*copy), Store(a));
}

TEST(TvArc, Properties)
{
    TvArc a(Rect{0, 0, 100, 100});
    TvPropertyMap map;
    map.SetLong(27, TvArc::kPie);
    map.SetLong(39, 1000);
    map.SetLong(40, 2000);
    map.SetLong(119, 10);
    TvChangeList changes;
    a.SetProperties(map, &changes);
    EXPECT_EQ(a.m_nArcType, TvArc::kPie);
    EXPECT_EQ(a.m_nStartAngle, 1000);
    EXPECT_EQ(a.m_nEndAngle, 2000);
    EXPECT_EQ(a.m_nRadiusX, 10);
    EXPECT_EQ(changes.size(), 5u);
    for (uint16_t id : {27, 39, 40, 117, 12, 2}) EXPECT_TRUE(a.IsPropertySupported(id)) << id;
    EXPECT_FALSE(a.IsPropertySupported(33));
    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(a.GetPropertyAddress(39, address, kind), 1);
    EXPECT_EQ(address, &a.m_nStartAngle);
    EXPECT_EQ(a.GetPropertyAddress(118, address, kind), 1);
    EXPECT_EQ(address, &a.m_nCenterY);
    EXPECT_EQ(a.GetPropertyAddress(33, address, kind), 0);
}
