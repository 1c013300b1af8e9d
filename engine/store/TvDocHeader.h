#pragma once
// Record 1 of a report document file (the file's layout is in TvDocIndex.h).
#include "engine/store/StoreIo.h"

#include <cstdint>
#include <string>

namespace nv {

class TvDocHeader {
public:
    static constexpr uint32_t kMagic = 0x6372641A;
    static constexpr uint32_t kVersion = 2;

    TvDocHeader() { Reset(); }
    // Length 0, version 2, no name, created now (UTC), every number 0.
    void Reset();
    uint32_t GetRecordLength() const { return 48 + static_cast<uint32_t>(m_strName.size()); }

    void Store(StoreWriter& w) const;
    // A wrong magic number raises message 22005.
    void Load(StoreReader& r);

    // FILETIME of the current time: 100 ns units since 1601-01-01 UTC.
    static uint64_t CurrentFileTime();

    uint32_t m_nLength = 0;
    uint32_t m_nVersion = kVersion;
    std::string m_strName;
    uint32_t m_nTimeLow = 0;
    uint32_t m_nTimeHigh = 0;
    uint32_t m_bPacked = 0;
    uint32_t m_nSecondFlag = 0;
    uint32_t m_nPageCount = 0;
    uint32_t m_nFormIndexPos = 0;
    uint32_t m_nPageIndexPos = 0;
    uint32_t m_nFontListOffset = 0;
};

// The length rule of every record: a stored length greater than the one the
// reader computes is skipped; a smaller one skips nothing.
void SkipRecordRest(StoreReader& r, uint32_t stored, uint64_t computed);

} // namespace nv
