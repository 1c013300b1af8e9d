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
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes) override;
    int32_t GetFlags() const override { return 16; }
    uint32_t GetAttribute() const override { return m_crFillColor; }
    int32_t GetPropertyAddress(uint16_t id, void*& address, int32_t& kind) override;

    virtual void InitDefaults();
    // Fill and pen, then the base attributes.
    virtual void CopyGraphicAttributes(const TvGraphic& source);

    int16_t m_nFillStyle = 0;       // 8
    uint32_t m_crFillColor = 0;     // 7
    int16_t m_nLineStyle = 1;       // 10
    int32_t m_nLineWidth = 15000;   // 9
    uint32_t m_crLineColor = 0;     // 11
};

} // namespace nv
