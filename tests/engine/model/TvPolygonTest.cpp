#include "engine/model/TvPolygon.h"

#include "ShapeBytes.h"

#include <gtest/gtest.h>

using namespace nv;
using namespace shapetest;

namespace {
TvPolygon Triangle()
{
    TvPolygon p(Point{0, 0}, 1, nullptr);
    p.AddPoint({0, 0});
    p.AddPoint({100, 0});
    p.AddPoint({50, -80});
    return p;
}
} // namespace

TEST(TvPolygon, ByteExactRoundTrip)
{
    TvPolygon p = Triangle();
    FillGraphic(p, "Polygon1");
    p.m_nPolyType = TvPolygon::kBezier;
    p.m_bFrame = 0;
    const std::string points = I32(0) + I32(0) + I32(100) + I32(0) + I32(50) + I32(-80);
    const std::string bytes = Store(p);
    EXPECT_EQ(bytes, ClassRecord("TvPolygon") + GraphicBytes(p) + U32(10) + I32(3) + I32(3) + I32(0) + points)
        << nvtest::HexDump(bytes);
    auto back = Load<TvPolygon>(bytes);
    EXPECT_EQ(back->PointCount(), 3);
    EXPECT_EQ(back->Capacity(), 10);
    EXPECT_EQ(Store(*back), bytes);
    ExpectEveryTruncationFails(bytes);

    const std::string old = ClassRecord("TvPolygon", 9) + GraphicBytes(p, false) + I32(3) + I32(3) + I32(0) + points;
    EXPECT_EQ(Store(*Load<TvPolygon>(old)), bytes);

    // Stored repeats are kept as they are.
    const std::string twice = ClassRecord("TvPolygon") + GraphicBytes(p) + U32(10) + I32(1) + I32(2) + I32(1) +
                              I32(5) + I32(5) + I32(5) + I32(5);
    EXPECT_EQ(Load<TvPolygon>(twice)->PointCount(), 2);
    const std::string none = ClassRecord("TvPolygon") + GraphicBytes(p) + U32(10) + I32(1) + I32(0) + I32(1);
    EXPECT_EQ(Load<TvPolygon>(none)->Capacity(), 0);
}

TEST(TvPolygon, PointCountsFromTheFileAreChecked)
{
    TvPolygon p;
    const std::string head = ClassRecord("TvPolygon") + GraphicBytes(p) + U32(10) + I32(2);
    EXPECT_EQ(LoadCause(head + I32(-1) + I32(1)), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause(head + I32(INT32_MIN) + I32(1)), CArchiveException::badIndex);
    // Announced points that are not there: refused before anything is allocated.
    EXPECT_EQ(LoadCause(head + I32(INT32_MAX) + I32(1) + I32(1) + I32(2)), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause(head + I32(2) + I32(1) + I32(1) + I32(2) + I32(3)), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause(head + I32(2) + I32(1) + I32(1) + I32(2) + I32(3) + I32(4)), -1);

    std::string eleven = head + I32(11) + I32(1);
    for (int i = 0; i < 11; ++i) eleven += I32(i) + I32(-i);
    auto big = Load<TvPolygon>(eleven);
    EXPECT_EQ(big->PointCount(), 11);
    EXPECT_EQ(big->Capacity(), 20);
}

TEST(TvPolygon, AddPointGrowsByTenAndSkipsRepeats)
{
    TvPolygon p;
    EXPECT_EQ(p.m_nObjectId, 11u);
    EXPECT_EQ(p.m_nPolyType, TvPolygon::kPolygon);
    EXPECT_EQ(p.m_bFrame, 1);
    EXPECT_EQ(p.GetFlags(), 24);
    EXPECT_EQ(p.GetType(), 6);
    p.AddPoint({1, 1});
    p.AddPoint({1, 1});
    EXPECT_EQ(p.PointCount(), 1);
    EXPECT_EQ(p.Capacity(), 10);
    for (int i = 2; i <= 10; ++i) p.AddPoint({i, i});
    EXPECT_EQ(p.PointCount(), 10);
    EXPECT_EQ(p.Capacity(), 10);
    p.AddPoint({11, 11});
    EXPECT_EQ(p.PointCount(), 11);
    EXPECT_EQ(p.Capacity(), 20);
    p.AddPoint({1, 1}); // only the last point counts as a repeat
    EXPECT_EQ(p.PointCount(), 12);

    void* address = nullptr;
    int32_t kind = 0;
    ASSERT_EQ(p.GetPropertyAddress(121, address, kind), 1);
    EXPECT_EQ(*static_cast<int32_t*>(address), 12);
}

TEST(TvPolygon, BoundsRectOffsetAndScale)
{
    TvPolygon empty;
    Rect r{1, 2, 3, 4};
    empty.GetBoundRect(r, false);
    EXPECT_EQ(r, (Rect{0, 0, 0, 0}));

    TvPolygon p = Triangle();
    p.m_nX = 7;
    p.m_nY = 8;
    p.GetBoundRect(r, false);
    EXPECT_EQ(r, (Rect{0, -80, 100, 0}));
    p.m_nLineWidth = 97;
    p.GetBoundRect(r, true);
    EXPECT_EQ(r, (Rect{-50, -130, 150, 50}));

    p.Offset(10, 20);
    EXPECT_EQ(p.Points()[1], (Point{110, 20}));
    EXPECT_EQ(p.m_nX, 7); // the anchor stays

    p.SetRect(Rect{1000, 1000, 500, 1160}); // normalised: 500..1000 x 1000..1160
    EXPECT_EQ(p.Points()[0], (Point{500, 1160}));
    EXPECT_EQ(p.Points()[1], (Point{1000, 1160}));
    EXPECT_EQ(p.Points()[2], (Point{750, 1000}));

    TvPolygon line;
    line.AddPoint({5, 5});
    line.AddPoint({5, 50});
    line.SetRect(Rect{100, 100, 200, 300}); // no width: x collapses to the left
    EXPECT_EQ(line.Points()[0], (Point{100, 100}));
    EXPECT_EQ(line.Points()[1], (Point{100, 300}));

    p.Scale(Size{10, 10}, Size{1, 2});
    EXPECT_EQ(p.Points()[0], (Point{50, 232}));
    EXPECT_EQ(p.m_nX, 0);
}

TEST(TvPolygon, CopiesAndProperties)
{
    TvPolygon src = Triangle();
    src.AddPoint({0, 0});
    FillGraphic(src, "Polygon2");
    src.m_nPolyType = TvPolygon::kPolyline;

    TvPolygon fromOther(&src);
    EXPECT_EQ(fromOther.m_nX, 0);
    EXPECT_EQ(fromOther.m_nY, 0);
    EXPECT_EQ(fromOther.PointCount(), 4);
    EXPECT_EQ(fromOther.m_nPolyType, TvPolygon::kPolyline);
    EXPECT_EQ(fromOther.m_nLineWidth, 15000); // pen not taken over

    auto clone = src.Clone();
    EXPECT_EQ(Store(*clone), Store(src));
    EXPECT_EQ(static_cast<TvPolygon&>(*clone).Capacity(), src.Capacity());

    TvPropertyMap map;
    map.SetLong(30, TvPolygon::kBezier);
    map.SetLong(12, 0);
    map.SetLong(121, 99); // read-only
    TvChangeList changes;
    src.SetProperties(map, &changes);
    EXPECT_EQ(src.m_nPolyType, TvPolygon::kBezier);
    EXPECT_EQ(src.m_bFrame, 0);
    EXPECT_EQ(src.PointCount(), 4);
    EXPECT_EQ(changes.size(), 2u);
    for (uint16_t id : {2, 3, 6, 7, 8, 9, 10, 11, 12, 30, 1000}) EXPECT_TRUE(src.IsPropertySupported(id)) << id;
    for (uint16_t id : {4, 5, 13, 33, 121}) EXPECT_FALSE(src.IsPropertySupported(id)) << id;
    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(src.GetPropertyAddress(4, address, kind), 0);
    EXPECT_EQ(src.GetPropertyAddress(30, address, kind), 1);
    EXPECT_EQ(address, &src.m_nPolyType);
}
