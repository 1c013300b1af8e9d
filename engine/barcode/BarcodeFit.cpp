#include "engine/barcode/BarcodeFit.h"

#include "engine/barcode/BarcodeSymbols.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nv {

namespace {

constexpr int64_t kDocPerInch = 1440000;
constexpr int32_t kFitStep = 15000;
constexpr int kFitRuns = 200;
constexpr int32_t kCustomerHeightMin = 6;

struct Span {
    bool bar;
    int64_t width;        // dots along the run
    PostalBar kind = PostalBar::Long;
};

struct Geometry {
    int64_t runStart = 0, runEnd = 0; // dots
    int64_t crossLo = 0, crossHi = 0; // dots across the run
    int dir = 1;
    bool runAlongY = false;
    int32_t runDpi = 0;
};

Geometry MakeGeometry(const BarcodeParams& p, int64_t width)
{
    const int64_t x = p.left, y = p.top, h = p.height;
    const int32_t rx = p.resolutionX, ry = p.resolutionY;
    Geometry g;
    int64_t a = 0, b = 0;
    switch (p.orientation) {
    case 1:
        g.runStart = DocToDots(x, rx), g.runEnd = DocToDots(x + width, rx);
        a = DocToDots(y, ry), b = DocToDots(y + h, ry);
        break;
    case 2:
        g.runStart = DocToDots(y, ry), g.runEnd = DocToDots(y + width, ry);
        a = DocToDots(x - h, rx), b = DocToDots(x, rx);
        g.runAlongY = true;
        break;
    case 3:
        g.runStart = DocToDots(x, rx), g.runEnd = DocToDots(x - width, rx);
        a = DocToDots(y - h, ry), b = DocToDots(y, ry);
        g.dir = -1;
        break;
    default:
        g.runStart = DocToDots(y, ry), g.runEnd = DocToDots(y - width, ry);
        a = DocToDots(x, rx), b = DocToDots(x + h, rx);
        g.runAlongY = true;
        g.dir = -1;
        break;
    }
    g.crossLo = std::min(a, b);
    g.crossHi = std::max(a, b);
    g.runDpi = g.runAlongY ? ry : rx;
    return g;
}

int64_t AtLeastOne(int64_t v) { return v < 1 ? 1 : v; }

// Narrow width in dots from the module in 1/100 mm.
int64_t NarrowDots(double moduleHmm, int32_t dpi, const BarcodeParams& p)
{
    double d = std::trunc(moduleHmm * dpi / 2540.0);
    if (!(d >= 1)) d = 1; // also NaN
    d = std::min(d, double(std::numeric_limits<int32_t>::max()));
    int64_t narrow = int64_t(d);
    if (p.widthMode == kWidthTwo && p.widths.size() == 2) narrow = std::max<int64_t>(narrow, p.widths[1]);
    return narrow;
}

// The wide bar and wide space for the narrow widths with fixed pairs.
void WideFor(int64_t d, int num_bar, int num_space, int64_t& wideBar, int64_t& wideSpace)
{
    if (d == 1) wideBar = 2, wideSpace = 3;
    else if (d == 2) wideBar = 5, wideSpace = 5;
    else if (d == 3) wideBar = 8, wideSpace = 8;
    else wideBar = d * num_bar / 10, wideSpace = d * num_space / 10;
}

struct ElementWidths {
    int64_t narrowBar = 1, narrowSpace = 1, wideBar = 2, wideSpace = 2, gap = 0;
    int64_t barAdd = 0, spaceAdd = 0;
    int64_t janBar[4] = {1, 2, 3, 4}, janSpace[4] = {1, 2, 3, 4};
};

int64_t Explicit(const BarcodeParams& p, size_t i) { return AtLeastOne(p.widths[i]); }

ElementWidths WidthsFor(const BarcodeParams& p, const LogicalBarcode& lb, int32_t widthHmm, int32_t dpi)
{
    ElementWidths w;
    const bool explicitSet = p.widthMode == kWidthExplicit;
    const int64_t a = (p.widthMode == kWidthTwo && p.widths.size() == 2) ? std::max<int32_t>(p.widths[0], 0) : 0;
    const double n = double(lb.expanded.size());
    const double hmm = widthHmm;
    switch (p.symbology) {
    case kBarcodeCode39:
    case kBarcodeNw7: {
        double m = 0;
        if (p.symbology == kBarcodeCode39) {
            m = hmm / (n * double(a + 18));
            if (m > 45) m = (hmm - 135.0 * (n - 1)) / (15.0 * n);
        } else {
            m = hmm / (n * double(14 + a) + 2);
        }
        if (explicitSet) {
            w.narrowBar = Explicit(p, 0), w.narrowSpace = Explicit(p, 1);
            w.wideBar = Explicit(p, 2), w.wideSpace = Explicit(p, 3), w.gap = Explicit(p, 4);
            return w;
        }
        const int64_t d = NarrowDots(m, dpi, p);
        w.narrowBar = w.narrowSpace = d;
        if (p.symbology == kBarcodeCode39) {
            WideFor(d, 23, 27, w.wideBar, w.wideSpace);
            w.gap = 3 * d;
        } else {
            WideFor(d, 25, 25, w.wideBar, w.wideSpace);
            w.gap = (m <= 25 ? 5 : m <= 45 ? 4 : 3) * d;
        }
        w.spaceAdd = d < 3 ? 1 : 2;
        w.barAdd = d >= 3 ? a : 0;
        return w;
    }
    case kBarcodeItf: {
        if (explicitSet) {
            w.narrowBar = Explicit(p, 0), w.narrowSpace = Explicit(p, 1);
            w.wideBar = Explicit(p, 2), w.wideSpace = Explicit(p, 3);
            return w;
        }
        const int64_t d = NarrowDots(hmm / (n * double(9 + a) + 8), dpi, p);
        w.narrowBar = w.narrowSpace = d;
        WideFor(d, 26, 28, w.wideBar, w.wideSpace);
        w.spaceAdd = d < 3 ? 1 : 2;
        w.barAdd = d >= 3 ? a : 0;
        return w;
    }
    default: { // JAN-13, JAN-8
        if (explicitSet) {
            for (size_t i = 0; i < 4; ++i) w.janBar[i] = Explicit(p, i), w.janSpace[i] = Explicit(p, 4 + i);
            return w;
        }
        const double base = p.symbology == kBarcodeJan13 ? 141.0 + 26.0 * double(a) : 101.0 + 18.0 * double(a);
        const int64_t d = NarrowDots(hmm / base, dpi, p);
        for (int i = 0; i < 4; ++i) w.janBar[i] = w.janSpace[i] = (i + 1) * d;
        w.spaceAdd = d < 2 ? 1 : 2;
        w.barAdd = d >= 2 ? a : 0;
        return w;
    }
    }
}

void BarSpans(const BarcodeParams& p, const LogicalBarcode& lb, int32_t widthHmm, int32_t dpi,
              std::vector<Span>& spans)
{
    const ElementWidths w = WidthsFor(p, lb, widthHmm, dpi);
    const bool jan = p.symbology == kBarcodeJan13 || p.symbology == kBarcodeJan8;
    spans.reserve(lb.elements.size());
    for (const BarElement& e : lb.elements) {
        int64_t width = 0;
        switch (e.kind) {
        case ElementKind::Bar:
            width = jan ? w.janBar[e.size - 1] : (e.size ? w.wideBar : w.narrowBar);
            width = AtLeastOne(width) + w.barAdd;
            break;
        case ElementKind::Space:
            width = jan ? w.janSpace[e.size - 1] : (e.size ? w.wideSpace : w.narrowSpace);
            width = AtLeastOne(width) + w.spaceAdd;
            break;
        case ElementKind::Gap:
            width = AtLeastOne(w.gap) + w.spaceAdd;
            break;
        }
        spans.push_back({e.kind == ElementKind::Bar, width});
    }
}

bool FitsInt32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// Lays the elements out; `bars` may be null. Returns the bar count or -4 when
// a coordinate leaves the 32-bit range.
int32_t Layout(const BarcodeParams& p, int64_t width, const LogicalBarcode& lb, std::vector<BarRect>* bars,
               int32_t& resultWidth)
{
    const Geometry g = MakeGeometry(p, width);
    const int32_t widthHmm = DocToHmm(width);
    std::vector<Span> spans;
    int64_t crossLo = g.crossLo, crossHi = g.crossHi;
    int64_t height = 0, timing = 0; // customer barcode
    const bool postal = p.symbology == kBarcodeCustomer;
    if (postal) {
        int64_t unit = 0, space = 0;
        if (p.widthMode == kWidthExplicit) {
            height = Explicit(p, 0), timing = Explicit(p, 1), unit = Explicit(p, 2), space = Explicit(p, 3);
        } else {
            const int64_t a = (p.widthMode == kWidthTwo && p.widths.size() == 2) ? std::max<int32_t>(p.widths[0], 0) : 0;
            height = std::max<int64_t>(crossHi - crossLo, kCustomerHeightMin);
            timing = std::max<int64_t>(height / 3, 2);
            space = height / 6;
            unit = AtLeastOne((std::llabs(g.runEnd - g.runStart) - a * 23) / 45);
        }
        for (size_t i = 0; i < lb.postal.size(); ++i) {
            spans.push_back({true, unit, lb.postal[i]});
            if (i + 1 < lb.postal.size() && space > 0) spans.push_back({false, space});
        }
    } else {
        BarSpans(p, lb, widthHmm, g.runDpi, spans);
    }

    // Every coordinate is checked whether or not bars are stored, so that
    // the encoder never accepts a record the fitting then refuses.
    if (!FitsInt32(g.runStart) || !FitsInt32(crossLo) || !FitsInt32(crossHi)) return kBarcodeErrParams;
    // Upside down (2 and 3) the ascender hangs from the other side.
    const bool swapRise = p.orientation == 2 || p.orientation == 3;
    int64_t pos = g.runStart;
    std::vector<BarRect> out;
    if (bars) out.reserve(size_t(lb.BarCount()));
    for (const Span& s : spans) {
        const int64_t lo = g.dir > 0 ? pos : pos - s.width;
        const int64_t hi = lo + s.width;
        pos += g.dir * s.width;
        if (!FitsInt32(pos)) return kBarcodeErrParams;
        if (!s.bar) continue;
        int64_t top = crossLo, bottom = crossHi;
        if (postal) {
            const int64_t mid = (height - timing) / 2;
            PostalBar kind = s.kind;
            if (swapRise && kind == PostalBar::Ascender) kind = PostalBar::Descender;
            else if (swapRise && kind == PostalBar::Descender) kind = PostalBar::Ascender;
            switch (kind) {
            case PostalBar::Long: top = crossLo, bottom = crossLo + height; break;
            case PostalBar::Ascender: top = crossLo, bottom = crossLo + timing + mid; break;
            case PostalBar::Descender: top = crossLo + mid, bottom = crossLo + height; break;
            case PostalBar::Timing: top = crossLo + mid, bottom = crossLo + mid + timing; break;
            }
            if (!FitsInt32(top) || !FitsInt32(bottom)) return kBarcodeErrParams;
        }
        if (!bars) continue;
        BarRect r;
        if (g.runAlongY) r = {int32_t(top), int32_t(lo), int32_t(bottom), int32_t(hi)};
        else r = {int32_t(lo), int32_t(top), int32_t(hi), int32_t(bottom)};
        out.push_back(r);
    }
    const int64_t doc = DotsToDoc(std::llabs(pos - g.runStart), g.runDpi);
    if (!FitsInt32(doc)) return kBarcodeErrParams;
    resultWidth = int32_t(doc);
    if (bars) *bars = std::move(out);
    return lb.BarCount();
}

int32_t CheckParams(const BarcodeParams& p)
{
    if (p.orientation < 1 || p.orientation > 4) return kBarcodeErrParams;
    if (p.resolutionX <= 0 || p.resolutionY <= 0) return kBarcodeErrParams;
    if (p.symbology < kBarcodeCode39 || p.symbology > kBarcodeCustomer) return kBarcodeErrParams;
    if (p.checkDigit != 0 && p.checkDigit != 1) return kBarcodeErrParams;
    if (p.widthMode < kWidthFit || p.widthMode > kWidthFitDevice) return kBarcodeErrParams;
    if (p.widthMode == kWidthTwo && !p.widths.empty() && p.widths.size() != 2) return kBarcodeErrParams;
    if (p.widthMode == kWidthExplicit && p.widths.size() != size_t(ExplicitWidthCount(p.symbology)))
        return kBarcodeErrParams;
    return 0;
}

// One sizing run at a given working width.
int32_t Run(BarcodeParams& p, int64_t width, std::vector<BarRect>* bars, const LogicalBarcode& lb)
{
    const int32_t count = lb.BarCount();
    int32_t result = 0;
    const int32_t laid = Layout(p, width, lb, bars, result);
    if (laid <= 0) return laid;
    p.resultWidth = result;
    if (p.expandedText) *p.expandedText = lb.expanded;
    return count;
}

} // namespace

void MapBars(std::vector<BarRect>& bars, int32_t barDpiX, int32_t barDpiY, int32_t deviceDpiX, int32_t deviceDpiY)
{
    if (barDpiX <= 0 || barDpiY <= 0 || deviceDpiX <= 0 || deviceDpiY <= 0) return;
    if (barDpiX == deviceDpiX && barDpiY == deviceDpiY) return;
    auto map = [](int32_t v, int32_t from, int32_t to) {
        const int64_t r = int64_t(v) * to / from;
        return int32_t(std::clamp<int64_t>(r, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    };
    for (BarRect& b : bars) {
        b.left = map(b.left, barDpiX, deviceDpiX);
        b.right = map(b.right, barDpiX, deviceDpiX);
        b.top = map(b.top, barDpiY, deviceDpiY);
        b.bottom = map(b.bottom, barDpiY, deviceDpiY);
    }
}

int32_t ExplicitWidthCount(int32_t symbology)
{
    switch (symbology) {
    case kBarcodeCode39:
    case kBarcodeNw7: return 5;
    case kBarcodeItf:
    case kBarcodeCustomer: return 4;
    case kBarcodeJan13:
    case kBarcodeJan8: return 8;
    default: return 0;
    }
}

int32_t DocToHmm(int64_t docUnits)
{
    const double v = std::trunc(double(docUnits) * 0.0017638888888888888);
    return int32_t(std::clamp(v, -2147483648.0, 2147483647.0));
}

int64_t HmmToDots(double hmm, int32_t resolution)
{
    return int64_t(std::trunc(hmm * resolution * 0.0003937007874015748));
}

int32_t HmmToDoc(int64_t hmm)
{
    const double v = std::trunc(double(hmm) * 566.9291338582677);
    return int32_t(std::clamp(v, -2147483648.0, 2147483647.0));
}

int64_t DotsToDoc(int64_t dots, int32_t resolution)
{
    return resolution > 0 ? dots * kDocPerInch / resolution : 0;
}

int64_t DocToDots(int64_t docUnits, int32_t resolution)
{
    return docUnits * resolution / kDocPerInch;
}

int32_t EncodeBarcode(BarcodeParams& params)
{
    if (const int32_t bad = CheckParams(params)) return bad;
    LogicalBarcode lb;
    const int32_t count = EncodeSymbols(params.symbology, params.text, params.checkDigit, lb);
    if (count <= 0) return count;
    return Run(params, params.width, nullptr, lb);
}

int32_t FitBarcode(BarcodeParams& params)
{
    if (const int32_t bad = CheckParams(params)) return bad;
    if (!params.bars) return kBarcodeErrParams;
    LogicalBarcode lb;
    const int32_t count = EncodeSymbols(params.symbology, params.text, params.checkDigit, lb);
    if (count <= 0) return count;
    const int64_t requested = params.width;
    int64_t working = requested;
    int32_t r = 0;
    if (params.widthMode == kWidthFit || params.widthMode == kWidthFitDevice) {
        BarcodeParams probe = params;
        probe.expandedText = nullptr;
        // The bars are stored from the last of these runs: the width never
        // grows past the 200th.
        for (int i = 0; i < kFitRuns; ++i) {
            r = Run(probe, working, nullptr, lb);
            if (r < 0) return r;
            if (probe.resultWidth >= requested - kFitStep) break;
            if (i + 1 == kFitRuns || working > std::numeric_limits<int32_t>::max() - kFitStep) break;
            working += kFitStep;
        }
    }
    r = Run(params, working, params.bars, lb);
    return r < 0 ? r : 0;
}

} // namespace nv
