#pragma once
// Packed DIBs (bitmap files, the image toolkit's output, metafile bitmaps)
// decoded into the device-context layer's 32-bit image.
#include "ImageTool/DibReader.h"
#include "platform/gdi/DcTypes.h"

#include <cstddef>
#include <cstdint>

namespace nv {

// Validates and decodes; false (image untouched) when the DIB is refused.
// `maxPixels` bounds the decoded size.
bool DibToImage(const uint8_t* packed, size_t size, DcImage& image, uint64_t bitsOffset = 0,
                bool allowTopDown = false, uint64_t maxPixels = kDibMaxPixels);

} // namespace nv
