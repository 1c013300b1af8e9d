#include "engine/model/TvData.h"

#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"
#include "engine/format/StrForm.h"
#include "engine/format/TvPicture.h"

#include <algorithm>

namespace nv {

NV_IMPLEMENT_SERIAL(TvData, TvText, 10, true)

namespace {

using Row = ObjectPropertyTable::Row;

// The line pitch of a field follows its characters: it is computed, never
// shown or offered.
void FitLinePitch(TvObject& o, const Row&, const TvPropValue&, TvChangeList* changes)
{
    auto& d = static_cast<TvData&>(o);
    SetLongProp(changes, propLinePitch, d.m_nLinePitch, CentiPointsToDoc(std::max(d.m_nHanHeight, d.m_nZenHeight)));
}

void SetHeightFitLinePitch(TvObject& o, const Row& r, const TvPropValue& v, TvChangeList* changes)
{
    SetLongProp(changes, r.id, *static_cast<int32_t*>(r.address(o)), v.AsLong());
    FitLinePitch(o, r, v, changes);
}

} // namespace

const ObjectPropertyTable& TvData::Properties() const
{
    static constexpr Row rows[] = {
        ObjectRows::Mark(propWordWrap),
        ObjectRows::Mark(propKinsoku),
        ObjectRows::Mark(propAutoLineFeed),
        // The line pitch follows the characters even with fixed pitches.
        ObjectRows::Apply(propCharSize,
                          [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                              auto& d = static_cast<TvData&>(o);
                              d.ApplyCharSize(v.AsLong(), d.m_bMeasuredPitch != 0, true, changes);
                          }),
        ObjectRows::Apply(propLinePitch, &FitLinePitch, useApply),
        ObjectRows::Field<&TvData::m_nHanHeight>(propHanHeight, useAll, &SetHeightFitLinePitch),
        ObjectRows::Field<&TvData::m_nZenHeight>(propZenHeight, useAll, &SetHeightFitLinePitch),
    };
    static const ObjectPropertyTable table(&BaseProperties(), rows, kValueFieldRows, kFieldStringRows, kOfferedBaseRows,
                                           LabelRows());
    return table;
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
    std::string_view value = m_strValue;
    if (picture.Parse(m_strPicture) == TvPicture::Numeric) {
        value = StrFormNumber(value);
        // A field given no value is an empty cell, not a zero: a picture
        // that shows zero as "0" must not fill every emptied row with it.
        if (value.empty()) {
            result.clear();
            return 0;
        }
    }
    picture.SetValue(value);
    picture.SetReversed(m_bReverse != 0);
    int rc = picture.Format(result);
    if (rc == TvPicture::Overflow) {
        const int kind = picture.Parse(m_strPicture);
        if (kind == TvPicture::Numeric || kind == TvPicture::Character) rc = 0;
    }
    return rc;
}

} // namespace nv
