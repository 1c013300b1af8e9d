#pragma once
// Recorded property values of one page: the entry, its key, the map that
// holds a page's entries, and the hand-over of freshly recorded changes.
#include "engine/core/ChangeData.h"
#include "engine/core/PropertyMap.h"
#include "engine/model/ModelFiles.h"
#include "engine/store/StoreIo.h"

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace nv {

struct TvEntryKey {
    int32_t m_nObjectId = 0;
    int32_t m_nPropId = 0;
    int16_t m_nCell1 = 0; // list cell numbers of property 125, else 0
    int16_t m_nCell2 = 0;

    uint32_t Hash() const
    {
        return (static_cast<uint32_t>(m_nPropId) << 16) | (static_cast<uint32_t>(m_nObjectId) & 0xFFFF);
    }
    bool Equals(const TvEntryKey& o) const
    {
        return m_nObjectId == o.m_nObjectId && m_nPropId == o.m_nPropId && m_nCell1 == o.m_nCell1 &&
               m_nCell2 == o.m_nCell2;
    }
    bool operator==(const TvEntryKey& o) const { return Equals(o); }

    // The key of a record of `objectId`; for property 125 the two cell
    // numbers at the start of the value text.
    static TvEntryKey For(uint32_t objectId, const CChangeData& record);
};

class TvChangeEntry {
public:
    TvChangeEntry() = default;
    TvChangeEntry(uint32_t objectId, std::unique_ptr<CChangeData> record)
        : m_nObjectId(objectId), m_pData(std::move(record)) {}
    virtual ~TvChangeEntry() = default;

    // Value size + 12 (for an embedded file: its content's size + 12).
    uint32_t GetStoredSize() const;
    // Writes the entry; an embedded file's content is stored in place of
    // its name (a file that cannot be read throws CFileException).
    void Store(StoreWriter& w) const;
    // Reads one entry; the value type comes from the property-type table.
    // An id not in the table leaves no value (m_pData null).
    void Load(StoreReader& r);
    // The embedded file's bytes of an entry read from a document.
    const std::string& Content() const;

    uint32_t m_nObjectId = 0;
    std::unique_ptr<CChangeData> m_pData;
    // An embedded file's bytes as read from a document. Only a record this
    // program made from a file names a file; bytes from a document never do,
    // also after AddChangeToPropertyMap has put them into a work file.
    bool m_bHoldsContent = false;
    std::string m_content; // the bytes, once the record names a work file
    HeldWorkFile m_workFile; // that work file: it goes with the entry
};

// The changes recorded for one object in one step; its records are handed
// over to an entry map by MergeChanges.
struct TvObjectChanges {
    TvObjectChanges() { m_changes.m_bRecordOld = false; }
    explicit TvObjectChanges(uint32_t objectId) : m_nObjectId(objectId) { m_changes.m_bRecordOld = false; }
    uint32_t m_nObjectId = 0;
    TvChangeList m_changes;
};

// Entries by key: 17 buckets by TvEntryKey::Hash, a new key at the head of
// its bucket; iteration runs bucket by bucket from the head. Look-ups go
// through a hash index of all four key parts.
class TvEntryMap {
public:
    static constexpr size_t kBuckets = 17;

    TvEntryMap() = default;
    TvEntryMap(const TvEntryMap&) = delete;
    TvEntryMap& operator=(const TvEntryMap&) = delete;

    TvChangeEntry* Lookup(const TvEntryKey& key) const;
    // Replaces the entry under the key (keeping its place) or adds it.
    void SetAt(const TvEntryKey& key, std::unique_ptr<TvChangeEntry> entry);
    bool RemoveKey(const TvEntryKey& key);
    void RemoveAll();
    size_t size() const { return index_.size(); }
    bool empty() const { return index_.empty(); }

    // Moves the records of `changes` into the map; a record replaces the
    // value of an entry with the same key.
    void MergeChanges(TvObjectChanges& changes);

    template <class F>
    void ForEach(F fn) const
    {
        for (const auto& bucket : buckets_)
            for (const auto& e : bucket) fn(e.first, *e.second);
    }

private:
    using Bucket = std::list<std::pair<TvEntryKey, std::unique_ptr<TvChangeEntry>>>;
    struct KeyHash {
        size_t operator()(const TvEntryKey& k) const
        {
            const uint64_t a = (uint64_t(uint32_t(k.m_nObjectId)) << 32) | uint32_t(k.m_nPropId);
            const uint64_t b = (uint64_t(uint16_t(k.m_nCell1)) << 16) | uint16_t(k.m_nCell2);
            return std::hash<uint64_t>()(a * 0x9E3779B97F4A7C15ull ^ b);
        }
    };
    Bucket buckets_[kBuckets];
    std::unordered_map<TvEntryKey, Bucket::iterator, KeyHash> index_;
};

// Puts the entry's value into `map` under its property id (numbers and
// texts; an embedded file becomes the name of a temporary file holding its
// bytes, and the record then holds that name as a text).
void AddChangeToPropertyMap(TvChangeEntry& entry, TvPropertyMap& map);

// Writes bytes into a new temporary file; `name` is emptied on a file error.
void WriteBlobToFile(std::string& name, const std::string& bytes);

} // namespace nv
