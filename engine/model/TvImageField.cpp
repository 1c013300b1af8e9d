#include "engine/model/TvImageField.h"

#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"

namespace nv {

NV_IMPLEMENT_SERIAL(TvImageField, TvImage, 10, true)

TvImageField::TvImageField()
{
    InitDefaults(21);
}

TvImageField::TvImageField(const Rect& r, std::string_view fileName) : TvImage(r, fileName)
{
    InitDefaults(21);
}

TvImageField::TvImageField(const Rect& r, int32_t frame, const TvObject& templateShape)
    : TvImage(r, frame, templateShape)
{
    InitDefaults(21);
}

void TvImageField::Serialize(Archive& ar, uint32_t schema)
{
    TvImage::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI32(m_nFieldNumber);
        return;
    }
    if (schema >= 10) (void)ar.ReadU32();
    m_nFieldNumber = ar.ReadI32();
}

void TvImageField::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    TvImage::SetProperties(map, changes);
    if (const TvPropValue* v = map.Lookup(122)) SetLongProp(changes, 122, m_nFieldNumber, v->AsLong());
}

std::unique_ptr<TvObject> TvImageField::Clone() const
{
    auto copy = std::make_unique<TvImageField>();
    copy->CopyImageFieldAttributes(*this);
    return copy;
}

void TvImageField::CopyImageFieldAttributes(const TvImageField& source)
{
    m_nFieldNumber = source.m_nFieldNumber;
    CopyImageAttributes(source);
}

int32_t TvImageField::IsPropertySupported(uint16_t id) const
{
    return TvImage::IsPropertySupported(id) || id == 69 || id == 122;
}

int32_t TvImageField::GetPropertyAddress(uint16_t id, void*& address, int32_t& kind)
{
    if (id == 122) {
        address = &m_nFieldNumber;
        kind = addrLong;
        return 1;
    }
    if (id == 60) {
        address = nullptr;
        kind = 0;
        return 0;
    }
    return TvImage::GetPropertyAddress(id, address, kind);
}

} // namespace nv
