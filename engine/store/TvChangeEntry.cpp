#include "engine/store/TvChangeEntry.h"

#include "engine/core/File.h"
#include "engine/core/PropertyIds.h"
#include "engine/core/PropertyTypes.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/TvList.h"
#include "engine/core/EngineLog.h"

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
    if (m_bHoldsContent) return static_cast<uint32_t>(Content().size()) + 12;
    if (m_pData->m_nType == CChangeData::typeFile) {
        CFile f(m_pData->GetString(), CFile::modeRead);
        return static_cast<uint32_t>(f.GetLength()) + 12;
    }
    return m_pData->Size() + 12;
}

const std::string& TvChangeEntry::Content() const
{
    return m_pData && m_pData->m_nType == CChangeData::typeFile ? m_pData->Value() : m_content;
}

void TvChangeEntry::Store(StoreWriter& w) const
{
    const uint16_t id = m_pData ? m_pData->m_nPropId : 0;
    auto write = [&](const std::string& bytes) {
        w.U32(static_cast<uint32_t>(bytes.size()));
        w.U32(m_nObjectId);
        w.U32(id);
        w.Bytes(bytes);
    };
    if (m_pData && m_bHoldsContent) return write(Content());
    if (m_pData && m_pData->m_nType == CChangeData::typeFile) return write(ReadWholeFile(m_pData->GetString()));
    static const std::string empty;
    write(m_pData ? m_pData->Value() : empty);
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
    m_bHoldsContent = type == CChangeData::typeFile;
    m_content.clear();
}

TvChangeEntry* TvEntryMap::Lookup(const TvEntryKey& key) const
{
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : it->second->second.get();
}

void TvEntryMap::SetAt(const TvEntryKey& key, std::unique_ptr<TvChangeEntry> entry)
{
    if (auto it = index_.find(key); it != index_.end()) {
        it->second->second = std::move(entry);
        return;
    }
    auto& bucket = buckets_[key.Hash() % kBuckets];
    bucket.emplace_front(key, std::move(entry));
    index_.emplace(key, bucket.begin());
}

bool TvEntryMap::RemoveKey(const TvEntryKey& key)
{
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    buckets_[key.Hash() % kBuckets].erase(it->second);
    index_.erase(it);
    return true;
}

void TvEntryMap::RemoveAll()
{
    for (auto& b : buckets_) b.clear();
    index_.clear();
}

void TvEntryMap::MergeChanges(TvObjectChanges& changes)
{
    for (auto& record : changes.m_changes.Items()) {
        if (!record) continue;
        const TvEntryKey key = TvEntryKey::For(changes.m_nObjectId, *record);
        if (TvChangeEntry* e = Lookup(key)) {
            e->m_pData = std::move(record);
            e->m_bHoldsContent = false;
            e->m_content.clear();
        } else
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
    } catch (const CException& e) {
        // The picture is left out of the page; the log says why.
        LogLine("TvChangeEntry", "画像を作業ファイル " + name + " に書き込めません: " + LogText(e));
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
        if (TempFileManager::Instance().CreateTempName(name)) {
            const std::string made = name;
            WriteBlobToFile(name, d->Value());
            if (name.empty()) TempFileManager::Instance().RemoveFile(made);
        } else {
            LogLine("TvChangeEntry", "画像の作業ファイルを作成できません: " + TempFileManager::Instance().LastError());
        }
        if (!name.empty()) entry.m_workFile = HeldWorkFile(name);
        map.SetString(d->m_nPropId, name);
        if (entry.m_bHoldsContent) entry.m_content = std::move(d->m_value);
        d->m_nType = CChangeData::typeBytes;
        d->m_value = name;
        d->m_value.push_back('\0');
        break;
    }
    default: break;
    }
}

} // namespace nv
