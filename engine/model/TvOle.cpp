#include "engine/model/TvOle.h"

#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"
#include "engine/model/FramedRows.h"
#include "engine/model/ModelFiles.h"

namespace nv {

NV_IMPLEMENT_SERIAL(TvOle, TvObject, 10, true)

TvOle::TvOle()
{
    m_nObjectId = 20;
}

TvOle::TvOle(const Rect& r, int32_t transparent, uint32_t backColor, int32_t frame) : TvOle()
{
    m_nX = r.left;
    m_nY = r.top;
    m_nWidth = r.Width();
    m_nHeight = r.Height();
    m_bTransparent = transparent;
    m_crBackColor = backColor;
    m_bFrame = frame;
}

TvOle::~TvOle() = default;

void TvOle::SetItem(std::unique_ptr<TvOleItem> item)
{
    m_pItem = std::move(item);
    if (m_pItem) m_pItem->m_pOwner = this;
}

void TvOle::Serialize(Archive& ar, uint32_t schema)
{
    TvObject::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kOleVersion);
        ar.WriteI32(m_bWithoutItem);
        ar.WriteI32(m_nWidth);
        ar.WriteI32(m_nHeight);
        ar.WriteI32(m_sizeNatural.cx);
        ar.WriteI32(m_sizeNatural.cy);
        if (!m_bWithoutItem) ar.WriteObject(m_pItem.get());
        ar.WriteI32(m_bFrame);
        ar.WriteI16(m_nLineStyle);
        ar.WriteI32(m_nLineWidth);
        ar.WriteU32(m_crLineColor);
        ar.WriteI32(m_bKeepAspect);
        return;
    }
    const uint32_t version = schema >= 10 ? ar.ReadU32() : 10;
    m_bWithoutItem = version > 10 ? ar.ReadI32() : 0;
    m_nWidth = ar.ReadI32();
    m_nHeight = ar.ReadI32();
    m_sizeNatural.cx = ar.ReadI32();
    m_sizeNatural.cy = ar.ReadI32();
    m_pItem.reset();
    if (!m_bWithoutItem) SetItem(ar.ReadObject<TvOleItem>(false));
    if (schema < 2) {
        m_bFrame = 0;
        m_nLineStyle = 1;
        m_nLineWidth = 15000;
        m_crLineColor = 0;
        m_bKeepAspect = 0;
        return;
    }
    m_bFrame = ar.ReadI32();
    m_nLineStyle = ar.ReadI16();
    m_nLineWidth = ar.ReadI32();
    m_crLineColor = ar.ReadU32();
    m_bKeepAspect = ar.ReadI32();
}

void TvOle::GetBoundRect(Rect& out, bool withPen) const
{
    out = Rect::At(m_nX, m_nY, m_nWidth, m_nHeight);
    if (withPen) {
        const auto d = static_cast<int32_t>((int64_t{m_nLineWidth} + 3) / 2);
        out.Inflate(d, d);
    }
}

void TvOle::SetRect(const Rect& r)
{
    SetPictureRect(r, m_nWidth, m_nHeight, m_sizeNatural, m_bKeepAspect != 0);
}

void TvOle::DeleteSelf()
{
    m_pItem.reset();
    TvObject::DeleteSelf();
}

std::unique_ptr<TvObject> TvOle::Clone() const
{
    auto copy = std::make_unique<TvOle>();
    copy->CopyOleAttributes(*this);
    return copy;
}

void TvOle::CopyOleAttributes(const TvOle& s)
{
    m_nWidth = s.m_nWidth;
    m_nHeight = s.m_nHeight;
    m_sizeNatural = s.m_sizeNatural;
    m_bKeepAspect = s.m_bKeepAspect;
    m_bFrame = s.m_bFrame;
    m_nLineStyle = s.m_nLineStyle;
    m_nLineWidth = s.m_nLineWidth;
    m_crLineColor = s.m_crLineColor;
    m_bWithoutItem = s.m_bWithoutItem;
    m_pItem.reset();
    m_strPictureFile.clear();
    m_heldPictureFile.Release();
    // The copy's own picture file goes with the copy.
    if (!s.m_strPictureFile.empty()) {
        m_strPictureFile = CopyToNewModelTempFile(s.m_strPictureFile);
        m_heldPictureFile = HeldWorkFile(m_strPictureFile);
    }
    CopyAttributes(s);
}

const ObjectPropertyTable& TvOle::Properties() const
{
    using Row = ObjectPropertyTable::Row;
    static constexpr Row rows[] = {
        // Keeping the aspect refits the box to the natural size at once.
        ObjectRows::Field<&TvOle::m_bKeepAspect>(
            propKeepAspect, useAll,
            [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                auto& ole = static_cast<TvOle&>(o);
                SetLongProp(changes, propKeepAspect, ole.m_bKeepAspect, v.AsLong());
                if (v.AsLong() == 0) return;
                Rect box = Rect::At(ole.m_nX, ole.m_nY, ole.m_nWidth, ole.m_nHeight);
                Point p{box.right, box.bottom};
                int32_t handle = 5;
                FitToAspect(box, p, ole.m_sizeNatural, false, handle);
                SetLongProp(changes, propWidth, ole.m_nWidth, box.Width());
                SetLongProp(changes, propHeight, ole.m_nHeight, box.Height());
            }),
        ObjectRows::Field<&TvOle::m_strPictureFile>(propEmbeddedFile),
    };
    static const ObjectPropertyTable table(&BaseProperties(), rows, kFramedRows<TvOle>, kOfferedBaseRows);
    return table;
}

} // namespace nv
