#include "engine/model/TvLayer.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"
#include "engine/core/StoredNames.h"

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
    for (const auto& [id, v] : map) {
        switch (id) {
        case 2: SetLongProp(changes, 2, m_crBackColor, v.AsLong()); break;
        case 71: SetLongProp(changes, 71, m_nLayerId, v.AsLong()); break;
        case 72: SetStringProp(changes, 72, m_strName, v.AsString()); break;
        case 73: SetLongProp(changes, 73, m_bVisibleAtDesign, v.AsLong()); break;
        case 74: SetLongProp(changes, 74, m_bVisibleAtPrint, v.AsLong()); break;
        case 75: SetLongProp(changes, 75, m_bTransparentAtDesign, v.AsLong()); break;
        case 76: SetLongProp(changes, 76, m_bTransparentAtPrint, v.AsLong()); break;
        case 77: SetLongProp(changes, 77, m_nGridX, v.AsLong()); break;
        case 78: SetLongProp(changes, 78, m_nGridY, v.AsLong()); break;
        case 79: SetLongProp(changes, 79, m_nPrintDpiX, v.AsLong()); break;
        case 80: SetLongProp(changes, 80, m_nPrintDpiY, v.AsLong()); break;
        case 81: SetLongProp(changes, 81, m_nLayerMode, v.AsLong()); break;
        case 82: SetLongProp(changes, 82, m_nLayerValue1, v.AsLong()); break;
        case 83: SetLongProp(changes, 83, m_crSecondColor, v.AsLong()); break;
        case 84: SetLongProp(changes, 84, m_nLayerValue2, v.AsLong()); break;
        case 85: SetLongProp(changes, 85, m_nLayerValue3, v.AsLong()); break;
        case 102: m_nLayerValue4 = v.AsLong(); break;
        default: break;
        }
    }
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
