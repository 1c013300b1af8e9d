#include "engine/model/TvLine.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"
#include "engine/model/ShapeGeometry.h"

namespace nv {

NV_IMPLEMENT_SERIAL(TvLine, TvGraphic, 10, true)

TvLine::TvLine()
{
    TvLine::InitDefaults();
}

TvLine::TvLine(const Rect& r, const TvGraphic* t) : TvGraphic(t)
{
    m_nObjectId = 5;
    SetRect(r);
}

void TvLine::InitDefaults()
{
    TvGraphic::InitDefaults();
    m_nObjectId = 5;
}

void TvLine::CopyShapeAttributes(const TvLine& s)
{
    m_nEndX = s.m_nEndX;
    m_nEndY = s.m_nEndY;
    CopyGraphicAttributes(s);
}

std::unique_ptr<TvObject> TvLine::Clone() const
{
    auto copy = std::make_unique<TvLine>();
    copy->CopyShapeAttributes(*this);
    return copy;
}

void TvLine::Serialize(Archive& ar, uint32_t schema)
{
    TvGraphic::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI32(m_nEndX);
        ar.WriteI32(m_nEndY);
        return;
    }
    if (schema >= 10) (void)ar.ReadU32();
    m_nEndX = ar.ReadI32();
    m_nEndY = ar.ReadI32();
}

void TvLine::GetBoundRect(Rect& out, bool withPen) const
{
    out = Rect{m_nX, m_nY, m_nEndX, m_nEndY};
    if (!withPen) return;
    // Outward along the line's own direction, even when stored reversed.
    const int64_t d = shape::PenReach(m_nLineWidth);
    const int64_t dx = m_nX < m_nEndX ? d : -d;
    const int64_t dy = m_nY < m_nEndY ? d : -d;
    out = Rect{shape::Sub(out.left, dx), shape::Sub(out.top, dy), shape::Add(out.right, dx),
               shape::Add(out.bottom, dy)};
}

void TvLine::SetRect(const Rect& r)
{
    m_nX = r.left;
    m_nY = r.top;
    m_nEndX = r.right;
    m_nEndY = r.bottom;
}

void TvLine::Offset(int32_t dx, int32_t dy)
{
    m_nX = shape::Add(m_nX, dx);
    m_nY = shape::Add(m_nY, dy);
    m_nEndX = shape::Add(m_nEndX, dx);
    m_nEndY = shape::Add(m_nEndY, dy);
}

void TvLine::Scale(const Size& from, const Size& to)
{
    TvObject::Scale(from, to);
    if (from.cx != 0) m_nEndX = TruncToInt32(static_cast<double>(m_nEndX) * to.cx / from.cx);
    if (from.cy != 0) m_nEndY = TruncToInt32(static_cast<double>(m_nEndY) * to.cy / from.cy);
}

namespace {

// A line offers its pen but no fill, and shows its colour as the text
// colour too.
const ObjectPropertyTable::Row kLineRows[] = {
    GraphicRow(propLineWidth, useRead | useWrite),
    GraphicRow(propLineStyle, useRead | useWrite),
    GraphicRow(propLineColor, useRead | useWrite),
    ObjectRows::Field<&TvLine::m_crLineColor>(propTextColor, useRead),
    ObjectRows::Mark(propFillColor),
    ObjectRows::Mark(propFillStyle),
    ObjectRows::Field<&TvLine::m_nEndX>(propEndX),
    ObjectRows::Field<&TvLine::m_nEndY>(propEndY),
};

} // namespace

const ObjectPropertyTable& TvLine::Properties() const
{
    static const ObjectPropertyTable table(&TvGraphic::Properties(), kLineRows, kOfferedBaseRows);
    return table;
}

} // namespace nv
