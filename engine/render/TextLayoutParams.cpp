#include "engine/model/TvFedObject.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvText.h"
#include "engine/render/TextLayout.h"

namespace nv {

TextLayoutParams MakeTextLayoutParams(const TvText& text, const TvFedObject* form,
                                      const std::vector<const TvFontDesc*>* docFonts, const TvLayer* layer)
{
    TextLayoutParams p;
    text.GetBoundRect(p.bound, false);
    p.direction = text.m_nDirection;
    p.angle = text.m_nAngle;
    p.alignment = text.m_nAlign;
    p.zen = LookupLayoutFont(form, docFonts, text.m_nZenFont);
    p.zen.height = text.m_nZenHeight;
    p.zen.width = text.m_nZenWidth;
    p.zen.pitch = text.m_nZenPitch;
    p.han = LookupLayoutFont(form, docFonts, text.m_nHanFont);
    p.han.height = text.m_nHanHeight;
    p.han.width = text.m_nHanWidth;
    p.han.pitch = text.m_nHanPitch;
    p.bold = text.m_bBold != 0;
    p.italic = text.m_bItalic != 0;
    p.measuredPitch = text.m_bMeasuredPitch != 0;
    p.linePitch = text.m_nLinePitch;
    p.wrap = text.m_bAutoLineFeed != 0;
    p.kinsoku = text.m_bKinsoku != 0;
    p.wordBreak = text.m_bWordWrap != 0;
    p.reverse = text.m_bReverse != 0;
    p.marginLeft = text.m_nMarginLeft;
    p.marginTop = text.m_nMarginTop;
    p.marginRight = text.m_nMarginRight;
    p.marginBottom = text.m_nMarginBottom;
    p.underline = text.m_nUnderline;
    p.underlineColour = text.m_crUnderline;
    p.strike = text.m_nStrike;
    p.strikeColour = text.m_crStrike;
    if (form && form->m_pFormInfo) p.kinsokuString = form->m_pFormInfo->m_strKinsoku;
    p.cellLayer = layer && layer->m_nLayerMode == 2;
    return p;
}

} // namespace nv
