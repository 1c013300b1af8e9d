#include "engine/model/TvFontDesc.h"

#include "engine/core/Archive.h"
#include "engine/core/StoredNames.h"

namespace nv {

NV_IMPLEMENT_SERIAL_NAMED(TvFontDesc, kClassTvFontDesc, CObject, 0, false)

TvFontDesc::TvFontDesc(int32_t fontId, std::string faceName, uint8_t charSet, uint8_t pitchAndFamily, int32_t size,
                       int32_t fontValue)
    : m_nFontId(fontId), m_nFontValue(fontValue), m_strFaceName(std::move(faceName)), m_nCharSet(charSet),
      m_nPitchAndFamily(pitchAndFamily), m_nSize(size)
{
}

void TvFontDesc::Serialize(Archive& ar, uint32_t)
{
    if (ar.IsStoring()) {
        ar << m_nFontId << m_nFontValue << m_strFaceName << m_nCharSet << m_nPitchAndFamily << m_nSize;
    } else {
        ar >> m_nFontId >> m_nFontValue >> m_strFaceName >> m_nCharSet >> m_nPitchAndFamily >> m_nSize;
    }
}

void TvFontDesc::CopyFrom(const TvFontDesc& o)
{
    m_nFontId = o.m_nFontId;
    m_nFontValue = o.m_nFontValue;
    m_strFaceName = o.m_strFaceName;
    m_nCharSet = o.m_nCharSet;
    m_nPitchAndFamily = o.m_nPitchAndFamily;
    m_nSize = o.m_nSize;
}

std::unique_ptr<TvFontDesc> TvFontDesc::Clone() const
{
    auto f = std::make_unique<TvFontDesc>();
    f->CopyFrom(*this);
    return f;
}

} // namespace nv
