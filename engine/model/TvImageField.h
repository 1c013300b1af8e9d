#pragma once
// A picture whose file the page supplies, by field number.
#include "engine/model/TvFieldPart.h"
#include "engine/model/TvImage.h"

namespace nv {

class TvImageField : public TvFieldPart<TvImage> {
    NV_DECLARE_SERIAL(TvImageField)
public:
    static constexpr uint32_t kDefaultObjectId = 21;

    TvImageField() { InitDefaults(kDefaultObjectId); }
    explicit TvImageField(const Rect& r, std::string_view fileName = {}) : TvFieldPart<TvImage>(r, fileName)
    {
        InitDefaults(kDefaultObjectId);
    }
    TvImageField(const Rect& r, int32_t frame, const TvObject& templateShape)
        : TvFieldPart<TvImage>(r, frame, templateShape)
    {
        InitDefaults(kDefaultObjectId);
    }

    const ObjectPropertyTable& Properties() const override;
    int32_t GetType() const override { return objImageField; }
    // The picture's properties, then the field number.
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes) override;
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("ImageField", form); }
    std::unique_ptr<TvObject> Clone() const override;
    // A field never embeds on store.
    void SetFlag(int32_t) override {}

    virtual void CopyImageFieldAttributes(const TvImageField& source);

protected:
    bool EmbedsOnStore() const override { return false; }
};

} // namespace nv
