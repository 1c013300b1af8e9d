#include "engine/model/TvImageField.h"

namespace nv {

NV_IMPLEMENT_SERIAL(TvImageField, TvImage, 10, true)

const ObjectPropertyTable& TvImageField::Properties() const
{
    // Offers its file name; its embedded flag is the page's business.
    static constexpr ObjectPropertyTable::Row rows[] = {
        ObjectRows::Field<&TvImageField::m_nFieldNumber>(propFieldNumber),
        ObjectRows::Field<&TvImageField::m_strFileName>(propFileName, useRead | useWrite),
        ObjectRows::Mark(propEmbedded),
    };
    static const ObjectPropertyTable table(&TvImage::Properties(), rows);
    return table;
}

void TvImageField::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    TvImage::SetProperties(map, changes);
    Properties().ApplyOwn(*this, map, changes);
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

} // namespace nv
