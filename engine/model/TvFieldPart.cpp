#include "engine/model/TvFieldPart.h"

namespace nv {

TvValueField::TvValueField(uint32_t objectId)
{
    InitField(objectId);
}

TvValueField::TvValueField(uint32_t objectId, const Rect& r, std::string_view text) : TvFieldPart<TvText>(r, text)
{
    InitField(objectId);
    m_strText = text;
}

TvValueField::TvValueField(uint32_t objectId, const Rect& r, const TvText& templ)
{
    InitField(objectId);
    ApplyTemplate(r, templ);
    m_nFieldNumber = 0;
}

void TvValueField::InitField(uint32_t objectId)
{
    TvText::InitDefaults();
    m_nObjectId = objectId;
    m_nFieldNumber = 0;
}

void TvValueField::CopyFieldAttributes(const TvValueField& s)
{
    m_nFieldNumber = s.m_nFieldNumber;
    CopyTextAttributes(s);
}

} // namespace nv
