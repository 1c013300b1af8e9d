#pragma once
// Plays enhanced metafiles onto a device context: state and mapping records,
// object records (pens, brushes, fonts, stock objects), geometry in 32- and
// 16-bit forms, paths and clipping, text with its advance arrays and bitmap
// records (with alpha blending and colour-keyed copies). Comments, palettes
// and colour management are skipped.
//
// Every record's size, counts, offsets and handle indexes are checked against
// the file; a bad record ends playback and keeps what was drawn.
#include "platform/gdi/DeviceContext.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace nv {

struct EmfHeader {
    DcRect bounds;           // device units of the reference device, inclusive
    DcRect frame;            // 0.01 mm, inclusive
    uint32_t bytes = 0;      // file size the header claims
    uint32_t records = 0;
    uint16_t handles = 0;
    DcSize device;           // reference device in pixels
    DcSize millimeters;      // reference device in millimetres
};

// An offscreen raster image with a device context on it, for metafiles whose
// raster operations combine with what is already drawn (PDF and printers
// cannot): such a metafile is played into the image, which is then drawn.
class RasterSurface {
public:
    virtual ~RasterSurface() = default;
    virtual DeviceContext& Dc() = 0;
    // The pixels drawn so far.
    virtual DcImage Snapshot() = 0;
};
// Makes a white surface of w x h pixels, or null.
using RasterSurfaceFactory = std::function<std::unique_ptr<RasterSurface>(int32_t w, int32_t h)>;

class EmfPlayer {
public:
    enum class Result {
        Complete,      // every record played up to EMR_EOF
        BadRecord,     // playback ended at a record that failed its checks
        NotMetafile,   // no valid header: nothing drawn
        BudgetSpent,   // played to EMR_EOF, but bitmap records past the budget were skipped
    };

    // What a play decoded: bitmap pixels, and bitmap records left out
    // because the play's pixel budget was spent.
    struct Stats {
        uint64_t decodedPixels = 0;
        uint32_t skippedBitmaps = 0;
    };

    // Reads and checks the header record.
    static bool ReadHeader(const uint8_t* data, size_t size, EmfHeader& out);

    // Plays the metafile so that its frame fills `dst` (logical coordinates of
    // the device context). The context's state is the same afterwards.
    // With `offscreen`, a metafile that combines raster operations with the
    // destination is played into a surface of dst's size and drawn as one
    // bitmap; without it (or for a surface larger than kMaxSurfacePixels)
    // such operations draw the source with its neutral colour left out.
    static Result Play(DeviceContext& dc, const uint8_t* data, size_t size, const DcRect& dst,
                       const RasterSurfaceFactory* offscreen = nullptr, Stats* stats = nullptr);
    static Result Play(DeviceContext& dc, const std::string& bytes, const DcRect& dst,
                       const RasterSurfaceFactory* offscreen = nullptr, Stats* stats = nullptr)
    {
        return Play(dc, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), dst, offscreen, stats);
    }

    // Whether any record uses a raster operation that reads the destination.
    static bool NeedsRasterSurface(const uint8_t* data, size_t size);

    // Largest bitmap a record may expand to, in pixels.
    static constexpr uint64_t kMaxBitmapPixels = 16ull << 20;
    // Bitmap pixels one play (one picture) may decode in all: a small file
    // of many huge compressed bitmaps must not take minutes.
    static constexpr uint64_t kMaxPlayPixels = 32ull << 20;
    static constexpr uint64_t kMaxSurfacePixels = 32ull << 20;
};

} // namespace nv
