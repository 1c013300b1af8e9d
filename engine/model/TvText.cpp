#include "engine/model/TvText.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"

#include <algorithm>

namespace nv {

NV_IMPLEMENT_SERIAL(TvText, TvObject, 10, true)

int32_t CentiPointsToDoc(int64_t v)
{
    return TruncToInt32(static_cast<double>(v) * 200.0);
}

TvText::TvText()
{
    TvText::InitDefaults();
}

TvText::TvText(const Rect& r, std::string_view text)
{
    TvText::InitDefaults();
    SetBox(r);
    m_strText = text;
}

TvText::TvText(const Rect& r, const TvText& templ)
{
    TvText::InitDefaults();
    ApplyTemplate(r, templ);
}

void TvText::SetBox(const Rect& r)
{
    m_nX = r.left;
    m_nY = r.top;
    m_nWidth = r.Width();
    m_nHeight = r.Height();
}

void TvText::ApplyTemplate(const Rect& r, const TvText& t)
{
    SetBox(r);
    CopyTemplateAttributes(t);
}

void TvText::CopyTemplateAttributes(const TvText& t)
{
    m_bTransparent = t.m_bTransparent;
    m_crBackColor = t.m_crBackColor;
    m_nDirection = t.m_nDirection;
    m_nAngle = t.m_nAngle;
    m_nAlign = t.m_nAlign;
    m_nLinePitch = t.m_nLinePitch;
    m_bWordWrap = t.m_bWordWrap;
    m_bKinsoku = t.m_bKinsoku;
    m_strPicture = t.m_strPicture;
    m_strReplace = t.m_strReplace;
    m_nHanFont = t.m_nHanFont;
    m_nHanWidth = t.m_nHanWidth;
    m_nHanHeight = t.m_nHanHeight;
    m_nHanPitch = t.m_nHanPitch;
    m_nZenFont = t.m_nZenFont;
    m_nZenWidth = t.m_nZenWidth;
    m_nZenHeight = t.m_nZenHeight;
    m_nZenPitch = t.m_nZenPitch;
    m_nCharRatio = t.m_nCharRatio;
    m_bBold = t.m_bBold;
    m_bItalic = t.m_bItalic;
    m_crText = t.m_crText;
    m_nUnderline = t.m_nUnderline;
    m_crUnderline = t.m_crUnderline;
    m_nStrike = t.m_nStrike;
    m_crStrike = t.m_crStrike;
    m_nFillStyle = t.m_nFillStyle;
    m_crFill = t.m_crFill;
    m_nLineStyle = t.m_nLineStyle;
    m_nLineWidth = t.m_nLineWidth;
    m_crLine = t.m_crLine;
    m_bFrame = t.m_bFrame;
    m_nMarginLeft = t.m_nMarginLeft;
    m_nMarginTop = t.m_nMarginTop;
    m_strText = t.m_strText;
    m_strPicture2 = t.m_strPicture2;
    m_bMeasuredPitch = t.m_bMeasuredPitch;
    m_bReverse = t.m_bReverse;
    m_bAutoLineFeed = t.m_bAutoLineFeed;
    m_nMarginRight = t.m_nMarginRight;
    m_nMarginBottom = t.m_nMarginBottom;
    m_bFlag100 = t.m_bFlag100;
    m_strBefore = t.m_strBefore;
    m_strAfter = t.m_strAfter;
    m_nComma = t.m_nComma;
}

void TvText::InitDefaults()
{
    m_nObjectId = 2;
    m_nDirection = 1;
    m_nAngle = 0;
    m_nAlign = 1;
    m_strPicture.clear();
    m_strReplace.clear();
    m_nCharRatio = 0;
    m_bBold = 0;
    m_bItalic = 0;
    m_crText = 0;
    m_nUnderline = 0;
    m_crUnderline = 0;
    m_nStrike = 0;
    m_crStrike = 0;
    m_nFillStyle = 0;
    m_crFill = 0;
    m_nLineStyle = 1;
    m_nLineWidth = 15000;
    m_crLine = 0;
    m_bFrame = 0;
    m_nMarginLeft = 0;
    m_nMarginTop = 0;
    m_strText.clear();
    m_strPicture2.clear();
    m_bMeasuredPitch = 1;
    m_bReverse = 0;
    m_bAutoLineFeed = 1;
    m_nMarginRight = 0;
    m_nMarginBottom = 0;
    m_bFlag100 = 1;
    m_strBefore.clear();
    m_strAfter.clear();
    m_nComma = 0;
}

void TvText::CopyTextAttributes(const TvText& s)
{
    m_nWidth = s.m_nWidth;
    m_nHeight = s.m_nHeight;
    m_nExtra87 = s.m_nExtra87;
    m_nExtra88 = s.m_nExtra88;
    m_nExtra89 = s.m_nExtra89;
    m_nExtra90 = s.m_nExtra90;
    CopyTemplateAttributes(s);
    CopyAttributes(s);
}

void TvText::Serialize(Archive& ar, uint32_t schema)
{
    TvObject::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        for (int32_t v : {m_nWidth, m_nHeight, m_nExtra87, m_nExtra88, m_nExtra89, m_nExtra90, m_nDirection, m_nAngle,
                          m_nAlign, m_nLinePitch, m_bWordWrap, m_bKinsoku})
            ar.WriteI32(v);
        ar.WriteString(m_strPicture);
        ar.WriteString(m_strReplace);
        for (int32_t v : {m_nHanFont, m_nHanWidth, m_nHanHeight, m_nHanPitch, m_nZenFont, m_nZenWidth, m_nZenHeight,
                          m_nZenPitch, m_nCharRatio, m_bBold, m_bItalic})
            ar.WriteI32(v);
        ar.WriteU32(m_crText);
        ar.WriteI32(m_nUnderline);
        ar.WriteU32(m_crUnderline);
        ar.WriteI32(m_nStrike);
        ar.WriteU32(m_crStrike);
        ar.WriteI32(m_nFillStyle);
        ar.WriteU32(m_crFill);
        ar.WriteI32(m_nLineStyle);
        ar.WriteI32(m_nLineWidth);
        ar.WriteU32(m_crLine);
        ar.WriteI32(m_bFrame);
        ar.WriteI32(m_nMarginLeft);
        ar.WriteI32(m_nMarginTop);
        ar.WriteString(m_strText);
        ar.WriteString(m_strPicture2);
        for (int32_t v : {m_bMeasuredPitch, m_bReverse, m_bAutoLineFeed, m_nMarginRight, m_nMarginBottom, m_bFlag100})
            ar.WriteI32(v);
        ar.WriteString(m_strBefore);
        ar.WriteString(m_strAfter);
        ar.WriteI32(m_nComma);
        return;
    }

    if (schema >= 10) (void)ar.ReadU32();
    for (int32_t* p : {&m_nWidth, &m_nHeight, &m_nExtra87, &m_nExtra88, &m_nExtra89, &m_nExtra90, &m_nDirection,
                       &m_nAngle, &m_nAlign, &m_nLinePitch, &m_bWordWrap, &m_bKinsoku})
        *p = ar.ReadI32();
    m_strPicture = ar.ReadString();
    m_strReplace = ar.ReadString();
    for (int32_t* p : {&m_nHanFont, &m_nHanWidth, &m_nHanHeight, &m_nHanPitch, &m_nZenFont, &m_nZenWidth,
                       &m_nZenHeight, &m_nZenPitch, &m_nCharRatio, &m_bBold, &m_bItalic})
        *p = ar.ReadI32();
    m_crText = ar.ReadU32();
    m_nUnderline = ar.ReadI32();
    m_crUnderline = ar.ReadU32();
    m_nStrike = ar.ReadI32();
    m_crStrike = ar.ReadU32();
    m_nFillStyle = ar.ReadI32();
    m_crFill = ar.ReadU32();
    m_nLineStyle = ar.ReadI32();
    m_nLineWidth = ar.ReadI32();
    m_crLine = ar.ReadU32();
    m_bFrame = ar.ReadI32();
    m_nMarginLeft = ar.ReadI32();
    m_nMarginTop = ar.ReadI32();
    m_strText = ar.ReadString();
    m_strPicture2 = ar.ReadString();

    if (schema >= 1) {
        m_bMeasuredPitch = ar.ReadI32();
        m_bReverse = ar.ReadI32();
        m_bAutoLineFeed = ar.ReadI32();
    } else {
        m_bMeasuredPitch = 1;
        m_bReverse = 0;
        m_bAutoLineFeed = 1;
    }
    // Before schema 2 the box was a plain rectangle.
    if (schema < 2) NormaliseSize(m_nWidth, m_nHeight, m_nDirection);
    if (schema >= 3 && schema != 0xFFFFFFFFu) {
        m_nMarginRight = ar.ReadI32();
        m_nMarginBottom = ar.ReadI32();
        m_bFlag100 = ar.ReadI32();
        m_strBefore = ar.ReadString();
        m_strAfter = ar.ReadString();
    } else {
        m_nMarginRight = 0;
        m_nMarginBottom = 0;
        m_bFlag100 = 1;
        m_strBefore.clear();
        m_strAfter.clear();
    }
    m_nComma = schema >= 4 && schema != 0xFFFFFFFFu ? ar.ReadI32() : 0;
}

void TvText::GetBoundRect(Rect& out, bool withPen) const
{
    RectFromAnchor(out, m_nDirection, m_nWidth, m_nHeight);
    if (withPen) {
        const int32_t d = static_cast<int32_t>((static_cast<int64_t>(m_nLineWidth) + 3) / 2);
        out.Inflate(d, d);
    }
}

void TvText::SetRect(const Rect& r)
{
    AnchorFromRect(m_nWidth, m_nHeight, m_nDirection, r);
}

void TvText::Scale(const Size& from, const Size& to)
{
    TvObject::Scale(from, to);
    if (from.cx != 0) m_nWidth = TruncToInt32(static_cast<double>(m_nWidth) * to.cx / from.cx);
    if (from.cy != 0) m_nHeight = TruncToInt32(static_cast<double>(m_nHeight) * to.cy / from.cy);
    m_bMeasuredPitch = 0;
    const int64_t nx = to.cx, ny = to.cy;
    m_nHanWidth = static_cast<int32_t>(nx * 100 / 20000);
    m_nHanHeight = static_cast<int32_t>(ny * 100 / 20000);
    m_nHanPitch = to.cx;
    m_nLinePitch = to.cy;
    if (m_nCharRatio != 0) {
        m_nZenWidth = static_cast<int32_t>(nx * 150 / 20000);
        m_nZenHeight = static_cast<int32_t>(ny * 100 / 20000);
        m_nZenPitch = TruncToInt32(to.cx * 1.5);
    } else {
        m_nZenWidth = static_cast<int32_t>(nx * 200 / 20000);
        m_nZenHeight = static_cast<int32_t>(ny * 100 / 20000);
        m_nZenPitch = TruncToInt32(2.0 * to.cx);
    }
}

std::unique_ptr<TvObject> TvText::Clone() const
{
    auto copy = std::make_unique<TvText>();
    copy->CopyTextAttributes(*this);
    return copy;
}

void TvText::ApplyCharSize(int32_t v, bool pitches, bool linePitch, TvChangeList* changes)
{
    SetLongProp(changes, propHanWidth, m_nHanWidth, 0);
    SetLongProp(changes, propHanHeight, m_nHanHeight, v);
    SetLongProp(changes, propZenWidth, m_nZenWidth, 0);
    SetLongProp(changes, propZenHeight, m_nZenHeight, v);
    if (pitches) {
        SetLongProp(changes, propZenPitch, m_nZenPitch, CentiPointsToDoc(v));
        SetLongProp(changes, propHanPitch, m_nHanPitch, TruncToInt32(static_cast<double>(v) * 100.0));
    }
    if (linePitch) SetLongProp(changes, propLinePitch, m_nLinePitch, CentiPointsToDoc(v));
}

std::span<const ObjectPropertyTable::Row> TvText::LabelRows()
{
    using R = ObjectRows;
    using Row = ObjectPropertyTable::Row;
    static constexpr Row rows[] = {
        R::Field<&TvText::m_crText>(propTextColor),
        R::Field<&TvText::m_crFill>(propFillColor),
        R::ShortIn<&TvText::m_nFillStyle>(propFillStyle),
        R::Field<&TvText::m_nLineWidth>(propLineWidth),
        R::ShortIn<&TvText::m_nLineStyle>(propLineStyle),
        R::Field<&TvText::m_crLine>(propLineColor),
        R::Field<&TvText::m_bFrame>(propFrame),
        R::Field<&TvText::m_nWidth>(propWidth),
        R::Field<&TvText::m_nHeight>(propHeight),
        R::Field<&TvText::m_bBold>(propBold),
        R::Field<&TvText::m_bItalic>(propItalic),
        R::Field<&TvText::m_nStrike>(propStrike),
        R::Field<&TvText::m_nUnderline>(propUnderline),
        R::Apply(propBothFonts,
                 [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                     auto& t = static_cast<TvText&>(o);
                     SetLongProp(changes, propHanFont, t.m_nHanFont, v.AsLong());
                     SetLongProp(changes, propZenFont, t.m_nZenFont, v.AsLong());
                 }),
        R::Apply(propCharSize,
                 [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                     auto& t = static_cast<TvText&>(o);
                     t.ApplyCharSize(v.AsLong(), t.m_bMeasuredPitch != 0, t.m_bMeasuredPitch != 0, changes);
                 }),
        R::Field<&TvText::m_nAlign>(propAlign),
        R::Field<&TvText::m_nDirection>(propDirection),
        R::Field<&TvText::m_strText>(propText),
        R::Field<&TvText::m_nAngle>(propAngle),
        R::Field<&TvText::m_bWordWrap>(propWordWrap),
        R::Field<&TvText::m_bKinsoku>(propKinsoku),
        R::Field<&TvText::m_crUnderline>(propUnderlineColor),
        R::Field<&TvText::m_crStrike>(propStrikeColor),
        R::Field<&TvText::m_bReverse>(propReverse),
        R::Field<&TvText::m_bAutoLineFeed>(propAutoLineFeed),
        R::Field<&TvText::m_bMeasuredPitch>(propMeasuredPitch),
        R::Field<&TvText::m_nMarginLeft>(propMarginLeft),
        R::Field<&TvText::m_nMarginTop>(propMarginTop),
        R::Field<&TvText::m_nZenPitch>(propZenPitch),
        R::Field<&TvText::m_nHanPitch>(propHanPitch),
        R::Field<&TvText::m_nLinePitch>(propLinePitch),
        R::Field<&TvText::m_nZenFont>(propZenFont),
        R::Field<&TvText::m_nHanFont>(propHanFont),
        R::Field<&TvText::m_nHanWidth>(propHanWidth),
        R::Field<&TvText::m_nHanHeight>(propHanHeight),
        R::Field<&TvText::m_nZenWidth>(propZenWidth),
        R::Field<&TvText::m_nZenHeight>(propZenHeight),
        R::Field<&TvText::m_nExtra87>(propTextSpare1),
        R::Field<&TvText::m_nExtra88>(propTextSpare2),
        R::Field<&TvText::m_nExtra89>(propTextSpare3),
        R::Field<&TvText::m_nExtra90>(propTextSpare4),
        R::Field<&TvText::m_nCharRatio>(propCharRatio),
        // Turns the text about its box: the anchor moves so that the bounds
        // stay where they are.
        R::Apply(propTurn,
                 [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                     auto& t = static_cast<TvText&>(o);
                     Point anchor;
                     t.AnchorForOrientation(anchor, v.AsLong(), t.m_nDirection, t.m_nWidth, t.m_nHeight);
                     SetLongProp(changes, propTurn, t.m_nDirection, v.AsLong());
                     SetLongProp(changes, propAnchorX, t.m_nX, anchor.x);
                     SetLongProp(changes, propAnchorY, t.m_nY, anchor.y);
                 }),
        R::Field<&TvText::m_nMarginRight>(propMarginRight),
        R::Field<&TvText::m_nMarginBottom>(propMarginBottom),
        R::Field<&TvText::m_bFlag100>(propTextSpare5),
    };
    return rows;
}

void TvText::ApplyLabelRow(uint16_t id, const TvPropValue& v, TvChangeList* changes)
{
    for (const ObjectPropertyTable::Row& r : LabelRows())
        if (r.id == id) {
            ObjectPropertyTable::ApplyRow(r, *this, v, changes);
            return;
        }
}

const ObjectPropertyTable& TvText::Properties() const
{
    static const ObjectPropertyTable table(&BaseProperties(), kOfferedBaseRows, LabelRows());
    return table;
}

std::string TvText::CommaPicture(std::string_view picture) const
{
    if (m_nComma != 1 || picture.empty()) return std::string(picture);
    const char first = picture[0];
    if (first != '*' && first != '9' && first != 'B' && first != 'Z') return std::string(picture);
    const size_t dot = picture.find('.');
    const std::string_view integer = picture.substr(0, dot);
    std::string out;
    size_t placed = 0;
    for (size_t i = integer.size(); i-- > 0;) {
        out.insert(out.begin(), integer[i]);
        if (++placed % 3 == 0) out.insert(out.begin(), ',');
    }
    if (!out.empty() && out[0] == ',') out.erase(0, 1);
    if (dot != std::string_view::npos) out.append(picture.substr(dot));
    return out;
}

} // namespace nv
