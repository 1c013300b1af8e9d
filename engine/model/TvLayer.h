#pragma once
// A named layer of a form: its objects (owned, drawn in list order), design
// and print visibility, the cell grid of line-printer layouts, print
// resolution, mode and colours.
#include "engine/core/CObject.h"
#include "engine/core/ChangeData.h"
#include "engine/core/PropertyMap.h"
#include "engine/core/TvObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nv {

class TvLayer : public CObject {
    NV_DECLARE_SERIAL(TvLayer)
public:
    TvLayer() = default;
    explicit TvLayer(int32_t layerId) : m_nLayerId(layerId) {}
    ~TvLayer() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes);
    // Copies every member and appends a clone of each of the other's objects.
    void CopyFrom(const TvLayer& other);
    std::unique_ptr<TvLayer> Clone() const;

    // With `appended`, the last object's draw order becomes the object count;
    // otherwise every draw order is renumbered 1, 2, 3, ... in list order.
    void UpdateDrawOrder(bool appended);

    int32_t ToColumn(int32_t x) const;
    int32_t ToRow(int32_t y) const;
    int32_t FromColumn(int32_t n) const { return static_cast<int32_t>(int64_t{n} * m_nGridX); }
    int32_t FromRow(int32_t n) const { return static_cast<int32_t>(int64_t{n} * m_nGridY); }

    // Objects of the layer in drawing order.
    std::vector<std::unique_ptr<TvObject>>& Objects() { return m_objects; }
    const std::vector<std::unique_ptr<TvObject>>& Objects() const { return m_objects; }

    int32_t m_nLayerId = 0;             // 71
    std::string m_strName;              // 72
    int32_t m_bVisibleAtDesign = 1;     // 73
    int32_t m_bVisibleAtPrint = 1;      // 74
    int32_t m_bTransparentAtDesign = 1; // 75
    int32_t m_bTransparentAtPrint = 1;  // 76
    int32_t m_nGridX = 144000;          // 77: 0.1 inch
    int32_t m_nGridY = 240000;          // 78: 1/6 inch
    int32_t m_nPrintDpiX = 600;         // 79
    int32_t m_nPrintDpiY = 600;         // 80
    int32_t m_nLayerMode = 1;           // 81
    int32_t m_nLayerValue1 = 1;         // 82
    uint32_t m_crBackColor = 0xFFFFFF;  // 2
    std::vector<std::unique_ptr<TvObject>> m_objects;
    uint32_t m_crSecondColor = 0xFFC8C8; // 83
    int32_t m_nLayerValue2 = 1;         // 84
    int32_t m_nLayerValue3 = 0;         // 85
    int32_t m_nLayerValue4 = 7;         // 102, set without a change record
};

} // namespace nv
