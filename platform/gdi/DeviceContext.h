#pragma once
// The device context the renderer, the picture drawer and the metafile player
// draw into, in place of the platform's GDI. Coordinates are integer device
// pixels; the only mapping is the viewport origin (logical + origin = device).
// Callers that need scaling (the unit scaler, a metafile's window and
// viewport extents) do their own rounding before they call.
//
// All drawing state lives in one value (DcState). SaveDC copies it onto a
// stack and RestoreDC puts the copy back whole, so nothing a caller selected
// can dangle after a restore. Implementations read the state when they draw.
//
// Text is UTF-16 with one advance per UTF-16 unit in dx arrays; the CP932
// entry points convert (one advance per byte, as the platform's byte-string
// calls have them). Face names are UTF-8.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/DcRegion.h"
#include "platform/gdi/DcTypes.h"

namespace nv {

struct DcState {
    DcPen pen{PenStyle::Solid, 1, 0};
    DcBrush brush = DcBrush::Solid(0xFFFFFF);
    DcFont font;
    ColorRef textColour = 0;
    ColorRef bkColour = 0xFFFFFF;
    BkMode bkMode = BkMode::Opaque;
    uint32_t textAlign = kTaLeft | kTaTop;
    PolyFillMode polyFillMode = PolyFillMode::Alternate;
    DcPoint viewportOrg;     // device pixels
    DcPoint brushOrg;        // device pixels
    DcPoint currentPosition; // logical
    std::optional<DcRegion> clip; // device pixels; none = the whole surface
};

// A figure of lines and Bézier curves in logical coordinates.
class DcPath {
public:
    enum class Op : uint8_t { MoveTo, LineTo, BezierTo, Close };
    struct Element {
        Op op;
        DcPoint p[3];
    };
    void MoveTo(DcPoint p) { elements_.push_back({Op::MoveTo, {p, {}, {}}}); }
    void LineTo(DcPoint p) { elements_.push_back({Op::LineTo, {p, {}, {}}}); }
    void BezierTo(DcPoint c1, DcPoint c2, DcPoint p) { elements_.push_back({Op::BezierTo, {c1, c2, p}}); }
    void Close() { elements_.push_back({Op::Close, {}}); }
    const std::vector<Element>& Elements() const { return elements_; }
    bool IsEmpty() const { return elements_.empty(); }
    DcPath Offset(int32_t dx, int32_t dy) const;

private:
    std::vector<Element> elements_;
};

enum class ArcKind : int32_t { Arc = 1, Chord = 2, Pie = 3 };

class DeviceContext {
public:
    DeviceContext() = default;
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;
    virtual ~DeviceContext() = default;

    // --- state -----------------------------------------------------------
    const DcState& State() const { return state_; }
    DcPen SelectPen(const DcPen& pen);       // returns the previous pen
    DcBrush SelectBrush(const DcBrush& brush);
    DcFont SelectFont(const DcFont& font);
    ColorRef SetTextColor(ColorRef c);
    ColorRef SetBkColor(ColorRef c);
    BkMode SetBkMode(BkMode m);
    uint32_t SetTextAlign(uint32_t flags);
    PolyFillMode SetPolyFillMode(PolyFillMode m);
    DcPoint SetViewportOrg(DcPoint p);
    DcPoint OffsetViewportOrg(int32_t dx, int32_t dy);
    DcPoint SetBrushOrg(DcPoint p); // device pixels

    // Returns the new depth (1 for the first save).
    int SaveDC();
    // level > 0: back to the state saved at that depth; level < 0: that many
    // saves back (-1 the last). False, and nothing changes, when there is no
    // such saved state.
    bool RestoreDC(int level = -1);
    int SaveDepth() const { return int(saved_.size()); }

    // Clipping, in logical coordinates (kept in device pixels).
    void IntersectClipRect(const DcRect& r);
    void ExcludeClipRect(const DcRect& r);
    void SelectClipRect(const DcRect* r); // nullptr removes clipping
    // The clip bounds in logical coordinates; false when nothing is visible.
    bool GetClipBox(DcRect* box) const;

    // --- drawing (logical coordinates) --------------------------------------
    // Filled shapes leave out their right and bottom edge; outlines are drawn
    // with the pen centred on the shape's edge, inside the same bounds.
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y); // the end point itself is not drawn
    void Polyline(const DcPoint* pts, size_t n);
    void Polygon(const DcPoint* pts, size_t n);
    void PolyPolygon(const DcPoint* pts, const int32_t* counts, size_t polygons);
    void PolyBezier(const DcPoint* pts, size_t n); // 1 + 3k points
    // PolyDraw point types kPtMoveTo, kPtLineTo, kPtBezierTo, | kPtCloseFigure.
    // Strokes the figures; a closing figure also closes the subpath.
    void PolyDraw(const DcPoint* pts, const uint8_t* types, size_t n);
    void Rectangle(const DcRect& r);
    void RoundRect(const DcRect& r, int32_t ellipseWidth, int32_t ellipseHeight);
    void Ellipse(const DcRect& r);
    void Arc(const DcRect& box, DcPoint start, DcPoint end);
    void Chord(const DcRect& box, DcPoint start, DcPoint end);
    void Pie(const DcRect& box, DcPoint start, DcPoint end);
    void DrawPath(const DcPath& path, bool fill, bool stroke);
    void FillRect(const DcRect& r, const DcBrush& brush);
    void SetPixel(int32_t x, int32_t y, ColorRef c);

    // Text at (x, y) placed by the text alignment; with kTaUpdateCp the current
    // position is used and advanced. Options kEtoOpaque (fill `rect` with the
    // background colour) and kEtoClipped (clip to `rect`).
    void ExtTextOut(int32_t x, int32_t y, uint32_t options, const DcRect* rect, std::u16string_view text,
                    const int32_t* dx = nullptr);
    void ExtTextOutA(int32_t x, int32_t y, uint32_t options, const DcRect* rect, std::string_view cp932,
                     const int32_t* dx = nullptr);
    void TextOut(int32_t x, int32_t y, std::u16string_view text) { ExtTextOut(x, y, 0, nullptr, text); }

    // Stretches `src` (the whole image when null) over `dst`.
    void DrawImage(const DcRect& dst, const DcImage& image, const DcRect* src = nullptr);

    // --- measuring (selected font, logical = device pixels) -----------------
    virtual DcSize GetTextExtent(std::u16string_view text) = 0;
    DcSize GetTextExtentA(std::string_view cp932);
    virtual DcTextMetrics GetTextMetrics() = 0;

    // --- device ------------------------------------------------------------
    virtual int32_t LogPixelsX() const = 0;
    virtual int32_t LogPixelsY() const = 0;
    virtual bool IsPrinting() const { return false; }
    // Printable-area offset from the paper corner, device pixels.
    virtual DcPoint PhysicalOffset() const { return {}; }
    // The drawable surface in device pixels.
    virtual DcSize DeviceSize() const = 0;

    // Draws whatever the device holds back to draw together (text runs);
    // done before the caller draws past this context or ends the page.
    virtual void Flush() {}

    // Drawing failures are kept, never swallowed: a printing caller checks
    // Failed() and reports the page as not printed.
    bool Failed() const { return !errors_.empty(); }
    const std::vector<std::string>& Errors() const { return errors_; }
    void ReportError(std::string message);

protected:
    // Hooks in device pixels; the state to draw with is State().
    virtual void DoPolyline(const std::vector<DcPoint>& pts) = 0;
    virtual void DoPolygons(const std::vector<DcPoint>& pts, const std::vector<int32_t>& counts) = 0;
    virtual void DoRectangle(const DcRect& r) = 0;
    virtual void DoRoundRect(const DcRect& r, int32_t ew, int32_t eh) = 0;
    virtual void DoEllipse(const DcRect& r) = 0;
    virtual void DoArc(ArcKind kind, const DcRect& box, DcPoint start, DcPoint end) = 0;
    virtual void DoPath(const DcPath& path, bool fill, bool stroke) = 0;
    virtual void DoFillRect(const DcRect& r, const DcBrush& brush) = 0;
    virtual void DoSetPixel(int32_t x, int32_t y, ColorRef c) = 0;
    // (x, y) is the alignment point; dx is empty or one advance per unit.
    virtual void DoText(int32_t x, int32_t y, uint32_t options, const DcRect* rect, std::u16string_view text,
                        std::span<const int32_t> dx) = 0;
    virtual void DoImage(const DcRect& dst, const DcImage& image, const DcRect& src) = 0;
    // Called after the font changed (also by RestoreDC), for caches.
    virtual void OnFontChanged() {}

    DcPoint ToDevice(DcPoint p) const { return {p.x + state_.viewportOrg.x, p.y + state_.viewportOrg.y}; }
    DcRect ToDevice(const DcRect& r) const
    {
        return r.Offset(state_.viewportOrg.x, state_.viewportOrg.y);
    }

private:
    DcState state_;
    std::vector<DcState> saved_;
    std::vector<std::string> errors_;
};

} // namespace nv

// The drawing hooks, declared in a device context that draws: one list, so
// that a hook added to the base is added to every drawing context with it.
#define NV_DEVICE_CONTEXT_HOOKS                                                                                        \
    void DoPolyline(const std::vector<DcPoint>& pts) override;                                                         \
    void DoPolygons(const std::vector<DcPoint>& pts, const std::vector<int32_t>& counts) override;                     \
    void DoRectangle(const DcRect& r) override;                                                                        \
    void DoRoundRect(const DcRect& r, int32_t ew, int32_t eh) override;                                                \
    void DoEllipse(const DcRect& r) override;                                                                          \
    void DoArc(ArcKind kind, const DcRect& box, DcPoint start, DcPoint end) override;                                  \
    void DoPath(const DcPath& path, bool fill, bool stroke) override;                                                  \
    void DoFillRect(const DcRect& r, const DcBrush& brush) override;                                                   \
    void DoSetPixel(int32_t x, int32_t y, ColorRef c) override;                                                        \
    void DoText(int32_t x, int32_t y, uint32_t options, const DcRect* rect, std::u16string_view text,                  \
                std::span<const int32_t> dx) override;                                                                 \
    void DoImage(const DcRect& dst, const DcImage& image, const DcRect& src) override;
