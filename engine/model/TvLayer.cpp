#include "engine/model/TvLayer.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"
#include "engine/core/StoredNames.h"
#include "engine/core/PropertyTable.h"

namespace nv {

NV_IMPLEMENT_SERIAL_NAMED(TvLayer, kClassTvLayer, CObject, 2, true)

void TvLayer::Serialize(Archive& ar, uint32_t schema)
{
    if (ar.IsStoring()) {
        ar << m_nLayerId << m_strName << m_bVisibleAtDesign << m_bVisibleAtPrint << m_bTransparentAtDesign
           << m_bTransparentAtPrint << m_nGridX << m_nGridY << m_nPrintDpiX << m_nPrintDpiY << m_nLayerMode
           << m_nLayerValue1 << m_crBackColor;
        ar.WriteList(m_objects);
        ar << m_crSecondColor << m_nLayerValue2 << m_nLayerValue3 << m_nLayerValue4;
        return;
    }
    ar >> m_nLayerId >> m_strName >> m_bVisibleAtDesign >> m_bVisibleAtPrint >> m_bTransparentAtDesign >>
        m_bTransparentAtPrint >> m_nGridX >> m_nGridY >> m_nPrintDpiX >> m_nPrintDpiY >> m_nLayerMode >>
        m_nLayerValue1 >> m_crBackColor;
    m_objects.clear();
    ar.ReadList(m_objects);
    if (schema >= 1) {
        ar >> m_crSecondColor >> m_nLayerValue2 >> m_nLayerValue3;
    } else {
        m_crSecondColor = 0xFFC8C8;
        m_nLayerValue2 = 1;
        m_nLayerValue3 = 0;
    }
    if (schema >= 2)
        ar >> m_nLayerValue4;
    else
        m_nLayerValue4 = 7;
}

void TvLayer::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    using R = PropertyRows<TvLayer>;
    static constexpr PropertyRow<TvLayer> rows[] = {
        R::Field<&TvLayer::m_crBackColor>(propBackColor),
        R::Field<&TvLayer::m_nLayerId>(propLayerId),
        R::Field<&TvLayer::m_strName>(propLayerName),
        R::Field<&TvLayer::m_bVisibleAtDesign>(propVisibleAtDesign),
        R::Field<&TvLayer::m_bVisibleAtPrint>(propVisibleAtPrint),
        R::Field<&TvLayer::m_bTransparentAtDesign>(propTransparentAtDesign),
        R::Field<&TvLayer::m_bTransparentAtPrint>(propTransparentAtPrint),
        R::Field<&TvLayer::m_nGridX>(propGridX),
        R::Field<&TvLayer::m_nGridY>(propGridY),
        R::Field<&TvLayer::m_nPrintDpiX>(propPrintDpiX),
        R::Field<&TvLayer::m_nPrintDpiY>(propPrintDpiY),
        R::Field<&TvLayer::m_nLayerMode>(propLayerMode),
        R::Field<&TvLayer::m_nLayerValue1>(propLayerValue1),
        R::Field<&TvLayer::m_crSecondColor>(propSecondColor),
        R::Field<&TvLayer::m_nLayerValue2>(propLayerValue2),
        R::Field<&TvLayer::m_nLayerValue3>(propLayerValue3),
        R::Field<&TvLayer::m_nLayerValue4>(propLayerValue4, useAll | useQuiet),
    };
    static const PropertyTable<TvLayer> table(nullptr, rows);
    table.Apply(*this, map, changes);
}

void TvLayer::CopyFrom(const TvLayer& o)
{
    m_nLayerId = o.m_nLayerId;
    m_strName = o.m_strName;
    m_bVisibleAtDesign = o.m_bVisibleAtDesign;
    m_bVisibleAtPrint = o.m_bVisibleAtPrint;
    m_bTransparentAtDesign = o.m_bTransparentAtDesign;
    m_bTransparentAtPrint = o.m_bTransparentAtPrint;
    m_nGridX = o.m_nGridX;
    m_nGridY = o.m_nGridY;
    m_nPrintDpiX = o.m_nPrintDpiX;
    m_nPrintDpiY = o.m_nPrintDpiY;
    m_nLayerMode = o.m_nLayerMode;
    m_nLayerValue1 = o.m_nLayerValue1;
    m_crBackColor = o.m_crBackColor;
    m_crSecondColor = o.m_crSecondColor;
    m_nLayerValue2 = o.m_nLayerValue2;
    m_nLayerValue3 = o.m_nLayerValue3;
    m_nLayerValue4 = o.m_nLayerValue4;
    if (&o == this) return;
    for (const auto& obj : o.m_objects) {
        // A class without a copy operation cannot be duplicated; it is left out
        // rather than shared.
        if (auto c = obj->Clone()) m_objects.push_back(std::move(c));
    }
}

std::unique_ptr<TvLayer> TvLayer::Clone() const
{
    auto l = std::make_unique<TvLayer>();
    l->CopyFrom(*this);
    return l;
}

void TvLayer::UpdateDrawOrder(bool appended)
{
    if (m_objects.empty()) return;
    if (appended) {
        m_objects.back()->m_nDrawOrder = static_cast<int32_t>(m_objects.size());
        return;
    }
    int32_t n = 1;
    for (auto& o : m_objects) o->m_nDrawOrder = n++;
}

int32_t TvLayer::ToColumn(int32_t x) const
{
    if (m_nGridX == 0) return 0;
    return static_cast<int32_t>(RoundToLong(static_cast<double>(x) / m_nGridX));
}

int32_t TvLayer::ToRow(int32_t y) const
{
    if (m_nGridY == 0) return 0;
    return static_cast<int32_t>(RoundToLong(static_cast<double>(y) / m_nGridY));
}

} // namespace nv
