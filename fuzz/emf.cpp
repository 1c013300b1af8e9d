// Enhanced metafiles through the player, onto a device context that draws
// nothing (the player's own parsing and mapping are what is under test).
#include "engine/render/EmfPlayer.h"
#include "support/NullDc.h"

#include <cstdlib>

namespace {

// A surface that keeps a white image; enough to run the raster operations.
class NullSurface : public nv::RasterSurface {
public:
    NullSurface(int32_t w, int32_t h) : image_(w, h) {}
    nv::DeviceContext& Dc() override { return dc_; }
    nv::DcImage Snapshot() override { return image_; }

private:
    nv::NullDc dc_{96, {800, 600}};
    nv::DcImage image_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nv::NullDc dc(96, {800, 600});
    dc.SetTextColor(0x123456);
    nv::EmfPlayer::Play(dc, data, size, nv::DcRect{0, 0, 640, 480});
    // Again through an offscreen surface, small so that raster operations stay quick.
    nv::RasterSurfaceFactory factory = [](int32_t w, int32_t h) { return std::make_unique<NullSurface>(w, h); };
    nv::EmfPlayer::Play(dc, data, size, nv::DcRect{64, 48, 0, 0}, &factory);
    // Playback leaves the caller's state as it was.
    if (dc.SaveDepth() != 0 || dc.State().textColour != 0x123456) std::abort();
    return 0;
}
