#pragma once
// Record 2 of a report document file: the document's printer set-up, the
// start values of every page. Also the settings object of the control's
// printer.
#include "engine/core/ChangeData.h"
#include "engine/core/PropertyIds.h"
#include "engine/core/PropertyMap.h"
#include "engine/store/StoreIo.h"

#include <cstdint>
#include <memory>
#include <string>

namespace nv {

class TvPrinterSettings {
public:
    static constexpr uint32_t kMagic = 0x6370681A;
    static constexpr uint32_t kVersion = 3;
    static constexpr uint16_t kFirstProperty = propPrnOrientation;
    static constexpr uint16_t kLastProperty = propPrnDefaultSource;

    TvPrinterSettings() { Reset(); }
    virtual ~TvPrinterSettings() = default;
    TvPrinterSettings(const TvPrinterSettings&) = default;
    TvPrinterSettings& operator=(const TvPrinterSettings&) = default;

    // Version 3, length 0, every number 0, every name empty.
    void Reset();
    uint32_t GetRecordLength() const
    {
        return 82 + static_cast<uint32_t>(m_strPrinterName.size() + m_strPortName.size() + m_strFormName.size());
    }

    void Store(StoreWriter& w) const;
    // A wrong magic number raises message 22005.
    void Load(StoreReader& r);

    virtual void CopyFrom(const TvPrinterSettings& other) { *this = other; }
    virtual std::unique_ptr<TvPrinterSettings> Clone() const { return std::make_unique<TvPrinterSettings>(*this); }

    // Sets the fields of ids 1500-1513 found in the map (recording changes in
    // `list` when given) and marks each id in the change mask.
    void SetProperties(const TvPropertyMap& map, TvChangeList* list);
    // The change-mask bit of a property id, 0 for other ids.
    static uint32_t MaskBit(uint32_t id);

    uint32_t m_nVersion = kVersion;
    uint32_t m_nLength = 0;
    std::string m_strPrinterName;
    std::string m_strPortName;
    int32_t m_nOrientation = 0;   // 1500
    int32_t m_nPaperSize = 0;     // 1501
    int16_t m_nPaperLength = 0;   // 1502
    int16_t m_nPaperWidth = 0;    // 1503
    int16_t m_nScale = 0;         // 1504
    int16_t m_nCopies = 0;        // 1505
    int16_t m_nPrintQuality = 0;  // 1506
    int16_t m_nColor = 0;         // 1507
    int16_t m_nDuplex = 0;        // 1508
    int16_t m_nReserved = 0;
    int16_t m_nYResolution = 0;   // 1509
    int16_t m_nTTOption = 0;      // 1510
    int16_t m_nCollate = 0;       // 1511
    std::string m_strFormName;    // 1512
    uint32_t m_nFields = 0;       // the printer's field mask, not stored
    uint32_t m_nChangeMask = 0;
    int16_t m_nDefaultSource = 0; // 1513
};

} // namespace nv
