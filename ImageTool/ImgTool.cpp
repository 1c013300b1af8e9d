#include "ImageTool/ImgTool.h"

#include "platform/core/PlatformLog.h"

#include <tiffio.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <limits>
#include <string>

namespace nv {
namespace {

// A sample already multiplied by its alpha, laid over white paper: the white
// showing through is added.
uint8_t PremultipliedOverWhite(uint32_t c, uint32_t a)
{
    return static_cast<uint8_t>(std::min<uint32_t>(255, c + 255 - a));
}

// Result of the conversion running on this thread: 0, or the first failure a
// libtiff hook reported.
thread_local int tErrorSlot = 0;

int ErrorHook(TIFF*, void* user, const char*, const char*, va_list)
{
    // libtiff's own handlers print to stderr; a picture that cannot be read
    // is drawn as "no picture" instead, so the text is not kept.
    *static_cast<int*>(user) = kImgReadError;
    return 1;
}

int WarningHook(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

bool IsCodecAccepted(uint16_t compression)
{
    switch (compression) {
    case COMPRESSION_NONE:
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_THUNDERSCAN:
    case COMPRESSION_NEXT:
        return TIFFIsCODECConfigured(compression) != 0;
    default:
        return false;
    }
}

struct MemSource {
    const uint8_t* data;
    uint64_t size;
    uint64_t pos;
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t n)
{
    auto* m = static_cast<MemSource*>(h);
    if (n <= 0 || m->pos >= m->size) return 0;
    uint64_t take = std::min<uint64_t>(static_cast<uint64_t>(n), m->size - m->pos);
    std::memcpy(buf, m->data + m->pos, take);
    m->pos += take;
    return static_cast<tmsize_t>(take);
}

tmsize_t MemWrite(thandle_t, void*, tmsize_t) { return -1; }

toff_t MemSeek(thandle_t h, toff_t off, int whence)
{
    auto* m = static_cast<MemSource*>(h);
    uint64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->pos : m->size;
    if (off > std::numeric_limits<uint64_t>::max() - base) return static_cast<toff_t>(-1);
    m->pos = base + off;
    return m->pos;
}

int MemClose(thandle_t) { return 0; }
toff_t MemSize(thandle_t h) { return static_cast<MemSource*>(h)->size; }
int MemMap(thandle_t, void**, toff_t*) { return 0; }
void MemUnmap(thandle_t, void*, toff_t) {}

void PutLe16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// Lays out header and colour table; the rows are zero until filled.
bool StartDib(std::vector<uint8_t>& dib, uint32_t width, uint32_t height, uint16_t bitCount,
              uint32_t colours, uint64_t& stride, uint64_t& bitsOffset)
{
    stride = ((uint64_t(width) * bitCount + 31) / 32) * 4;
    bitsOffset = 40 + uint64_t(colours) * 4;
    uint64_t image = stride * height;  // width and height < 2^32, stride < 2^35: no overflow
    if (width > uint32_t(std::numeric_limits<int32_t>::max()) ||
        height > uint32_t(std::numeric_limits<int32_t>::max()) ||
        uint64_t(width) * height > kImgMaxBytes / 4 ||  // the drawer decodes to 32 bits
        image > kImgMaxBytes || bitsOffset + image > kImgMaxBytes)
        return false;
    try {
        dib.assign(static_cast<size_t>(bitsOffset + image), 0);
    } catch (const std::bad_alloc&) {
        PlatformLog("ImgTool", "画像 " + std::to_string(width) + "x" + std::to_string(height) + " の DIB を作るメモリが足りません");
        return false;
    }
    uint8_t* h = dib.data();
    PutLe32(h + 0, 40);
    PutLe32(h + 4, width);
    PutLe32(h + 8, height);
    PutLe16(h + 12, 1);
    PutLe16(h + 14, bitCount);
    PutLe32(h + 16, 0);  // BI_RGB
    PutLe32(h + 20, static_cast<uint32_t>(image));
    PutLe32(h + 24, 2834);
    PutLe32(h + 28, 2834);
    PutLe32(h + 32, 0);
    PutLe32(h + 36, 0);
    return true;
}

void SetColour(std::vector<uint8_t>& dib, uint32_t index, uint8_t r, uint8_t g, uint8_t b)
{
    uint8_t* e = dib.data() + 40 + 4 * size_t(index);
    e[0] = b;
    e[1] = g;
    e[2] = r;
    e[3] = 0;
}

class TiffConverter {
public:
    TiffConverter(TIFF* tif, int& errorSlot, uint64_t fileSize) : tif_(tif), error_(errorSlot), fileSize_(fileSize) {}

    int Run(std::vector<uint8_t>& out)
    {
        uint32_t width = 0, height = 0;
        uint16_t bps = 1, spp = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, compression = 1;
        if (!TIFFGetField(tif_, TIFFTAG_IMAGEWIDTH, &width) ||
            !TIFFGetField(tif_, TIFFTAG_IMAGELENGTH, &height) ||
            !TIFFGetField(tif_, TIFFTAG_PHOTOMETRIC, &photometric))
            return kImgReadError;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_BITSPERSAMPLE, &bps);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_SAMPLESPERPIXEL, &spp);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_PLANARCONFIG, &planar);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_COMPRESSION, &compression);
        if (width == 0 || height == 0 || bps == 0 || spp == 0) return kImgReadError;
        if (photometric > PHOTOMETRIC_PALETTE) return kImgReadError;
        if (!IsCodecAccepted(compression)) return kImgReadError;
        if (photometric == PHOTOMETRIC_PALETTE && (spp != 1 || bps > 8)) return kImgReadError;
        if (!DataPresent(width, height, uint64_t(bps) * spp, compression)) return kImgReadError;

        bool contig = planar == PLANARCONFIG_CONTIG || spp == 1;
        bool direct = contig && !TIFFIsTiled(tif_) &&
                      ((photometric <= PHOTOMETRIC_PALETTE && photometric != PHOTOMETRIC_RGB &&
                        spp == 1 && (bps == 1 || bps == 4 || bps == 8)) ||
                       (photometric == PHOTOMETRIC_RGB && spp == 3 && bps == 8));
        // libtiff's RGBA reader gets grey with alpha wrong in most layouts
        // (samples left unscaled, alpha dropped at 16 bits, white-is-zero
        // ignored in planes), so those are read here.
        bool greyAlpha = !direct && photometric <= PHOTOMETRIC_MINISBLACK && spp == 2 &&
                         (bps == 1 || bps == 2 || bps == 4 || bps == 8 || bps == 16);
        int rc = direct      ? ReadStrips(out, width, height, bps, spp, photometric)
                 : greyAlpha ? ReadGreyWithAlpha(out, width, height, bps, photometric, planar)
                             : ReadThroughRgba(out, width, height);
        if (rc == kImgOk && error_ != 0) rc = error_;
        if (rc != kImgOk) out.clear();
        return rc;
    }

private:
    // Whether the file holds data enough for the stated size: the bytes of
    // its strips or tiles that lie within the file, times the most one byte
    // of the codec can stand for. Checked before the large allocations, so
    // that a tiny file cannot claim hundreds of megabytes.
    bool DataPresent(uint32_t width, uint32_t height, uint64_t bitsPerPixel, uint16_t compression)
    {
        const uint32_t blocks = TIFFIsTiled(tif_) ? TIFFNumberOfTiles(tif_) : TIFFNumberOfStrips(tif_);
        uint64_t present = 0;
        for (uint32_t i = 0; i < blocks; ++i) {
            const uint64_t offset = TIFFGetStrileOffset(tif_, i);
            const uint64_t count = TIFFGetStrileByteCount(tif_, i);
            if (offset < fileSize_) present += std::min(count, fileSize_ - offset);
        }
        const uint64_t rowBytes = (uint64_t(width) * bitsPerPixel + 7) / 8;
        switch (compression) {
        case COMPRESSION_NONE: return present >= rowBytes * height;
        case COMPRESSION_PACKBITS: return present * 64 >= rowBytes * height;    // 128 bytes from a 2-byte run
        case COMPRESSION_THUNDERSCAN: return present * 32 >= rowBytes * height; // 63 pixels of 4 bits a byte
        default: return present * 8 >= height;                                   // fax and NeXT: a row takes a bit
        }
    }

    // Grey, palette and 24-bit RGB strips copy straight into DIB rows of the
    // same depth.
    int ReadStrips(std::vector<uint8_t>& dib, uint32_t width, uint32_t height, uint16_t bps,
                   uint16_t spp, uint16_t photometric)
    {
        const uint64_t bitsPerPixel = uint64_t(bps) * spp;
        const uint64_t lineBytes = (uint64_t(width) * bitsPerPixel + 7) / 8;
        if (TIFFScanlineSize64(tif_) != lineBytes) return kImgReadError;

        uint32_t colours = photometric == PHOTOMETRIC_RGB ? 0 : (1u << bps);
        uint64_t stride = 0, bitsOffset = 0;
        if (!StartDib(dib, width, height, static_cast<uint16_t>(bitsPerPixel), colours, stride,
                      bitsOffset))
            return kImgNoMemory;

        if (photometric == PHOTOMETRIC_PALETTE) {
            uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
            if (!TIFFGetField(tif_, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b)
                return kImgReadError;
            // Old writers store 8-bit maps; any entry above 255 means 16-bit.
            bool wide = false;
            for (uint32_t i = 0; i < colours; ++i)
                if (r[i] > 255 || g[i] > 255 || b[i] > 255) wide = true;
            auto scale = [wide](uint16_t v) {
                return static_cast<uint8_t>(wide ? uint32_t(v) * 255 / 65535 : v);
            };
            for (uint32_t i = 0; i < colours; ++i) SetColour(dib, i, scale(r[i]), scale(g[i]), scale(b[i]));
        } else if (photometric != PHOTOMETRIC_RGB) {
            bool whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
            for (uint32_t i = 0; i < colours; ++i) {
                auto v = static_cast<uint8_t>(i * 255 / (colours - 1));
                if (whiteIsZero) v = static_cast<uint8_t>(255 - v);
                SetColour(dib, i, v, v, v);
            }
        }

        uint32_t rowsPerStrip = height;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        if (rowsPerStrip == 0 || rowsPerStrip > height) rowsPerStrip = height;
        const uint64_t stripBytes = lineBytes * rowsPerStrip;
        if (stripBytes > kImgMaxBytes) return kImgNoMemory;
        const uint32_t strips = TIFFNumberOfStrips(tif_);
        const uint64_t needed = (uint64_t(height) + rowsPerStrip - 1) / rowsPerStrip;
        if (strips < needed) return kImgReadError;

        std::vector<uint8_t> buffer;
        try {
            buffer.resize(static_cast<size_t>(stripBytes));
        } catch (const std::bad_alloc&) {
            return kImgNoMemory;
        }
        uint32_t row = 0;
        for (uint32_t strip = 0; row < height; ++strip) {
            uint32_t rows = std::min(rowsPerStrip, height - row);
            auto want = static_cast<tmsize_t>(lineBytes * rows);
            tmsize_t got = TIFFReadEncodedStrip(tif_, strip, buffer.data(), want);
            if (got != want || error_ != 0) return kImgReadError;
            for (uint32_t i = 0; i < rows; ++i, ++row) {
                uint8_t* dst = dib.data() + bitsOffset + stride * (height - 1 - row);
                const uint8_t* src = buffer.data() + lineBytes * i;
                if (photometric == PHOTOMETRIC_RGB) {
                    for (uint32_t x = 0; x < width; ++x) {
                        dst[3 * x + 0] = src[3 * x + 2];
                        dst[3 * x + 1] = src[3 * x + 1];
                        dst[3 * x + 2] = src[3 * x + 0];
                    }
                } else {
                    std::memcpy(dst, src, static_cast<size_t>(lineBytes));
                }
            }
        }
        return kImgOk;
    }

    // Grey and one extra sample, in strips or tiles, interleaved or in two
    // planes, laid over white paper as 24-bit RGB. An extra sample that is
    // not marked as alpha is ignored, as libtiff does.
    int ReadGreyWithAlpha(std::vector<uint8_t>& dib, uint32_t width, uint32_t height, uint16_t bps,
                          uint16_t photometric, uint16_t planar)
    {
        uint16_t extraCount = 0;
        uint16_t* extraKinds = nullptr;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
        const uint16_t kind = extraCount >= 1 && extraKinds ? extraKinds[0] : EXTRASAMPLE_UNSPECIFIED;
        const bool separate = planar == PLANARCONFIG_SEPARATE;
        const uint16_t perBlock = separate ? 1 : 2;
        const bool tiled = TIFFIsTiled(tif_) != 0;

        uint32_t blockWidth = width, blockHeight = height;
        if (tiled) {
            if (!TIFFGetField(tif_, TIFFTAG_TILEWIDTH, &blockWidth) ||
                !TIFFGetField(tif_, TIFFTAG_TILELENGTH, &blockHeight) || blockWidth == 0 || blockHeight == 0)
                return kImgReadError;
        } else {
            TIFFGetFieldDefaulted(tif_, TIFFTAG_ROWSPERSTRIP, &blockHeight);
            if (blockHeight == 0 || blockHeight > height) blockHeight = height;
        }
        const uint64_t rowBytes = (uint64_t(blockWidth) * perBlock * bps + 7) / 8;
        const uint64_t blockBytes = rowBytes * blockHeight;
        if (tiled ? (TIFFTileRowSize64(tif_) != rowBytes || TIFFTileSize64(tif_) != blockBytes)
                  : TIFFScanlineSize64(tif_) != rowBytes)
            return kImgReadError;
        const uint64_t pixels = uint64_t(width) * height;
        if (pixels > kImgMaxBytes / 4 || blockBytes > kImgMaxBytes) return kImgNoMemory;

        uint64_t stride = 0, bitsOffset = 0;
        if (!StartDib(dib, width, height, 24, 0, stride, bitsOffset)) return kImgNoMemory;
        std::vector<uint8_t> grey, alpha, block;
        try {
            grey.assign(static_cast<size_t>(pixels), 0);
            alpha.assign(static_cast<size_t>(pixels), 255);
            block.resize(static_cast<size_t>(blockBytes));
        } catch (const std::bad_alloc&) {
            return kImgNoMemory;
        }
        const uint32_t maxValue = (1u << bps) - 1;
        auto sampleAt = [&](const uint8_t* row, uint64_t index) -> uint8_t {
            if (bps == 16) {
                uint16_t v;
                std::memcpy(&v, row + 2 * index, 2);  // libtiff gives native order
                return static_cast<uint8_t>(uint32_t(v) * 255 / 65535);
            }
            if (bps == 8) return row[index];
            const uint64_t bit = index * bps;
            const uint32_t v = (row[bit / 8] >> (8 - bps - bit % 8)) & maxValue;
            return static_cast<uint8_t>(v * 255 / maxValue);
        };
        const uint32_t blocks = tiled ? TIFFNumberOfTiles(tif_) : TIFFNumberOfStrips(tif_);
        for (uint16_t plane = 0; plane < (separate ? 2 : 1); ++plane) {
            for (uint32_t by = 0; by < height; by += blockHeight) {
                for (uint32_t bx = 0; bx < width; bx += blockWidth) {
                    const uint32_t index = tiled ? TIFFComputeTile(tif_, bx, by, 0, plane)
                                                 : TIFFComputeStrip(tif_, by, plane);
                    if (index >= blocks) return kImgReadError;
                    const uint32_t rows = tiled ? blockHeight : std::min(blockHeight, height - by);
                    const auto want = static_cast<tmsize_t>(rowBytes * rows);
                    const tmsize_t got = tiled ? TIFFReadEncodedTile(tif_, index, block.data(), want)
                                               : TIFFReadEncodedStrip(tif_, index, block.data(), want);
                    if (got != want || error_ != 0) return kImgReadError;
                    for (uint32_t r = 0; r < rows && by + r < height; ++r) {
                        const uint8_t* row = block.data() + rowBytes * r;
                        for (uint32_t c = 0; c < blockWidth && bx + c < width; ++c) {
                            const uint64_t at = uint64_t(by + r) * width + bx + c;
                            for (uint16_t s = 0; s < perBlock; ++s) {
                                const uint16_t sample = separate ? plane : s;
                                const uint8_t v = sampleAt(row, uint64_t(c) * perBlock + s);
                                if (sample == 0) grey[at] = v;
                                else if (kind == EXTRASAMPLE_ASSOCALPHA || kind == EXTRASAMPLE_UNASSALPHA)
                                    alpha[at] = v;
                            }
                        }
                    }
                }
            }
        }
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* dst = dib.data() + bitsOffset + stride * (height - 1 - y);
            for (uint32_t x = 0; x < width; ++x) {
                const uint64_t at = uint64_t(y) * width + x;
                uint32_t g = grey[at];
                if (photometric == PHOTOMETRIC_MINISWHITE) g = 255 - g;
                const uint32_t a = alpha[at];
                // Associated samples are already multiplied by alpha.
                const uint8_t shown = kind == EXTRASAMPLE_ASSOCALPHA
                                          ? PremultipliedOverWhite(g, a)
                                          : static_cast<uint8_t>((g * a + 255 * (255 - a) + 127) / 255);
                dst[3 * x + 0] = dst[3 * x + 1] = dst[3 * x + 2] = shown;
            }
        }
        return kImgOk;
    }

    // Everything else libtiff can read (2 and 16 bits, alpha, tiles, planes)
    // comes through its RGBA reader and is laid over white paper as 24-bit RGB.
    int ReadThroughRgba(std::vector<uint8_t>& dib, uint32_t width, uint32_t height)
    {
        char message[1024] = {};
        if (!TIFFRGBAImageOK(tif_, message)) return kImgReadError;
        const uint64_t pixels = uint64_t(width) * height;
        if (pixels > kImgMaxBytes / 4) return kImgNoMemory;
        uint64_t stride = 0, bitsOffset = 0;
        if (!StartDib(dib, width, height, 24, 0, stride, bitsOffset)) return kImgNoMemory;
        std::vector<uint32_t> raster;
        try {
            raster.resize(static_cast<size_t>(pixels));
        } catch (const std::bad_alloc&) {
            return kImgNoMemory;
        }
        TIFFRGBAImage img;
        if (!TIFFRGBAImageBegin(&img, tif_, 1, message)) return kImgReadError;
        img.req_orientation = ORIENTATION_BOTLEFT;  // DIB rows run bottom-up too
        int ok = TIFFRGBAImageGet(&img, raster.data(), width, height);
        TIFFRGBAImageEnd(&img);
        if (!ok || error_ != 0) return kImgReadError;
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* dst = dib.data() + bitsOffset + stride * y;
            const uint32_t* src = raster.data() + uint64_t(width) * y;
            for (uint32_t x = 0; x < width; ++x) {
                uint32_t p = src[x];
                uint32_t a = TIFFGetA(p);
                // Samples come premultiplied by alpha.
                dst[3 * x + 0] = PremultipliedOverWhite(TIFFGetB(p), a);
                dst[3 * x + 1] = PremultipliedOverWhite(TIFFGetG(p), a);
                dst[3 * x + 2] = PremultipliedOverWhite(TIFFGetR(p), a);
            }
        }
        return kImgOk;
    }

    TIFF* tif_;
    int& error_;
    uint64_t fileSize_;
};

TIFFOpenOptions* MakeOptions()
{
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(opts, ErrorHook, &tErrorSlot);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, WarningHook, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, static_cast<tmsize_t>(kImgMaxBytes));
    return opts;
}

int Convert(TIFF* tif, uint64_t fileSize, std::vector<uint8_t>& out)
{
    if (!tif) {
        tErrorSlot = 0;
        return kImgReadError;
    }
    int rc = tErrorSlot != 0 ? tErrorSlot : TiffConverter(tif, tErrorSlot, fileSize).Run(out);
    TIFFClose(tif);
    tErrorSlot = 0;
    if (rc != kImgOk) out.clear();
    return rc;
}

} // namespace

int ImgInitThreadSlots()
{
    tErrorSlot = 0;
    return 1;
}

void ImgFreeThreadSlots()
{
    tErrorSlot = 0;
}

int ImgTiffToDib(const std::string& path, std::vector<uint8_t>& out)
{
    out.clear();
    tErrorSlot = 0;
    // Only a regular file: a named pipe or a device would block the reader
    // or never end.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return kImgReadError;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return kImgReadError;
    }
    TIFFOpenOptions* opts = MakeOptions();
    if (!opts) {
        ::close(fd);
        return kImgNoMemory;
    }
    TIFF* tif = TIFFFdOpenExt(fd, path.c_str(), "r", opts);
    TIFFOpenOptionsFree(opts);
    if (!tif) ::close(fd);
    return Convert(tif, static_cast<uint64_t>(st.st_size), out);
}

int ImgTiffMemoryToDib(const uint8_t* data, size_t size, std::vector<uint8_t>& out)
{
    out.clear();
    tErrorSlot = 0;
    MemSource src{data, size, 0};
    TIFFOpenOptions* opts = MakeOptions();
    if (!opts) return kImgNoMemory;
    TIFF* tif = TIFFClientOpenExt("memory", "rm", &src, MemRead, MemWrite, MemSeek, MemClose,
                                  MemSize, MemMap, MemUnmap, opts);
    TIFFOpenOptionsFree(opts);
    return Convert(tif, size, out);
}

} // namespace nv
