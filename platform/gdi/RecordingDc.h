#pragma once
// A device context that draws nothing and records every call with the state
// it was made in, for unit tests of the renderer and the metafile player.
// Text is measured with fixed metrics: a half-width character advances half
// an em, any other a full em (or the font's width and twice it when the font
// sets one); ascent 7/8 em.
#include <string>
#include <vector>

#include "platform/gdi/DeviceContext.h"

namespace nv {

struct DcCall {
    std::string op; // "Polyline", "Polygons", "Rectangle", "RoundRect", "Ellipse", "Arc", "Chord", "Pie",
                    // "Path", "FillRect", "SetPixel", "Text", "Image"
    std::vector<int32_t> args; // device pixels: points as x, y pairs, rectangles as l, t, r, b
    std::u16string text;
    std::vector<int32_t> dx;
    uint32_t options = 0;
    DcBrush brush; // FillRect's own brush; else the state's
    DcImage image;
    DcState state;
};

class RecordingDc : public DeviceContext {
public:
    explicit RecordingDc(int32_t dpiX = 96, int32_t dpiY = 96, DcSize size = {794, 1123}, bool printing = false);

    const std::vector<DcCall>& Calls() const { return calls_; }
    void Clear() { calls_.clear(); }
    // Calls whose op is `op`.
    std::vector<DcCall> CallsOf(const std::string& op) const;
    // Whole text of every Text call, UTF-8, separated by '|'.
    std::string TextLog() const;

    DcSize GetTextExtent(std::u16string_view text) override;
    DcTextMetrics GetTextMetrics() override;
    int32_t LogPixelsX() const override { return dpiX_; }
    int32_t LogPixelsY() const override { return dpiY_; }
    bool IsPrinting() const override { return printing_; }
    DcSize DeviceSize() const override { return size_; }

    // The fixed metrics, for tests that predict them.
    static int32_t EmOf(const DcFont& f);
    static int32_t AdvanceOf(const DcFont& f, char16_t c);

protected:
    NV_DEVICE_CONTEXT_HOOKS

private:
    DcCall& Add(const char* op);

    int32_t dpiX_;
    int32_t dpiY_;
    DcSize size_;
    bool printing_;
    std::vector<DcCall> calls_;
};

} // namespace nv
