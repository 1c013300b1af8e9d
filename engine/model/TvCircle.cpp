#include "engine/model/TvCircle.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"
#include "engine/model/ShapeGeometry.h"

namespace nv {

NV_IMPLEMENT_SERIAL(TvCircle, TvGraphic, 10, true)

TvCircle::TvCircle()
{
    TvCircle::InitDefaults();
}

TvCircle::TvCircle(const Rect& r, int32_t frame, const TvGraphic* t) : TvGraphic(t)
{
    m_nObjectId = 7;
    m_bFrame = frame;
    SetBoxFrom(r);
    m_nCenterX = shape::Half(int64_t{r.left} + r.right);
    m_nCenterY = shape::Half(int64_t{r.top} + r.bottom);
    m_nRadiusX = shape::Half(int64_t{r.right} - r.left);
    m_nRadiusY = shape::Half(int64_t{r.bottom} - r.top);
}

TvCircle::TvCircle(const Point& c, const Size& radii, int32_t frame, const TvGraphic* t) : TvGraphic(t)
{
    m_nObjectId = 7;
    m_bFrame = frame;
    m_nCenterX = c.x;
    m_nCenterY = c.y;
    m_nRadiusX = radii.cx;
    m_nRadiusY = radii.cy;
    SetBoxFrom(Rect{shape::Sub(c.x, radii.cx), shape::Sub(c.y, radii.cy), shape::Add(c.x, radii.cx),
                    shape::Add(c.y, radii.cy)});
}

void TvCircle::InitDefaults()
{
    TvGraphic::InitDefaults();
    m_nObjectId = 7;
    m_bFrame = 1;
}

void TvCircle::SetBoxFrom(const Rect& r)
{
    m_nX = r.left;
    m_nY = r.top;
    m_nRight = r.right;
    m_nBottom = r.bottom;
}

void TvCircle::CopyShapeAttributes(const TvCircle& s)
{
    m_nRight = s.m_nRight;
    m_nBottom = s.m_nBottom;
    m_nCenterX = s.m_nCenterX;
    m_nCenterY = s.m_nCenterY;
    m_nRadiusX = s.m_nRadiusX;
    m_nRadiusY = s.m_nRadiusY;
    m_bFrame = s.m_bFrame;
    CopyGraphicAttributes(s);
}

std::unique_ptr<TvObject> TvCircle::Clone() const
{
    auto copy = std::make_unique<TvCircle>();
    copy->CopyShapeAttributes(*this);
    return copy;
}

void TvCircle::Serialize(Archive& ar, uint32_t schema)
{
    TvGraphic::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI32(m_nRight);
        ar.WriteI32(m_nBottom);
        ar.WriteI32(m_nCenterX);
        ar.WriteI32(m_nCenterY);
        ar.WriteI32(m_nRadiusX);
        ar.WriteI32(m_nRadiusY);
        ar.WriteI32(m_bFrame);
        return;
    }
    if (schema >= 10) (void)ar.ReadU32();
    m_nRight = ar.ReadI32();
    m_nBottom = ar.ReadI32();
    m_nCenterX = ar.ReadI32();
    m_nCenterY = ar.ReadI32();
    m_nRadiusX = ar.ReadI32();
    m_nRadiusY = ar.ReadI32();
    m_bFrame = ar.ReadI32();
}

void TvCircle::GetBoundRect(Rect& out, bool withPen) const
{
    out = Rect{m_nX, m_nY, m_nRight, m_nBottom};
    if (withPen) out = shape::Inflated(out, shape::PenReach(m_nLineWidth));
}

void TvCircle::SetRect(const Rect& r)
{
    SetBoxFrom(r);
    const Rect n = r.Normalized();
    m_nRadiusX = shape::Half(int64_t{n.right} - n.left);
    m_nCenterX = shape::Add(n.left, m_nRadiusX);
    m_nRadiusY = shape::Half(int64_t{n.bottom} - n.top);
    m_nCenterY = shape::Add(n.top, m_nRadiusY);
}

void TvCircle::Offset(int32_t dx, int32_t dy)
{
    m_nX = shape::Add(m_nX, dx);
    m_nY = shape::Add(m_nY, dy);
    m_nRight = shape::Add(m_nRight, dx);
    m_nBottom = shape::Add(m_nBottom, dy);
    m_nCenterX = shape::Add(m_nCenterX, dx);
    m_nCenterY = shape::Add(m_nCenterY, dy);
}

void TvCircle::Scale(const Size& from, const Size& to)
{
    // Moving only the anchor would tear the box apart and leave centre and
    // radii behind; the box scales as a whole and the rest follows from it.
    Rect box{m_nX, m_nY, m_nRight, m_nBottom};
    if (from.cx != 0) {
        box.left = TruncToInt32(static_cast<double>(box.left) * to.cx / from.cx);
        box.right = TruncToInt32(static_cast<double>(box.right) * to.cx / from.cx);
    }
    if (from.cy != 0) {
        box.top = TruncToInt32(static_cast<double>(box.top) * to.cy / from.cy);
        box.bottom = TruncToInt32(static_cast<double>(box.bottom) * to.cy / from.cy);
    }
    TvCircle::SetRect(box);
}

namespace {

// A radius moves the box about the centre; its changes are recorded as the
// box's.
void ApplyRadius(TvObject& o, const ObjectPropertyTable::Row& row, const TvPropValue& v, TvChangeList* changes)
{
    auto& c = static_cast<TvCircle&>(o);
    const int32_t r = v.AsLong();
    if (row.id == propRadiusX) {
        SetLongProp(changes, propAnchorX, c.m_nX, shape::Sub(c.m_nCenterX, r));
        SetLongProp(changes, propEndX, c.m_nRight, shape::Add(c.m_nCenterX, r));
    } else {
        SetLongProp(changes, propAnchorY, c.m_nY, shape::Sub(c.m_nCenterY, r));
        SetLongProp(changes, propEndY, c.m_nBottom, shape::Add(c.m_nCenterY, r));
    }
    *static_cast<int32_t*>(row.address(o)) = r;
}

// The box corner and the centre are set without a record: the box is
// rebuilt from them afterwards.
const ObjectPropertyTable::Row kCircleRows[] = {
    ObjectRows::Mark(propAnchorX),
    ObjectRows::Mark(propAnchorY),
    ObjectRows::Field<&TvCircle::m_bFrame>(propFrame),
    ObjectRows::Field<&TvCircle::m_nRight>(propEndX, useApply | useQuiet),
    ObjectRows::Field<&TvCircle::m_nBottom>(propEndY, useApply | useQuiet),
    ObjectRows::Field<&TvCircle::m_nCenterX>(propCenterX, useAll | useQuiet),
    ObjectRows::Field<&TvCircle::m_nCenterY>(propCenterY, useAll | useQuiet),
    ObjectRows::Field<&TvCircle::m_nRadiusX>(propRadiusX, useAll, &ApplyRadius),
    ObjectRows::Field<&TvCircle::m_nRadiusY>(propRadiusY, useAll, &ApplyRadius),
};

} // namespace

const ObjectPropertyTable& TvCircle::Properties() const
{
    static const ObjectPropertyTable table(&TvGraphic::Properties(), kCircleRows, kClosedShapeRows, kOfferedBaseRows);
    return table;
}

void TvCircle::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    const int32_t oldCx = m_nCenterX, oldCy = m_nCenterY;
    Properties().Apply(*this, map, changes);
    if (map.Lookup(propCenterX) || map.Lookup(propCenterY)) {
        const int64_t dx = int64_t{m_nCenterX} - oldCx, dy = int64_t{m_nCenterY} - oldCy;
        m_nX = shape::Add(m_nX, dx);
        m_nRight = shape::Add(m_nRight, dx);
        m_nY = shape::Add(m_nY, dy);
        m_nBottom = shape::Add(m_nBottom, dy);
        const Rect n = Rect{m_nX, m_nY, m_nRight, m_nBottom}.Normalized();
        m_nRadiusX = shape::Half(int64_t{n.right} - n.left);
        m_nRadiusY = shape::Half(int64_t{n.bottom} - n.top);
    }
    if (map.Lookup(propEndX) || map.Lookup(propEndY)) {
        Rect bound;
        GetBoundRect(bound, false);
        SetRect(bound);
    }
}

} // namespace nv
