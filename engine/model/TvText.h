#pragma once
// A fixed label on a report form, and the text attributes that data fields,
// text fields and lists share with it. Character widths and heights are in
// 1/100 point; box sizes, pitches, margins and line widths in document units.
#include "engine/core/TvObject.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace nv {

struct TextDrawCache; // the renderer's (engine/render/RenderContext.cpp)

class TvText : public TvObject {
    NV_DECLARE_SERIAL(TvText)
public:
    TvText();
    // Box from the rectangle as given (not normalised), then the text.
    explicit TvText(const Rect& r, std::string_view text = {});
    // Box from the rectangle; the template's transparency, background and
    // text attributes 7-49 (its extra values 87-90 are not taken).
    TvText(const Rect& r, const TvText& templ);
    ~TvText() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    void GetBoundRect(Rect& out, bool withPen) const override;
    void SetRect(const Rect& r) override;
    int32_t GetType() const override { return objText; }
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Label", form); }
    int32_t GetFlags() const override { return flagCharacters | flagPlain | flagArea | flagTextAttributes; }
    uint32_t GetAttribute() const override { return m_crText; }
    void Scale(const Size& from, const Size& to) override;
    std::unique_ptr<TvObject> Clone() const override;
    void SetProperty(uint16_t, const TvPropValue&) override {}

    virtual void InitDefaults();
    // The picture with "," every three integer positions when the
    // thousands flag is 1 and the picture is numeric; else unchanged.
    virtual std::string CommaPicture(std::string_view picture) const;
    // Every text attribute (1-49), then the base attributes.
    virtual void CopyTextAttributes(const TvText& source);

    // ---- attributes in stored order (property id) ----------------------
    int32_t m_nWidth = 0;          // 1: 13
    int32_t m_nHeight = 0;         // 2: 14
    int32_t m_nExtra87 = 0;        // 3-6: 87-90, kept only
    int32_t m_nExtra88 = 0;
    int32_t m_nExtra89 = 0;
    int32_t m_nExtra90 = 0;
    int32_t m_nDirection = 1;      // 7: 31 (93 keeps the box)
    int32_t m_nAngle = 0;          // 8: 41, 1/100 degree
    int32_t m_nAlign = 1;          // 9: 26 (1 left, 2 right, 3 centre, 4 justify)
    int32_t m_nLinePitch = 0;      // 10: 53
    int32_t m_bWordWrap = 0;       // 11: 42
    int32_t m_bKinsoku = 0;        // 12: 43
    std::string m_strPicture;      // 13: 38
    std::string m_strReplace;      // 14: 36
    int32_t m_nHanFont = 0;        // 15: 55 (negative: id in the document font list)
    int32_t m_nHanWidth = 0;       // 16: 56
    int32_t m_nHanHeight = 0;      // 17: 57
    int32_t m_nHanPitch = 0;       // 18: 52
    int32_t m_nZenFont = 0;        // 19: 54
    int32_t m_nZenWidth = 0;       // 20: 58
    int32_t m_nZenHeight = 0;      // 21: 59
    int32_t m_nZenPitch = 0;       // 22: 51
    int32_t m_nCharRatio = 0;      // 23: 91 (0 = 2:1, else 3:2)
    int32_t m_bBold = 0;           // 24: 20
    int32_t m_bItalic = 0;         // 25: 21
    uint32_t m_crText = 0;         // 26: 1
    int32_t m_nUnderline = 0;      // 27: 23
    uint32_t m_crUnderline = 0;    // 28: 44
    int32_t m_nStrike = 0;         // 29: 22
    uint32_t m_crStrike = 0;       // 30: 45
    int32_t m_nFillStyle = 0;      // 31: 8 (a 16-bit value)
    uint32_t m_crFill = 0;         // 32: 7
    int32_t m_nLineStyle = 1;      // 33: 10 (a 16-bit value)
    int32_t m_nLineWidth = 15000;  // 34: 9
    uint32_t m_crLine = 0;         // 35: 11
    int32_t m_bFrame = 0;          // 36: 12
    int32_t m_nMarginLeft = 0;     // 37: 49
    int32_t m_nMarginTop = 0;      // 38: 50
    std::string m_strText;         // 39: 35
    std::string m_strPicture2;     // 40: 37, kept only
    int32_t m_bMeasuredPitch = 1;  // 41: 48
    int32_t m_bReverse = 0;        // 42: 46 (right to left)
    int32_t m_bAutoLineFeed = 1;   // 43: 47
    int32_t m_nMarginRight = 0;    // 44: 98
    int32_t m_nMarginBottom = 0;   // 45: 99
    int32_t m_bFlag100 = 1;        // 46: 100, kept only
    std::string m_strBefore;       // 47: 96
    std::string m_strAfter;        // 48: 97
    int32_t m_nComma = 0;          // 49: 104 (1 = thousands separators)

    // What the renderer made of the text when it last drew it (its lines and
    // runs): used again while the shown text, its fonts and its box stay the
    // same, so that a page drawn again lays out none of its texts. Not part
    // of the object's value: never stored, never compared.
    mutable std::shared_ptr<const TextDrawCache> m_drawCache;

protected:
    // The text attributes as a label applies and shows them; data fields,
    // text fields and lists share the group and override some of its rows.
    static std::span<const ObjectPropertyTable::Row> LabelRows();
    // Sets a label row's field from a value (the row's own rule included).
    void ApplyLabelRow(uint16_t id, const TvPropValue& v, TvChangeList* changes);
    // Id 25 with the pitches when `pitches`, the line pitch when `linePitch`.
    void ApplyCharSize(int32_t v, bool pitches, bool linePitch, TvChangeList* changes);
    // Box from a rectangle as given (wrapping, never overflowing).
    void SetBox(const Rect& r);
    // Transparency, background and attributes 7-49.
    void CopyTemplateAttributes(const TvText& templ);
    void ApplyTemplate(const Rect& r, const TvText& templ);
};

// The texts around a field's value and its edit picture.
inline constexpr ObjectPropertyTable::Row kFieldStringRows[] = {
    ObjectRows::Field<&TvText::m_strReplace>(propReplaceChar),
    ObjectRows::Field<&TvText::m_strPicture2>(propSparePicture, useWrite | useApply),
    ObjectRows::Field<&TvText::m_strPicture>(propPicture),
    ObjectRows::Field<&TvText::m_strBefore>(propBefore),
    ObjectRows::Field<&TvText::m_strAfter>(propAfter),
    ObjectRows::Field<&TvText::m_nComma>(propComma),
};

// 200 x v clamped to 32 bits (character size to document units).
int32_t CentiPointsToDoc(int64_t v);

} // namespace nv
