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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NullDc dc;
    dc.SetTextColor(0x123456);
    nv::EmfPlayer::Play(dc, data, size, nv::DcRect{0, 0, 640, 480});
    // Playback leaves the caller's state as it was.
    if (dc.SaveDepth() != 0 || dc.State().textColour != 0x123456) std::abort();
    return 0;
}
