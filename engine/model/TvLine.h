#pragma once
// A straight line from the anchor (start) to the end point.
#include "engine/model/TvGraphic.h"

namespace nv {

class TvLine : public TvGraphic {
    NV_DECLARE_SERIAL(TvLine)
public:
    TvLine();
    // start = (left, top), end = (right, bottom), as given.
    explicit TvLine(const Rect& r, const TvGraphic* templateShape = nullptr);
    ~TvLine() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    void GetBoundRect(Rect& out, bool withPen) const override;
    void SetRect(const Rect& r) override;
    int32_t GetType() const override { return objLine; }
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Line", form); }
    int32_t GetFlags() const override { return flagPlain; }
    void Offset(int32_t dx, int32_t dy) override;
    uint32_t GetAttribute() const override { return m_crLineColor; }
    void Scale(const Size& from, const Size& to) override;
    std::unique_ptr<TvObject> Clone() const override;
    void InitDefaults() override;

    void CopyShapeAttributes(const TvLine& source);

    int32_t m_nEndX = 0; // 33
    int32_t m_nEndY = 0; // 34
};

} // namespace nv
