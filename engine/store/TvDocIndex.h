#pragma once
// The form index, the page index (records 3 and 4 of a report document file)
// and the page record stored after each page's data in the body.
//
// A report document file, all numbers little-endian:
//   1 document header      TvDocHeader        magic 0x6372641A
//   2 printer set-up       TvPrinterSettings  magic 0x6370681A
//   3 form index           TvFormIndex        magic 0x6366691A
//   4 page index           TvPageIndex        magic 0x6370691A
//   5 body, to the end of the file, packed as one stream when the header
//     says so: each form once as its own archive; per page its change
//     entries (TvChangeEntry) and lists of extra objects, then its page
//     record (TvPageRecord) pointing at them; last the document's font list.
// Offsets in indexes and page records count from the start of the unpacked
// body. Each record carries a length computed by a fixed formula, which is
// not always its size: readers skip only what that formula says is extra.
#include "engine/store/StoreIo.h"

#include <cstdint>
#include <vector>

namespace nv {

struct TvFormIndexEntry {
    uint32_t m_nOffset = 0; // body offset of the form's archive
    int32_t m_nFormId = -1;
    uint32_t m_nLength = 0; // byte length of the form's archive
};

struct TvPageIndexEntry {
    uint32_t m_nOffset = 0; // body offset of the page record
    int32_t m_nPageNo = -1;
    int32_t m_nFormId = -1;
};

// What a page record entry points at: recorded changes of the form, the
// printer set-up, a layer or an object, or objects the page adds.
enum PageEntryType : uint32_t {
    entryForm = 0,
    entryPrinter = 1,
    entryLayer = 2,
    entryObject = 3,
    entryExtraObjects = 4,
};

struct TvPageRecordEntry {
    uint32_t m_nType = entryForm; // PageEntryType
    uint32_t m_nLength = 0;
    uint32_t m_nOffset = 0;
};

class TvFormIndex {
public:
    static constexpr uint32_t kMagic = 0x6366691A;
    static constexpr uint32_t kVersion = 2;

    uint32_t GetRecordLength() const { return 16 + 12 * m_nCount; }
    void Add(const TvFormIndexEntry& e)
    {
        m_entries.push_back(e);
        ++m_nCount;
    }
    const TvFormIndexEntry* Find(int32_t formId) const;
    void Store(StoreWriter& w) const;
    // A wrong magic number raises message 22005.
    void Load(StoreReader& r);

    uint32_t m_nVersion = kVersion;
    uint32_t m_nCount = 0;
    std::vector<TvFormIndexEntry> m_entries;
};

class TvPageIndex {
public:
    static constexpr uint32_t kMagic = 0x6370691A;
    static constexpr uint32_t kVersion = 2;

    // Not the record's size; kept as files have always stored it.
    uint32_t GetRecordLength() const { return m_nCount + 28; }
    void Add(const TvPageIndexEntry& e)
    {
        m_entries.push_back(e);
        ++m_nCount;
    }
    const TvPageIndexEntry* Find(int32_t pageNo) const;
    void Store(StoreWriter& w) const;
    // A wrong magic number raises message 22005.
    void Load(StoreReader& r);

    uint32_t m_nVersion = kVersion;
    uint32_t m_nCount = 0;
    std::vector<TvPageIndexEntry> m_entries;
};

class TvPageRecord {
public:
    static constexpr uint32_t kMagic = 0x6364721A;
    static constexpr uint32_t kVersion = 2;

    // Not the record's size (20 + 12 per entry); kept as files store it.
    uint32_t GetRecordLength() const { return 16 + 28 * m_nCount; }
    void Add(uint32_t type, uint32_t length, uint32_t offset)
    {
        m_entries.push_back(TvPageRecordEntry{type, length, offset});
        ++m_nCount;
    }
    void Store(StoreWriter& w) const;
    // A wrong magic number raises message 22006.
    void Load(StoreReader& r);

    uint32_t m_nVersion = kVersion;
    int32_t m_nFormId = 0;
    uint32_t m_nCount = 0;
    std::vector<TvPageRecordEntry> m_entries;
};

} // namespace nv
