#pragma once
// A data field: a text filled in per page from the caller's data and
// formatted through its edit picture.
#include "engine/model/TvFieldPart.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace nv {

class TvData : public TvValueField {
    NV_DECLARE_SERIAL(TvData)
public:
    static constexpr uint32_t kDefaultObjectId = 18;

    TvData() : TvValueField(kDefaultObjectId) {}
    explicit TvData(const Rect& r, std::string_view text = {}) : TvValueField(kDefaultObjectId, r, text) {}
    // As TvText's template constructor; the field number is 0.
    TvData(const Rect& r, const TvText& templ) : TvValueField(kDefaultObjectId, r, templ) {}

    const ObjectPropertyTable& Properties() const override;
    int32_t GetType() const override { return objData; }
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Data", form); }
    std::unique_ptr<TvObject> Clone() const override;
    void InitDefaults() override { InitField(kDefaultObjectId); }

    // Formats the current value through the edit picture. 0, or the edit
    // picture's negative code (-1 bad or empty picture, -2 not a number);
    // an overflow or cut gives 0 with the replacement or cut text.
    int FormatFieldText(std::string& result) const;
};

} // namespace nv
