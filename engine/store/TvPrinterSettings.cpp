#include "engine/store/TvPrinterSettings.h"

#include "engine/core/AppException.h"
#include "engine/core/PropertyTable.h"
#include "engine/core/PropertyTypes.h"
#include "engine/store/TvDocHeader.h"

namespace nv {

void TvPrinterSettings::Reset()
{
    m_nVersion = kVersion;
    m_nLength = 0;
    m_strPrinterName.clear();
    m_strPortName.clear();
    m_strFormName.clear();
    m_nOrientation = m_nPaperSize = 0;
    m_nPaperLength = m_nPaperWidth = m_nScale = m_nCopies = m_nPrintQuality = 0;
    m_nColor = m_nDuplex = m_nReserved = m_nYResolution = m_nTTOption = m_nCollate = 0;
    m_nFields = m_nChangeMask = 0;
    m_nDefaultSource = 0;
}

void TvPrinterSettings::Store(StoreWriter& w) const
{
    w.U32(kMagic);
    w.U32(kVersion); // the fields below are those of this version
    w.U32(m_nLength);
    w.String(m_strPrinterName);
    w.String(m_strPortName);
    w.I32(m_nOrientation);
    w.I32(m_nPaperSize);
    for (int16_t v : {m_nPaperLength, m_nPaperWidth, m_nScale, m_nCopies, m_nPrintQuality, m_nColor, m_nDuplex,
                      m_nReserved, m_nYResolution, m_nTTOption, m_nCollate})
        w.U16(static_cast<uint16_t>(v));
    w.String(m_strFormName);
    w.U16(static_cast<uint16_t>(m_nDefaultSource));
    w.U32(m_nChangeMask);
}

void TvPrinterSettings::Load(StoreReader& r)
{
    if (r.U32() != kMagic) ThrowAppException(IDS_DOC_BAD_FORMAT);
    m_nVersion = r.U32();
    m_nLength = r.U32();
    m_strPrinterName = r.String();
    m_strPortName = r.String();
    m_nOrientation = r.I32();
    m_nPaperSize = r.I32();
    for (int16_t* f : {&m_nPaperLength, &m_nPaperWidth, &m_nScale, &m_nCopies, &m_nPrintQuality, &m_nColor, &m_nDuplex,
                       &m_nReserved, &m_nYResolution, &m_nTTOption, &m_nCollate})
        *f = static_cast<int16_t>(r.U16());
    m_strFormName = r.String();
    m_nDefaultSource = m_nVersion > 1 ? static_cast<int16_t>(r.U16()) : 0;
    m_nChangeMask = m_nVersion > 2 ? r.U32() : 0;
    SkipRecordRest(r, m_nLength, GetRecordLength());
}

uint32_t TvPrinterSettings::MaskBit(uint32_t id)
{
    if (id < kFirstProperty || id > kLastProperty) return 0;
    return 1u << (id - kFirstProperty);
}

void TvPrinterSettings::SetProperties(const TvPropertyMap& map, TvChangeList* list)
{
    using R = PropertyRows<TvPrinterSettings>;
    static constexpr PropertyRow<TvPrinterSettings> rows[] = {
        R::Field<&TvPrinterSettings::m_nOrientation>(propPrnOrientation),
        R::Field<&TvPrinterSettings::m_nPaperSize>(propPrnPaperSize),
        R::Field<&TvPrinterSettings::m_nPaperLength>(propPrnPaperLength),
        R::Field<&TvPrinterSettings::m_nPaperWidth>(propPrnPaperWidth),
        R::Field<&TvPrinterSettings::m_nScale>(propPrnScale),
        R::Field<&TvPrinterSettings::m_nCopies>(propPrnCopies),
        R::Field<&TvPrinterSettings::m_nPrintQuality>(propPrnQuality),
        R::Field<&TvPrinterSettings::m_nColor>(propPrnColor),
        R::Field<&TvPrinterSettings::m_nDuplex>(propPrnDuplex),
        R::Field<&TvPrinterSettings::m_nYResolution>(propPrnYResolution),
        R::Field<&TvPrinterSettings::m_nTTOption>(propPrnTrueTypeOption),
        R::Field<&TvPrinterSettings::m_nCollate>(propPrnCollate),
        R::Field<&TvPrinterSettings::m_strFormName>(propPrnFormName),
        R::Field<&TvPrinterSettings::m_nDefaultSource>(propPrnDefaultSource),
    };
    static const PropertyTable<TvPrinterSettings> table(nullptr, rows);
    for (const auto& [id, value] : map) {
        const uint32_t bit = MaskBit(id);
        if (bit == 0) continue;
        if (const auto* row = table.FindOwn(id)) PropertyTable<TvPrinterSettings>::ApplyRow(*row, *this, value, list);
        m_nChangeMask |= bit;
    }
}

} // namespace nv
