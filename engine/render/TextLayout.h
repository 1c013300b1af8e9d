#pragma once
// Lays the text of a text object out in runs of one character each, broken
// into lines inside the object's box: full-width (double-byte) characters in
// one font and half-width characters in another, four writing directions,
// fixed or measured pitch, alignment, word wrap, the line-breaking rule
// (characters that may not begin a line), right-to-left reversal and ruled
// underline and strike-through lines. Positions are document units; a run's
// position is the bottom-left corner of its character cell.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Geometry.h"
#include "engine/model/TvLine.h"
#include "engine/render/TextMeasurer.h"

namespace nv {

class TvText;
class TvFedObject;
class TvLayer;
class TvFontDesc;

// One kind's font: face (CP932), character set, pitch and family; sizes in
// 1/100 point; pitch in document units.
struct LayoutFont {
    std::string faceName = "\x82\x6C\x82\x72 \x96\xBE\x92\xA9"; // "ＭＳ 明朝"
    uint8_t charSet = 128;
    uint8_t pitchAndFamily = 0x11;
    int32_t height = 0;
    int32_t width = 0;
    int32_t pitch = 0;
    friend bool operator==(const LayoutFont&, const LayoutFont&) = default;
};

// Everything the layout reads from a text object, its form and its layer.
struct TextLayoutParams {
    Rect bound; // the object's bound rectangle, document units
    int32_t direction = 1;
    int32_t angle = 0; // 1/100 degree
    int32_t alignment = 1;
    LayoutFont zen; // full-width, kind 0
    LayoutFont han; // half-width, kind 1
    bool bold = false;
    bool italic = false;
    bool measuredPitch = true;
    int32_t linePitch = 0;
    bool wrap = false;      // automatic line feed
    bool kinsoku = false;   // line-breaking rule
    bool wordBreak = false; // break at spaces and hyphens
    bool reverse = false;   // right to left
    int32_t marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
    int32_t underline = 0;
    uint32_t underlineColour = 0;
    int32_t strike = 0;
    uint32_t strikeColour = 0;
    std::string kinsokuString; // CP932: characters that may not begin a line
    bool cellLayer = false;    // the layer is in mode 2 (cells)
    // Equal parameters lay the same text out the same.
    friend bool operator==(const TextLayoutParams&, const TextLayoutParams&) = default;
};

struct TextRun {
    std::string ch;   // one CP932 character (one or two bytes)
    int32_t kind = 0; // 0 full-width, 1 half-width
    Point pos;        // bottom-left of the cell, document units
    int32_t advance = 0;
    int32_t height = 0;
    int32_t measured = 0; // the measured advance (for centring in a pitch cell)
    size_t textPos = 0;   // byte offset in the text
};

struct TextLine {
    std::string text;
    std::vector<TextRun> runs;
    int32_t y = 0; // top of the line, along the line's across axis
    int32_t width = 0;
    int32_t maxHeight = 0;
    std::vector<std::unique_ptr<TvLine>> ruledLines;
};

// Font lookup of the text engine: a face index of 0 or more is a position in
// the form's font list, a negative one an id in the document font list;
// anything not found is the default face "ＭＳ 明朝" (set 128, family 0x11).
LayoutFont LookupLayoutFont(const TvFedObject* form, const std::vector<const TvFontDesc*>* docFonts,
                            int32_t faceIndex);

// The parameters of a text object (a label, data field, text field or list
// cell) in its form and layer.
TextLayoutParams MakeTextLayoutParams(const TvText& text, const TvFedObject* form,
                                      const std::vector<const TvFontDesc*>* docFonts, const TvLayer* layer);

class TextLayout {
public:
    // measurer null: the text engine's.
    explicit TextLayout(TextMeasurer* measurer = nullptr);

    void Prepare(const TextLayoutParams& params);
    void Build(std::string_view text);

    const std::vector<TextLine>& Lines() const { return m_lines; }
    // The lines, for a caller that keeps them; the layout is empty after.
    std::vector<TextLine> TakeLines() { return std::move(m_lines); }
    int32_t LinePitch() const { return m_linePitch; }
    int32_t LineLength() const { return m_lineLength; }
    int32_t Quadrant() const { return m_quadrant; }

private:
    struct Measured {
        int32_t advance;
        int32_t height;
        int32_t measured;
    };
    Measured MeasureChar(std::string_view ch, int32_t kind);
    bool IsProhibited(std::string_view ch) const;
    void EndLine(TextLine& line);
    int32_t PlaceLine(TextLine& line);
    Point Transform(double along, double across) const;

    TextMeasurer* m_measurer;
    TextLayoutParams m_p;
    std::vector<std::string> m_prohibited;
    MeasureFont m_fonts[2];
    double m_scale = 0; // measured pixels to document units
    int32_t m_quadrant = 1;
    int32_t m_lineAdvance = 0;
    int32_t m_linePitch = 0;
    int32_t m_lineLength = 0;
    Point m_origin;
    double m_dirSin = 0, m_dirCos = 1;
    int32_t m_nextY = 0;
    std::vector<TextLine> m_lines;
};

} // namespace nv
