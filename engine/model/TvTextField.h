#pragma once
// A text field: a text filled in per page, drawn without an edit picture.
#include "engine/model/TvText.h"

#include <cstdint>
#include <memory>
#include <string>

namespace nv {

class TvTextField : public TvText {
    NV_DECLARE_SERIAL(TvTextField)
public:
    TvTextField();
    explicit TvTextField(const Rect& r, std::string_view text = {});
    // As TvText's template constructor; the field number is 0.
    TvTextField(const Rect& r, const TvText& templ);
    ~TvTextField() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    int32_t GetType() const override { return 11; }
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes) override;
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Text", form); }
    int32_t GetFieldIndex() const override { return m_nFieldNumber; }
    void SetFieldIndex(int32_t index) override { m_nFieldNumber = index; }
    std::unique_ptr<TvObject> Clone() const override;
    int32_t IsTextObject() const override { return 1; }
    int32_t IsPropertySupported(uint16_t id) const override;
    int32_t GetPropertyAddress(uint16_t id, void*& address, int32_t& kind) override;
    void InitDefaults() override;

    // The field number, then the text attributes (not the current value).
    virtual void CopyFieldAttributes(const TvTextField& source);

    int32_t m_nFieldNumber = 0;  // 122
    std::string m_strValue;      // 1001, not stored with the form
};

} // namespace nv
