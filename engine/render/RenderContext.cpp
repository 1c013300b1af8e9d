#include "engine/render/RenderContext.h"

#include <cmath>
#include <cstdio>
#include <exception>

#include "engine/core/EngineLog.h"
#include "engine/core/Exceptions.h"
#include "engine/format/FillStyle.h"
#include "engine/model/TvArc.h"
#include "engine/barcode/BarcodeFit.h"
#include "engine/core/EngineMath.h"
#include "engine/model/TvBarcode.h"
#include "engine/model/TvBox.h"
#include "engine/render/BarcodePlaceholder.h"
#include "engine/model/TvCircle.h"
#include "engine/model/TvData.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFontDesc.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvList.h"
#include "engine/model/TvOle.h"
#include "engine/model/TvPolygon.h"
#include "engine/model/TvText.h"
#include "engine/model/TvTextField.h"
#include "platform/core/Cp932.h"
#include "platform/core/OnFailure.h"
#include "platform/gdi/DcStateGuard.h"
#include "platform/gdi/GdiRules.h"

namespace nv {

namespace {

const char kDefaultFace[] = "\x82\x6C\x82\x72 \x96\xBE\x92\xA9"; // "ＭＳ 明朝"

} // namespace

// A text object's lines as laid out for its parameters, and the calls that
// draw them at the scales it was last drawn at: what TvText::m_drawCache
// holds. Immutable once made; a change makes a new one.
struct TextDrawLayout {
    TextLayoutParams params;
    std::string shown;
    const TextMeasurer* measurer = nullptr;
    uint64_t generation = 0;
    std::vector<TextLine> lines;
};

struct TextDrawCache {
    // One text call (neighbouring runs of one kind on one baseline, each
    // character at its own place), or a ruled line of the layout.
    struct Piece {
        const TvLine* ruled = nullptr;
        int32_t kind = 0;
        DcPoint at;
        std::u16string text;
        std::vector<int32_t> dx; // empty: the font's own advances
    };
    // The calls at one scale.
    struct Scaled {
        int32_t resX = 0, resY = 0;
        double zoom = 0;
        bool upright[2] = {true, true}; // the kind's font is not turned
        std::vector<Piece> pieces;
    };
    // A page goes to the screen and to a PDF or a printer in turn, and the
    // screen has a zoom or two: that many scales are kept, the latest first.
    static constexpr size_t kScales = 4;
    std::shared_ptr<const TextDrawLayout> layout;
    std::vector<std::shared_ptr<const Scaled>> scales;
};

RenderContext::RenderContext(bool rethrowErrors, TextMeasurer* measurer)
    : m_rethrow(rethrowErrors), m_measurer(measurer)
{
    m_pictures.SetRethrow(rethrowErrors);
}

RenderContext::~RenderContext() { End(); }

void RenderContext::Begin(DeviceContext& dc, const TvFedObject* form, int32_t zoomPercent)
{
    End();
    m_dc = &dc;
    m_scaler.SetFromDC(dc.LogPixelsX(), dc.LogPixelsY(), zoomPercent);
    m_form = form;
    m_savedPen = dc.SelectPen(DcPen{PenStyle::Null, 0, 0});
    m_savedBrush = dc.SelectBrush(DcBrush::Solid(0));
    DcFont start;
    start.faceName = Cp932ToUtf8(kDefaultFace);
    start.height = -std::max(1, dc.LogPixelsY() / 72);
    m_savedFont = dc.SelectFont(start);
    m_saved = true;
    m_fontKey[0] = m_fontKey[1] = FontKey{};
    m_zoom = zoomPercent;
    m_deviceDpiX = dc.LogPixelsX();
    m_deviceDpiY = dc.LogPixelsY();
    m_failed = 0;
}

void RenderContext::End()
{
    if (m_dc) m_dc->Flush();
    if (m_dc && m_saved) {
        m_dc->SelectPen(m_savedPen);
        m_dc->SelectBrush(m_savedBrush);
        m_dc->SelectFont(m_savedFont);
    }
    m_saved = false;
}

void RenderContext::SetBarcodeResolution(int32_t dpiX, int32_t dpiY)
{
    m_barcodeDpiX = dpiX;
    m_barcodeDpiY = dpiY;
    m_barcodePlaceholder = false;
}

void RenderContext::ApplyOrigin(Point p)
{
    if (!m_dc) return;
    m_dc->OffsetViewportOrg(m_scaler.DocToDeviceX(p.x), m_scaler.DocToDeviceY(p.y));
}

void RenderContext::SetPrinterOrigin(Point p)
{
    if (!m_dc) return;
    DcPoint off = m_dc->PhysicalOffset();
    m_dc->SetViewportOrg({m_scaler.DocToDeviceX(p.x) - off.x, m_scaler.DocToDeviceY(p.y) - off.y});
}

DcRect RenderContext::ToDevice(const Rect& r) const
{
    Rect n = r.Normalized();
    Rect d = m_scaler.DocToDeviceRect(n);
    DcRect out{d.left, d.top, d.right, d.bottom};
    return out.Normalized();
}

DcPoint RenderContext::ToDevice(Point p) const
{
    Point d = m_scaler.DocToDevicePoint(p);
    return {d.x, d.y};
}

// ---- state -------------------------------------------------------------

void RenderContext::SetBkModeCached(int32_t mode)
{
    BkMode m = mode == 1 ? BkMode::Transparent : BkMode::Opaque;
    if (m_dc->State().bkMode != m) m_dc->SetBkMode(m);
}

void RenderContext::SetBkColorCached(uint32_t colour)
{
    if (m_dc->State().bkColour != (colour & 0xFFFFFF)) m_dc->SetBkColor(colour);
}

void RenderContext::SetTextColorCached(uint32_t colour)
{
    if (m_dc->State().textColour != (colour & 0xFFFFFF)) m_dc->SetTextColor(colour);
}

DcPen RenderContext::PenFor(int32_t style, int32_t width, uint32_t colour)
{
    if (width <= 0) width = 1;
    if (style == 6) {
        style = 1;
        width = std::max(width, 2);
    } else if (style != 1) {
        width = 1; // dashed styles are drawn one pixel wide
    }
    PenStyle ps;
    switch (style) {
    case 0: ps = PenStyle::Null; break;
    case 1: ps = PenStyle::Solid; break;
    case 2: ps = PenStyle::Dash; break;
    case 3: ps = PenStyle::Dot; break;
    case 4: ps = PenStyle::DashDot; break;
    case 5: ps = PenStyle::DashDotDot; break;
    default: ps = PenStyle(style); break;
    }
    return DcPen{ps, width, colour & 0xFFFFFF};
}

void RenderContext::SelectPen(int32_t style, int32_t width, uint32_t colour)
{
    DcPen pen = PenFor(style, width, colour);
    if (!(m_dc->State().pen == pen)) m_dc->SelectPen(pen);
}

DcBrush RenderContext::BrushFor(int32_t fillStyle, uint32_t colour)
{
    FillBrush fb = CreateFillBrush(int16_t(fillStyle), colour);
    switch (fb.kind) {
    case FillBrushKind::Solid: return DcBrush::Solid(fb.colour & 0xFFFFFF);
    case FillBrushKind::Hatch: return DcBrush::Hatched(fb.hatch, fb.colour & 0xFFFFFF);
    case FillBrushKind::Pattern: {
        const auto& bits = FillPatternBits(fb.pattern);
        std::array<uint8_t, 8> rows{};
        for (size_t i = 0; i < 8; ++i) rows[i] = bits[i * 2];
        DcBrush b = DcBrush::Patterned(rows);
        b.colour = fb.colour & 0xFFFFFF;
        return b;
    }
    default: return DcBrush::Null();
    }
}

void RenderContext::SelectBrush(int32_t fillStyle, uint32_t colour)
{
    DcBrush brush = BrushFor(fillStyle, colour);
    // Patterns line up with the viewport origin across objects and pages.
    DcPoint vp = m_dc->State().viewportOrg;
    DcPoint org{((vp.x % 8) + 8) % 8, ((vp.y % 8) + 8) % 8};
    if (!(m_dc->State().brushOrg == org)) m_dc->SetBrushOrg(org);
    if (!(m_dc->State().brush == brush)) m_dc->SelectBrush(brush);
}

void RenderContext::CreateTextFonts(const TvText& text, int32_t kind)
{
    kind = kind == 0 ? 0 : 1;
    int32_t h = kind == 0 ? text.m_nZenHeight : text.m_nHanHeight;
    int32_t w = kind == 0 ? text.m_nZenWidth : text.m_nHanWidth;
    if (kind == 1) w /= 2;
    int32_t height = m_scaler.CentiPointsToDeviceY(h);
    int32_t width = m_scaler.CentiPointsToDeviceX(w);
    // A height of 0 asks the device for its default size: text under one
    // pixel high at a low zoom is drawn one pixel high instead.
    if (height == 0 && h != 0) height = 1;
    int32_t base = 0;
    switch (text.m_nDirection) {
    case 2: base = 27000; break;
    case 3: base = 18000; break;
    case 4: base = 9000; break;
    default: base = 0; break;
    }
    int32_t esc = int32_t(((int64_t(base) + text.m_nAngle) / 10 % 3600 + 3600) % 3600);
    int32_t face = kind == 0 ? text.m_nZenFont : text.m_nHanFont;
    FontKey key{face, height, width, esc, text.m_bBold, text.m_bItalic};
    if (key == m_fontKey[kind]) return;
    LayoutFont lf = LookupLayoutFont(m_form, m_docFonts, face);
    DcFont f;
    f.height = -std::abs(height);
    f.width = std::abs(width);
    f.escapement = esc;
    f.orientation = esc;
    f.weight = text.m_bBold ? 700 : 400;
    f.italic = text.m_bItalic != 0;
    f.charSet = lf.charSet;
    f.pitchAndFamily = lf.pitchAndFamily;
    f.faceName = Cp932ToUtf8(lf.faceName);
    m_fonts[kind] = std::move(f);
    m_fontKey[kind] = key;
}

void RenderContext::SelectFontKind(int32_t kind)
{
    const DcFont& f = m_fonts[kind == 0 ? 0 : 1];
    if (!(m_dc->State().font == f)) m_dc->SelectFont(f);
}

// ---- dispatch ----------------------------------------------------------

void RenderContext::DrawObject(const TvObject& object)
{
    if (!m_dc) return;
    if (m_rethrow) {
        // The caller hears of the failure and says its cause; the pass
        // still counts the object as failed.
        OnFailure counted([&] {
            ++m_failed;
            m_dc->ReportError("object \"" + Cp932ToUtf8(object.m_strName) + "\": 描けません");
        });
        DrawObjectOfType(object);
        return;
    }
    try {
        DrawObjectOfType(object);
    } catch (const std::exception& e) {
        ++m_failed;
        m_dc->ReportError("object \"" + Cp932ToUtf8(object.m_strName) + "\": " + LogText(e));
    }
}

void RenderContext::DrawObjectOfType(const TvObject& object)
{
    switch (object.GetType()) {
    case objText:
    case objData:
    case objTextField:
        if (auto* t = dynamic_cast<const TvText*>(&object)) DrawTextObject(*t, true);
        break;
    case objLine:
        if (auto* l = dynamic_cast<const TvLine*>(&object)) DrawLine(*l);
        break;
    case objBox:
        if (auto* b = dynamic_cast<const TvBox*>(&object)) DrawBox(*b);
        break;
    case objCircle:
        if (auto* c = dynamic_cast<const TvCircle*>(&object)) DrawCircle(*c);
        break;
    case objArc:
        if (auto* a = dynamic_cast<const TvArc*>(&object)) DrawArc(*a);
        break;
    case objPolygon:
        if (auto* p = dynamic_cast<const TvPolygon*>(&object)) DrawPolygon(*p);
        break;
    case objImage:
    case objImageField:
        if (auto* i = dynamic_cast<const TvImage*>(&object)) DrawPicture(*i);
        break;
    case objBarcode: DrawBarcode(object); break;
    case objList:
        if (auto* l = dynamic_cast<const TvList*>(&object)) DrawList(*l);
        break;
    case objOle:
        if (auto* o = dynamic_cast<const TvOle*>(&object)) DrawOle(*o);
        break;
    default: break;
    }
}

void RenderContext::FramePen(bool frame, int32_t style, int32_t width, uint32_t colour)
{
    if (frame) {
        SelectPen(style, m_scaler.DocToDeviceX(width), colour);
    } else {
        SelectPen(0, 1, 0);
    }
}

void RenderContext::FrameAndFill(const DcRect& r)
{
    // With no pen and a hollow brush a rectangle draws nothing at all.
    const DcState& st = m_dc->State();
    if (st.pen.style == PenStyle::Null && st.brush.style == BrushStyle::Null) return;
    m_dc->Rectangle(r);
}

void RenderContext::ShapePreamble(const TvObject& o, uint32_t textColour)
{
    SetBkModeCached(o.m_bTransparent);
    SetBkColorCached(o.m_crBackColor);
    SetTextColorCached(textColour);
}

// ---- text ----------------------------------------------------------------

Rect RenderContext::InsetRect(const TvText& text, Rect bound)
{
    // In 64 bits: margins come from the file and may be anything.
    Rect r = bound.Normalized();
    const int64_t left = text.m_nMarginLeft, right = text.m_nMarginRight;
    const int64_t top = text.m_nMarginTop, bottom = text.m_nMarginBottom;
    if (left + right < int64_t{r.right} - r.left) {
        r.left = Bounded(r.left + left);
        r.right = Bounded(r.right - right);
    } else {
        r.left = r.right;
    }
    if (top + bottom < int64_t{r.bottom} - r.top) {
        r.top = Bounded(r.top + top);
        r.bottom = Bounded(r.bottom - bottom);
    } else {
        r.top = r.bottom;
    }
    return r;
}

void RenderContext::DrawTextObject(const TvText& text, bool withText)
{
    ShapePreamble(text, text.m_crFill);
    FramePen(text.m_bFrame != 0, text.m_nLineStyle, text.m_nLineWidth, text.m_crLine);
    SelectBrush(text.m_nFillStyle, text.m_crFill);
    Rect bound;
    text.GetBoundRect(bound, false);
    FrameAndFill(ToDevice(bound));
    if (!withText) return;

    SetBkModeCached(1);
    SetTextColorCached(text.m_crText);
    CreateTextFonts(text, 0);
    CreateTextFonts(text, 1);
    m_dc->SetTextAlign(kTaBottom | kTaLeft);
    DcStateGuard clipped(*m_dc);
    m_dc->IntersectClipRect(ToDevice(InsetRect(text, bound)));
    DrawTextContent(text);
}

const std::string& RenderContext::ShownText(const TvText& text, std::string& formatted)
{
    static const std::string kNothing;
    switch (text.GetType()) {
    case objData:
        if (auto* d = dynamic_cast<const TvData*>(&text)) {
            int rc = d->FormatFieldText(formatted);
            return rc >= 0 || !formatted.empty() ? formatted : d->m_strValue;
        }
        return kNothing;
    case objTextField:
        if (auto* f = dynamic_cast<const TvTextField*>(&text)) return f->m_strValue;
        return kNothing;
    default: return text.m_strText;
    }
}

void RenderContext::DrawTextContent(const TvText& text, const Rect* box)
{
    std::string formatted;
    const std::string& shown = ShownText(text, formatted);
    if (shown.empty()) return;
    // Characters of no size draw nothing (and measure nothing).
    if (text.m_nZenHeight == 0 && text.m_nHanHeight == 0) return;

    TextLayoutParams params = MakeTextLayoutParams(text, m_form, m_docFonts, m_layer);
    if (box) params.bound = *box;
    TextMeasurer* measurer = m_measurer ? m_measurer : DefaultTextMeasurer();
    std::shared_ptr<const TextDrawCache> cache = text.m_drawCache;
    const TextDrawLayout* kept = cache ? cache->layout.get() : nullptr;
    if (!kept || kept->measurer != measurer || kept->generation != measurer->Generation() || kept->shown != shown ||
        !(kept->params == params)) {
        auto laid = std::make_shared<TextDrawLayout>();
        laid->generation = measurer->Generation();
        TextLayout layout(measurer);
        layout.Prepare(params);
        layout.Build(shown);
        laid->params = std::move(params);
        laid->shown = shown;
        laid->measurer = measurer;
        laid->lines = layout.TakeLines();
        cache = MakeTextPieces(std::move(laid), nullptr);
        text.m_drawCache = cache;
    }
    const TextDrawCache::Scaled* scaled = nullptr;
    for (const auto& s : cache->scales)
        if (s->resX == m_scaler.ResolutionX() && s->resY == m_scaler.ResolutionY() && s->zoom == m_scaler.ZoomFactor() &&
            s->upright[0] == (m_fonts[0].escapement == 0) && s->upright[1] == (m_fonts[1].escapement == 0)) {
            scaled = s.get();
            break;
        }
    if (!scaled) {
        cache = MakeTextPieces(cache->layout, cache.get());
        text.m_drawCache = cache;
        scaled = cache->scales.front().get();
    }
    for (const TextDrawCache::Piece& p : scaled->pieces) {
        if (p.ruled) {
            DrawLine(*p.ruled);
            continue;
        }
        SelectFontKind(p.kind);
        m_dc->ExtTextOut(p.at.x, p.at.y, 0, nullptr, p.text, p.dx.empty() ? nullptr : p.dx.data());
    }
}

std::shared_ptr<const TextDrawCache> RenderContext::MakeTextPieces(std::shared_ptr<const TextDrawLayout> layout,
                                                                  const TextDrawCache* previous)
{
    auto scaled = std::make_shared<TextDrawCache::Scaled>();
    scaled->resX = m_scaler.ResolutionX();
    scaled->resY = m_scaler.ResolutionY();
    scaled->zoom = m_scaler.ZoomFactor();
    for (int kind = 0; kind < 2; ++kind) scaled->upright[kind] = m_fonts[kind].escapement == 0;
    std::vector<DcPoint> at;
    std::string chars;
    std::vector<int32_t> dx;
    for (const TextLine& line : layout->lines) {
        const auto& runs = line.runs;
        at.resize(runs.size());
        for (size_t i = 0; i < runs.size(); ++i) at[i] = ToDevice(runs[i].pos);
        // Neighbouring upright runs of one kind on one baseline go out in one
        // call, each character at its own position.
        for (size_t i = 0; i < runs.size();) {
            int32_t kind = runs[i].kind;
            size_t j = i + 1;
            if (scaled->upright[kind == 0 ? 0 : 1])
                while (j < runs.size() && runs[j].kind == kind && at[j].y == at[i].y && at[j].x >= at[j - 1].x) ++j;
            TextDrawCache::Piece& piece = scaled->pieces.emplace_back();
            piece.kind = kind;
            piece.at = at[i];
            if (j == i + 1) {
                piece.text = Cp932ToUtf16(runs[i].ch);
            } else {
                chars.clear();
                dx.clear();
                for (size_t k = i; k < j; ++k) {
                    chars += runs[k].ch;
                    int32_t step = k + 1 < j ? at[k + 1].x - at[k].x : m_scaler.DocToDeviceX(runs[k].advance);
                    dx.push_back(step);
                    for (size_t b = 1; b < runs[k].ch.size(); ++b) dx.push_back(0);
                }
                piece.text = Cp932ToUtf16(chars, dx.data(), &piece.dx);
            }
            i = j;
        }
        for (const auto& ruled : line.ruledLines) scaled->pieces.emplace_back().ruled = ruled.get();
    }
    auto cache = std::make_shared<TextDrawCache>();
    cache->layout = std::move(layout);
    cache->scales.push_back(std::move(scaled));
    if (previous)
        for (const auto& s : previous->scales) {
            if (cache->scales.size() == TextDrawCache::kScales) break;
            cache->scales.push_back(s);
        }
    return cache;
}

// ---- shapes ----------------------------------------------------------------

void RenderContext::DrawLine(const TvLine& line)
{
    SetBkModeCached(line.m_bTransparent);
    SetBkColorCached(line.m_crBackColor);
    SelectPen(line.m_nLineStyle, m_scaler.DocToDeviceX(line.m_nLineWidth), line.m_crLineColor);
    if (line.m_nLineStyle == 0) return;
    DcPoint a = ToDevice(Point{line.m_nX, line.m_nY});
    DcPoint b = ToDevice(Point{line.m_nEndX, line.m_nEndY});
    m_dc->MoveTo(a.x, a.y);
    m_dc->LineTo(b.x, b.y);
}

void RenderContext::DrawBox(const TvBox& box)
{
    ShapePreamble(box, box.m_crFillColor);
    FramePen(box.m_bFrame != 0, box.m_nLineStyle, box.m_nLineWidth, box.m_crLineColor);
    SelectBrush(box.m_nFillStyle, box.m_crFillColor);
    DcRect d = ToDevice(Rect::At(box.m_nX, box.m_nY, box.m_nWidth, box.m_nHeight));
    if (box.m_nRoundSize != 0) {
        const int32_t r2 = Bounded(2 * int64_t{box.m_nRoundSize});
        m_dc->RoundRect(d, m_scaler.DocToDeviceX(r2), m_scaler.DocToDeviceY(r2));
    } else {
        m_dc->Rectangle(d);
    }
}

void RenderContext::DrawCircle(const TvCircle& circle)
{
    ShapePreamble(circle, circle.m_crFillColor);
    FramePen(circle.m_bFrame != 0, circle.m_nLineStyle, circle.m_nLineWidth, circle.m_crLineColor);
    SelectBrush(circle.m_nFillStyle, circle.m_crFillColor);
    Rect r;
    circle.GetBoundRect(r, false);
    m_dc->Ellipse(ToDevice(r));
}

void RenderContext::DrawArc(const TvArc& arc)
{
    ShapePreamble(arc, arc.m_crFillColor);
    FramePen(arc.m_bFrame != 0, arc.m_nLineStyle, arc.m_nLineWidth, arc.m_crLineColor);
    SelectBrush(arc.m_nFillStyle, arc.m_crFillColor);
    Rect r;
    arc.GetBoundRect(r, false);
    Point s, e;
    arc.PointAtAngle(arc.m_nStartAngle, s);
    arc.PointAtAngle(arc.m_nEndAngle, e);
    DcRect box = ToDevice(r);
    DcPoint ds = ToDevice(s), de = ToDevice(e);
    switch (arc.m_nArcType) {
    case TvArc::kArc: m_dc->Arc(box, ds, de); break;
    case TvArc::kChord: m_dc->Chord(box, ds, de); break;
    case TvArc::kPie: m_dc->Pie(box, ds, de); break;
    default: break;
    }
}

void RenderContext::DrawPolygon(const TvPolygon& polygon)
{
    ShapePreamble(polygon, polygon.m_crFillColor);
    FramePen(polygon.m_bFrame != 0, polygon.m_nLineStyle, polygon.m_nLineWidth, polygon.m_crLineColor);
    SelectBrush(polygon.m_nFillStyle, polygon.m_crFillColor);
    const auto& pts = polygon.Points();
    if (pts.empty()) return;
    std::vector<DcPoint> d;
    d.reserve(pts.size());
    for (const Point& p : pts) d.push_back(ToDevice(p));
    switch (polygon.m_nPolyType) {
    case TvPolygon::kPolyline: m_dc->Polyline(d.data(), d.size()); break;
    case TvPolygon::kPolygon: m_dc->Polygon(d.data(), d.size()); break;
    case TvPolygon::kBezier: {
        std::vector<uint8_t> types(d.size(), kPtBezierTo);
        types.front() = kPtMoveTo;
        if (d.size() > 1) types.back() = kPtBezierTo | kPtCloseFigure;
        m_dc->PolyDraw(d.data(), types.data(), d.size());
        break;
    }
    default: break;
    }
}

// ---- pictures --------------------------------------------------------------

void RenderContext::DrawPicture(const TvImage& image)
{
    SetBkModeCached(image.m_bTransparent);
    SetBkColorCached(image.m_crBackColor);
    SetTextColorCached(0xFFFFFF);
    Rect r;
    image.GetBoundRect(r, false);
    DcRect d = ToDevice(r);
    if (!image.m_strFileName.empty()) m_pictures.Draw(image, *m_dc, d);
    if (image.m_bFrame) {
        SelectPen(image.m_nLineStyle, m_scaler.DocToDeviceX(image.m_nLineWidth), image.m_crLineColor);
        SelectBrush(0, 0);
        m_dc->Rectangle(ToDevice(Rect::At(image.m_nX, image.m_nY, image.m_nWidth, image.m_nHeight)));
    }
}

void RenderContext::DrawOle(const TvOle& ole)
{
    Rect r;
    ole.GetBoundRect(r, false);
    DcRect d = ToDevice(r);
    {
        DcStateGuard saved(*m_dc);
        m_dc->SetTextAlign(0);
        m_pictures.DrawOle(ole, *m_dc, d);
    }
    if (ole.m_bFrame) {
        SelectPen(ole.m_nLineStyle, m_scaler.DocToDeviceX(ole.m_nLineWidth), ole.m_crLineColor);
        SelectBrush(0, 0);
        m_dc->Rectangle(ToDevice(Rect::At(ole.m_nX, ole.m_nY, ole.m_nWidth, ole.m_nHeight)));
    }
}

// ---- barcode ---------------------------------------------------------------

void RenderContext::DrawBarcode(const TvObject& object)
{
    const auto* barcode = dynamic_cast<const TvBarcode*>(&object);
    if (!barcode) return;
    SetBkModeCached(barcode->m_bTransparent);
    SetBkColorCached(barcode->m_crBackColor);
    SetTextColorCached(barcode->m_crBarColor);
    SelectPen(1, 1, barcode->m_crBarColor);
    SelectBrush(1, barcode->m_crBarColor);

    if (m_barcodePlaceholder) {
        Rect bound;
        barcode->GetBoundRect(bound, false);
        DrawBarcodePlaceholder(*m_dc, ToDevice(bound), barcode->m_nOrientation, barcode->m_nSymbology, m_zoom);
        return;
    }
    bool device = barcode->m_nWidthMode == kWidthFitDevice;
    int32_t resX = device ? m_deviceDpiX : m_barcodeDpiX;
    int32_t resY = device ? m_deviceDpiY : m_barcodeDpiY;
    BarcodeParams params;
    barcode->FillParams(params, resX, resY);
    params.text = barcode->m_strText;
    std::string expanded;
    params.expandedText = &expanded;
    int32_t count = EncodeBarcode(params);
    if (count <= 0) return;
    std::vector<BarRect> bars;
    bars.reserve(size_t(count));
    params.bars = &bars;
    if (FitBarcode(params) < 0) return;
    // Bars are worked out in the layer's print dots so that every bar of one
    // kind is equally wide; mapping them onto this device keeps the physical
    // size on any printer, in PDF and at any zoom.
    const auto effective = [this](int32_t res) {
        return int32_t(std::max<int64_t>(1, RoundToLong(double(res) * m_scaler.ZoomFactor())));
    };
    MapBars(bars, resX, resY, effective(m_scaler.ResolutionX()), effective(m_scaler.ResolutionY()));
    for (const BarRect& b : bars) m_dc->Rectangle(DcRect{b.left, b.top, b.right, b.bottom});
}

// ---- list ----------------------------------------------------------------

void RenderContext::DrawList(const TvList& list)
{
    const TvText* attr = &list;
    for (const auto& [key, cell] : list.m_cells) {
        attr = cell.get();
        break;
    }
    ShapePreamble(list, attr->m_crFill);
    FramePen(attr->m_bFrame != 0, attr->m_nLineStyle, attr->m_nLineWidth, attr->m_crLine);
    SelectBrush(attr->m_nFillStyle, attr->m_crFill);
    Rect bound;
    list.GetBoundRect(bound, false);
    bound.Normalize();
    FrameAndFill(ToDevice(bound));
    if (list.m_nColumns <= 0 || list.m_nRows <= 0) return;

    // Grid edges over the list's box as the list lays its cells out. Cells
    // are drawn in these cells of the grid, not at the places they hold:
    // those lag behind a list moved by a page's changes, and a cell turned to
    // another writing direction reads its place as a different corner.
    const double cw = double(int64_t(bound.right) - bound.left) / list.m_nColumns;
    const double rh = double(int64_t(bound.bottom) - bound.top) / list.m_nRows;
    const auto edgeX = [&](int c) { return Bounded(bound.left + RoundToLong(c * cw)); };
    const auto edgeY = [&](int r) { return Bounded(bound.top + RoundToLong(r * rh)); };

    if (attr->m_bFrame) {
        for (int c = 1; c < list.m_nColumns; ++c) {
            DcPoint a = ToDevice(Point{edgeX(c), bound.top});
            DcPoint b = ToDevice(Point{edgeX(c), bound.bottom});
            m_dc->MoveTo(a.x, a.y);
            m_dc->LineTo(b.x, b.y);
        }
        for (int r = 1; r < list.m_nRows; ++r) {
            DcPoint a = ToDevice(Point{bound.left, edgeY(r)});
            DcPoint b = ToDevice(Point{bound.right, edgeY(r)});
            m_dc->MoveTo(a.x, a.y);
            m_dc->LineTo(b.x, b.y);
        }
    }

    SetBkModeCached(1);
    SetTextColorCached(attr->m_crText);
    CreateTextFonts(*attr, 0);
    CreateTextFonts(*attr, 1);
    m_dc->SetTextAlign(kTaBottom | kTaLeft);
    DcStateGuard outer(*m_dc);
    for (int c = 0; c < list.m_nColumns; ++c) {
        for (int r = 0; r < list.m_nRows; ++r) {
            const TvData* cell = list.GetCell(c, r);
            if (!cell) continue;
            const Rect box{edgeX(c), edgeY(r), edgeX(c + 1), edgeY(r + 1)};
            DcStateGuard clipped(*m_dc);
            m_dc->IntersectClipRect(ToDevice(InsetRect(*cell, box)));
            // Each cell draws in its own fonts, the ones its layout measures.
            CreateTextFonts(*cell, 0);
            CreateTextFonts(*cell, 1);
            DrawTextContent(*cell, &box);
        }
    }
}

} // namespace nv
