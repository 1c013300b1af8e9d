#include "engine/model/TvArc.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"
#include "engine/model/ShapeGeometry.h"

#include <cmath>

namespace nv {

NV_IMPLEMENT_SERIAL(TvArc, TvCircle, 10, true)

TvArc::TvArc()
{
    TvArc::InitDefaults();
}

TvArc::TvArc(const Rect& r) : TvCircle(r, 1, nullptr)
{
    m_nObjectId = 8;
}

TvArc::TvArc(const Rect& r, int32_t frame, int32_t arcType, const TvGraphic* t) : TvCircle(r, frame, t)
{
    m_nObjectId = 8;
    m_nArcType = arcType;
    m_nStartAngle = 0;
    m_nEndAngle = 0;
}

TvArc::TvArc(const Point& c, const Size& radii, int32_t arcType, int32_t frame, const TvGraphic* t)
    : TvCircle(c, radii, frame, t)
{
    m_nObjectId = 8;
    m_nArcType = arcType;
}

void TvArc::InitDefaults()
{
    TvCircle::InitDefaults();
    m_nObjectId = 8;
}

void TvArc::CopyArcAttributes(const TvArc& s)
{
    m_nArcType = s.m_nArcType;
    m_nStartAngle = s.m_nStartAngle;
    m_nEndAngle = s.m_nEndAngle;
    CopyShapeAttributes(s);
}

std::unique_ptr<TvObject> TvArc::Clone() const
{
    auto copy = std::make_unique<TvArc>();
    copy->CopyArcAttributes(*this);
    return copy;
}

void TvArc::Serialize(Archive& ar, uint32_t schema)
{
    TvCircle::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI32(m_nArcType);
        ar.WriteI32(m_nStartAngle);
        ar.WriteI32(m_nEndAngle);
        return;
    }
    if (schema >= 10) (void)ar.ReadU32();
    m_nArcType = ar.ReadI32();
    m_nStartAngle = ar.ReadI32();
    m_nEndAngle = ar.ReadI32();
}

void TvArc::PointAtAngle(int32_t angle, Point& out) const
{
    double t = angle * 0.01;
    if (t > 180) t -= 360;
    const double u = t * 0.017453292519943295;
    const double rx = m_nRadiusX, ry = m_nRadiusY;
    const double s = rx * std::sin(u);
    const double c = ry * std::cos(u);
    const double g = std::sqrt(s * s + c * c);
    // With no extent there is no direction to go: the ellipse is its centre.
    if (!(g > 0) || !std::isfinite(g)) {
        out = Point{m_nCenterX, m_nCenterY};
        return;
    }
    out = Point{shape::Add(m_nCenterX, TruncToInt32(rx * c / g)), shape::Add(m_nCenterY, TruncToInt32(ry * s / g))};
}

namespace {

const ObjectPropertyTable::Row kArcRows[] = {
    ObjectRows::Field<&TvArc::m_nArcType>(propArcType),
    ObjectRows::Field<&TvArc::m_nStartAngle>(propStartAngle),
    ObjectRows::Field<&TvArc::m_nEndAngle>(propEndAngle),
};

} // namespace

const ObjectPropertyTable& TvArc::Properties() const
{
    static const ObjectPropertyTable table(&TvCircle::Properties(), kArcRows);
    return table;
}

} // namespace nv
