#include "engine/render/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/core/EngineMath.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFontDesc.h"
#include "platform/core/Cp932.h"

namespace nv {

namespace {

int32_t RoundI(double v) { return int32_t(std::clamp<double>(std::round(v), INT32_MIN, INT32_MAX)); }

// Lines far below the bound pile up at the limit rather than wrapping back
// to the top; they are clipped away when drawn.
int32_t SatAdd(int64_t a, int64_t b) { return int32_t(std::clamp<int64_t>(a + b, INT32_MIN, INT32_MAX)); }

LayoutFont FromDesc(const TvFontDesc& d)
{
    LayoutFont f;
    f.faceName = d.m_strFaceName;
    f.charSet = d.m_nCharSet;
    f.pitchAndFamily = d.m_nPitchAndFamily;
    return f;
}

} // namespace

LayoutFont LookupLayoutFont(const TvFedObject* form, const std::vector<const TvFontDesc*>* docFonts,
                            int32_t faceIndex)
{
    if (faceIndex >= 0) {
        if (form && size_t(faceIndex) < form->m_fonts.size() && form->m_fonts[size_t(faceIndex)])
            return FromDesc(*form->m_fonts[size_t(faceIndex)]);
    } else if (docFonts) {
        for (const TvFontDesc* d : *docFonts)
            if (d && d->m_nFontId == faceIndex) return FromDesc(*d);
    }
    return LayoutFont{};
}

TextLayout::TextLayout(TextMeasurer* measurer) : m_measurer(measurer ? measurer : DefaultTextMeasurer()) {}

void TextLayout::Prepare(const TextLayoutParams& params)
{
    m_p = params;
    m_lines.clear();
    m_nextY = 0;

    // Prohibited characters, one CP932 character each (a trail byte is never
    // taken for a character of its own).
    m_prohibited.clear();
    for (size_t i = 0; i < m_p.kinsokuString.size();) {
        size_t n = Cp932CharLength(m_p.kinsokuString, i);
        m_prohibited.emplace_back(m_p.kinsokuString.substr(i, n));
        i += n;
    }

    // Measuring fonts at a fixed size, so that the layout is the same on
    // every device.
    const LayoutFont& z = m_p.zen;
    const LayoutFont& h = m_p.han;
    double b = std::max({double(h.height), h.width / 2.0, double(z.width), double(z.height)});
    m_scale = b > 0 ? b / 15.0 : 0.0;
    for (int kind = 0; kind < 2; ++kind) {
        const LayoutFont& lf = kind == 0 ? z : h;
        MeasureFont& mf = m_fonts[kind];
        mf.faceName = lf.faceName;
        mf.charSet = lf.charSet;
        mf.pitchAndFamily = lf.pitchAndFamily;
        double w = kind == 0 ? lf.width : lf.width / 2.0;
        mf.height = b > 0 ? RoundI(lf.height * 3000.0 / b) : 0;
        mf.width = b > 0 ? RoundI(w * 3000.0 / b) : 0;
        mf.bold = m_p.bold;
        mf.italic = m_p.italic;
    }

    // The quadrant the angle falls in decides how turned character cells
    // stack, and so how far apart the lines are.
    double rad = m_p.angle * std::numbers::pi / 18000.0;
    double s = std::sin(rad), c = std::cos(rad);
    int32_t r = int32_t((int64_t(m_p.angle) % 36000 + 36000) % 36000);
    m_quadrant = r < 9000 ? 1 : r < 18000 ? 2 : r < 27000 ? 3 : 4;
    double hw = h.width, hh = h.height, fw = z.width, fh = z.height;
    double adv = (m_quadrant == 1 || m_quadrant == 3)
                     ? std::max(std::abs(hw * s + hh * c), std::abs(fw * s + fh * c))
                     : std::max(std::abs(hw * s - hh * c), std::abs(fw * s - fh * c));
    m_lineAdvance = RoundI(200.0 * adv);
    m_linePitch = m_p.measuredPitch ? m_lineAdvance : m_p.linePitch;

    // The box inside the margins: each writing direction starts its lines
    // at a different corner of it and runs along a different side.
    Rect box = m_p.bound;
    box.right = Bounded(box.right - (int64_t{m_p.marginLeft} + m_p.marginRight));
    box.bottom = Bounded(box.bottom - (int64_t{m_p.marginTop} + m_p.marginBottom));
    box.Normalize();
    int32_t base = 0;
    switch (m_p.direction) {
    case 2:
        m_lineLength = box.Height();
        m_origin = {box.right, box.top};
        base = 270;
        break;
    case 3:
        m_lineLength = box.Width();
        m_origin = {box.right, box.bottom};
        base = 180;
        break;
    case 4:
        m_lineLength = box.Height();
        m_origin = {box.left, box.bottom};
        base = 90;
        break;
    default:
        m_lineLength = box.Width();
        m_origin = {box.left, box.top};
        base = 0;
        break;
    }
    m_dirSin = base == 90 ? 1.0 : base == 270 ? -1.0 : 0.0;
    m_dirCos = base == 0 ? 1.0 : base == 180 ? -1.0 : 0.0;
}

TextLayout::Measured TextLayout::MeasureChar(std::string_view ch, int32_t kind)
{
    DcSize e{};
    if (m_scale > 0 && m_measurer && m_fonts[kind].height != 0) e = m_measurer->Measure(m_fonts[kind], ch);
    int32_t x = RoundI(e.cx * m_scale);
    int32_t y = RoundI(e.cy * m_scale);
    bool upright = m_quadrant == 1 || m_quadrant == 3;
    Measured m;
    m.measured = upright ? x : y;
    m.height = upright ? y : x;
    m.advance = m_p.measuredPitch ? m.measured : (kind == 0 ? m_p.zen.pitch : m_p.han.pitch);
    return m;
}

bool TextLayout::IsProhibited(std::string_view ch) const
{
    return std::find(m_prohibited.begin(), m_prohibited.end(), ch) != m_prohibited.end();
}

void TextLayout::Build(std::string_view text)
{
    m_lines.clear();
    m_nextY = 0;
    size_t pos = 0;
    // Room for the runs a line may take (one per byte at most), so that the
    // runs are not moved while a line grows.
    const auto reserved = [&] {
        TextLine l;
        l.runs.reserve(std::min<size_t>(text.size() - pos, 256));
        return l;
    };
    TextLine line = reserved();
    line.y = m_nextY;
    // Where the current line may still be broken, as indexes into its runs:
    // the last place the line-breaking rule allows, and the last word start.
    bool hasAllowed = false, hasWord = false;
    size_t allowed = 0, word = 0;
    int32_t prohibitedRun = 0;
    auto newLine = [&] {
        EndLine(line);
        line = reserved();
        line.y = m_nextY;
        hasAllowed = hasWord = false;
        allowed = word = 0;
        prohibitedRun = 0;
    };

    while (pos < text.size()) {
        char c = text[pos];
        if (c == '\n') {
            ++pos;
            continue;
        }
        if (c == '\r') {
            newLine();
            ++pos;
            continue;
        }
        size_t len = Cp932CharLength(text, pos); // a lone lead byte at the end is one byte
        int32_t kind = len == 2 ? 0 : 1;
        std::string_view ch = text.substr(pos, len);
        Measured m = MeasureChar(ch, kind);
        bool setsWord = false;
        if (m_p.wrap) {
            if (m_p.kinsoku) {
                if (IsProhibited(ch)) {
                    ++prohibitedRun;
                } else {
                    if (!line.runs.empty()) {
                        allowed = line.runs.size();
                        hasAllowed = true;
                        if (prohibitedRun > 0 && hasWord) word = allowed;
                    }
                    prohibitedRun = 0;
                }
            }
            if (m_p.wordBreak) {
                bool dbcs = len == 2;
                if (ch == " " || ch == "-" || (dbcs && !(IsProhibited(ch) && hasAllowed))) {
                    hasWord = false;
                    setsWord = true;
                }
            }
            if (!line.runs.empty() && int64_t(line.width) + m.advance > m_lineLength) {
                bool useAllowed = m_p.kinsoku && hasAllowed;
                bool useWord = m_p.wordBreak && hasWord;
                size_t at = 0;
                bool found = false;
                if (useAllowed && (!useWord || allowed <= word)) {
                    at = allowed;
                    found = true;
                } else if (useWord) {
                    at = word;
                    found = true;
                }
                // Take off exactly the runs after the break, so that every
                // character is laid out once.
                if (!found || at == 0 || at >= line.runs.size()) {
                    newLine();
                    continue; // the character starts the next line
                }
                size_t restart = line.runs[at].textPos;
                line.runs.resize(at);
                line.width = 0;
                line.maxHeight = 0;
                line.text.clear();
                for (const TextRun& r : line.runs) {
                    line.width = SatAdd(line.width, r.advance);
                    line.maxHeight = std::max(line.maxHeight, r.height);
                    line.text += r.ch;
                }
                newLine();
                pos = restart;
                continue;
            }
        }
        bool wasEmpty = line.runs.empty();
        TextRun run;
        run.ch = std::string(ch);
        run.kind = kind;
        run.advance = m.advance;
        run.height = m.height;
        run.measured = m.measured;
        run.textPos = pos;
        line.runs.push_back(std::move(run));
        line.text += ch;
        line.width = SatAdd(line.width, m.advance);
        line.maxHeight = std::max(line.maxHeight, m.height);
        if (setsWord) {
            word = line.runs.size();
            hasWord = true;
        }
        pos += len;
        if (m_p.wrap && wasEmpty && m.advance > m_lineLength) newLine();
    }
    if (!line.runs.empty()) EndLine(line);
}

void TextLayout::EndLine(TextLine& line)
{
    if (m_p.reverse) {
        std::reverse(line.runs.begin(), line.runs.end());
        line.text.clear();
        for (const TextRun& r : line.runs) line.text += r.ch;
    }
    // Placement moves the line itself down by the extra; the next line
    // follows from where this one started, or the extra would count twice.
    const int32_t top = line.y;
    int32_t extra = PlaceLine(line);
    m_nextY = SatAdd(SatAdd(top, m_linePitch), extra);
    m_lines.push_back(std::move(line));
}

Point TextLayout::Transform(double along, double across) const
{
    return {SatAdd(int64_t(m_origin.x) + m_p.marginLeft, RoundI(m_dirCos * along + m_dirSin * across)),
            SatAdd(int64_t(m_origin.y) + m_p.marginTop, RoundI(m_dirCos * across - m_dirSin * along))};
}

int32_t TextLayout::PlaceLine(TextLine& line)
{
    int32_t extra = 0;
    if (m_p.measuredPitch && line.maxHeight > m_linePitch) {
        extra = SatAdd(line.maxHeight, -int64_t(m_linePitch));
        line.y = SatAdd(line.y, extra);
    }
    // Runs stand on the bottom of the line's cell.
    int64_t bottom = int64_t(line.y) + m_linePitch;
    double start = 0;
    double gap = 0;
    switch (m_p.alignment) {
    case 2: start = double(m_lineLength) - line.width; break;
    case 3: start = double((int64_t(m_lineLength) - line.width) / 2); break;
    case 4:
        if (m_p.measuredPitch && line.runs.size() >= 2)
            gap = double((int64_t(m_lineLength) - line.width) / int64_t(line.runs.size() - 1));
        break;
    default: break;
    }
    bool centreAcross = m_p.angle == 9000 || m_p.angle == 27000;
    bool pitchCells = m_p.cellLayer && !m_p.measuredPitch;
    double along = start;
    double added = 0;
    for (size_t i = 0; i < line.runs.size(); ++i) {
        TextRun& r = line.runs[i];
        if (gap != 0) {
            double step = std::round(gap * double(i) - added);
            added += step;
        }
        double a = along + added;
        if (pitchCells) a += (r.advance - r.measured) / 2;
        double across = double(bottom);
        if (centreAcross) across += (line.maxHeight - r.height) / -2;
        r.pos = Transform(a, across);
        along += r.advance;
    }
    double end = along + added;

    // Ruled lines.
    int32_t size = std::max(m_p.zen.height, m_p.han.height);
    int64_t d = 30 * int64_t(size);
    auto addLine = [&](double across, int32_t style, int32_t width, uint32_t colour) {
        Point p0 = Transform(start, across);
        Point p1 = Transform(end, across);
        auto ln = std::make_unique<TvLine>(Rect{p0.x, p0.y, p1.x, p1.y});
        ln->m_nLineStyle = int16_t(style);
        ln->m_nLineWidth = width;
        ln->m_crLineColor = colour;
        line.ruledLines.push_back(std::move(ln));
    };
    if (!line.runs.empty()) {
        if (m_p.underline != 0) {
            int32_t w = int32_t(std::min<int64_t>(INT32_MAX, (m_p.underline == 6 ? 20 : 10) * int64_t(size)));
            int32_t style = m_p.underline == 7 ? 1 : m_p.underline;
            addLine(double(bottom), style, w, m_p.underlineColour);
            if (m_p.underline == 7) addLine(double(bottom + d), style, w, m_p.underlineColour);
        }
        if (m_p.strike != 0) {
            int32_t w = int32_t(std::min<int64_t>(INT32_MAX, (m_p.strike == 6 ? 20 : 10) * int64_t(size)));
            int32_t style = m_p.strike == 7 ? 1 : m_p.strike;
            double mid = double(bottom) - line.maxHeight / 2.0;
            if (m_p.strike == 7) {
                addLine(mid - d / 2.0, style, w, m_p.strikeColour);
                addLine(mid + d / 2.0, style, w, m_p.strikeColour);
            } else {
                addLine(mid, style, w, m_p.strikeColour);
            }
        }
    }
    return extra;
}

} // namespace nv
