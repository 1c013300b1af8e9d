#pragma once
// Reads and writes report document files. A writer stores each form once
// and appends pages into a spool file; Close writes the file. A reader copies
// the body into a spool file (unpacking it when packed) and reads pages and
// their forms from it on demand.
#include "engine/core/File.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFontDesc.h"
#include "engine/store/TvDocHeader.h"
#include "engine/store/TvDocIndex.h"
#include "engine/store/TvPageData.h"
#include "engine/store/TvPrinterSettings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace nv {

class TvDocStore {
public:
    enum Mode { modeClosed = 0, modeReading = 1, modeWriting = 2 };
    static constexpr size_t kBlockSize = 4094;

    TvDocStore();
    virtual ~TvDocStore();
    TvDocStore(const TvDocStore&) = delete;
    TvDocStore& operator=(const TvDocStore&) = delete;

    // Starts a new document (1), or 0 when the store is open already. The
    // target is checked at once; an older file of that name stays untouched
    // until Close replaces it (through a link, the file it names). A target
    // that is not a regular file gives 22000. Failures: 22000, 22001.
    int Create(const std::string& path);
    // Opens a document for reading (1), or 0 when open already. Failures:
    // 22002, 22001, 22005, 22009, archive errors; the store is then closed.
    int Open(const std::string& path);

    int32_t WriteForm(TvFedObject& form);
    int32_t WritePage(const TvPageData& page);
    // The document font list, stored last.
    void WriteObjectList(const std::vector<std::unique_ptr<TvFontDesc>>& fonts);
    // When writing, writes the document through a temporary file beside the
    // target renamed over it when complete; a failure (full disk, I/O error)
    // throws 22007 with the cause after cleaning up. Always ends closed.
    void Close();
    // Abandons the document: removes the spool and anything written.
    void Discard();

    void ReadPage(TvPageData& page, int32_t pageNo);
    void ReadPageSettings(TvEntryMap& map, int32_t pageNo);
    // As ReadPageSettings for pages 1..count in order, through one reader:
    // the page records follow one another, so a large document is read in a
    // few blocks rather than a few system calls a page.
    void ReadAllPageSettings(const std::function<void(int32_t pageNo, TvEntryMap& map)>& each);
    // The document font list, read at the first call after Open.
    const std::vector<std::unique_ptr<TvFontDesc>>& ReadFontList();

    int GetMode() const { return m_nMode; }
    bool IsOpen() const { return m_bOpen; }
    const std::string& GetSpoolFileName() const { return m_strSpoolName; }
    // The whole body as the pages are read from it (unpacked), for checks.
    std::string BodyBytes();
    // How many forms were read from the body (consecutive pages of one form
    // read it once).
    int FormReads() const { return m_nFormReads; }
    // How many bytes of page records and their entries ReadPage has read.
    uint64_t PageBytesRead() const { return m_nPageBytesRead; }

    // The header and printer records: read from the document, or set by a
    // writer (name, packing, printer) before Close stores them.
    TvDocHeader& Header() { return m_header; }
    const TvDocHeader& Header() const { return m_header; }
    TvPrinterSettings& PrinterSettings() { return m_printer; }
    const TvPrinterSettings& PrinterSettings() const { return m_printer; }
    const TvFormIndex& FormIndex() const { return m_formIndex; }
    const TvPageIndex& PageIndex() const { return m_pageIndex; }
    // The number of pages the document's header states.
    uint32_t PageCount() const { return m_header.m_nPageCount; }
    // Where spool files go (empty: the temporary-file manager's choice).
    void SetWorkFolder(std::string folder) { m_strWorkFolder = std::move(folder); }
    // Largest body a packed document may unpack to (offsets are 32-bit).
    void SetMaxBodyLength(uint64_t length) { m_nMaxBodyLength = length; }

private:
    void OpenDocumentFile(const std::string& path);
    void OpenSpoolFile();
    void AppendToSpool(const std::string& bytes);
    void LoadDocument();
    void StoreDocument(CFile& target);
    // Packs or unpacks the spool file into a new one that replaces it.
    void ReplaceSpool(bool pack);
    void CloseFiles() noexcept;
    // Deletes the empty file that reserved a new document's name.
    void RemovePlaceholder() noexcept;
    void ReadPageRecord(StoreReader& r, const TvPageIndexEntry& entry, TvPageRecord& record);
    struct SettingsCache;
    void ReadPageSettingsWith(StoreReader& r, TvEntryMap& map, int32_t pageNo, SettingsCache& cache);
    const TvPageIndexEntry& FindPage(int32_t pageNo) const;
    void LoadForm(int32_t formId);
    // Reads the body: the spool, or the document file past its records.
    StoreReader BodyReader(size_t bufferSize = 4096);

    TvDocHeader m_header;
    TvPrinterSettings m_printer;
    TvFormIndex m_formIndex;
    TvPageIndex m_pageIndex;
    std::string m_strWorkFolder;
    uint64_t m_nMaxBodyLength = 0xFFFFFFFFull;
    CFile m_docFile;
    std::string m_strDocPath;
    // The file Close replaces: the document path, or the file a link names.
    std::string m_strTargetPath;
    bool m_bCreatedTarget = false; // the target did not exist before Create
    // Identity of the empty file Create reserved the name with.
    uint64_t m_placeholderDev = 0;
    uint64_t m_placeholderIno = 0;
    std::string m_strPlaceholderNote; // its note in the process's work folder
    CFile m_spool;
    std::string m_strSpoolName;
    uint64_t m_nSpoolSize = 0; // the body's length, wherever it is read from
    // A plain document's body is read where it lies in the document file,
    // from byte m_nBodyBase on: copying it into the spool first cost a third
    // of an open. A packed body is unpacked into the spool.
    bool m_bBodyInPlace = false;
    uint64_t m_nBodyBase = 0;
    std::vector<std::unique_ptr<TvFontDesc>> m_fonts;
    bool m_bFontsRead = false; // read once per opened document
    int m_nMode = modeClosed;
    int32_t m_nCachedFormId = -1;
    std::unique_ptr<TvFedObject> m_pCachedForm;
    bool m_bOpen = false;
    bool m_bDiscarded = false;
    // A failed append could not be cut off the spool: the body is unusable.
    bool m_bSpoolDamaged = false;
    int m_nFormReads = 0;
    uint64_t m_nPageBytesRead = 0;
};

} // namespace nv
