#pragma once
// A text field: a text filled in per page, drawn without an edit picture.
#include "engine/model/TvFieldPart.h"

namespace nv {

class TvTextField : public TvValueFieldOf<TvTextField, 22, objTextField> {
    NV_DECLARE_SERIAL(TvTextField)
public:
    using TvValueFieldOf::TvValueFieldOf;

    const ObjectPropertyTable& Properties() const override;
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Text", form); }
};

} // namespace nv
