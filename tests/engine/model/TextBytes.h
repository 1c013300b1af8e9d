#pragma once
// Archive bytes of text objects built by hand from the stored field order,
// to hold the serialisation of labels, fields and lists to.
#include "ArchiveBytes.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace texttest {

using namespace archivebytes;

inline std::string Str(const std::string& s) { return char(s.size()) + s; } // below 255 bytes

inline std::string BaseBytes(const nv::TvObject& o, bool version = true)
{
    return (version ? U32(10) : std::string()) + Str(o.m_strName) + U32(o.m_nObjectId) + I32(o.m_nReserved) +
           I32(o.m_nX) + I32(o.m_nY) + I32(o.m_bTransparent) + U32(o.m_crBackColor) + I32(o.m_nDrawOrder);
}

// Attributes 1-40 (schema 0 stops there).
inline std::string TextBytes40(const nv::TvText& t, bool version = true)
{
    std::string b = BaseBytes(t, version);
    if (version) b += U32(10);
    for (int32_t v : {t.m_nWidth, t.m_nHeight, t.m_nExtra87, t.m_nExtra88, t.m_nExtra89, t.m_nExtra90, t.m_nDirection,
                      t.m_nAngle, t.m_nAlign, t.m_nLinePitch, t.m_bWordWrap, t.m_bKinsoku})
        b += I32(v);
    b += Str(t.m_strPicture) + Str(t.m_strReplace);
    for (int32_t v : {t.m_nHanFont, t.m_nHanWidth, t.m_nHanHeight, t.m_nHanPitch, t.m_nZenFont, t.m_nZenWidth,
                      t.m_nZenHeight, t.m_nZenPitch, t.m_nCharRatio, t.m_bBold, t.m_bItalic})
        b += I32(v);
    b += U32(t.m_crText) + I32(t.m_nUnderline) + U32(t.m_crUnderline) + I32(t.m_nStrike) + U32(t.m_crStrike) +
         I32(t.m_nFillStyle) + U32(t.m_crFill) + I32(t.m_nLineStyle) + I32(t.m_nLineWidth) + U32(t.m_crLine) +
         I32(t.m_bFrame) + I32(t.m_nMarginLeft) + I32(t.m_nMarginTop);
    b += Str(t.m_strText) + Str(t.m_strPicture2);
    return b;
}

// The whole text part as the current schema stores it.
inline std::string TextBytes(const nv::TvText& t)
{
    std::string b = TextBytes40(t);
    for (int32_t v : {t.m_bMeasuredPitch, t.m_bReverse, t.m_bAutoLineFeed, t.m_nMarginRight, t.m_nMarginBottom,
                      t.m_bFlag100})
        b += I32(v);
    b += Str(t.m_strBefore) + Str(t.m_strAfter) + I32(t.m_nComma);
    return b;
}

// Every one of the 49 attributes (and the base) away from its default; `k`
// varies the values so that two objects filled with different k differ
// everywhere.
inline void FillText(nv::TvText& t, int32_t k = 0)
{
    t.m_strName = "Label" + std::to_string(7 + k);
    t.m_nObjectId = 77 + k;
    t.m_nReserved = -5 - k;
    t.m_nX = 144000 + k;
    t.m_nY = 288000 + k;
    t.m_bTransparent = 0;
    t.m_crBackColor = 0x00ABCDEF;
    t.m_nDrawOrder = 4 + k;
    int32_t v = 1000 + 100 * k;
    for (int32_t* p : {&t.m_nWidth, &t.m_nHeight, &t.m_nExtra87, &t.m_nExtra88, &t.m_nExtra89, &t.m_nExtra90})
        *p = ++v;
    t.m_nDirection = 3;
    t.m_nAngle = 9000;
    t.m_nAlign = 4;
    t.m_nLinePitch = 240000 + k;
    t.m_bWordWrap = 1;
    t.m_bKinsoku = 1;
    t.m_strPicture = "ZZZ,ZZ9.99";
    t.m_strReplace = "*";
    for (int32_t* p : {&t.m_nHanFont, &t.m_nHanWidth, &t.m_nHanHeight, &t.m_nHanPitch, &t.m_nZenFont,
                       &t.m_nZenWidth, &t.m_nZenHeight, &t.m_nZenPitch})
        *p = ++v;
    t.m_nCharRatio = 1;
    t.m_bBold = 1;
    t.m_bItalic = 1;
    t.m_crText = 0x000000FE;
    t.m_nUnderline = 2;
    t.m_crUnderline = 0x0000FE00;
    t.m_nStrike = 3;
    t.m_crStrike = 0x00FE0000;
    t.m_nFillStyle = -2;
    t.m_crFill = 0x00101010;
    t.m_nLineStyle = 4;
    t.m_nLineWidth = 30000 + k;
    t.m_crLine = 0x00202020;
    t.m_bFrame = 1;
    t.m_nMarginLeft = 11 + k;
    t.m_nMarginTop = 12 + k;
    t.m_strText = "\x8B\xE0\x8A\x7A:" + std::to_string(k); // CP932 "amount"
    t.m_strPicture2 = "X9";
    t.m_bMeasuredPitch = 0;
    t.m_bReverse = 1;
    t.m_bAutoLineFeed = 0;
    t.m_nMarginRight = 13 + k;
    t.m_nMarginBottom = 14 + k;
    t.m_bFlag100 = 0;
    t.m_strBefore = "\x81\x8F";
    t.m_strAfter = "-";
    t.m_nComma = 1;
}

} // namespace texttest
