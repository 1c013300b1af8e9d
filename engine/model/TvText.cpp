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

int32_t TvText::IsPropertySupported(uint16_t id) const
{
    if ((id >= 1 && id <= 5) || (id >= 7 && id <= 14) || (id >= 20 && id <= 26) || id == 31 || id == 35 ||
        (id >= 41 && id <= 59) || (id >= 87 && id <= 91) || id == 93 || (id >= 98 && id <= 100) || id == 1000)
        return 1;
    return 0;
}

int32_t TvText::GetPropertyAddress(uint16_t id, void*& address, int32_t& kind)
{
    int32_t* p = nullptr;
    uint32_t* c = nullptr;
    switch (id) {
    case 1: c = &m_crText; break;
    case 7: c = &m_crFill; break;
    case 8: p = &m_nFillStyle; break;
    case 9: p = &m_nLineWidth; break;
    case 10: p = &m_nLineStyle; break;
    case 11: c = &m_crLine; break;
    case 12: p = &m_bFrame; break;
    case 13: p = &m_nWidth; break;
    case 14: p = &m_nHeight; break;
    case 20: p = &m_bBold; break;
    case 21: p = &m_bItalic; break;
    case 22: p = &m_nStrike; break;
    case 23: p = &m_nUnderline; break;
    case 26: p = &m_nAlign; break;
    case 31: p = &m_nDirection; break;
    case 41: p = &m_nAngle; break;
    case 42: p = &m_bWordWrap; break;
    case 43: p = &m_bKinsoku; break;
    case 44: c = &m_crUnderline; break;
    case 45: c = &m_crStrike; break;
    case 46: p = &m_bReverse; break;
    case 47: p = &m_bAutoLineFeed; break;
    case 48: p = &m_bMeasuredPitch; break;
    case 49: p = &m_nMarginLeft; break;
    case 50: p = &m_nMarginTop; break;
    case 51: p = &m_nZenPitch; break;
    case 52: p = &m_nHanPitch; break;
    case 53: p = &m_nLinePitch; break;
    case 54: p = &m_nZenFont; break;
    case 55: p = &m_nHanFont; break;
    case 56: p = &m_nHanWidth; break;
    case 57: p = &m_nHanHeight; break;
    case 58: p = &m_nZenWidth; break;
    case 59: p = &m_nZenHeight; break;
    case 87: p = &m_nExtra87; break;
    case 88: p = &m_nExtra88; break;
    case 89: p = &m_nExtra89; break;
    case 90: p = &m_nExtra90; break;
    case 91: p = &m_nCharRatio; break;
    case 98: p = &m_nMarginRight; break;
    case 99: p = &m_nMarginBottom; break;
    case 100: p = &m_bFlag100; break;
    case 35:
        address = &m_strText;
        kind = addrString;
        return 1;
    default: return TvObject::GetPropertyAddress(id, address, kind);
    }
    address = p ? static_cast<void*>(p) : static_cast<void*>(c);
    kind = addrLong;
    return 1;
}

void TvText::ApplyCharSize(int32_t v, bool pitches, bool linePitch, TvChangeList* changes)
{
    SetLongProp(changes, 56, m_nHanWidth, 0);
    SetLongProp(changes, 57, m_nHanHeight, v);
    SetLongProp(changes, 58, m_nZenWidth, 0);
    SetLongProp(changes, 59, m_nZenHeight, v);
    if (pitches) {
        SetLongProp(changes, 51, m_nZenPitch, CentiPointsToDoc(v));
        SetLongProp(changes, 52, m_nHanPitch, TruncToInt32(static_cast<double>(v) * 100.0));
    }
    if (linePitch) SetLongProp(changes, 53, m_nLinePitch, CentiPointsToDoc(v));
}

bool TvText::ApplyLabelProperty(uint16_t id, const TvPropValue& v, TvChangeList* changes)
{
    const int32_t n = v.AsLong();
    switch (id) {
    case 1: SetLongProp(changes, 1, m_crText, n); break;
    case 7: SetLongProp(changes, 7, m_crFill, n); break;
    case 8: SetLongProp(changes, 8, m_nFillStyle, static_cast<int32_t>(v.AsShort())); break;
    case 9: SetLongProp(changes, 9, m_nLineWidth, n); break;
    case 10: SetLongProp(changes, 10, m_nLineStyle, static_cast<int32_t>(v.AsShort())); break;
    case 11: SetLongProp(changes, 11, m_crLine, n); break;
    case 12: SetLongProp(changes, 12, m_bFrame, n); break;
    case 13: SetLongProp(changes, 13, m_nWidth, n); break;
    case 14: SetLongProp(changes, 14, m_nHeight, n); break;
    case 20: SetLongProp(changes, 20, m_bBold, n); break;
    case 21: SetLongProp(changes, 21, m_bItalic, n); break;
    case 22: SetLongProp(changes, 22, m_nStrike, n); break;
    case 23: SetLongProp(changes, 23, m_nUnderline, n); break;
    case 24:
        SetLongProp(changes, 55, m_nHanFont, n);
        SetLongProp(changes, 54, m_nZenFont, n);
        break;
    case 25: ApplyCharSize(n, m_bMeasuredPitch != 0, m_bMeasuredPitch != 0, changes); break;
    case 26: SetLongProp(changes, 26, m_nAlign, n); break;
    case 31: SetLongProp(changes, 31, m_nDirection, n); break;
    case 35: SetStringProp(changes, 35, m_strText, v.AsString()); break;
    case 41: SetLongProp(changes, 41, m_nAngle, n); break;
    case 42: SetLongProp(changes, 42, m_bWordWrap, n); break;
    case 43: SetLongProp(changes, 43, m_bKinsoku, n); break;
    case 44: SetLongProp(changes, 44, m_crUnderline, n); break;
    case 45: SetLongProp(changes, 45, m_crStrike, n); break;
    case 46: SetLongProp(changes, 46, m_bReverse, n); break;
    case 47: SetLongProp(changes, 47, m_bAutoLineFeed, n); break;
    case 48: SetLongProp(changes, 48, m_bMeasuredPitch, n); break;
    case 49: SetLongProp(changes, 49, m_nMarginLeft, n); break;
    case 50: SetLongProp(changes, 50, m_nMarginTop, n); break;
    case 51: SetLongProp(changes, 51, m_nZenPitch, n); break;
    case 52: SetLongProp(changes, 52, m_nHanPitch, n); break;
    case 53: SetLongProp(changes, 53, m_nLinePitch, n); break;
    case 54: SetLongProp(changes, 54, m_nZenFont, n); break;
    case 55: SetLongProp(changes, 55, m_nHanFont, n); break;
    case 56: SetLongProp(changes, 56, m_nHanWidth, n); break;
    case 57: SetLongProp(changes, 57, m_nHanHeight, n); break;
    case 58: SetLongProp(changes, 58, m_nZenWidth, n); break;
    case 59: SetLongProp(changes, 59, m_nZenHeight, n); break;
    case 87: SetLongProp(changes, 87, m_nExtra87, n); break;
    case 88: SetLongProp(changes, 88, m_nExtra88, n); break;
    case 89: SetLongProp(changes, 89, m_nExtra89, n); break;
    case 90: SetLongProp(changes, 90, m_nExtra90, n); break;
    case 91: SetLongProp(changes, 91, m_nCharRatio, n); break;
    case 93: {
        // Turns the text about its box: the anchor moves so that the bounds
        // stay where they are.
        Point anchor;
        AnchorForOrientation(anchor, n, m_nDirection, m_nWidth, m_nHeight);
        SetLongProp(changes, 93, m_nDirection, n);
        SetLongProp(changes, 4, m_nX, anchor.x);
        SetLongProp(changes, 5, m_nY, anchor.y);
        break;
    }
    case 98: SetLongProp(changes, 98, m_nMarginRight, n); break;
    case 99: SetLongProp(changes, 99, m_nMarginBottom, n); break;
    case 100: SetLongProp(changes, 100, m_bFlag100, n); break;
    default: return false;
    }
    return true;
}

bool TvText::ApplyFieldStrings(uint16_t id, const TvPropValue& v, TvChangeList* changes)
{
    switch (id) {
    case 36: SetStringProp(changes, 36, m_strReplace, v.AsString()); break;
    case 37: SetStringProp(changes, 37, m_strPicture2, v.AsString()); break;
    case 38: SetStringProp(changes, 38, m_strPicture, v.AsString()); break;
    case 96: SetStringProp(changes, 96, m_strBefore, v.AsString()); break;
    case 97: SetStringProp(changes, 97, m_strAfter, v.AsString()); break;
    case 104: SetLongProp(changes, 104, m_nComma, v.AsLong()); break;
    default: return false;
    }
    return true;
}

void TvText::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    TvObject::SetProperties(map, changes);
    for (const auto& [id, v] : map) ApplyLabelProperty(id, v, changes);
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
