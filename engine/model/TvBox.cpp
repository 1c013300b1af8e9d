#include "engine/model/TvBox.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"
#include "engine/model/ShapeGeometry.h"

#include <algorithm>

namespace nv {

NV_IMPLEMENT_SERIAL(TvBox, TvGraphic, 10, true)

TvBox::TvBox()
{
    TvBox::InitDefaults();
}

TvBox::TvBox(const Rect& r, const TvGraphic* t) : TvGraphic(t)
{
    m_nObjectId = 6;
    SetRect(r);
}

TvBox::TvBox(const Rect& r, int32_t roundSize, int32_t frame, const TvGraphic* t) : TvGraphic(t)
{
    m_nObjectId = 6;
    m_nRoundSize = roundSize;
    m_bFrame = frame;
    SetRect(r);
}

void TvBox::InitDefaults()
{
    TvGraphic::InitDefaults();
    m_nObjectId = 6;
    m_nRoundSize = 0;
    m_bFrame = 1;
}

void TvBox::CopyShapeAttributes(const TvBox& s)
{
    m_nWidth = s.m_nWidth;
    m_nHeight = s.m_nHeight;
    m_nRoundSize = s.m_nRoundSize;
    m_bFrame = s.m_bFrame;
    CopyGraphicAttributes(s);
}

std::unique_ptr<TvObject> TvBox::Clone() const
{
    auto copy = std::make_unique<TvBox>();
    copy->CopyShapeAttributes(*this);
    return copy;
}

void TvBox::Serialize(Archive& ar, uint32_t schema)
{
    TvGraphic::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI32(m_nWidth);
        ar.WriteI32(m_nHeight);
        ar.WriteI32(m_nRoundSize);
        ar.WriteI32(m_bFrame);
        return;
    }
    if (schema >= 10) (void)ar.ReadU32();
    m_nWidth = ar.ReadI32();
    m_nHeight = ar.ReadI32();
    m_nRoundSize = ar.ReadI32();
    m_bFrame = ar.ReadI32();
}

void TvBox::GetBoundRect(Rect& out, bool withPen) const
{
    out = Rect{m_nX, m_nY, shape::Add(m_nX, m_nWidth), shape::Add(m_nY, m_nHeight)};
    if (withPen) out = shape::Inflated(out, shape::PenReach(m_nLineWidth));
}

void TvBox::SetRect(const Rect& r)
{
    m_nX = r.left;
    m_nY = r.top;
    m_nWidth = shape::Sub(r.right, r.left);
    m_nHeight = shape::Sub(r.bottom, r.top);
    m_nRoundSize = std::min(m_nRoundSize, std::min(m_nWidth, m_nHeight) / 2);
    m_nRoundSize = std::max(m_nRoundSize, 0);
}

void TvBox::Scale(const Size& from, const Size& to)
{
    TvObject::Scale(from, to);
    if (from.cx != 0) m_nWidth = TruncToInt32(static_cast<double>(m_nWidth) * to.cx / from.cx);
    if (from.cy != 0) m_nHeight = TruncToInt32(static_cast<double>(m_nHeight) * to.cy / from.cy);
}

namespace {

const ObjectPropertyTable::Row kBoxRows[] = {
    ObjectRows::Field<&TvBox::m_bFrame>(propFrame),
    ObjectRows::Field<&TvBox::m_nWidth>(propWidth),
    ObjectRows::Field<&TvBox::m_nHeight>(propHeight),
    ObjectRows::Field<&TvBox::m_nRoundSize>(propRoundSize),
};

} // namespace

const ObjectPropertyTable& TvBox::Properties() const
{
    static const ObjectPropertyTable table(&TvGraphic::Properties(), kBoxRows, kClosedShapeRows, kOfferedBaseRows);
    return table;
}

} // namespace nv
