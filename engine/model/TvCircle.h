#pragma once
// An ellipse in a box: the anchor is the box's left-top corner; box, centre
// and radii are kept consistent.
#include "engine/model/TvGraphic.h"

namespace nv {

class TvCircle : public TvGraphic {
    NV_DECLARE_SERIAL(TvCircle)
public:
    TvCircle();
    // The box as given; centre and radii by halving (integer division).
    explicit TvCircle(const Rect& r, int32_t frame = 1, const TvGraphic* templateShape = nullptr);
    // The box is the centre minus and plus the radii.
    TvCircle(const Point& centre, const Size& radii, int32_t frame, const TvGraphic* templateShape);
    ~TvCircle() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    void GetBoundRect(Rect& out, bool withPen) const override;
    void SetRect(const Rect& r) override;
    int32_t GetType() const override { return objCircle; }
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes) override;
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Circle", form); }
    int32_t GetFlags() const override { return flagPlain | flagArea; }
    void Offset(int32_t dx, int32_t dy) override;
    // Scales the whole box, so that the shape scales with the form.
    void Scale(const Size& from, const Size& to) override;
    std::unique_ptr<TvObject> Clone() const override;
    void InitDefaults() override;

    void CopyShapeAttributes(const TvCircle& source);

    int32_t m_nRight = 0;   // 33
    int32_t m_nBottom = 0;  // 34
    int32_t m_nCenterX = 0; // 117
    int32_t m_nCenterY = 0; // 118
    int32_t m_nRadiusX = 0; // 119
    int32_t m_nRadiusY = 0; // 120
    int32_t m_bFrame = 1;   // 12

protected:
    void SetBoxFrom(const Rect& r);
};

} // namespace nv
