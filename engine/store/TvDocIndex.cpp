#include "engine/store/TvDocIndex.h"

#include "engine/core/AppException.h"
#include "engine/store/TvDocHeader.h"

namespace nv {

namespace {

constexpr uint64_t kEntrySize = 12;

// A count is believed only when its entries fit in what the file holds.
void CheckCount(StoreReader& r, uint32_t count)
{
    if (uint64_t{count} * kEntrySize > r.Remaining()) r.Skip(uint64_t{count} * kEntrySize);
}

// The form and the page index share one record shape: magic, version,
// count, entries of three 32-bit values, then the record length.
template <class Index, class WriteEntry>
void StoreIndex(const Index& index, StoreWriter& w, WriteEntry writeEntry)
{
    w.U32(Index::kMagic);
    w.U32(Index::kVersion);
    w.U32(index.m_nCount);
    for (const auto& e : index.m_entries) writeEntry(e);
    w.U32(index.GetRecordLength());
}

template <class Index, class ReadEntry>
void LoadIndex(Index& index, StoreReader& r, ReadEntry readEntry)
{
    if (r.U32() != Index::kMagic) ThrowAppException(IDS_DOC_BAD_FORMAT);
    index.m_nVersion = r.U32();
    const uint32_t count = r.U32();
    CheckCount(r, count);
    index.m_entries.clear();
    index.m_entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i) index.m_entries.push_back(readEntry());
    index.m_nCount = count;
    if (index.m_nVersion > 1) SkipRecordRest(r, r.U32(), index.GetRecordLength());
}

} // namespace

const TvFormIndexEntry* TvFormIndex::Find(int32_t formId) const
{
    for (const auto& e : m_entries)
        if (e.m_nFormId == formId) return &e;
    return nullptr;
}

void TvFormIndex::Store(StoreWriter& w) const
{
    StoreIndex(*this, w, [&w](const TvFormIndexEntry& e) {
        w.U32(e.m_nOffset);
        w.I32(e.m_nFormId);
        w.U32(e.m_nLength);
    });
}

void TvFormIndex::Load(StoreReader& r)
{
    LoadIndex(*this, r, [&r] {
        TvFormIndexEntry e;
        e.m_nOffset = r.U32();
        e.m_nFormId = r.I32();
        e.m_nLength = r.U32();
        return e;
    });
}

void TvPageIndex::Add(const TvPageIndexEntry& e)
{
    if (e.m_nPageNo >= 1 && static_cast<uint64_t>(e.m_nPageNo) == m_positions.size() + 1)
        m_positions.push_back(static_cast<uint32_t>(m_entries.size()));
    m_entries.push_back(e);
    ++m_nCount;
}

const TvPageIndexEntry* TvPageIndex::Find(int32_t pageNo) const
{
    if (pageNo >= 1 && static_cast<uint64_t>(pageNo) <= m_positions.size()) {
        const uint32_t at = m_positions[pageNo - 1];
        ++m_nProbes;
        if (at < m_entries.size() && m_entries[at].m_nPageNo == pageNo) return &m_entries[at];
    }
    // Entries added by hand out of order.
    for (const auto& e : m_entries) {
        ++m_nProbes;
        if (e.m_nPageNo == pageNo) return &e;
    }
    return nullptr;
}

void TvPageIndex::Store(StoreWriter& w) const
{
    StoreIndex(*this, w, [&w](const TvPageIndexEntry& e) {
        w.U32(e.m_nOffset);
        w.I32(e.m_nPageNo);
        w.I32(e.m_nFormId);
    });
}

void TvPageIndex::Load(StoreReader& r)
{
    LoadIndex(*this, r, [&r] {
        TvPageIndexEntry e;
        e.m_nOffset = r.U32();
        e.m_nPageNo = r.I32();
        e.m_nFormId = r.I32();
        return e;
    });
    // Every page once: a number missing or twice would make pages unreachable
    // or one page stand for two.
    constexpr uint32_t kNone = 0xFFFFFFFFu;
    m_positions.assign(m_entries.size(), kNone);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const int32_t pageNo = m_entries[i].m_nPageNo;
        if (pageNo < 1 || static_cast<uint64_t>(pageNo) > m_entries.size() || m_positions[pageNo - 1] != kNone)
            ThrowAppException(IDS_DOC_BAD_DATA);
        m_positions[pageNo - 1] = static_cast<uint32_t>(i);
    }
}

void TvPageRecord::Store(StoreWriter& w) const
{
    w.U32(kMagic);
    w.U32(kVersion);
    w.I32(m_nFormId);
    w.U32(m_nCount);
    for (const auto& e : m_entries) {
        w.U32(e.m_nType);
        w.U32(e.m_nLength);
        w.U32(e.m_nOffset);
    }
    w.U32(GetRecordLength());
}

void TvPageRecord::Load(StoreReader& r)
{
    if (r.U32() != kMagic) ThrowAppException(IDS_DOC_BAD_DATA);
    m_nVersion = r.U32();
    m_nFormId = r.I32();
    const uint32_t count = r.U32();
    CheckCount(r, count);
    m_entries.clear();
    m_entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        TvPageRecordEntry e;
        e.m_nType = r.U32();
        e.m_nLength = r.U32();
        e.m_nOffset = r.U32();
        m_entries.push_back(e);
    }
    m_nCount = count;
    if (m_nVersion > 1) SkipRecordRest(r, r.U32(), GetRecordLength());
}

} // namespace nv
