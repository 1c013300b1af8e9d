#include "engine/render/EmfPlayer.h"

#include "engine/render/EmfPlayback.h"
#include "engine/core/EngineLog.h"

namespace nv {


namespace {

using namespace emf;

int32_t RectField(const uint8_t* p) { return static_cast<int32_t>(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24)); }

} // namespace

bool EmfPlayer::ReadHeader(const uint8_t* data, size_t size, EmfHeader& out)
{
    out = EmfHeader{};
    if (!data || size < 88) return false;
    auto u32 = [data](size_t o) { return static_cast<uint32_t>(RectField(data + o)); };
    auto i32 = [data](size_t o) { return RectField(data + o); };
    if (u32(0) != EMR_HEADER) return false;
    const uint32_t recSize = u32(4);
    if (recSize < 88 || recSize % 4 != 0 || recSize > size) return false;
    if (u32(40) != kSignature) return false;
    out.bounds = DcRect{i32(8), i32(12), i32(16), i32(20)};
    out.frame = DcRect{i32(24), i32(28), i32(32), i32(36)};
    out.bytes = u32(48);
    out.records = u32(52);
    out.handles = static_cast<uint16_t>(data[56] | (data[57] << 8));
    out.device = DcSize{i32(72), i32(76)};
    out.millimeters = DcSize{i32(80), i32(84)};
    return true;
}

bool EmfPlayer::NeedsRasterSurface(const uint8_t* data, size_t size)
{
    EmfHeader h;
    if (!ReadHeader(data, size, h)) return false;
    auto u32 = [data](size_t o) { return static_cast<uint32_t>(RectField(data + o)); };
    size_t off = 0;
    while (off + 8 <= size) {
        const uint32_t type = u32(off), recSize = u32(off + 4);
        if (recSize < 8 || recSize % 4 != 0 || recSize > size - off || type == EMR_EOF) break;
        uint32_t ropAt = 0;
        if (type == EMR_BITBLT || type == EMR_STRETCHBLT) ropAt = 40;
        else if (type == EMR_STRETCHDIBITS) ropAt = 68;
        if (ropAt && ropAt + 4 <= recSize) {
            const uint32_t rop = u32(off + ropAt);
            if (!(rop == 0x00CC0020 || rop == 0x00F00021 || rop == 0x00000042 || rop == 0x00FF0062)) return true;
        }
        off += recSize;
    }
    return false;
}

EmfPlayer::Result EmfPlayer::Play(DeviceContext& dc, const uint8_t* data, size_t size, const DcRect& dst,
                                  const RasterSurfaceFactory* offscreen, Stats* stats)
{
    EmfHeader h;
    if (!ReadHeader(data, size, h)) return Result::NotMetafile;
    // A header that claims fewer bytes than the file ends the file there.
    if (h.bytes >= 88 && h.bytes < size) size = h.bytes;
    bool complete = false;
    Stats played;
    auto outcome = [&] {
        if (stats) *stats = played;
        if (!complete) return Result::BadRecord;
        return played.skippedBitmaps != 0 ? Result::BudgetSpent : Result::Complete;
    };
    const DcRect area = dst.Normalized();
    if (offscreen && *offscreen && !area.IsEmpty() &&
        uint64_t(area.Width()) * uint64_t(area.Height()) <= kMaxSurfacePixels && NeedsRasterSurface(data, size)) {
        std::unique_ptr<RasterSurface> surface;
        try {
            surface = (*offscreen)(area.Width(), area.Height());
        } catch (const std::bad_alloc&) {
            // Drawn straight onto the page instead, without what needs the surface.
            LogLine("EMF", "描画用の画像 " + std::to_string(area.Width()) + "x" + std::to_string(area.Height()) + " のメモリが足りません");
            surface.reset();
        }
        if (surface) {
            DcRect local{0, 0, area.Width(), area.Height()};
            if (dst.left > dst.right) std::swap(local.left, local.right);
            if (dst.top > dst.bottom) std::swap(local.top, local.bottom);
            {
                emf::Player player(surface->Dc(), h, local);
                player.surface_ = surface.get();
                player.Run(data, size, complete);
                played = player.stats_;
            }
            dc.DrawImage(area, surface->Snapshot());
            return outcome();
        }
    }
    const int depth = dc.SaveDC();
    {
        emf::Player player(dc, h, dst);
        player.Run(data, size, complete);
        played = player.stats_;
    }
    dc.RestoreDC(depth);
    return outcome();
}

} // namespace nv

