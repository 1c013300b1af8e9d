#include "engine/model/TvBarcode.h"

#include "engine/barcode/BarcodeFit.h"
#include "engine/core/Archive.h"
#include "engine/core/Exceptions.h"
#include "engine/core/PropertyTypes.h"
#include "engine/core/StoredNames.h"

#include <algorithm>
#include <cstring>

namespace nv {

NV_IMPLEMENT_SERIAL_NAMED(TvBarcode, kClassTvBarcode, TvObject, 10, true)

TvBarcode::TvBarcode()
{
    SetSymbology(m_nSymbology);
}

void TvBarcode::SetSymbology(int32_t symbology)
{
    m_nSymbology = symbology;
    if (const int32_t count = ExplicitWidthCount(symbology)) m_nWidthCount = count;
    m_nWidths.fill(0);
}

int32_t TvBarcode::IsWidthIndexValid(int32_t index) const
{
    return index >= 0 && index < ExplicitWidthCount(m_nSymbology) ? 1 : 0;
}

void TvBarcode::CopyBarcodeFields(const TvBarcode& s)
{
    m_bFieldBound = s.m_bFieldBound;
    m_nWidth = s.m_nWidth;
    m_nHeight = s.m_nHeight;
    m_nSymbology = s.m_nSymbology;
    m_crBarColor = s.m_crBarColor;
    m_bCheckDigit = s.m_bCheckDigit;
    m_nOrientation = s.m_nOrientation;
    m_nWidthMode = s.m_nWidthMode;
    m_nSecondWidth = s.m_nSecondWidth;
    m_nFirstWidth = s.m_nFirstWidth;
    m_nNominalLength = s.m_nNominalLength;
    m_nWidthCount = s.m_nWidthCount;
    m_nWidths = s.m_nWidths;
    m_nFieldIndex = s.m_nFieldIndex;
    m_bCustomerHeight = s.m_bCustomerHeight;
}

void TvBarcode::CopyAttributes(const TvObject& other)
{
    TvObject::CopyAttributes(other);
    if (const auto* b = dynamic_cast<const TvBarcode*>(&other)) CopyBarcodeFields(*b);
}

std::unique_ptr<TvObject> TvBarcode::Clone() const
{
    auto copy = std::make_unique<TvBarcode>();
    copy->CopyAttributes(*this);
    copy->m_nNamingMode = m_nNamingMode;
    return copy;
}

void TvBarcode::Serialize(Archive& ar, uint32_t schema)
{
    TvObject::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI32(m_bFieldBound);
        ar.WriteI32(m_nWidth);
        ar.WriteI32(m_nHeight);
        ar.WriteI32(m_nSymbology);
        ar.WriteU32(m_crBarColor);
        ar.WriteI32(m_bCheckDigit);
        ar.WriteI32(m_nOrientation);
        ar.WriteI32(m_nWidthMode);
        ar.WriteI32(m_nSecondWidth);
        ar.WriteI32(m_nFirstWidth);
        ar.WriteI32(m_nNominalLength);
        // A count outside the array is never written; it would not read back.
        const int32_t count = std::clamp(m_nWidthCount, 0, kMaxWidths);
        ar.WriteI32(count);
        for (int32_t i = 0; i < count; ++i) ar.WriteI32(m_nWidths[size_t(i)]);
        ar.WriteI32(m_nFieldIndex);
        ar.WriteI32(m_bCustomerHeight);
        return;
    }
    if (schema >= 10) (void)ar.ReadU32();
    m_bFieldBound = ar.ReadI32();
    m_nWidth = ar.ReadI32();
    m_nHeight = ar.ReadI32();
    m_nSymbology = ar.ReadI32();
    m_crBarColor = ar.ReadU32();
    m_bCheckDigit = ar.ReadI32();
    m_nOrientation = ar.ReadI32();
    m_nWidthMode = ar.ReadI32();
    m_nSecondWidth = ar.ReadI32();
    m_nFirstWidth = ar.ReadI32();
    m_nNominalLength = ar.ReadI32();
    const int32_t count = ar.ReadI32();
    if (count < 0 || count > kMaxWidths) ar.ThrowError(CArchiveException::badIndex);
    m_nWidthCount = count;
    m_nWidths.fill(0);
    for (int32_t i = 0; i < count; ++i) m_nWidths[size_t(i)] = ar.ReadI32();
    m_nFieldIndex = schema >= 1 ? ar.ReadI32() : 0;
    m_bCustomerHeight = schema >= 2 ? ar.ReadI32() : 1;
}

void TvBarcode::GetBoundRect(Rect& out, bool) const
{
    RectFromAnchor(out, m_nOrientation, m_nWidth, m_nHeight);
}

void TvBarcode::SetRect(const Rect& r)
{
    AnchorFromRect(m_nWidth, m_nHeight, m_nOrientation, r);
}

namespace {

using Row = ObjectPropertyTable::Row;

template <size_t Index>
void* BarWidth(TvObject& o)
{
    return &static_cast<TvBarcode&>(o).m_nWidths[Index];
}

template <size_t Index>
constexpr Row BarWidthRow()
{
    return ObjectRows::Custom(static_cast<uint16_t>(propBarWidthFirst + Index), PropertyField::int32, &BarWidth<Index>);
}

// The field index shows only while the barcode is bound to a field.
void* BoundFieldIndex(TvObject& o)
{
    auto& b = static_cast<TvBarcode&>(o);
    return b.m_bFieldBound ? &b.m_nFieldIndex : nullptr;
}

void ApplyFieldIndex(TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes)
{
    SetLongProp(changes, propFieldNumber, static_cast<TvBarcode&>(o).m_nFieldIndex, v.AsLong());
}

// The explicit widths belong to one symbology.
void ApplySymbology(TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes)
{
    auto& b = static_cast<TvBarcode&>(o);
    if (SetLongProp(changes, propSymbology, b.m_nSymbology, v.AsLong())) b.SetSymbology(v.AsLong());
}

// Held to the eight widths the object has.
void ApplyWidthCount(TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes)
{
    auto& b = static_cast<TvBarcode&>(o);
    SetLongProp(changes, propWidthCount, b.m_nWidthCount, std::clamp(v.AsLong(), 0, TvBarcode::kMaxWidths));
}

// A new box as a rectangle (four 32-bit values: left, top, right, bottom);
// only the anchor it gives is recorded.
void ApplyTurnBox(TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes)
{
    auto& b = static_cast<TvBarcode&>(o);
    const std::string& bytes = v.AsString();
    if (bytes.size() != 16) return;
    int32_t c[4];
    std::memcpy(c, bytes.data(), sizeof c); // little-endian host, as the archive
    const Point before{b.m_nX, b.m_nY};
    b.SetRect(Rect{c[0], c[1], c[2], c[3]});
    const Point after{b.m_nX, b.m_nY};
    b.m_nX = before.x;
    b.m_nY = before.y;
    SetLongProp(changes, propAnchorX, b.m_nX, after.x);
    SetLongProp(changes, propAnchorY, b.m_nY, after.y);
}

constexpr Row kBarcodeRows[] = {
    BaseRow(propName, useRead | useWrite),
    ObjectRows::Field<&TvBarcode::m_crBarColor>(propFillColor),
    ObjectRows::Field<&TvBarcode::m_nWidth>(propWidth),
    ObjectRows::Field<&TvBarcode::m_nHeight>(propHeight),
    ObjectRows::Field<&TvBarcode::m_nSymbology>(propSymbology, useAll, &ApplySymbology),
    ObjectRows::Field<&TvBarcode::m_bCheckDigit>(propCheckDigit),
    ObjectRows::Field<&TvBarcode::m_nOrientation>(propDirection),
    ObjectRows::Mark(propText, useWrite),
    ObjectRows::Field<&TvBarcode::m_nWidthMode>(propBarWidthMode),
    ObjectRows::Apply(propTurn, &ApplyTurnBox, useApply),
    ObjectRows::Field<&TvBarcode::m_nNominalLength>(propNominalLength, useReadOnly),
    ObjectRows::Field<&TvBarcode::m_nSecondWidth>(propSecondWidth),
    ObjectRows::Field<&TvBarcode::m_nFirstWidth>(propFirstWidth),
    ObjectRows::Field<&TvBarcode::m_bCustomerHeight>(propStandardHeight),
    ObjectRows::Field<&TvBarcode::m_nWidthCount>(propWidthCount, useReadOnly, &ApplyWidthCount),
    BarWidthRow<0>(),
    BarWidthRow<1>(),
    BarWidthRow<2>(),
    BarWidthRow<3>(),
    BarWidthRow<4>(),
    BarWidthRow<5>(),
    BarWidthRow<6>(),
    BarWidthRow<7>(),
    ObjectRows::Custom(propFieldNumber, PropertyField::int32, &BoundFieldIndex, useAll, &ApplyFieldIndex),
    ObjectRows::Field<&TvBarcode::m_strText>(propValue, useWrite | useApply),
};
static_assert(propBarWidthFirst + TvBarcode::kMaxWidths - 1 == propBarWidthLast);

} // namespace

const ObjectPropertyTable& TvBarcode::Properties() const
{
    static const ObjectPropertyTable table(&BaseProperties(), kBarcodeRows, kOfferedBaseRows);
    return table;
}

void TvBarcode::FillParams(BarcodeParams& p, int32_t resolutionX, int32_t resolutionY) const
{
    p = BarcodeParams{};
    p.left = m_nX;
    p.top = m_nY;
    p.width = m_nWidth;
    p.height = (m_nSymbology == kBarcodeCustomer && m_bCustomerHeight == 1) ? kCustomerHeight : m_nHeight;
    p.orientation = m_nOrientation;
    p.resolutionX = resolutionX;
    p.resolutionY = resolutionY;
    p.symbology = m_nSymbology;
    p.checkDigit = m_bCheckDigit;
    p.widthMode = m_nWidthMode;
    if (m_nWidthMode == kWidthTwo) {
        p.widths = {m_nFirstWidth, m_nSecondWidth};
    } else if (m_nWidthMode == kWidthExplicit) {
        const int32_t count = std::clamp(m_nWidthCount, 0, kMaxWidths);
        p.widths.assign(m_nWidths.begin(), m_nWidths.begin() + count);
    }
}

int32_t TvBarcode::CheckText(std::string& expanded, std::string_view text) const
{
    expanded.clear();
    if (text.size() > kMaxCheckText) return kBarcodeErrLength;
    BarcodeParams p;
    FillParams(p, 300, 300);
    p.text.assign(text);
    p.expandedText = &expanded;
    const int32_t r = EncodeBarcode(p);
    if (r <= 0) return r;
    if (m_nSymbology == kBarcodeCustomer) expanded.assign(text);
    return 0;
}

int32_t TvBarcode::ComputeBars(std::string_view text, int32_t resolutionX, int32_t resolutionY,
                               std::vector<BarRect>& bars, int32_t* resultWidth) const
{
    BarcodeParams p;
    FillParams(p, resolutionX, resolutionY);
    p.text.assign(text);
    p.bars = &bars;
    const int32_t r = FitBarcode(p);
    if (r == 0 && resultWidth) *resultWidth = p.resultWidth;
    return r;
}

} // namespace nv
