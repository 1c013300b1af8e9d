#pragma once
// A picture whose file the page supplies, by field number.
#include "engine/model/TvImage.h"

namespace nv {

class TvImageField : public TvImage {
    NV_DECLARE_SERIAL(TvImageField)
public:
    TvImageField();
    explicit TvImageField(const Rect& r, std::string_view fileName = {});
    TvImageField(const Rect& r, int32_t frame, const TvObject& templateShape);

    void Serialize(Archive& ar, uint32_t schema) override;
    int32_t GetType() const override { return 12; }
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes) override;
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("ImageField", form); }
    int32_t GetFieldIndex() const override { return m_nFieldNumber; }
    void SetFieldIndex(int32_t index) override { m_nFieldNumber = index; }
    std::unique_ptr<TvObject> Clone() const override;
    int32_t IsTextObject() const override { return 1; }
    int32_t IsPropertySupported(uint16_t id) const override;
    int32_t GetPropertyAddress(uint16_t id, void*& address, int32_t& kind) override;
    // A field never embeds on store.
    void SetFlag(int32_t) override {}

    virtual void CopyImageFieldAttributes(const TvImageField& source);

    int32_t m_nFieldNumber = 0;  // 122

protected:
    bool EmbedsOnStore() const override { return false; }
};

} // namespace nv
