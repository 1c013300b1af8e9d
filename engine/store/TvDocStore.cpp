#include "engine/store/TvDocStore.h"

#include "engine/core/AppException.h"
#include "engine/core/Archive.h"
#include "engine/core/EngineLog.h"
#include "engine/core/PathUtil.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/ModelClasses.h"
#include "engine/store/TvHuffman.h"
#include "platform/core/Cp932.h"
#include "platform/core/FileReplacement.h"
#include "platform/core/OnFailure.h"
#include "engine/core/EngineLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include <sys/stat.h>
#include <unistd.h>

namespace nv {

namespace {

constexpr uint64_t kMaxOffset = 0xFFFFFFFFull;
// A font list is read no further than this: real lists are far smaller,
// so a damaged length cannot make a read cost megabytes.
constexpr uint64_t kMaxFontList = 4ull << 20;
// Room for the last record after the furthest offset the indexes name, and
// for the font list after that.
constexpr uint64_t kMaxBodyTail = 16ull << 20;
// Reading straight through a file goes in blocks of this size.
constexpr size_t kThroughBlock = 1 << 16;

// Why no work file could be made: the folder and the real cause.
std::string TempFailureText()
{
    const TempFileManager& m = TempFileManager::Instance();
    if (m.LastErrno() != 0) return CFileException::FromErrno(m.LastErrno(), m.LastFolder()).GetErrorMessage();
    return Utf8ToCp932Lossy(m.LastError()); // the folder check says it in UTF-8
}

} // namespace

TvDocStore::TvDocStore() = default;

TvDocStore::~TvDocStore()
{
    if (m_bOpen) Discard();
    CloseFiles();
}

void TvDocStore::OpenDocumentFile(const std::string& path)
{
    m_strDocPath = path;
    CFileException error(CFileException::none, 0, path);
    if (m_nMode == modeWriting) {
        // The target is checked now but written only by Close, through a
        // temporary file: an older document of that name survives a failure.
        namespace fs = std::filesystem;
        const fs::path fsPath(path);
        std::error_code ec;
        const fs::file_status st = fs::status(fsPath, ec); // follows links
        const bool exists = fs::exists(st);
        m_strTargetPath = path;
        if (exists) {
            // Only a regular file can be replaced by renaming; a link is
            // followed so that the file it names gets the new document.
            if (!fs::is_regular_file(st))
                ThrowAppException(IDS_DOC_CREATE_FAILED, PathForMessage(path),
                                  (fs::is_directory(st) ? CFileException::Folder(path)
                                                        : CFileException(CFileException::accessDenied, EINVAL, path))
                                      .GetErrorMessage());
            if (fs::is_symlink(fs::symlink_status(fsPath, ec))) {
                const fs::path real = fs::canonical(fsPath, ec);
                if (!ec) m_strTargetPath = real.string();
            }
        }
        const bool ok = exists ? m_docFile.TryOpen(m_strTargetPath, CFile::modeReadWrite, &error)
                               : m_docFile.TryOpen(path, CFile::modeCreateNew, &error);
        if (!ok) ThrowAppException(IDS_DOC_CREATE_FAILED, PathForMessage(path), error.GetErrorMessage());
        m_bCreatedTarget = !exists;
        m_docFile.Abort();
        struct stat created {};
        if (m_bCreatedTarget && ::stat(fsPath.c_str(), &created) == 0) {
            m_placeholderDev = created.st_dev;
            m_placeholderIno = created.st_ino;
            // Should the process die before Close or Discard, the next start
            // removes it.
            m_strPlaceholderNote = TempFileManager::Instance().NotePlaceholder(
                fs::absolute(fsPath, ec).string(), m_placeholderDev, m_placeholderIno);
        } else {
            m_bCreatedTarget = false;
        }
    } else if (!m_docFile.TryOpen(path, CFile::modeRead, &error)) {
        ThrowAppException(IDS_DOC_OPEN_FAILED, PathForMessage(path), error.GetErrorMessage());
    }
}

void TvDocStore::OpenSpoolFile()
{
    std::string name;
    CFileException error(CFileException::none, 0, name);
    if (!TempFileManager::Instance().CreateTempName(name, m_strWorkFolder)) {
        const std::string text = TempFailureText();
        m_docFile.Abort();
        ThrowAppException(IDS_DOC_TEMP_FAILED, text);
    }
    if (!m_spool.TryOpen(name, CFile::modeReadWrite, &error)) {
        m_docFile.Abort();
        TempFileManager::Instance().RemoveFile(name);
        ThrowAppException(IDS_DOC_TEMP_FAILED, error.GetErrorMessage());
    }
    m_strSpoolName = name;
    m_nSpoolSize = 0;
    m_bSpoolDamaged = false;
}

int TvDocStore::Create(const std::string& path)
{
    if (m_bOpen) return 0;
    m_nMode = modeWriting;
    m_formIndex = TvFormIndex();
    m_pageIndex = TvPageIndex();
    m_nCachedFormId = -1;
    m_pCachedForm.reset();
    OnFailure undo([this] {
        RemovePlaceholder();
        m_nMode = modeClosed;
    });
    OpenDocumentFile(path);
    OpenSpoolFile();
    m_bOpen = true;
    return 1;
}

int TvDocStore::Open(const std::string& path)
{
    if (m_bOpen) return 0;
    m_nMode = modeReading;
    m_nCachedFormId = -1;
    m_pCachedForm.reset();
    m_fonts.clear();
    m_bFontsRead = false;
    OnFailure undo([this] {
        CloseFiles();
        m_nMode = modeClosed;
    });
    OpenDocumentFile(path);
    OpenSpoolFile();
    LoadDocument();
    if (!m_bBodyInPlace) m_docFile.Abort(); // the spool holds the whole body: let the file go
    m_bOpen = true;
    return 1;
}

void TvDocStore::AppendToSpool(const std::string& bytes)
{
    if (m_bSpoolDamaged) ThrowAppException(IDS_DOC_WRITE_FAILED);
    if (m_nSpoolSize + bytes.size() > kMaxOffset) ThrowAppException(IDS_DOC_WRITE_FAILED);
    // Part of the bytes may be in the spool after a failed write: they are
    // cut off again, or the offsets of everything written later would point
    // beside their data.
    OnFailure cutOff([this] {
        try {
            m_spool.SetLength(m_nSpoolSize);
            m_spool.Seek(static_cast<int64_t>(m_nSpoolSize), CFile::begin);
        } catch (const CException& e) {
            LogLine("TvDocStore", "書き込みに失敗したスプールを元の長さに戻せません: " + LogText(e));
            m_bSpoolDamaged = true;
        }
    });
    m_spool.Write(bytes.data(), bytes.size());
    m_nSpoolSize += bytes.size();
}

int32_t TvDocStore::WriteForm(TvFedObject& form)
{
    const uint64_t offset = m_nSpoolSize;
    form.SetObjectsFlag(1);
    Archive ar;
    ar.WriteObject(&form);
    AppendToSpool(ar.Bytes());
    const int32_t formId = static_cast<int32_t>(m_formIndex.m_nCount);
    m_formIndex.Add(TvFormIndexEntry{static_cast<uint32_t>(offset), formId, static_cast<uint32_t>(ar.Bytes().size())});
    return formId;
}

int32_t TvDocStore::WritePage(const TvPageData& page)
{
    const uint64_t start = m_nSpoolSize;
    StoreWriter w;
    TvPageRecord record;
    // Printer settings first: a reader takes them by reading up to the first
    // entry of another type.
    const std::pair<const TvEntryMap*, uint32_t> maps[] = {
        {&page.m_printerEntries, entryPrinter},
        {&page.m_formEntries, entryForm},
        {&page.m_layerEntries, entryLayer},
        {&page.m_objectEntries, entryObject}};
    for (const auto& [map, type] : maps) {
        map->ForEach([&, type = type](const TvEntryKey&, const TvChangeEntry& e) {
            const size_t before = w.size();
            e.Store(w);
            record.Add(type, static_cast<uint32_t>(w.size() - before), static_cast<uint32_t>(start + before));
        });
    }
    for (const auto& [layerId, list] : page.m_extraObjects) {
        Archive ar;
        ar.WriteI32(layerId);
        ar.WriteList(list);
        const size_t before = w.size();
        w.Bytes(ar.Bytes());
        record.Add(entryExtraObjects, static_cast<uint32_t>(ar.Bytes().size()), static_cast<uint32_t>(start + before));
    }
    const uint64_t recordOffset = start + w.size();
    record.m_nFormId = static_cast<int32_t>(page.m_nFormId);
    record.Store(w);
    AppendToSpool(w.bytes());
    const int32_t pageNo = static_cast<int32_t>(m_pageIndex.m_nCount) + 1;
    m_pageIndex.Add(TvPageIndexEntry{static_cast<uint32_t>(recordOffset), pageNo, static_cast<int32_t>(page.m_nFormId)});
    return pageNo;
}

void TvDocStore::WriteObjectList(const std::vector<std::unique_ptr<TvFontDesc>>& fonts)
{
    const uint64_t offset = m_nSpoolSize;
    Archive ar;
    ar.WriteU32(static_cast<uint32_t>(fonts.size()));
    for (const auto& f : fonts) f->Serialize(ar, 0);
    AppendToSpool(ar.Bytes());
    m_header.m_nFontListOffset = static_cast<uint32_t>(offset);
}

void TvDocStore::ReplaceSpool(bool pack)
{
    std::string name;
    if (!TempFileManager::Instance().CreateTempName(name, m_strWorkFolder))
        ThrowAppException(IDS_DOC_TEMP_FAILED, TempFailureText());
    // Every code of a stream of two or more byte values takes at least a bit,
    // so a body unpacks to at most eight times its packed size. Only a stream
    // of one repeated byte could claim more, and no document body is that: a
    // tiny hostile file must not fill the disk before it is found out.
    const uint64_t cap = std::min<uint64_t>(m_nMaxBodyLength, m_nSpoolSize * 8 + 4096);
    const int r = pack ? TvHuffman::Compress(name, m_strSpoolName)
                       : TvHuffman::Decompress(name, m_strSpoolName, cap);
    if (r != TvHuffman::kOk) {
        TempFileManager::Instance().RemoveFile(name);
        ThrowAppException(pack ? IDS_DOC_PACK_FAILED : IDS_DOC_UNPACK_FAILED);
    }
    m_spool.Abort();
    TempFileManager::Instance().RemoveFile(m_strSpoolName);
    m_strSpoolName = name;
    CFileException error(CFileException::none, 0, name);
    if (!m_spool.TryOpen(name, CFile::modeReadWrite, &error))
        ThrowAppException(IDS_DOC_TEMP_FAILED, error.GetErrorMessage());
    m_nSpoolSize = m_spool.GetLength();
}

void TvDocStore::LoadDocument()
{
    StoreReader r(m_docFile, kThroughBlock);
    m_header.Load(r);
    m_printer.Load(r);
    m_formIndex.Load(r);
    m_pageIndex.Load(r);
    // The header's count is what readers show; an index that disagrees
    // cannot tell which of the two is right.
    if (m_header.m_nPageCount != m_pageIndex.m_nCount) ThrowAppException(IDS_DOC_BAD_DATA);
    // The font list is stored right after the last record: one that the
    // header puts far beyond it (a hole of gigabytes in a small file) is
    // refused before the gap fills the work folder, packed or not.
    uint64_t lastRecord = 0;
    for (const TvFormIndexEntry& f : m_formIndex.m_entries)
        lastRecord = std::max<uint64_t>(lastRecord, uint64_t{f.m_nOffset} + f.m_nLength);
    for (const TvPageIndexEntry& p : m_pageIndex.m_entries) lastRecord = std::max<uint64_t>(lastRecord, p.m_nOffset);
    if (m_header.m_nFontListOffset > lastRecord + kMaxBodyTail) ThrowAppException(IDS_DOC_BAD_DATA);
    // Nor does anything lie far beyond the font list: a body padded past it
    // is refused as well. (A packed body is bounded where it unpacks.)
    if (!m_header.m_bPacked) {
        const uint64_t end = std::max<uint64_t>(lastRecord, m_header.m_nFontListOffset);
        const uint64_t length = m_docFile.GetLength();
        if (length > r.Position() && length - r.Position() > end + kMaxBodyTail) ThrowAppException(IDS_DOC_BAD_DATA);
    }
    if (!m_header.m_bPacked) {
        // Writers replace a document by renaming a new file over it, so the
        // file held open keeps these bytes for as long as it is read.
        m_bBodyInPlace = true;
        m_nBodyBase = r.Position();
        m_nSpoolSize = r.Remaining();
    } else {
        std::unique_ptr<char[]> block(new char[kThroughBlock]);
        for (;;) {
            const size_t n = r.ReadBlock(block.get(), kThroughBlock);
            m_spool.Write(block.get(), n);
            m_nSpoolSize += n;
            if (n < kThroughBlock) break;
        }
        ReplaceSpool(false);
    }
    if (m_nSpoolSize > kMaxOffset) ThrowAppException(IDS_DOC_BAD_DATA);
}

void TvDocStore::StoreDocument(CFile& target)
{
    m_header.m_nLength = m_header.GetRecordLength();
    m_printer.m_nLength = m_printer.GetRecordLength();
    m_header.m_nFormIndexPos = m_header.m_nLength + m_printer.m_nLength;
    m_header.m_nPageIndexPos = m_header.m_nFormIndexPos + 16 + 12 * m_formIndex.m_nCount;
    m_header.m_nPageCount = m_pageIndex.m_nCount;
    if (m_header.m_bPacked) ReplaceSpool(true);
    StoreWriter w;
    m_header.Store(w);
    m_printer.Store(w);
    m_formIndex.Store(w);
    m_pageIndex.Store(w);
    target.Write(w.bytes().data(), w.size());
    m_spool.SeekToBegin();
    char block[kBlockSize];
    for (;;) {
        const size_t n = m_spool.Read(block, kBlockSize);
        target.Write(block, n);
        if (n < kBlockSize) break;
    }
    target.Flush();
}

StoreReader TvDocStore::BodyReader(size_t bufferSize)
{
    return m_bBodyInPlace ? StoreReader(m_docFile, m_nBodyBase, bufferSize) : StoreReader(m_spool, bufferSize);
}

std::string TvDocStore::BodyBytes()
{
    if (!m_bOpen || m_nMode != modeReading) return {};
    StoreReader r = BodyReader(kThroughBlock);
    return r.Bytes(r.Remaining());
}

void TvDocStore::CloseFiles() noexcept
{
    m_bBodyInPlace = false;
    m_nBodyBase = 0;
    m_docFile.Abort();
    m_spool.Abort();
    if (!m_strSpoolName.empty()) TempFileManager::Instance().RemoveFile(m_strSpoolName);
    m_strSpoolName.clear();
    m_nSpoolSize = 0;
}

void TvDocStore::Close()
{
    if (m_nMode == modeWriting && m_bOpen && !m_bDiscarded) {
        FileReplacement file;
        OnFailure cleanUp([&] {
            file.Drop();
            CloseFiles();
            RemovePlaceholder();
            m_nMode = modeClosed;
            m_bOpen = false;
        });
        // The error of the replacement, with the system's cause and the file.
        auto failed = [&]() -> CAppException {
            const ReplaceFailure& f = file.Failure();
            return CAppException(CFileException::FromErrno(f.err, m_strDocPath), IDS_DOC_WRITE_FAILED, {});
        };
        try {
            if (m_bSpoolDamaged) ThrowAppException(IDS_DOC_WRITE_FAILED);
            // The placeholder Create made has the mode of a new file already.
            if (!file.Begin(m_strTargetPath, NewFileMode::KeepOrShared)) throw failed();
            CFile out(file.TempPath(), CFile::modeReadWrite);
            StoreDocument(out);
            out.Close();
            if (!file.Commit()) throw failed();
        } catch (const CAppException&) {
            throw; // already says what failed
        } catch (const CFileException& e) {
            // The system's own words for the log; the file beside is the
            // program's own, the person knows the document.
            LogLine("Document", m_strDocPath + ": write: " + std::strerror(e.m_lOsError));
            throw CAppException(CFileException(e.m_cause, e.m_lOsError, m_strDocPath), IDS_DOC_WRITE_FAILED, {});
        } catch (const CException& e) {
            throw CAppException(e, IDS_DOC_WRITE_FAILED, {});
        }
        m_bCreatedTarget = false;
        TempFileManager::Instance().ForgetPlaceholder(m_strPlaceholderNote);
        m_strPlaceholderNote.clear();
    }
    CloseFiles();
    m_nMode = modeClosed;
    m_bOpen = false;
    m_bFontsRead = false;
    m_bDiscarded = false;
}

void TvDocStore::Discard()
{
    if (!m_bOpen) return;
    // Mode and open flag stay set, so the caller's later Close still runs
    // but, seeing the discard, writes nothing and only ends the store.
    m_bDiscarded = true;
    CloseFiles();
    if (m_nMode == modeWriting) RemovePlaceholder();
}

void TvDocStore::RemovePlaceholder() noexcept
{
    if (!m_bCreatedTarget) return;
    m_bCreatedTarget = false;
    TempFileManager::Instance().ForgetPlaceholder(m_strPlaceholderNote);
    m_strPlaceholderNote.clear();
    // Only the empty file Create made: another writer may have completed a
    // document of the same name since.
    struct stat st {};
    const std::string& fsPath = m_strDocPath;
    if (::lstat(fsPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0 ||
        st.st_dev != m_placeholderDev || st.st_ino != m_placeholderIno)
        return;
    ::unlink(fsPath.c_str());
}

const TvPageIndexEntry& TvDocStore::FindPage(int32_t pageNo) const
{
    const TvPageIndexEntry* e = m_pageIndex.Find(pageNo);
    if (!e) ThrowAppException(IDS_DOC_PAGE_NOT_FOUND, pageNo);
    return *e;
}

void TvDocStore::LoadForm(int32_t formId)
{
    m_pCachedForm.reset();
    m_nCachedFormId = -1;
    const TvFormIndexEntry* f = m_formIndex.Find(formId);
    if (!f) ThrowAppException(IDS_DOC_FORM_NOT_FOUND);
    StoreReader r = BodyReader();
    if (!r.Seek(f->m_nOffset)) ThrowAppException(IDS_DOC_BAD_DATA);
    std::string bytes = r.Bytes(f->m_nLength);
    RegisterModelClasses();
    Archive ar(std::move(bytes), m_strDocPath);
    m_pCachedForm = ar.ReadObject<TvFedObject>(true);
    m_nCachedFormId = formId;
    ++m_nFormReads;
}

void TvDocStore::ReadPageRecord(StoreReader& r, const TvPageIndexEntry& entry, TvPageRecord& record)
{
    if (!r.Seek(entry.m_nOffset)) ThrowAppException(IDS_DOC_BAD_DATA);
    record.Load(r);
}

void TvDocStore::ReadPage(TvPageData& page, int32_t pageNo)
{
    const TvPageIndexEntry& entry = FindPage(pageNo);
    if (!m_bOpen || m_nMode != modeReading) ThrowAppException(IDS_DOC_PAGE_NOT_FOUND, pageNo);
    if (entry.m_nFormId != m_nCachedFormId || !m_pCachedForm) LoadForm(entry.m_nFormId);
    page.Clear(true);
    page.m_nFormId = static_cast<uint32_t>(entry.m_nFormId);
    page.m_pForm = m_pCachedForm->Clone();

    StoreReader r = BodyReader();
    TvPageRecord record;
    ReadPageRecord(r, entry, record);
    m_nPageBytesRead += r.Position() - entry.m_nOffset;
    TvEntryMap* maps[] = {&page.m_formEntries, &page.m_printerEntries, &page.m_layerEntries, &page.m_objectEntries};
    for (const TvPageRecordEntry& e : record.m_entries) {
        if (!r.Seek(e.m_nOffset)) ThrowAppException(IDS_DOC_BAD_DATA);
        const auto counted = [&, from = r.Position()] { m_nPageBytesRead += r.Position() - from; };
        if (e.m_nType == entryExtraObjects) {
            Archive ar(r.Bytes(e.m_nLength), m_strDocPath);
            const int32_t layerId = ar.ReadI32();
            TvObjectList list;
            ar.ReadList(list);
            page.m_extraObjects.SetAt(layerId, std::move(list));
            counted();
        } else if (e.m_nType < entryExtraObjects) {
            auto change = std::make_unique<TvChangeEntry>();
            change->Load(r);
            counted();
            if (!change->m_pData) continue; // a property this system does not know
            const TvEntryKey key = TvEntryKey::For(change->m_nObjectId, *change->m_pData);
            maps[e.m_nType]->SetAt(key, std::move(change));
        }
    }
}

// Page settings are printer properties, numbers and a form name: what a
// page may hold of them is bounded, so a hostile file cannot make them cost
// more than a few small records a page.
struct TvDocStore::SettingsCache {
    struct Change {
        uint32_t objectId;
        CChangeData data;
    };
    // Records and entries many pages share are read at most twice: pages and
    // their entries follow one another in a written document, so one at or
    // before the furthest read so far may be met again and is kept; one
    // beyond it is new and is not.
    std::unordered_map<uint32_t, std::vector<Change>> byRecord;
    std::unordered_map<uint32_t, std::optional<Change>> byEntry;
    int64_t furthestRecord = -1;
    int64_t furthestEntry = -1;
};

void TvDocStore::ReadPageSettings(TvEntryMap& map, int32_t pageNo)
{
    FindPage(pageNo);
    if (!m_bOpen || m_nMode != modeReading) ThrowAppException(IDS_DOC_PAGE_NOT_FOUND, pageNo);
    StoreReader r = BodyReader();
    SettingsCache cache;
    ReadPageSettingsWith(r, map, pageNo, cache);
}

void TvDocStore::ReadAllPageSettings(const std::function<void(int32_t pageNo, TvEntryMap& map)>& each)
{
    if (!m_bOpen || m_nMode != modeReading) return;
    StoreReader r = BodyReader(kThroughBlock);
    TvEntryMap map;
    SettingsCache cache;
    const int32_t count = static_cast<int32_t>(m_header.m_nPageCount);
    for (int32_t page = 1; page <= count; ++page) {
        ReadPageSettingsWith(r, map, page, cache);
        each(page, map);
        if (map.size() > 0) map.RemoveAll();
    }
}

void TvDocStore::ReadPageSettingsWith(StoreReader& r, TvEntryMap& map, int32_t pageNo, SettingsCache& cache)
{
    // A form name longer than any printer's, or more changes than there are
    // printer properties many times over, is no page's settings: ignored.
    constexpr uint32_t kMaxPrinterChange = 12 + 256;
    constexpr uint32_t kMaxPrinterChanges = 64;
    const TvPageIndexEntry& page = FindPage(pageNo);
    std::vector<SettingsCache::Change> fresh;
    bool isNew = true;
    std::vector<SettingsCache::Change>* kept = &fresh;
    if (int64_t{page.m_nOffset} <= cache.furthestRecord) {
        auto found = cache.byRecord.try_emplace(page.m_nOffset);
        isNew = found.second;
        kept = &found.first->second;
    }
    cache.furthestRecord = std::max<int64_t>(cache.furthestRecord, page.m_nOffset);
    std::vector<SettingsCache::Change>& changes = *kept;
    if (isNew) {
        // Only the leading printer entries of the record are wanted.
        if (!r.Seek(page.m_nOffset) || r.U32() != TvPageRecord::kMagic) ThrowAppException(IDS_DOC_BAD_DATA);
        r.U32(); // version
        r.I32(); // form id
        const uint32_t count = r.U32();
        if (uint64_t{count} * 12 > r.Remaining()) ThrowAppException(IDS_DOC_BAD_DATA);
        std::vector<TvPageRecordEntry> entries;
        for (uint32_t i = 0; i < count; ++i) {
            TvPageRecordEntry e;
            e.m_nType = r.U32();
            e.m_nLength = r.U32();
            e.m_nOffset = r.U32();
            if (e.m_nType != entryPrinter) break;
            if (entries.size() == kMaxPrinterChanges) break;
            entries.push_back(e);
        }
        for (const TvPageRecordEntry& e : entries) {
            if (e.m_nLength > kMaxPrinterChange) continue;
            std::optional<SettingsCache::Change> read;
            std::optional<SettingsCache::Change>* slot = &read;
            bool unread = true;
            if (int64_t{e.m_nOffset} <= cache.furthestEntry) {
                auto found = cache.byEntry.try_emplace(e.m_nOffset);
                unread = found.second;
                slot = &found.first->second;
            }
            cache.furthestEntry = std::max<int64_t>(cache.furthestEntry, e.m_nOffset);
            if (unread) {
                // The entry's own length counts, not what the record says.
                if (!r.Seek(e.m_nOffset)) ThrowAppException(IDS_DOC_BAD_DATA);
                if (r.U32() > kMaxPrinterChange - 12) continue;
                if (!r.Seek(e.m_nOffset)) ThrowAppException(IDS_DOC_BAD_DATA);
                TvChangeEntry change;
                change.Load(r);
                if (change.m_pData && TvPrinterSettings::MaskBit(change.m_pData->m_nPropId) != 0)
                    *slot = SettingsCache::Change{change.m_nObjectId, *change.m_pData};
            }
            if (*slot) changes.push_back(**slot);
        }
    }
    for (const SettingsCache::Change& c : changes) {
        const TvEntryKey key{static_cast<int32_t>(c.objectId), c.data.m_nPropId, 0, 0};
        map.SetAt(key, std::make_unique<TvChangeEntry>(c.objectId, std::make_unique<CChangeData>(c.data)));
    }
}

const std::vector<std::unique_ptr<TvFontDesc>>& TvDocStore::ReadFontList()
{
    if (m_bFontsRead) return m_fonts;
    m_fonts.clear();
    if (m_header.m_nVersion < 2 || !m_bOpen || m_nMode != modeReading) return m_fonts;
    StoreReader r = BodyReader();
    if (!r.Seek(m_header.m_nFontListOffset)) ThrowAppException(IDS_DOC_BAD_DATA);
    // A longer list runs out of bytes and is damage.
    Archive ar(r.Bytes(std::min<uint64_t>(r.Remaining(), kMaxFontList)), m_strDocPath);
    const uint32_t count = ar.ReadU32();
    // Every font takes several bytes: a count beyond what remains is damage.
    if (count > ar.Remaining()) ar.ThrowError(CArchiveException::endOfFile);
    for (uint32_t i = 0; i < count; ++i) {
        auto font = std::make_unique<TvFontDesc>();
        font->Serialize(ar, 0);
        m_fonts.push_back(std::move(font));
    }
    m_bFontsRead = true;
    return m_fonts;
}

} // namespace nv
