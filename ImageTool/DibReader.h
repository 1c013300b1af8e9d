#pragma once
// Reader of device-independent bitmaps: BMP/DIB files and packed DIBs in
// memory. Every header field is checked against the bytes actually present
// before it is used.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

enum class DibStatus {
    Ok = 0,
    NotBitmap,    // no "BM" file header
    Truncated,    // a header, table or the bits run past the end of the data
    BadHeader,    // an unknown header size, bit count, compression or plane count
    BadSize,      // width or height zero or negative
    TooLarge,     // more pixels than the reader accepts
};

// What a validated DIB holds; offsets are into the packed DIB.
struct DibInfo {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;     // 0 BI_RGB, 1 BI_RLE8, 2 BI_RLE4, 3 BI_BITFIELDS
    uint32_t masks[3] = {0, 0, 0}; // red, green, blue for 16 and 32 bits
    std::vector<uint32_t> palette; // 0x00RRGGBB, as many as the table holds
    size_t bitsOffset = 0;
    size_t bitsSize = 0;          // bytes available for the bits
    bool topDown = false;         // rows stored top first (negative height)
};

class DibReader {
public:
    // Validates a packed DIB. bitsOffset, when non-zero, is where the bits
    // start (a file's data offset less the 14-byte file header); it must not
    // point into the header or colour table. Top-down DIBs (negative height,
    // uncompressed) are refused unless `allowTopDown`: bitmap files of this
    // system are bottom-up, while metafile records may hold either.
    static DibStatus Parse(const uint8_t* data, size_t size, DibInfo& info, uint64_t bitsOffset = 0,
                           bool allowTopDown = false);

    // A whole BMP file: checks the file header, then returns the packed DIB
    // (the file less its first 14 bytes) and its validated layout.
    static DibStatus ParseFile(const std::string& bytes, std::vector<uint8_t>& packed, DibInfo& info);

    // Decodes validated bits into 32-bit pixels 0xAARRGGBB (alpha 255),
    // top row first; pixels has width * height entries.
    static void Decode(const uint8_t* data, const DibInfo& info, uint32_t* pixels);

    static const char* StatusText(DibStatus s);
};

// Largest picture the reader decodes, in pixels.
constexpr uint64_t kDibMaxPixels = 64ull << 20;

} // namespace nv
