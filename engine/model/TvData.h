#pragma once
// A data field: a text filled in per page from the caller's data and
// formatted through its edit picture.
#include "engine/model/TvText.h"

#include <cstdint>
#include <memory>
#include <string>

namespace nv {

class TvData : public TvText {
    NV_DECLARE_SERIAL(TvData)
public:
    TvData();
    explicit TvData(const Rect& r, std::string_view text = {});
    // As TvText's template constructor; the field number is 0.
    TvData(const Rect& r, const TvText& templ);
    ~TvData() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    int32_t GetType() const override { return 8; }
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes) override;
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Data", form); }
    int32_t GetFieldIndex() const override { return m_nFieldNumber; }
    void SetFieldIndex(int32_t index) override { m_nFieldNumber = index; }
    std::unique_ptr<TvObject> Clone() const override;
    int32_t IsTextObject() const override { return 1; }
    int32_t IsPropertySupported(uint16_t id) const override;
    int32_t GetPropertyAddress(uint16_t id, void*& address, int32_t& kind) override;
    void InitDefaults() override;

    // The field number, then the text attributes (not the current value).
    virtual void CopyFieldAttributes(const TvData& source);

    // Formats the current value through the edit picture. 0, or the edit
    // picture's negative code (-1 bad or empty picture, -2 not a number);
    // an overflow or cut gives 0 with the replacement or cut text.
    int FormatFieldText(std::string& result) const;

    int32_t m_nFieldNumber = 0;  // 122: the column of the caller's data
    std::string m_strValue;      // 1001: the page's value, not stored with the form
};

} // namespace nv
