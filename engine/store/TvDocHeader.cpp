#include "engine/store/TvDocHeader.h"

#include "engine/core/AppException.h"

#include <chrono>

namespace nv {

void SkipRecordRest(StoreReader& r, uint32_t stored, uint64_t computed)
{
    if (stored > computed) r.Skip(stored - computed);
}

uint64_t TvDocHeader::CurrentFileTime()
{
    using namespace std::chrono;
    const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<uint64_t>(since1970 / 100) + 116444736000000000ull;
}

void TvDocHeader::Reset()
{
    m_nLength = 0;
    m_nVersion = kVersion;
    m_strName.clear();
    const uint64_t t = CurrentFileTime();
    m_nTimeLow = static_cast<uint32_t>(t);
    m_nTimeHigh = static_cast<uint32_t>(t >> 32);
    m_bPacked = m_nSecondFlag = m_nPageCount = 0;
    m_nFormIndexPos = m_nPageIndexPos = m_nFontListOffset = 0;
}

void TvDocHeader::Store(StoreWriter& w) const
{
    w.U32(kMagic);
    w.U32(kVersion); // the fields below are those of this version
    w.U32(m_nLength);
    w.String(m_strName);
    w.U32(m_nTimeLow);
    w.U32(m_nTimeHigh);
    w.U32(m_bPacked);
    w.U32(m_nSecondFlag);
    w.U32(m_nPageCount);
    w.U32(m_nFormIndexPos);
    w.U32(m_nPageIndexPos);
    w.U32(m_nFontListOffset);
}

void TvDocHeader::Load(StoreReader& r)
{
    if (r.U32() != kMagic) ThrowAppException(IDS_DOC_BAD_FORMAT);
    m_nVersion = r.U32();
    m_nLength = r.U32();
    m_strName = r.String();
    m_nTimeLow = r.U32();
    m_nTimeHigh = r.U32();
    m_bPacked = r.U32();
    m_nSecondFlag = r.U32();
    m_nPageCount = r.U32();
    m_nFormIndexPos = r.U32();
    m_nPageIndexPos = r.U32();
    m_nFontListOffset = r.U32();
    SkipRecordRest(r, m_nLength, GetRecordLength());
}

} // namespace nv
