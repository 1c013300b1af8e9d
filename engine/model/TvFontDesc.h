#pragma once
// One font of a form's font list, referenced by text objects by font id.
#include "engine/core/CObject.h"

#include <cstdint>
#include <memory>
#include <string>

namespace nv {

class TvFontDesc : public CObject {
    NV_DECLARE_SERIAL(TvFontDesc)
public:
    TvFontDesc() = default;
    // From a logical font's face, character set and pitch-and-family.
    TvFontDesc(int32_t fontId, std::string faceName, uint8_t charSet, uint8_t pitchAndFamily, int32_t size,
               int32_t fontValue);

    void Serialize(Archive& ar, uint32_t schema) override;
    void CopyFrom(const TvFontDesc& other);
    std::unique_ptr<TvFontDesc> Clone() const;

    int32_t m_nFontId = 0;
    int32_t m_nFontValue = 0;
    std::string m_strFaceName;
    uint8_t m_nCharSet = 0;
    uint8_t m_nPitchAndFamily = 0;
    int32_t m_nSize = 0;
};

} // namespace nv
