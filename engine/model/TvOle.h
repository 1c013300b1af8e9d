#pragma once
// An embedded or linked OLE object on a form. Its item travels in the form's
// archive; without an item the object is drawn from a substitute picture (an
// enhanced metafile the drawing control made).
#include "engine/core/TvObject.h"
#include "engine/model/TvOleItem.h"

#include <memory>
#include <string>

namespace nv {

class TvOle : public TvObject {
    NV_DECLARE_SERIAL(TvOle)
public:
    static constexpr uint32_t kOleVersion = 11;

    TvOle();
    TvOle(const Rect& r, int32_t transparent, uint32_t backColor, int32_t frame);
    ~TvOle() override;

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    void GetBoundRect(Rect& out, bool withPen) const override;
    void SetRect(const Rect& r) override;
    void DeleteSelf() override;
    int32_t GetType() const override { return objOle; }
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Ole", form); }
    int32_t GetFlags() const override { return flagPlain | flagArea; }
    uint32_t GetAttribute() const override { return 0; }
    std::unique_ptr<TvObject> Clone() const override;
    // Stores the without-item flag.
    void SetFlag(int32_t value) override { m_bWithoutItem = value; }

    virtual void CopyOleAttributes(const TvOle& source);

    TvOleItem* GetItem() const { return m_pItem.get(); }
    // Takes ownership and makes this object the item's owner.
    void SetItem(std::unique_ptr<TvOleItem> item);

    int32_t m_nWidth = 0;            // 13
    int32_t m_nHeight = 0;           // 14
    Size m_sizeNatural;              // stored as 8 raw bytes
    int32_t m_bKeepAspect = 1;       // 61
    int32_t m_bFrame = 0;            // 12
    int16_t m_nLineStyle = 1;        // 10
    int32_t m_nLineWidth = 15000;    // 9
    uint32_t m_crLineColor = 0;      // 11
    int32_t m_bWithoutItem = 0;      // transient, SetFlag
    std::string m_strPictureFile;    // 1002, not stored with the form

private:
    std::unique_ptr<TvOleItem> m_pItem;
};

} // namespace nv
