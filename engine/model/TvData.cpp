#include "engine/model/TvData.h"

#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"
#include "engine/format/TvPicture.h"

#include <algorithm>

namespace nv {

NV_IMPLEMENT_SERIAL(TvData, TvText, 10, true)

TvData::TvData()
{
    TvData::InitDefaults();
}

TvData::TvData(const Rect& r, std::string_view text) : TvText(r, text)
{
    TvData::InitDefaults();
    m_strText = text;
}

TvData::TvData(const Rect& r, const TvText& templ)
{
    TvData::InitDefaults();
    ApplyTemplate(r, templ);
    m_nFieldNumber = 0;
}

void TvData::InitDefaults()
{
    TvText::InitDefaults();
    m_nObjectId = 18;
    m_nFieldNumber = 0;
}

void TvData::CopyFieldAttributes(const TvData& s)
{
    m_nFieldNumber = s.m_nFieldNumber;
    CopyTextAttributes(s);
}

std::unique_ptr<TvObject> TvData::Clone() const
{
    auto copy = std::make_unique<TvData>();
    copy->CopyFieldAttributes(*this);
    return copy;
}

void TvData::Serialize(Archive& ar, uint32_t schema)
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

void TvData::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    TvObject::SetProperties(map, changes);
    for (const auto& [id, v] : map) {
        switch (id) {
        case 42:
        case 43:
        case 47:
            break;
        case 25:
            // The line pitch follows the characters even with fixed pitches.
            ApplyCharSize(v.AsLong(), m_bMeasuredPitch != 0, true, changes);
            break;
        case 53:
            SetLongProp(changes, 53, m_nLinePitch, CentiPointsToDoc(std::max(m_nHanHeight, m_nZenHeight)));
            break;
        case 57:
        case 59:
            ApplyLabelProperty(id, v, changes);
            SetLongProp(changes, 53, m_nLinePitch, CentiPointsToDoc(std::max(m_nHanHeight, m_nZenHeight)));
            break;
        case 122: SetLongProp(changes, 122, m_nFieldNumber, v.AsLong()); break;
        case 1001: SetStringProp(changes, 1001, m_strValue, v.AsString()); break;
        default:
            if (!ApplyFieldStrings(id, v, changes)) ApplyLabelProperty(id, v, changes);
            break;
        }
    }
}

int32_t TvData::IsPropertySupported(uint16_t id) const
{
    if ((id >= 1 && id <= 5) || (id >= 7 && id <= 14) || (id >= 20 && id <= 26) || id == 31 ||
        (id >= 35 && id <= 38) || id == 41 || (id >= 44 && id <= 46) || (id >= 48 && id <= 52) ||
        (id >= 54 && id <= 59) || (id >= 87 && id <= 91) || id == 93 || (id >= 96 && id <= 100) || id == 104 ||
        id == 122 || id == 1000 || id == 1001)
        return 1;
    return 0;
}

int32_t TvData::GetPropertyAddress(uint16_t id, void*& address, int32_t& kind)
{
    switch (id) {
    case 36: address = &m_strReplace; kind = addrString; return 1;
    case 38: address = &m_strPicture; kind = addrString; return 1;
    case 96: address = &m_strBefore; kind = addrString; return 1;
    case 97: address = &m_strAfter; kind = addrString; return 1;
    case 1001: address = &m_strValue; kind = addrString; return 1;
    case 104: address = &m_nComma; kind = addrLong; return 1;
    case 122: address = &m_nFieldNumber; kind = addrLong; return 1;
    case 42:
    case 43:
    case 47:
    case 53:
        address = nullptr;
        kind = addrNone;
        return 0;
    default: return TvText::GetPropertyAddress(id, address, kind);
    }
}

int TvData::FormatFieldText(std::string& result) const
{
    TvPicture picture;
    picture.SetPicture(m_strPicture);
    picture.SetReplacement(m_strReplace);
    picture.SetPrefix(m_strBefore);
    picture.SetSuffix(m_strAfter);
    picture.SetAlignment(m_nAlign);
    picture.SetWidthMode(m_nCharRatio);
    picture.SetThousands(m_nComma == 1);
    picture.SetValue(m_strValue);
    picture.SetReversed(m_bReverse != 0);
    int rc = picture.Format(result);
    if (rc == TvPicture::Overflow) {
        const int kind = picture.Parse(m_strPicture);
        if (kind == TvPicture::Numeric || kind == TvPicture::Character) rc = 0;
    }
    return rc;
}

} // namespace nv
