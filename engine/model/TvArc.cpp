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

void TvArc::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    TvCircle::SetProperties(map, changes);
    for (const auto& [id, v] : map) {
        switch (id) {
        case 27: SetLongProp(changes, 27, m_nArcType, v.AsLong()); break;
        case 39: SetLongProp(changes, 39, m_nStartAngle, v.AsLong()); break;
        case 40: SetLongProp(changes, 40, m_nEndAngle, v.AsLong()); break;
        default: break;
        }
    }
}

int32_t TvArc::IsPropertySupported(uint16_t id) const
{
    return id == 27 || id == 39 || id == 40 || TvCircle::IsPropertySupported(id);
}

int32_t TvArc::GetPropertyAddress(uint16_t id, void*& address, int32_t& kind)
{
    switch (id) {
    case 27: address = &m_nArcType; kind = addrLong; return 1;
    case 39: address = &m_nStartAngle; kind = addrLong; return 1;
    case 40: address = &m_nEndAngle; kind = addrLong; return 1;
    default: return TvCircle::GetPropertyAddress(id, address, kind);
    }
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

} // namespace nv
