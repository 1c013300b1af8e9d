#include "engine/render/DibImage.h"
#include "engine/core/EngineLog.h"

#include <new>

namespace nv {

bool DibToImage(const uint8_t* packed, size_t size, DcImage& image, uint64_t bitsOffset, bool allowTopDown,
                uint64_t maxPixels)
{
    DibInfo info;
    if (DibReader::Parse(packed, size, info, bitsOffset, allowTopDown) != DibStatus::Ok) return false;
    if (uint64_t(info.width) * uint64_t(info.height) > maxPixels) return false;
    try {
        DcImage decoded(info.width, info.height, 0);
        DibReader::Decode(packed, info, decoded.pixels.data());
        image = std::move(decoded);
    } catch (const std::bad_alloc&) {
        LogLine("DIB", "画像 " + std::to_string(info.width) + "x" + std::to_string(info.height) + " を広げるメモリが足りません");
        return false;
    }
    return true;
}

} // namespace nv
