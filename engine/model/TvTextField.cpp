#include "engine/model/TvTextField.h"

namespace nv {

NV_IMPLEMENT_SERIAL(TvTextField, TvText, 10, true)

const ObjectPropertyTable& TvTextField::Properties() const
{
    // Takes the field's texts but neither shows them nor offers them, bar
    // the spare picture; shows its character ratio without offering it.
    static constexpr ObjectPropertyTable::Row rows[] = {
        WithUse<TvObject>(kFieldStringRows, propReplaceChar, useApply),
        WithUse<TvObject>(kFieldStringRows, propPicture, useApply),
        WithUse<TvObject>(kFieldStringRows, propBefore, useApply),
        WithUse<TvObject>(kFieldStringRows, propAfter, useApply),
        WithUse<TvObject>(kFieldStringRows, propComma, useApply),
        ObjectRows::Field<&TvTextField::m_nCharRatio>(propCharRatio, useRead | useApply),
    };
    static const ObjectPropertyTable table(&BaseProperties(), rows, kValueFieldRows, kFieldStringRows,
                                           kOfferedBaseRows, LabelRows());
    return table;
}

} // namespace nv
