#include "engine/model/TvPolygon.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"
#include "engine/model/ShapeGeometry.h"

#include <algorithm>

namespace nv {

NV_IMPLEMENT_SERIAL(TvPolygon, TvGraphic, 10, true)

namespace {
constexpr int32_t kGrowBy = 10;
constexpr size_t kStoredPointBytes = 8;
} // namespace

TvPolygon::TvPolygon()
{
    TvPolygon::InitDefaults();
}

TvPolygon::TvPolygon(const Point& position, int32_t frame, const TvGraphic* t) : TvGraphic(t)
{
    m_nObjectId = 11;
    m_bFrame = frame;
    m_nX = position.x;
    m_nY = position.y;
}

TvPolygon::TvPolygon(const TvPolygon* other) : TvPolygon()
{
    if (!other) return;
    if (!other->m_points.empty()) {
        m_nX = other->m_points.front().x;
        m_nY = other->m_points.front().y;
    }
    m_bFrame = other->m_bFrame;
    m_nPolyType = other->m_nPolyType;
    for (const Point& p : other->m_points) AddPoint(p);
}

void TvPolygon::InitDefaults()
{
    TvGraphic::InitDefaults();
    m_nObjectId = 11;
    m_bFrame = 1;
    m_nPolyType = kPolygon;
}

void TvPolygon::CopyShapeAttributes(const TvPolygon& s)
{
    m_bFrame = s.m_bFrame;
    m_nPolyType = s.m_nPolyType;
    const int32_t count = static_cast<int32_t>(s.m_points.size());
    std::vector<Point> fresh;
    fresh.reserve(static_cast<size_t>(std::max(s.m_nCapacity, count)));
    fresh.assign(s.m_points.begin(), s.m_points.end());
    m_points = std::move(fresh);
    m_nCapacity = std::max(s.m_nCapacity, count);
    m_nPolyCount = count;
    CopyGraphicAttributes(s);
}

std::unique_ptr<TvObject> TvPolygon::Clone() const
{
    auto copy = std::make_unique<TvPolygon>();
    copy->CopyShapeAttributes(*this);
    return copy;
}

void TvPolygon::AddPoint(const Point& p)
{
    if (!m_points.empty() && m_points.back() == p) return;
    if (static_cast<int64_t>(m_points.size()) >= m_nCapacity) {
        m_nCapacity += kGrowBy;
        m_points.reserve(static_cast<size_t>(m_nCapacity));
    }
    m_points.push_back(p);
    m_nPolyCount = static_cast<int32_t>(m_points.size());
}

void TvPolygon::Serialize(Archive& ar, uint32_t schema)
{
    TvGraphic::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI32(m_nPolyType);
        ar.WriteI32(static_cast<int32_t>(m_points.size()));
        ar.WriteI32(m_bFrame);
        for (const Point& p : m_points) {
            ar.WriteI32(p.x);
            ar.WriteI32(p.y);
        }
        return;
    }
    if (schema >= 10) (void)ar.ReadU32();
    const int32_t type = ar.ReadI32();
    const int32_t count = ar.ReadI32();
    const int32_t frame = ar.ReadI32();
    // The count comes from the file: it must be a count, and the points it
    // announces must be there before anything is allocated for them.
    if (count < 0) ar.ThrowError(CArchiveException::badIndex);
    if (static_cast<size_t>(count) > ar.Remaining() / kStoredPointBytes)
        ar.ThrowError(CArchiveException::endOfFile);
    std::vector<Point> points;
    const int32_t capacity = static_cast<int32_t>((int64_t{count} + kGrowBy - 1) / kGrowBy * kGrowBy);
    points.reserve(static_cast<size_t>(capacity));
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = ar.ReadI32();
        const int32_t y = ar.ReadI32();
        points.push_back(Point{x, y});
    }
    m_nPolyType = type;
    m_bFrame = frame;
    m_points = std::move(points);
    m_nPolyCount = count;
    m_nCapacity = capacity;
}

void TvPolygon::GetBoundRect(Rect& out, bool withPen) const
{
    out = Rect{};
    if (m_points.empty()) {
        if (withPen) out = shape::Inflated(out, shape::PenReach(m_nLineWidth));
        return;
    }
    out = Rect{m_points[0].x, m_points[0].y, m_points[0].x, m_points[0].y};
    for (const Point& p : m_points) {
        out.left = std::min(out.left, p.x);
        out.top = std::min(out.top, p.y);
        out.right = std::max(out.right, p.x);
        out.bottom = std::max(out.bottom, p.y);
    }
    if (withPen) out = shape::Inflated(out, shape::PenReach(m_nLineWidth));
}

void TvPolygon::SetRect(const Rect& rect)
{
    Rect old;
    GetBoundRect(old, false);
    const Rect r = rect.Normalized();
    const double oldW = static_cast<double>(old.right) - old.left;
    const double oldH = static_cast<double>(old.bottom) - old.top;
    const double sx = oldW == 0 ? 0.0 : (static_cast<double>(r.right) - r.left) / oldW;
    const double sy = oldH == 0 ? 0.0 : (static_cast<double>(r.bottom) - r.top) / oldH;
    for (Point& p : m_points) {
        p.x = shape::Add(r.left, TruncToInt32(sx * (static_cast<double>(p.x) - old.left)));
        p.y = shape::Add(r.top, TruncToInt32(sy * (static_cast<double>(p.y) - old.top)));
    }
}

void TvPolygon::Offset(int32_t dx, int32_t dy)
{
    for (Point& p : m_points) {
        p.x = shape::Add(p.x, dx);
        p.y = shape::Add(p.y, dy);
    }
}

void TvPolygon::Scale(const Size& from, const Size& to)
{
    TvObject::Scale(from, to);
    for (Point& p : m_points) {
        if (from.cx != 0) p.x = TruncToInt32(static_cast<double>(p.x) * to.cx / from.cx);
        if (from.cy != 0) p.y = TruncToInt32(static_cast<double>(p.y) * to.cy / from.cy);
    }
}

const ObjectPropertyTable& TvPolygon::Properties() const
{
    // The anchor of a polygon follows its points: not shown.
    static constexpr ObjectPropertyTable::Row rows[] = {
        ObjectRows::Mark(propAnchorX),
        ObjectRows::Mark(propAnchorY),
        ObjectRows::Field<&TvPolygon::m_bFrame>(propFrame),
        ObjectRows::Field<&TvPolygon::m_nPolyType>(propPolyType),
        ObjectRows::Field<&TvPolygon::m_nPolyCount>(propPolyCount, useRead),
    };
    static const ObjectPropertyTable table(&TvGraphic::Properties(), rows, kClosedShapeRows, kOfferedBaseRows);
    return table;
}

} // namespace nv
