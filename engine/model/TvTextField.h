#pragma once
// A text field: a text filled in per page, drawn without an edit picture.
#include "engine/model/TvFieldPart.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace nv {

class TvTextField : public TvValueField {
    NV_DECLARE_SERIAL(TvTextField)
public:
    static constexpr uint32_t kDefaultObjectId = 22;

    TvTextField() : TvValueField(kDefaultObjectId) {}
    explicit TvTextField(const Rect& r, std::string_view text = {}) : TvValueField(kDefaultObjectId, r, text) {}
    // As TvText's template constructor; the field number is 0.
    TvTextField(const Rect& r, const TvText& templ) : TvValueField(kDefaultObjectId, r, templ) {}

    const ObjectPropertyTable& Properties() const override;
    int32_t GetType() const override { return objTextField; }
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Text", form); }
    std::unique_ptr<TvObject> Clone() const override;
    void InitDefaults() override { InitField(kDefaultObjectId); }
};

} // namespace nv
