// Enhanced metafiles through the player, onto a device context that draws
// nothing (the player's own parsing and mapping are what is under test).
#include "engine/render/EmfPlayer.h"

#include <cstdlib>

namespace {

class NullDc : public nv::DeviceContext {
public:
    nv::DcSize GetTextExtent(std::u16string_view text) override { return {int32_t(text.size()) * 8, 16}; }
    nv::DcTextMetrics GetTextMetrics() override { return {16, 14, 2, 0, 0, 8, 16}; }
    int32_t LogPixelsX() const override { return 96; }
    int32_t LogPixelsY() const override { return 96; }
    nv::DcSize DeviceSize() const override { return {800, 600}; }

protected:
    void DoPolyline(const std::vector<nv::DcPoint>&) override {}
    void DoPolygons(const std::vector<nv::DcPoint>&, const std::vector<int32_t>&) override {}
    void DoRectangle(const nv::DcRect&) override {}
    void DoRoundRect(const nv::DcRect&, int32_t, int32_t) override {}
    void DoEllipse(const nv::DcRect&) override {}
    void DoArc(nv::ArcKind, const nv::DcRect&, nv::DcPoint, nv::DcPoint) override {}
    void DoPath(const nv::DcPath&, bool, bool) override {}
    void DoFillRect(const nv::DcRect&, const nv::DcBrush&) override {}
    void DoSetPixel(int32_t, int32_t, nv::ColorRef) override {}
    void DoText(int32_t, int32_t, uint32_t, const nv::DcRect*, std::u16string_view, const std::vector<int32_t>&) override {}
    void DoImage(const nv::DcRect&, const nv::DcImage&, const nv::DcRect&) override {}
};

// A surface that keeps a white image; enough to run the raster operations.
class NullSurface : public nv::RasterSurface {
public:
    NullSurface(int32_t w, int32_t h) : image_(w, h) {}
    nv::DeviceContext& Dc() override { return dc_; }
    nv::DcImage Snapshot() override { return image_; }

private:
    NullDc dc_;
    nv::DcImage image_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NullDc dc;
    dc.SetTextColor(0x123456);
    nv::EmfPlayer::Play(dc, data, size, nv::DcRect{0, 0, 640, 480});
    // Again through an offscreen surface, small so that raster operations stay quick.
    nv::RasterSurfaceFactory factory = [](int32_t w, int32_t h) { return std::make_unique<NullSurface>(w, h); };
    nv::EmfPlayer::Play(dc, data, size, nv::DcRect{64, 48, 0, 0}, &factory);
    // Playback leaves the caller's state as it was.
    if (dc.SaveDepth() != 0 || dc.State().textColour != 0x123456) std::abort();
    return 0;
}
