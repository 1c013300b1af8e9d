#include "engine/render/FormPainter.h"

#include "engine/format/UnitScaler.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvLayer.h"
#include "engine/render/RenderContext.h"
#include "platform/gdi/DcStateGuard.h"

namespace nv {

bool IsLayerPrinted(const TvFedObject& form, size_t index)
{
    const auto& layers = form.m_layers;
    if (index >= layers.size() || !layers[index] || !layers[index]->m_bVisibleAtPrint) return false;
    for (size_t j = index + 1; j < layers.size(); ++j)
        if (layers[j] && !layers[j]->m_bTransparentAtPrint) return false;
    return true;
}

namespace {

bool Meets(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

int32_t DrawFormPage(DeviceContext& dc, const TvFedObject& form, const FormPageOptions& o)
{
    UnitScaler scaler(0, 0, 100);
    scaler.SetFromDC(dc.LogPixelsX(), dc.LogPixelsY(), o.zoom);
    DcStateGuard saved(dc);
    RenderContext rc(o.rethrow, o.measurer);
    rc.Begin(dc, &form, o.zoom);
    rc.SetDocumentFonts(o.docFonts);
    Point origin{o.offset.x, o.offset.y};
    if (form.m_pFormInfo) {
        origin.x = BoundedAdd(origin.x, form.m_pFormInfo->m_nOffsetX);
        origin.y = BoundedAdd(origin.y, form.m_pFormInfo->m_nOffsetY);
    }
    rc.ApplyOrigin(origin);

    DcRect box;
    dc.GetClipBox(&box);
    Rect clip = scaler.DeviceToDocRect(Rect{box.left - 2, box.top - 2, box.right + 2, box.bottom + 2});
    clip.Normalize();
    bool printing = dc.IsPrinting();

    for (size_t i = 0; i < form.m_layers.size(); ++i) {
        if (!IsLayerPrinted(form, i)) continue;
        const TvLayer& layer = *form.m_layers[i];
        if (printing) rc.SetBarcodeResolution(layer.m_nPrintDpiX, layer.m_nPrintDpiY);
        for (const auto& obj : layer.m_objects) {
            if (!obj || !obj->m_bVisible) continue;
            rc.SetLayer(&layer);
            if (!printing) {
                Rect r;
                obj->GetBoundRect(r, true);
                r.Inflate(5, 5);
                r.Normalize();
                if (!Meets(r, clip)) continue;
            }
            rc.DrawObject(*obj);
        }
        if (o.extras) {
            auto it = o.extras->find(layer.m_nLayerId);
            if (it != o.extras->end()) {
                for (const TvObject* extra : it->second) {
                    if (!extra) continue;
                    rc.SetLayer(&layer);
                    rc.DrawObject(*extra);
                }
            }
        }
    }
    const int32_t failed = rc.FailedObjects();
    rc.End();
    return failed;
}

} // namespace nv
