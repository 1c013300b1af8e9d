// Barcode texts and parameter records as pages and forms hand them over.
// Input: symbology, orientation, width mode, check digit, width count bytes;
// left, top, width, height (32-bit); resolutions x, y (16-bit); the widths
// (32-bit each); the rest is the text.
#include "engine/barcode/BarcodeFit.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int32_t Take32(const uint8_t*& p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    p += 4;
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr size_t kHead = 5 + 16 + 4;
    if (size < kHead) return 0;
    const uint8_t* p = data;
    nv::BarcodeParams params;
    params.symbology = p[0] % 8;
    params.orientation = p[1] % 6;
    params.widthMode = p[2] % 6;
    params.checkDigit = p[3] % 3;
    const size_t count = p[4] % 10;
    p += 5;
    params.left = Take32(p);
    params.top = Take32(p);
    params.width = Take32(p);
    params.height = Take32(p);
    params.resolutionX = int16_t(p[0] | p[1] << 8);
    params.resolutionY = int16_t(p[2] | p[3] << 8);
    p += 4;
    const uint8_t* end = data + size;
    for (size_t i = 0; i < count && end - p >= 4; ++i) params.widths.push_back(Take32(p));
    params.text.assign(reinterpret_cast<const char*>(p), size_t(end - p));

    std::string expanded;
    params.expandedText = &expanded;
    const int32_t bars = nv::EncodeBarcode(params);
    if (bars == 0 || (bars < 0 && bars != -1 && bars != -2 && bars != -4)) std::abort();
    if (bars > 0 && expanded.size() > 104) std::abort();
    std::vector<nv::BarRect> out;
    params.bars = &out;
    const int32_t fit = nv::FitBarcode(params);
    if (fit > 0) std::abort();
    if (fit == 0 && bars > 0 && out.size() != size_t(bars)) std::abort();
    return 0;
}
