#include "control/CXLayer.h"

#include "control/CInkplateCtrl.h"
#include "control/CXForm.h"
#include "control/CXObject.h"
#include "control/ControlErrors.h"
#include "control/ControlText.h"
#include "control/PropertyAccess.h"
#include "engine/core/PropertyIds.h"
#include "control/Converters.h"
#include "engine/model/TvLayer.h"

namespace nv {

TvLayer& CXLayer::AttachedLayer() const
{
    if (!m_pLayer || !m_pForm) ThrowControlError(kErrDetached, 20017);
    m_pForm->CheckOpen();
    return *m_pLayer;
}

std::string CXLayer::EngineName() const
{
    if (!m_pLayer || !m_pForm || !m_pForm->IsOpen()) return {};
    return m_pLayer->m_strName;
}

bool CXLayer::IsApMode() const { return AttachedLayer().m_nLayerMode == kLayerModeAp; }

bool CXLayer::VisibleAtDesign() const { return AttachedLayer().m_bVisibleAtDesign != 0; }
bool CXLayer::GetVisibleAtPrint() const { return AttachedLayer().m_bVisibleAtPrint != 0; }
bool CXLayer::TransparentAtDesign() const { return AttachedLayer().m_bTransparentAtDesign != 0; }
bool CXLayer::GetTransparentAtPrint() const { return AttachedLayer().m_bTransparentAtPrint != 0; }
// The control goes with the form when it closes: look at it only once the
// form is known to be open.
int32_t CXLayer::GridSpacingX() const
{
    const int32_t grid = AttachedLayer().m_nGridX;
    return m_pForm->Ctrl().ToUnit(grid);
}

int32_t CXLayer::GridSpacingY() const
{
    const int32_t grid = AttachedLayer().m_nGridY;
    return m_pForm->Ctrl().ToUnit(grid);
}
int32_t CXLayer::LayerMode() const { return LayerModeFromEngine(AttachedLayer().m_nLayerMode); }
uint32_t CXLayer::GetBackColor() const { return AttachedLayer().m_crBackColor; }
std::string CXLayer::Name() const { return EngineTextToHost(AttachedLayer().m_strName); }
int32_t CXLayer::PrintDpiX() const { return AttachedLayer().m_nPrintDpiX; }
int32_t CXLayer::PrintDpiY() const { return AttachedLayer().m_nPrintDpiY; }

void CXLayer::SetFlag(uint16_t id, bool v)
{
    TvLayer& layer = AttachedLayer();
    m_pForm->RecordLayer(layer, TvPropertyMap(id, TvPropValue::Long(v ? 1 : 0)));
}

void CXLayer::SetVisibleAtPrint(bool v) { SetFlag(propVisibleAtPrint, v); }
void CXLayer::SetTransparentAtPrint(bool v) { SetFlag(propTransparentAtPrint, v); }

void CXLayer::SetBackColor(uint32_t oleColor)
{
    TvLayer& layer = AttachedLayer();
    const uint32_t colour = CInkplateCtrl::TranslateColor(oleColor);
    m_pForm->RecordLayer(layer, TvPropertyMap(propBackColor, TvPropValue::Long(static_cast<int32_t>(colour))));
}

std::vector<std::shared_ptr<CXObject>> CXLayer::TvObjects()
{
    TvLayer& layer = AttachedLayer();
    std::vector<std::shared_ptr<CXObject>> out;
    for (auto& o : layer.m_objects) out.push_back(m_pForm->ObjectWrapper(*o, &layer));
    return out;
}

void CXLayer::MoveTop()
{
    TvLayer& layer = AttachedLayer();
    m_pForm->MoveLayer(layer, true);
}

void CXLayer::MoveBottom()
{
    TvLayer& layer = AttachedLayer();
    m_pForm->MoveLayer(layer, false);
}

} // namespace nv
