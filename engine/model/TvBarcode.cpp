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

void TvBarcode::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    TvObject::SetProperties(map, changes);
    for (const auto& [id, v] : map) {
        const int32_t n = v.AsLong();
        switch (id) {
        case 7: SetLongProp(changes, 7, m_crBarColor, n); break;
        case 13: SetLongProp(changes, 13, m_nWidth, n); break;
        case 14: SetLongProp(changes, 14, m_nHeight, n); break;
        case 28:
            // The explicit widths belong to one symbology.
            if (SetLongProp(changes, 28, m_nSymbology, n)) SetSymbology(n);
            break;
        case 29: SetLongProp(changes, 29, m_bCheckDigit, n); break;
        case 31: SetLongProp(changes, 31, m_nOrientation, n); break;
        case 92: SetLongProp(changes, 92, m_nWidthMode, n); break;
        case 93: {
            // A rectangle: four 32-bit values, left, top, right, bottom.
            const std::string& bytes = v.AsString();
            if (bytes.size() != 16) break;
            int32_t c[4];
            std::memcpy(c, bytes.data(), sizeof c); // little-endian host, as the archive
            const Point before{m_nX, m_nY};
            SetRect(Rect{c[0], c[1], c[2], c[3]});
            const Point after{m_nX, m_nY};
            m_nX = before.x;
            m_nY = before.y;
            SetLongProp(changes, 4, m_nX, after.x);
            SetLongProp(changes, 5, m_nY, after.y);
            break;
        }
        case 94: SetLongProp(changes, 94, m_nNominalLength, n); break;
        case 105: SetLongProp(changes, 105, m_nSecondWidth, n); break;
        case 106: SetLongProp(changes, 106, m_nFirstWidth, n); break;
        case 107: SetLongProp(changes, 107, m_bCustomerHeight, n); break;
        // Held to the eight widths the object has.
        case 108: SetLongProp(changes, 108, m_nWidthCount, std::clamp(n, 0, kMaxWidths)); break;
        case 122: SetLongProp(changes, 122, m_nFieldIndex, n); break;
        case 1001: SetStringProp(changes, 1001, m_strText, v.AsString()); break;
        default:
            if (id >= 109 && id <= 116) SetLongProp(changes, id, m_nWidths[size_t(id - 109)], n);
            break;
        }
    }
}

int32_t TvBarcode::IsPropertySupported(uint16_t id) const
{
    return (id >= 2 && id <= 7) || id == 13 || id == 14 || id == 28 || id == 29 || id == 31 || id == 35 ||
           id == 92 || id == 105 || id == 106 || id == 107 || (id >= 109 && id <= 116) || id == 122 ||
           id == 1000 || id == 1001;
}

int32_t TvBarcode::GetPropertyAddress(uint16_t id, void*& address, int32_t& kind)
{
    int32_t* field = nullptr;
    switch (id) {
    case 7: address = &m_crBarColor; kind = addrLong; return 1;
    case 13: field = &m_nWidth; break;
    case 14: field = &m_nHeight; break;
    case 28: field = &m_nSymbology; break;
    case 29: field = &m_bCheckDigit; break;
    case 31: field = &m_nOrientation; break;
    case 92: field = &m_nWidthMode; break;
    case 94: field = &m_nNominalLength; break;
    case 105: field = &m_nSecondWidth; break;
    case 106: field = &m_nFirstWidth; break;
    case 107: field = &m_bCustomerHeight; break;
    case 108: field = &m_nWidthCount; break;
    case 122:
        if (m_bFieldBound) field = &m_nFieldIndex;
        break;
    default:
        if (id >= 109 && id <= 116) field = &m_nWidths[size_t(id - 109)];
        break;
    }
    if (!field) return TvObject::GetPropertyAddress(id, address, kind);
    address = field;
    kind = addrLong;
    return 1;
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
