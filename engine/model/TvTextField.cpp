#include "engine/model/TvTextField.h"

#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"

namespace nv {

NV_IMPLEMENT_SERIAL(TvTextField, TvText, 10, true)

TvTextField::TvTextField()
{
    TvTextField::InitDefaults();
}

TvTextField::TvTextField(const Rect& r, std::string_view text) : TvText(r, text)
{
    TvTextField::InitDefaults();
    m_strText = text;
}

TvTextField::TvTextField(const Rect& r, const TvText& templ)
{
    TvTextField::InitDefaults();
    ApplyTemplate(r, templ);
    m_nFieldNumber = 0;
}

void TvTextField::InitDefaults()
{
    TvText::InitDefaults();
    m_nObjectId = 22;
    m_nFieldNumber = 0;
}

void TvTextField::CopyFieldAttributes(const TvTextField& s)
{
    m_nFieldNumber = s.m_nFieldNumber;
    CopyTextAttributes(s);
}

std::unique_ptr<TvObject> TvTextField::Clone() const
{
    auto copy = std::make_unique<TvTextField>();
    copy->CopyFieldAttributes(*this);
    return copy;
}

void TvTextField::Serialize(Archive& ar, uint32_t schema)
{
    TvText::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI32(m_nFieldNumber);
        return;
    }
    if (schema >= 10) (void)ar.ReadU32();
    m_nFieldNumber = ar.ReadI32();
}

void TvTextField::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    TvObject::SetProperties(map, changes);
    for (const auto& [id, v] : map) {
        switch (id) {
        case 122: SetLongProp(changes, 122, m_nFieldNumber, v.AsLong()); break;
        case 1001: SetStringProp(changes, 1001, m_strValue, v.AsString()); break;
        default:
            if (!ApplyFieldStrings(id, v, changes)) ApplyLabelProperty(id, v, changes);
            break;
        }
    }
}

int32_t TvTextField::IsPropertySupported(uint16_t id) const
{
    if ((id >= 1 && id <= 5) || (id >= 7 && id <= 14) || (id >= 20 && id <= 26) || id == 31 || id == 35 ||
        id == 37 || (id >= 41 && id <= 59) || (id >= 87 && id <= 90) || id == 93 || (id >= 98 && id <= 100) ||
        id == 122 || id == 1000 || id == 1001)
        return 1;
    return 0;
}

int32_t TvTextField::GetPropertyAddress(uint16_t id, void*& address, int32_t& kind)
{
    switch (id) {
    case 122: address = &m_nFieldNumber; kind = addrLong; return 1;
    case 1001: address = &m_strValue; kind = addrString; return 1;
    case 36:
    case 38:
    case 96:
    case 97:
    case 104:
        address = nullptr;
        kind = addrNone;
        return 0;
    default: return TvText::GetPropertyAddress(id, address, kind);
    }
}

} // namespace nv
