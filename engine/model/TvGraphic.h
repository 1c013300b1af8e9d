#pragma once
// The pen and fill every shape of a form shares.
#include "engine/core/TvObject.h"

#include <cstdint>

namespace nv {

class TvGraphic : public TvObject {
    NV_DECLARE_SERIAL(TvGraphic)
public:
    TvGraphic();
    // Defaults, then the template's transparency, background, fill and pen
    // (none when null).
    explicit TvGraphic(const TvGraphic* templateShape);
    ~TvGraphic() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    int32_t GetFlags() const override { return flagPlain; }
    uint32_t GetAttribute() const override { return m_crFillColor; }

    virtual void InitDefaults();
    // Fill and pen, then the base attributes.
    virtual void CopyGraphicAttributes(const TvGraphic& source);

    int16_t m_nFillStyle = 0;       // 8
    uint32_t m_crFillColor = 0;     // 7
    int16_t m_nLineStyle = 1;       // 10
    int32_t m_nLineWidth = 15000;   // 9
    uint32_t m_crLineColor = 0;     // 11
};

// Fill and pen: applied and shown, not offered for writing by the base.
inline constexpr ObjectPropertyTable::Row kGraphicRows[] = {
    ObjectRows::Field<&TvGraphic::m_crFillColor>(propFillColor, useReadOnly),
    ObjectRows::Field<&TvGraphic::m_nFillStyle>(propFillStyle, useReadOnly),
    ObjectRows::Field<&TvGraphic::m_nLineWidth>(propLineWidth, useReadOnly),
    ObjectRows::Field<&TvGraphic::m_nLineStyle>(propLineStyle, useReadOnly),
    ObjectRows::Field<&TvGraphic::m_crLineColor>(propLineColor, useReadOnly),
};

constexpr ObjectPropertyTable::Row GraphicRow(uint16_t id, uint8_t use)
{
    return WithUse<TvObject>(kGraphicRows, id, use);
}

// What boxes, circles and polygons offer for writing besides the base rows
// of kOfferedBaseRows: the name, the pen and the fill (the passes of the
// base and of TvGraphic apply them).
inline constexpr ObjectPropertyTable::Row kClosedShapeRows[] = {
    BaseRow(propName, useRead | useWrite),
    GraphicRow(propFillColor, useRead | useWrite), GraphicRow(propFillStyle, useRead | useWrite),
    GraphicRow(propLineWidth, useRead | useWrite), GraphicRow(propLineStyle, useRead | useWrite),
    GraphicRow(propLineColor, useRead | useWrite),
};

} // namespace nv
