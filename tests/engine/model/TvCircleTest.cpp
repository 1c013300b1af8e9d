#include "engine/model/TvCircle.h"

#include "ShapeBytes.h"

#include <gtest/gtest.h>

using namespace nv;
using namespace shapetest;

namespace {
std::string CircleFields(const TvCircle& c)
{
    return I32(c.m_nRight) + I32(c.m_nBottom) + I32(c.m_nCenterX) + I32(c.m_nCenterY) + I32(c.m_nRadiusX) +
           I32(c.m_nRadiusY) + I32(c.m_bFrame);
}
} // namespace

TEST(TvCircle, ByteExactRoundTrip)
{
    TvCircle c(Rect{1000, -2000, 3000, 2000}, 0, nullptr);
    FillGraphic(c, "Circle1");
    const std::string bytes = Store(c);
    EXPECT_EQ(bytes, ClassRecord("TvCircle") + GraphicBytes(c) + U32(10) + I32(3000) + I32(2000) + I32(2000) +
                         I32(0) + I32(1000) + I32(2000) + I32(0))
        << nvtest::HexDump(bytes);
    EXPECT_EQ(Store(*Load<TvCircle>(bytes)), bytes);
    ExpectEveryTruncationFails(bytes);
    const std::string old = ClassRecord("TvCircle", 9) + GraphicBytes(c, false) + CircleFields(c);
    EXPECT_EQ(Store(*Load<TvCircle>(old)), bytes);
}

TEST(TvCircle, ConstructorsKeepBoxCentreAndRadii)
{
    TvCircle c(Rect{0, 0, 201, 101});
    EXPECT_EQ(c.m_nObjectId, 7u);
    EXPECT_EQ(c.GetFlags(), 24);
    EXPECT_EQ(c.GetType(), 4);
    EXPECT_EQ(c.m_nCenterX, 100);
    EXPECT_EQ(c.m_nCenterY, 50);
    EXPECT_EQ(c.m_nRadiusX, 100);
    EXPECT_EQ(c.m_nRadiusY, 50);

    TvCircle fromCentre(Point{1000, 1000}, Size{300, 200}, 1, nullptr);
    Rect r;
    fromCentre.GetBoundRect(r, false);
    EXPECT_EQ(r, (Rect{700, 800, 1300, 1200}));
    fromCentre.GetBoundRect(r, true);
    EXPECT_EQ(r, (Rect{700 - 7501, 800 - 7501, 1300 + 7501, 1200 + 7501}));

    fromCentre.SetRect(Rect{500, 500, 0, 100}); // box as given, the rest normalised
    EXPECT_EQ(fromCentre.m_nX, 500);
    EXPECT_EQ(fromCentre.m_nRight, 0);
    EXPECT_EQ(fromCentre.m_nRadiusX, 250);
    EXPECT_EQ(fromCentre.m_nCenterX, 250);
    EXPECT_EQ(fromCentre.m_nRadiusY, 200);
    EXPECT_EQ(fromCentre.m_nCenterY, 300);

    fromCentre.Offset(10, 20);
    EXPECT_EQ(fromCentre.m_nX, 510);
    EXPECT_EQ(fromCentre.m_nRight, 10);
    EXPECT_EQ(fromCentre.m_nCenterX, 260);
    EXPECT_EQ(fromCentre.m_nBottom, 120);
    EXPECT_EQ(fromCentre.m_nCenterY, 320);
}

TEST(TvCircle, ScalingKeepsTheShape)
{
    TvCircle c(Rect{100, 100, 300, 200});
    c.Scale(Size{1, 1}, Size{2, 3});
    EXPECT_EQ(c.m_nX, 200);
    EXPECT_EQ(c.m_nY, 300);
    EXPECT_EQ(c.m_nRight, 600);
    EXPECT_EQ(c.m_nBottom, 600);
    EXPECT_EQ(c.m_nCenterX, 400);
    EXPECT_EQ(c.m_nCenterY, 450);
    EXPECT_EQ(c.m_nRadiusX, 200);
    EXPECT_EQ(c.m_nRadiusY, 150);
    c.Scale(Size{0, 2}, Size{7, 1}); // no width to scale from: x stays
    EXPECT_EQ(c.m_nX, 200);
    EXPECT_EQ(c.m_nY, 150);
    EXPECT_EQ(c.m_nBottom, 300);
    EXPECT_EQ(c.m_nRadiusY, 75);
}

TEST(TvCircle, RadiusPropertyMovesTheSides)
{
    TvCircle c(Point{1000, 1000}, Size{100, 100}, 1, nullptr);
    TvPropertyMap map;
    map.SetLong(119, 50);
    TvChangeList changes;
    c.SetProperties(map, &changes);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].m_nPropId, 4);
    EXPECT_EQ(changes[0].GetLong(), 900); // the value before
    EXPECT_EQ(changes[1].m_nPropId, 33);
    EXPECT_EQ(c.m_nX, 950);
    EXPECT_EQ(c.m_nRight, 1050);
    EXPECT_EQ(c.m_nRadiusX, 50);

    TvChangeList newValues;
    newValues.m_bRecordOld = false;
    TvPropertyMap y;
    y.SetLong(120, 30);
    c.SetProperties(y, &newValues);
    ASSERT_EQ(newValues.size(), 2u);
    EXPECT_EQ(newValues[0].m_nPropId, 5);
    EXPECT_EQ(newValues[0].GetLong(), 970);
    EXPECT_EQ(newValues[1].GetLong(), 1030);
}

TEST(TvCircle, CentreAndBoxProperties)
{
    TvCircle c(Rect{0, 0, 200, 100});
    TvPropertyMap centre;
    centre.SetLong(117, 1100);
    centre.SetLong(118, 2050);
    TvChangeList changes;
    c.SetProperties(centre, &changes);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(c.m_nX, 1000);
    EXPECT_EQ(c.m_nY, 2000);
    EXPECT_EQ(c.m_nRight, 1200);
    EXPECT_EQ(c.m_nBottom, 2100);
    EXPECT_EQ(c.m_nRadiusX, 100);
    EXPECT_EQ(c.m_nRadiusY, 50);

    TvPropertyMap box;
    box.SetLong(33, 1400);
    box.SetLong(12, 0);
    c.SetProperties(box, &changes);
    EXPECT_EQ(c.m_nRight, 1400);
    EXPECT_EQ(c.m_nCenterX, 1200);
    EXPECT_EQ(c.m_nRadiusX, 200);
    EXPECT_EQ(c.m_bFrame, 0);

    for (uint16_t id : {2, 3, 6, 7, 8, 9, 10, 11, 12, 117, 118, 119, 120, 1000})
        EXPECT_TRUE(c.IsPropertySupported(id)) << id;
    for (uint16_t id : {4, 5, 13, 33, 34, 27}) EXPECT_FALSE(c.IsPropertySupported(id)) << id;
    void* address = nullptr;
    int32_t kind = 0;
    for (uint16_t id : {4, 5, 33, 34}) EXPECT_EQ(c.GetPropertyAddress(id, address, kind), 0) << id;
    EXPECT_EQ(c.GetPropertyAddress(119, address, kind), 1);
    EXPECT_EQ(address, &c.m_nRadiusX);
    EXPECT_EQ(c.GetPropertyAddress(12, address, kind), 1);
    EXPECT_EQ(address, &c.m_bFrame);

    FillGraphic(c, "Circle3");
    EXPECT_EQ(Store(*c.Clone()), Store(c));
}
