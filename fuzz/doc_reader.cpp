// Opens whatever file it is given as a report document and reads every page,
// its settings and the font list: a damaged file must end in an error
// message, never a crash.
#include "engine/core/Exceptions.h"
#include "engine/core/File.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/ModelClasses.h"
#include "engine/store/TvDocStore.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nv::RegisterModelClasses();
    std::string name;
    if (!nv::TempFileManager::Instance().CreateTempName(name)) return 0;
    try {
        nv::CFile f(name, nv::CFile::modeCreate);
        f.Write(data, size);
        f.Close();
        nv::TvDocStore store;
        store.SetMaxBodyLength(1u << 22);
        store.Open(name);
        const uint32_t pages = store.PageIndex().m_nCount < 64 ? store.PageIndex().m_nCount : 64;
        for (uint32_t i = 0; i < pages; ++i) {
            const int32_t pageNo = store.PageIndex().m_entries[i].m_nPageNo;
            try {
                nv::TvPageData page;
                store.ReadPage(page, pageNo);
                page.Apply();
            } catch (const nv::CException&) {
                // A refused page is the wanted answer; the next is read all the same.
            }
            try {
                nv::TvEntryMap settings;
                store.ReadPageSettings(settings, pageNo);
            } catch (const nv::CException&) {
                // Refused settings likewise.
            }
        }
        store.ReadFontList();
        store.Close();
    } catch (const nv::CException&) {
        // A refused document is the wanted answer; only a crash is a finding.
    }
    nv::TempFileManager::Instance().RemoveFile(name);
    return 0;
}
