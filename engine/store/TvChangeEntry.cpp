#include "engine/store/TvChangeEntry.h"

#include "engine/core/File.h"
#include "engine/core/PropertyIds.h"
#include "engine/core/PropertyTypes.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/TvList.h"

namespace nv {

namespace {

std::string ReadWholeFile(const std::string& name)
{
    CFile f(name, CFile::modeRead);
    const uint64_t n = f.GetLength();
    if (n > 0xFFFFFFF0ull) throw CFileException(CFileException::diskFull, 0, name);
    std::string bytes(static_cast<size_t>(n), '\0');
    if (f.Read(bytes.data(), bytes.size()) != bytes.size())
        throw CFileException(CFileException::endOfFile, 0, name);
    f.Close();
    return bytes;
}

} // namespace

TvEntryKey TvEntryKey::For(uint32_t objectId, const CChangeData& record)
{
    TvEntryKey key{static_cast<int32_t>(objectId), record.m_nPropId, 0, 0};
    if (record.m_nPropId == propCellText) {
        std::string text;
        TvList::ParseCellKey(record.GetString(), key.m_nCell1, key.m_nCell2, text);
    }
    return key;
}

uint32_t TvChangeEntry::GetStoredSize() const
{
    if (!m_pData) return 12;
    if (m_pData->m_nType == CChangeData::typeFile) {
        CFile f(m_pData->GetString(), CFile::modeRead);
        return static_cast<uint32_t>(f.GetLength()) + 12;
    }
    return m_pData->Size() + 12;
}

void TvChangeEntry::Store(StoreWriter& w) const
{
    const uint16_t id = m_pData ? m_pData->m_nPropId : 0;
    if (m_pData && m_pData->m_nType == CChangeData::typeFile) {
        const std::string bytes = ReadWholeFile(m_pData->GetString());
        w.U32(static_cast<uint32_t>(bytes.size()));
        w.U32(m_nObjectId);
        w.U32(id);
        w.Bytes(bytes);
        return;
    }
    const std::string empty;
    const std::string& value = m_pData ? m_pData->Value() : empty;
    w.U32(static_cast<uint32_t>(value.size()));
    w.U32(m_nObjectId);
    w.U32(id);
    w.Bytes(value);
}

void TvChangeEntry::Load(StoreReader& r)
{
    const uint32_t length = r.U32();
    m_nObjectId = r.U32();
    const uint32_t propId = r.U32();
    const int32_t type = propId <= 0xFFFF ? GetPropertyType(propId) : 0;
    m_pData.reset();
    if (type == 0) {
        r.Skip(length);
        return;
    }
    auto data = std::make_unique<CChangeData>();
    data->m_nPropId = static_cast<uint16_t>(propId);
    data->m_nType = static_cast<uint16_t>(type);
    data->m_value = r.Bytes(length);
    m_pData = std::move(data);
}

TvChangeEntry* TvEntryMap::Lookup(const TvEntryKey& key) const
{
    for (const auto& e : buckets_[key.Hash() % kBuckets])
        if (e.first == key) return e.second.get();
    return nullptr;
}

void TvEntryMap::SetAt(const TvEntryKey& key, std::unique_ptr<TvChangeEntry> entry)
{
    auto& bucket = buckets_[key.Hash() % kBuckets];
    for (auto& e : bucket) {
        if (e.first == key) {
            e.second = std::move(entry);
            return;
        }
    }
    bucket.emplace_back(key, std::move(entry));
    ++count_;
}

void TvEntryMap::RemoveAll()
{
    for (auto& b : buckets_) b.clear();
    count_ = 0;
}

void TvEntryMap::MergeChanges(TvObjectChanges& changes)
{
    for (auto& record : changes.m_changes.Items()) {
        if (!record) continue;
        const TvEntryKey key = TvEntryKey::For(changes.m_nObjectId, *record);
        if (TvChangeEntry* e = Lookup(key))
            e->m_pData = std::move(record);
        else
            SetAt(key, std::make_unique<TvChangeEntry>(changes.m_nObjectId, std::move(record)));
    }
    changes.m_changes.clear();
}

void WriteBlobToFile(std::string& name, const std::string& bytes)
{
    try {
        CFile f(name, CFile::modeCreate);
        f.Write(bytes.data(), bytes.size());
        f.Close();
    } catch (const CException&) {
        name.clear();
    }
}

void AddChangeToPropertyMap(TvChangeEntry& entry, TvPropertyMap& map)
{
    CChangeData* d = entry.m_pData.get();
    if (!d || d->m_nPropId == propCellText) return;
    switch (d->m_nType) {
    case CChangeData::typeShort: map.SetShort(d->m_nPropId, d->GetShort()); break;
    case CChangeData::typeLong: map.SetLong(d->m_nPropId, d->GetLong()); break;
    case CChangeData::typeBytes: map.SetString(d->m_nPropId, d->GetString()); break;
    case CChangeData::typeFile: {
        std::string name;
        if (TempFileManager::Instance().CreateTempName(name)) WriteBlobToFile(name, d->Value());
        map.SetString(d->m_nPropId, name);
        d->m_nType = CChangeData::typeBytes;
        d->m_value = name;
        d->m_value.push_back('\0');
        break;
    }
    default: break;
    }
}

} // namespace nv
