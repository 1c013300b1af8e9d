#include "engine/model/TvGraphic.h"

#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"

namespace nv {

NV_IMPLEMENT_SERIAL(TvGraphic, TvObject, 10, true)

TvGraphic::TvGraphic()
{
    TvGraphic::InitDefaults();
}

TvGraphic::TvGraphic(const TvGraphic* t)
{
    TvGraphic::InitDefaults();
    if (!t) return;
    m_bTransparent = t->m_bTransparent;
    m_crBackColor = t->m_crBackColor;
    m_nFillStyle = t->m_nFillStyle;
    m_crFillColor = t->m_crFillColor;
    m_nLineStyle = t->m_nLineStyle;
    m_nLineWidth = t->m_nLineWidth;
    m_crLineColor = t->m_crLineColor;
}

void TvGraphic::InitDefaults()
{
    m_nObjectId = 4;
    m_nFillStyle = 0;
    m_crFillColor = 0;
    m_nLineStyle = 1;
    m_nLineWidth = 15000;
    m_crLineColor = 0;
}

void TvGraphic::CopyGraphicAttributes(const TvGraphic& s)
{
    m_crFillColor = s.m_crFillColor;
    m_crLineColor = s.m_crLineColor;
    m_nLineWidth = s.m_nLineWidth;
    m_nFillStyle = s.m_nFillStyle;
    m_nLineStyle = s.m_nLineStyle;
    CopyAttributes(s);
}

void TvGraphic::Serialize(Archive& ar, uint32_t schema)
{
    TvObject::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI16(m_nFillStyle);
        ar.WriteU32(m_crFillColor);
        ar.WriteI16(m_nLineStyle);
        ar.WriteI32(m_nLineWidth);
        ar.WriteU32(m_crLineColor);
        return;
    }
    if (schema >= 10) (void)ar.ReadU32();
    m_nFillStyle = ar.ReadI16();
    m_crFillColor = ar.ReadU32();
    m_nLineStyle = ar.ReadI16();
    m_nLineWidth = ar.ReadI32();
    m_crLineColor = ar.ReadU32();
}

const ObjectPropertyTable& TvGraphic::Properties() const
{
    static const ObjectPropertyTable table(&BaseProperties(), kGraphicRows);
    return table;
}

} // namespace nv
