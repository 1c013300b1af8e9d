#pragma once
// A device context that draws nothing and measures text with fixed metrics
// (eight pixels a character, sixteen a line), for benchmarks and fuzz targets
// where the caller's own work is what is measured or exercised.
#include "platform/gdi/DeviceContext.h"

#include <string_view>
#include <vector>

namespace nv {

class NullDc : public DeviceContext {
public:
    NullDc(int32_t dpi, DcSize size) : dpi_(dpi), size_(size) {}

    DcSize GetTextExtent(std::u16string_view text) override { return {int32_t(text.size()) * 8, 16}; }
    DcTextMetrics GetTextMetrics() override { return {16, 14, 2, 0, 0, 8, 16}; }
    int32_t LogPixelsX() const override { return dpi_; }
    int32_t LogPixelsY() const override { return dpi_; }
    DcSize DeviceSize() const override { return size_; }

protected:
    void DoPolyline(const std::vector<DcPoint>&) override {}
    void DoPolygons(const std::vector<DcPoint>&, const std::vector<int32_t>&) override {}
    void DoRectangle(const DcRect&) override {}
    void DoRoundRect(const DcRect&, int32_t, int32_t) override {}
    void DoEllipse(const DcRect&) override {}
    void DoArc(ArcKind, const DcRect&, DcPoint, DcPoint) override {}
    void DoPath(const DcPath&, bool, bool) override {}
    void DoFillRect(const DcRect&, const DcBrush&) override {}
    void DoSetPixel(int32_t, int32_t, ColorRef) override {}
    void DoText(int32_t, int32_t, uint32_t, const DcRect*, std::u16string_view, std::span<const int32_t>) override {}
    void DoImage(const DcRect&, const DcImage&, const DcRect&) override {}

private:
    int32_t dpi_;
    DcSize size_;
};

} // namespace nv
