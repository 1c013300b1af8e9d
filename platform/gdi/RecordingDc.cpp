#include "platform/gdi/RecordingDc.h"

#include <cstdlib>

#include "platform/gdi/GdiRules.h"

namespace nv {

RecordingDc::RecordingDc(int32_t dpiX, int32_t dpiY, DcSize size, bool printing)
    : dpiX_(dpiX), dpiY_(dpiY), size_(size), printing_(printing)
{
}

std::vector<DcCall> RecordingDc::CallsOf(const std::string& op) const
{
    std::vector<DcCall> out;
    for (const DcCall& c : calls_)
        if (c.op == op) out.push_back(c);
    return out;
}

std::string RecordingDc::TextLog() const
{
    std::string out;
    for (const DcCall& c : calls_) {
        if (c.op != "Text") continue;
        if (!out.empty()) out += '|';
        out += Utf16ToUtf8(c.text);
    }
    return out;
}

int32_t RecordingDc::EmOf(const DcFont& f)
{
    if (f.height == 0) return 12;
    return std::abs(f.height);
}

int32_t RecordingDc::AdvanceOf(const DcFont& f, char16_t c)
{
    bool half = IsHalfWidthChar(c);
    if (f.width != 0) return half ? std::abs(f.width) : 2 * std::abs(f.width);
    int32_t em = EmOf(f);
    return half ? em / 2 : em;
}

DcSize RecordingDc::GetTextExtent(std::u16string_view text)
{
    int32_t w = 0;
    for (char16_t c : text) w += AdvanceOf(State().font, c);
    return {w, EmOf(State().font)};
}

DcTextMetrics RecordingDc::GetTextMetrics()
{
    DcTextMetrics m;
    int32_t em = EmOf(State().font);
    m.height = em;
    m.ascent = em * 7 / 8;
    m.descent = em - m.ascent;
    m.aveCharWidth = State().font.width != 0 ? std::abs(State().font.width) : em / 2;
    m.maxCharWidth = 2 * m.aveCharWidth;
    return m;
}

DcCall& RecordingDc::Add(const char* op)
{
    DcCall c;
    c.op = op;
    c.state = State();
    c.brush = State().brush;
    calls_.push_back(std::move(c));
    return calls_.back();
}

namespace {
void PushRect(std::vector<int32_t>& a, const DcRect& r) { a.insert(a.end(), {r.left, r.top, r.right, r.bottom}); }
void PushPoint(std::vector<int32_t>& a, DcPoint p) { a.insert(a.end(), {p.x, p.y}); }
} // namespace

void RecordingDc::DoPolyline(const std::vector<DcPoint>& pts)
{
    DcCall& c = Add("Polyline");
    for (DcPoint p : pts) PushPoint(c.args, p);
}

void RecordingDc::DoPolygons(const std::vector<DcPoint>& pts, const std::vector<int32_t>& counts)
{
    DcCall& c = Add("Polygons");
    for (DcPoint p : pts) PushPoint(c.args, p);
    c.dx = counts;
}

void RecordingDc::DoRectangle(const DcRect& r) { PushRect(Add("Rectangle").args, r); }

void RecordingDc::DoRoundRect(const DcRect& r, int32_t ew, int32_t eh)
{
    DcCall& c = Add("RoundRect");
    PushRect(c.args, r);
    c.args.insert(c.args.end(), {ew, eh});
}

void RecordingDc::DoEllipse(const DcRect& r) { PushRect(Add("Ellipse").args, r); }

void RecordingDc::DoArc(ArcKind kind, const DcRect& box, DcPoint start, DcPoint end)
{
    DcCall& c = Add(kind == ArcKind::Arc ? "Arc" : kind == ArcKind::Chord ? "Chord" : "Pie");
    PushRect(c.args, box);
    PushPoint(c.args, start);
    PushPoint(c.args, end);
}

void RecordingDc::DoPath(const DcPath& path, bool fill, bool stroke)
{
    DcCall& c = Add("Path");
    c.options = (fill ? 1u : 0u) | (stroke ? 2u : 0u);
    for (const DcPath::Element& e : path.Elements()) {
        c.args.push_back(int32_t(e.op));
        int n = e.op == DcPath::Op::BezierTo ? 3 : e.op == DcPath::Op::Close ? 0 : 1;
        for (int i = 0; i < n; ++i) PushPoint(c.args, e.p[i]);
    }
}

void RecordingDc::DoFillRect(const DcRect& r, const DcBrush& brush)
{
    DcCall& c = Add("FillRect");
    PushRect(c.args, r);
    c.brush = brush;
}

void RecordingDc::DoSetPixel(int32_t x, int32_t y, ColorRef col)
{
    DcCall& c = Add("SetPixel");
    c.args = {x, y, int32_t(col)};
}

void RecordingDc::DoText(int32_t x, int32_t y, uint32_t options, const DcRect* rect, std::u16string_view text,
                         std::span<const int32_t> dx)
{
    DcCall& c = Add("Text");
    c.args = {x, y};
    if (rect) PushRect(c.args, *rect);
    c.options = options;
    c.text = std::u16string(text);
    c.dx.assign(dx.begin(), dx.end());
}

void RecordingDc::DoImage(const DcRect& dst, const DcImage& image, const DcRect& src)
{
    DcCall& c = Add("Image");
    PushRect(c.args, dst);
    PushRect(c.args, src);
    c.image = image;
}

} // namespace nv
