#pragma once
// A data field: a text filled in per page from the caller's data and
// formatted through its edit picture.
#include "engine/model/TvFieldPart.h"

#include <string>

namespace nv {

class TvData : public TvValueFieldOf<TvData, 18, objData> {
    NV_DECLARE_SERIAL(TvData)
public:
    using TvValueFieldOf::TvValueFieldOf;

    const ObjectPropertyTable& Properties() const override;
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Data", form); }

    // Formats the current value through the edit picture. 0, or the edit
    // picture's negative code (-1 bad or empty picture, -2 not a number);
    // an overflow or cut gives 0 with the replacement or cut text. With a
    // numeric picture a value without digits shows nothing and one in Str
    // form (a leading blank) is read as its number.
    int FormatFieldText(std::string& result) const;
};

} // namespace nv
