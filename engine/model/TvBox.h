#pragma once
// A rectangle, optionally with rounded corners, from the anchor (top-left).
#include "engine/model/TvGraphic.h"

namespace nv {

class TvBox : public TvGraphic {
    NV_DECLARE_SERIAL(TvBox)
public:
    TvBox();
    explicit TvBox(const Rect& r, const TvGraphic* templateShape = nullptr);
    TvBox(const Rect& r, int32_t roundSize, int32_t frame, const TvGraphic* templateShape);
    ~TvBox() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    void GetBoundRect(Rect& out, bool withPen) const override;
    // Also keeps the corner radius within half the shorter side.
    void SetRect(const Rect& r) override;
    int32_t GetType() const override { return objBox; }
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Box", form); }
    int32_t GetFlags() const override { return flagPlain | flagArea | flagBoxCorners; }
    void Scale(const Size& from, const Size& to) override;
    std::unique_ptr<TvObject> Clone() const override;
    void InitDefaults() override;

    void CopyShapeAttributes(const TvBox& source);

    int32_t m_nWidth = 0;     // 13
    int32_t m_nHeight = 0;    // 14
    int32_t m_nRoundSize = 0; // 15
    int32_t m_bFrame = 1;     // 12: outline drawn only when set
};

} // namespace nv
