#include "ImageTool/DibReader.h"

#include <bit>

namespace nv {
namespace {

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint8_t Channel(uint32_t value, uint32_t mask)
{
    if (mask == 0) return 0;
    int shift = std::countr_zero(mask);
    uint64_t field = mask >> shift;
    uint64_t v = (value & mask) >> shift;
    return static_cast<uint8_t>(v * 255 / field);
}

constexpr uint32_t kOpaque = 0xFF000000u;

} // namespace

DibStatus DibReader::Parse(const uint8_t* data, size_t size, DibInfo& info, uint64_t bitsOffset,
                           bool allowTopDown)
{
    info = DibInfo{};
    if (size < 4) return DibStatus::Truncated;
    const uint32_t hs = Le32(data);
    if (hs != 12 && hs != 40 && hs != 52 && hs != 56 && hs != 108 && hs != 124)
        return DibStatus::BadHeader;
    if (hs > size) return DibStatus::Truncated;
    info.headerSize = hs;

    uint64_t tableStart = hs;
    uint64_t colours = 0;
    unsigned entrySize = 4;
    uint32_t sizeImage = 0;
    if (hs == 12) {
        info.width = Le16(data + 4);
        info.height = Le16(data + 6);
        if (Le16(data + 8) != 1) return DibStatus::BadHeader;
        info.bitCount = Le16(data + 10);
        if (info.bitCount != 1 && info.bitCount != 4 && info.bitCount != 8 && info.bitCount != 24)
            return DibStatus::BadHeader;
        entrySize = 3;
        colours = info.bitCount <= 8 ? (1u << info.bitCount) : 0;
    } else {
        info.width = static_cast<int32_t>(Le32(data + 4));
        info.height = static_cast<int32_t>(Le32(data + 8));
        if (Le16(data + 12) != 1) return DibStatus::BadHeader;
        info.bitCount = Le16(data + 14);
        info.compression = Le32(data + 16);
        sizeImage = Le32(data + 20);
        uint32_t used = Le32(data + 32);
        switch (info.bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return DibStatus::BadHeader;
        }
        switch (info.compression) {
        case 0: break;
        case 1: if (info.bitCount != 8) return DibStatus::BadHeader; break;
        case 2: if (info.bitCount != 4) return DibStatus::BadHeader; break;
        case 3: if (info.bitCount != 16 && info.bitCount != 32) return DibStatus::BadHeader; break;
        default: return DibStatus::BadHeader;
        }
        if (info.compression == 3) {
            const uint8_t* m = data + 40;
            if (hs == 40) {
                if (size < 52) return DibStatus::Truncated;
                tableStart = 52;
            }
            info.masks[0] = Le32(m);
            info.masks[1] = Le32(m + 4);
            info.masks[2] = Le32(m + 8);
        } else if (info.bitCount == 16) {
            info.masks[0] = 0x7C00; info.masks[1] = 0x03E0; info.masks[2] = 0x001F;
        } else if (info.bitCount == 32) {
            info.masks[0] = 0xFF0000; info.masks[1] = 0xFF00; info.masks[2] = 0xFF;
        }
        if (info.bitCount <= 8) {
            colours = used == 0 ? (1u << info.bitCount) : used;
            if (colours > 256) return DibStatus::BadHeader;
        } else {
            colours = used;  // an optional table that only sits before the bits
            if (colours > 65536) return DibStatus::BadHeader;
        }
    }
    if (allowTopDown && info.height < 0 && info.height != INT32_MIN && (info.compression == 0 || info.compression == 3)) {
        info.height = -info.height;
        info.topDown = true;
    }
    if (info.width <= 0 || info.height <= 0) return DibStatus::BadSize;
    if (uint64_t(info.width) * uint64_t(info.height) > kDibMaxPixels) return DibStatus::TooLarge;

    const uint64_t tableEnd = tableStart + colours * entrySize;
    if (tableEnd > size) return DibStatus::Truncated;
    if (info.bitCount <= 8) {
        info.palette.resize(static_cast<size_t>(colours));
        for (size_t i = 0; i < info.palette.size(); ++i) {
            const uint8_t* e = data + tableStart + i * entrySize;
            info.palette[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
        }
    }

    uint64_t off = tableEnd;
    if (bitsOffset != 0) {
        if (bitsOffset < tableEnd) return DibStatus::BadHeader;
        if (bitsOffset > size) return DibStatus::Truncated;
        off = bitsOffset;
    }
    info.bitsOffset = static_cast<size_t>(off);
    const uint64_t available = size - off;
    if (info.compression == 1 || info.compression == 2) {
        info.bitsSize = static_cast<size_t>(sizeImage != 0 && sizeImage < available ? sizeImage : available);
        // Codes move down at most 255 rows per four bytes (a delta): bits
        // that cannot reach the stated height are not that bitmap, however
        // large its decoded image would be.
        if (uint64_t(info.height) > 1 + uint64_t(info.bitsSize) / 4 * 255) return DibStatus::Truncated;
    } else {
        const uint64_t stride = ((uint64_t(info.width) * info.bitCount + 31) / 32) * 4;
        const uint64_t need = stride * uint64_t(info.height);
        if (need > available) return DibStatus::Truncated;
        info.bitsSize = static_cast<size_t>(need);
    }
    return DibStatus::Ok;
}

DibStatus DibReader::ParseFile(const std::string& bytes, std::vector<uint8_t>& packed, DibInfo& info)
{
    packed.clear();
    if (bytes.size() < 14) return DibStatus::Truncated;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    if (p[0] != 'B' || p[1] != 'M') return DibStatus::NotBitmap;
    const uint32_t offBits = Le32(p + 10);
    packed.assign(p + 14, p + bytes.size());
    if (offBits != 0 && offBits < 14) {
        packed.clear();
        return DibStatus::BadHeader;
    }
    // Writers that leave the data offset zero mean "right after the table".
    uint64_t bitsOffset = offBits == 0 ? 0 : uint64_t(offBits) - 14;
    DibStatus s = Parse(packed.data(), packed.size(), info, bitsOffset);
    if (s != DibStatus::Ok) packed.clear();
    return s;
}

void DibReader::Decode(const uint8_t* data, const DibInfo& info, uint32_t* pixels)
{
    const auto w = static_cast<uint32_t>(info.width);
    const auto h = static_cast<uint32_t>(info.height);
    const uint8_t* bits = data + info.bitsOffset;
    auto colourAt = [&info](uint32_t index) {
        return kOpaque | (index < info.palette.size() ? info.palette[index] : 0u);
    };

    if (info.compression == 1 || info.compression == 2) {
        const uint32_t background = colourAt(0);
        for (uint64_t i = 0; i < uint64_t(w) * h; ++i) pixels[i] = background;
        const bool rle4 = info.compression == 2;
        const size_t n = info.bitsSize;
        size_t pos = 0;
        uint64_t x = 0, y = 0;  // y counts from the bottom row
        auto put = [&](uint32_t index) {
            if (x < w && y < h) pixels[(h - 1 - y) * uint64_t(w) + x] = colourAt(index);
            ++x;
        };
        while (pos + 1 < n && y < h) {
            const uint8_t count = bits[pos], code = bits[pos + 1];
            pos += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count; ++i)
                    put(rle4 ? ((i & 1) ? (code & 0x0F) : (code >> 4)) : code);
            } else if (code == 0) {
                x = 0;
                ++y;
            } else if (code == 1) {
                break;
            } else if (code == 2) {
                if (pos + 2 > n) break;
                x += bits[pos];
                y += bits[pos + 1];
                pos += 2;
            } else {
                size_t bytes = rle4 ? (code + 1u) / 2 : code;
                size_t padded = (bytes + 1) & ~size_t(1);
                if (pos + bytes > n) break;
                for (unsigned i = 0; i < code; ++i) {
                    uint8_t b = bits[pos + (rle4 ? i / 2 : i)];
                    put(rle4 ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
                }
                pos += padded;
            }
        }
        return;
    }

    const uint64_t stride = ((uint64_t(w) * info.bitCount + 31) / 32) * 4;
    for (uint32_t row = 0; row < h; ++row) {
        const uint8_t* src = bits + stride * (info.topDown ? row : h - 1 - row);
        uint32_t* dst = pixels + uint64_t(row) * w;
        switch (info.bitCount) {
        case 1:
            for (uint32_t x = 0; x < w; ++x) dst[x] = colourAt((src[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case 4:
            for (uint32_t x = 0; x < w; ++x) dst[x] = colourAt((x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4));
            break;
        case 8:
            for (uint32_t x = 0; x < w; ++x) dst[x] = colourAt(src[x]);
            break;
        case 16:
            for (uint32_t x = 0; x < w; ++x) {
                uint32_t v = Le16(src + 2 * x);
                dst[x] = kOpaque | (uint32_t(Channel(v, info.masks[0])) << 16) |
                         (uint32_t(Channel(v, info.masks[1])) << 8) | Channel(v, info.masks[2]);
            }
            break;
        case 24:
            for (uint32_t x = 0; x < w; ++x)
                dst[x] = kOpaque | (uint32_t(src[3 * x + 2]) << 16) | (uint32_t(src[3 * x + 1]) << 8) | src[3 * x];
            break;
        case 32:
            for (uint32_t x = 0; x < w; ++x) {
                uint32_t v = Le32(src + 4 * x);
                dst[x] = kOpaque | (uint32_t(Channel(v, info.masks[0])) << 16) |
                         (uint32_t(Channel(v, info.masks[1])) << 8) | Channel(v, info.masks[2]);
            }
            break;
        default:
            break;
        }
    }
}

const char* DibReader::StatusText(DibStatus s)
{
    switch (s) {
    case DibStatus::Ok: return "ok";
    case DibStatus::NotBitmap: return "not a bitmap file";
    case DibStatus::Truncated: return "bitmap data cut short";
    case DibStatus::BadHeader: return "unsupported or damaged bitmap header";
    case DibStatus::BadSize: return "bitmap width or height not positive";
    case DibStatus::TooLarge: return "bitmap too large";
    }
    return "";
}

} // namespace nv
