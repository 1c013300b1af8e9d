#include "engine/store/TvDocStore.h"

#include "engine/core/AppException.h"
#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvFormInfo.h"
#include "engine/store/TvHuffman.h"
#include "support/StoreFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace nv;
using namespace nvtest::store;
using nvtest::HexDump;
using nvtest::ReadFileBytes;
using nvtest::TempDir;
using nvtest::WriteFileBytes;


TEST_F(StoreTest, HandBuiltDocumentEqualsWhatTheStoreWrites)
{
    const std::string path = dir.file("doc.tvd");
    auto form = MakeForm("Ledger");
    const uint32_t boxId = form->m_layers[0]->m_objects[1]->m_nObjectId;
    TvDocStore store;
    store.SetWorkFolder(dir.path().string());
    ASSERT_EQ(store.Create(path), 1);
    EXPECT_EQ(store.Create(path), 0);
    store.PrinterSettings().m_strPrinterName = "P";
    store.PrinterSettings().m_strPortName = "LPT1:";
    store.PrinterSettings().m_nOrientation = 1;
    store.PrinterSettings().m_nPaperSize = 9;
    store.PrinterSettings().m_nCopies = 1;
    store.Header().m_strName = "Doc";
    EXPECT_EQ(store.WriteForm(*form), 0);

    TvPageData page;
    page.m_nFormId = 0;
    Change(page.m_printerEntries, 0, std::make_unique<CChangeData>(uint16_t(1500), int32_t(2)));
    Change(page.m_objectEntries, boxId, std::make_unique<CChangeData>(uint16_t(4), int32_t(777)));
    EXPECT_EQ(store.WritePage(page), 1);
    std::vector<std::unique_ptr<TvFontDesc>> fonts;
    fonts.push_back(std::make_unique<TvFontDesc>(-1, "IPAGothic", 128, 49, 1000, 0));
    store.WriteObjectList(fonts);
    store.Close();

    // The same document from the record tables.
    Archive formAr;
    formAr.WriteObject(form.get());
    const std::string formBytes = formAr.Bytes();
    std::string body = formBytes;
    const uint32_t e1 = uint32_t(body.size());
    body += U32(4) + U32(0) + U32(1500) + U32(2);
    const uint32_t e2 = uint32_t(body.size());
    body += U32(4) + U32(boxId) + U32(4) + U32(777);
    const uint32_t rec = uint32_t(body.size());
    body += U32(0x6364721A) + U32(2) + U32(0) + U32(2) + U32(1) + U32(16) + U32(e1) + U32(3) + U32(16) + U32(e2) +
            U32(16 + 28 * 2);
    const uint32_t fontOffset = uint32_t(body.size());
    Archive fontAr;
    fontAr.WriteU32(1);
    fonts[0]->Serialize(fontAr, 0);
    body += fontAr.Bytes();

    std::string expect;
    expect += U32(0x6372641A) + U32(2) + U32(48 + 3) + Str("Doc") + U32(store.Header().m_nTimeLow) +
              U32(store.Header().m_nTimeHigh) + U32(0) + U32(0) + U32(1) + U32(51 + 88) + U32(51 + 88 + 28) +
              U32(fontOffset);
    EXPECT_EQ(expect.size(), 51u);
    const size_t printerStart = expect.size();
    expect += U32(0x6370681A) + U32(3) + U32(88) + Str("P") + Str("LPT1:") + U32(1) + U32(9) + U16(0) + U16(0) +
              U16(0) + U16(1) + U16(0) + U16(0) + U16(0) + U16(0) + U16(0) + U16(0) + U16(0) + Str("") + U16(0) +
              U32(0);
    EXPECT_EQ(expect.size() - printerStart, 66u);
    expect += U32(0x6366691A) + U32(2) + U32(1) + U32(0) + U32(0) + U32(uint32_t(formBytes.size())) + U32(28);
    expect += U32(0x6370691A) + U32(2) + U32(1) + U32(rec) + U32(1) + U32(0) + U32(29);
    expect += body;
    const std::string written = ReadFileBytes(path);
    ASSERT_EQ(HexDump(written, 100000), HexDump(expect, 100000));
    EXPECT_TRUE(std::string_view(written).substr(0, 4) == "\x1a\x64\x72\x63");

    // And it reads back.
    TvDocStore reader;
    ASSERT_EQ(reader.Open(path), 1);
    EXPECT_EQ(reader.Header().m_strName, "Doc");
    EXPECT_EQ(reader.PrinterSettings().m_strPortName, "LPT1:");
    TvPageData back;
    reader.ReadPage(back, 1);
    ASSERT_TRUE(back.m_pForm);
    EXPECT_EQ(back.m_printerEntries.size(), 1u);
    ASSERT_EQ(back.m_objectEntries.size(), 1u);
    back.Apply();
    EXPECT_EQ(back.m_pForm->FindObjectById(boxId)->m_nX, 777);
    TvEntryMap settings;
    reader.ReadPageSettings(settings, 1);
    ASSERT_EQ(settings.size(), 1u);
    EXPECT_EQ(settings.Lookup(TvEntryKey{0, 1500, 0, 0})->m_pData->GetLong(), 2);
    const auto& readFonts = reader.ReadFontList();
    ASSERT_EQ(readFonts.size(), 1u);
    EXPECT_EQ(readFonts[0]->m_strFaceName, "IPAGothic");
    reader.Close();
}

TEST_F(StoreTest, TwoPagesOfOneFormStoreItOnceAndReadItOnce)
{
    for (uint32_t packed : {0u, 1u}) {
        const std::string path = dir.file("two" + std::to_string(packed) + ".tvd");
        auto form = MakeForm("Two");
        TvDocStore store;
        store.SetWorkFolder(dir.path().string());
        store.Header().m_bPacked = packed;
        store.Create(path);
        store.WriteForm(*form);
        for (int p = 0; p < 2; ++p) {
            TvPageData page;
            Change(page.m_formEntries, 0, CChangeData::FromString(500, "Page" + std::to_string(p + 1)));
            Change(page.m_objectEntries, form->m_layers[0]->m_objects[0]->m_nObjectId,
                   std::make_unique<CChangeData>(uint16_t(4), int32_t(10 + p)));
            // The second value of one key replaces the first.
            Change(page.m_objectEntries, form->m_layers[0]->m_objects[0]->m_nObjectId,
                   std::make_unique<CChangeData>(uint16_t(4), int32_t(20 + p)));
            EXPECT_EQ(page.m_objectEntries.size(), 1u);
            EXPECT_EQ(store.WritePage(page), p + 1);
        }
        store.WriteObjectList({});
        store.Close();
        EXPECT_EQ(std::filesystem::exists(std::filesystem::path(store.GetSpoolFileName())), false);

        TvDocStore reader;
        reader.SetWorkFolder(dir.path().string());
        reader.Open(path);
        EXPECT_EQ(reader.FormIndex().m_nCount, 1u);
        EXPECT_EQ(reader.PageIndex().m_nCount, 2u);
        EXPECT_EQ(reader.Header().m_nPageCount, 2u);
        for (int p = 1; p <= 2; ++p) {
            TvPageData page;
            reader.ReadPage(page, p);
            page.Apply();
            EXPECT_EQ(page.m_pForm->m_pFormInfo->m_strName, "Page" + std::to_string(p));
            EXPECT_EQ(page.m_pForm->m_layers[0]->m_objects[0]->m_nX, 19 + p);
        }
        EXPECT_EQ(reader.FormReads(), 1);
        TvPageData page;
        EXPECT_EQ(AppId([&] { reader.ReadPage(page, 0); }), IDS_DOC_PAGE_NOT_FOUND);
        EXPECT_EQ(AppId([&] { reader.ReadPage(page, 3); }), IDS_DOC_PAGE_NOT_FOUND);
        TvEntryMap settings;
        EXPECT_EQ(AppId([&] { reader.ReadPageSettings(settings, 3); }), IDS_DOC_PAGE_NOT_FOUND);
        reader.Close();
    }
}

// A plain body is read where it lies in the document: a writer that
// replaces the document meanwhile (by renaming its new file over it) takes
// nothing from a reader that has it open, packed or not.
TEST_F(StoreTest, ADocumentBeingReadKeepsItsPagesWhenAWriterReplacesIt)
{
    const auto write = [&](const std::string& path, uint32_t packed, const std::vector<std::string>& names) {
        auto form = MakeForm("Replaced");
        TvDocStore store;
        store.Header().m_bPacked = packed;
        store.Create(path);
        store.WriteForm(*form);
        for (const std::string& name : names) {
            TvPageData page;
            Change(page.m_formEntries, 0, CChangeData::FromString(500, name));
            store.WritePage(page);
        }
        store.WriteObjectList({});
        store.Close();
    };
    const auto nameOf = [](TvDocStore& store, int pageNo) {
        TvPageData page;
        store.ReadPage(page, pageNo);
        page.Apply();
        return page.m_pForm->m_pFormInfo->m_strName;
    };
    for (uint32_t packed : {0u, 1u}) {
        SCOPED_TRACE(packed ? "packed" : "plain");
        const std::string path = dir.file("replaced" + std::to_string(packed) + ".tvd");
        write(path, packed, {"First", "Second", "Third"});
        TvDocStore reader;
        reader.Open(path);
        EXPECT_EQ(nameOf(reader, 1), "First");
        write(path, packed, {"Other"});
        EXPECT_EQ(reader.PageIndex().m_nCount, 3u);
        EXPECT_EQ(nameOf(reader, 3), "Third");
        TvEntryMap settings;
        reader.ReadPageSettings(settings, 2);
        EXPECT_EQ(nameOf(reader, 2), "Second");
        reader.Close();
        TvDocStore later;
        later.Open(path);
        EXPECT_EQ(later.PageIndex().m_nCount, 1u);
        EXPECT_EQ(nameOf(later, 1), "Other");
    }
    // A plain document cut short where it lies while it is read (not as
    // writers replace one) ends each read of what is gone in an error.
    const std::string path = dir.file("cut-in-place.tvd");
    write(path, 0, {"First", "Second", "Third"});
    const auto size = std::filesystem::file_size(path);
    struct Cut {
        uintmax_t keep;
        int pagesLost; // at least
    };
    for (const Cut cut : {Cut{size - 1, 0}, Cut{size / 2, 1}, Cut{300, 1}}) {
        const uintmax_t keep = cut.keep;
        SCOPED_TRACE(keep);
        write(path, 0, {"First", "Second", "Third"});
        TvDocStore reader;
        reader.Open(path);
        std::filesystem::resize_file(path, keep);
        int errors = 0;
        for (int p = 1; p <= 3; ++p) errors += AppId([&] { nameOf(reader, p); }) != 0;
        EXPECT_GE(errors, cut.pagesLost);
        EXPECT_NE(AppId([&] { reader.ReadFontList(); }), 0u);
    }
}

TEST_F(StoreTest, BodyOfAnExactMultipleOfTheBlockCopiesCompletely)
{
    // A form list whose body ends exactly on a block boundary.
    const std::string path = dir.file("block.tvd");
    TvDocStore store;
    store.Create(path);
    std::vector<std::unique_ptr<TvFontDesc>> fonts;
    Archive probe;
    probe.WriteU32(0);
    std::string face;
    // Grow a face name until the body is 2 blocks long.
    for (size_t n = 1; n < 9000; ++n) {
        Archive ar;
        ar.WriteU32(1);
        TvFontDesc(-1, std::string(n, 'x'), 128, 49, 1000, 0).Serialize(ar, 0);
        if (ar.Bytes().size() == 2 * TvDocStore::kBlockSize) {
            face.assign(n, 'x');
            break;
        }
    }
    ASSERT_FALSE(face.empty());
    fonts.push_back(std::make_unique<TvFontDesc>(-1, face, 128, 49, 1000, 0));
    store.WriteObjectList(fonts);
    store.Close();
    TvDocStore reader;
    reader.Open(path);
    ASSERT_EQ(reader.ReadFontList().size(), 1u);
    EXPECT_EQ(reader.ReadFontList()[0]->m_strFaceName, face);
}

TEST_F(StoreTest, DiscardRemovesTheSpoolAndThePartialFile)
{
    const std::string path = dir.file("gone.tvd");
    TvDocStore store;
    store.SetWorkFolder(dir.path().string());
    store.Create(path);
    auto form = MakeForm("F");
    store.WriteForm(*form);
    const std::string spool = store.GetSpoolFileName();
    EXPECT_TRUE(std::filesystem::exists(spool));
    EXPECT_TRUE(std::filesystem::exists(path));
    store.Discard();
    EXPECT_FALSE(std::filesystem::exists(spool));
    EXPECT_FALSE(std::filesystem::exists(path));
    // Closing a discarded store writes nothing and reports nothing.
    EXPECT_EQ(AppId([&] { store.Close(); }), 0u);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(StoreTest, AFailedWriteIsReportedAndKeepsTheOlderDocument)
{
    const std::string path = dir.file("old.tvd");
    WriteFileBytes(path, "older document");
    TvDocStore store;
    store.Create(path);
    // Starting a document leaves the older one alone.
    EXPECT_EQ(ReadFileBytes(path), "older document");
    auto form = MakeForm("F");
    store.WriteForm(*form);
    // The folder disappears under the writer: the temporary file cannot be
    // created beside the target, nor renamed over it.
    const std::string sub = dir.file("sub");
    std::filesystem::create_directory(sub);
    const std::string inSub = sub + "/doc.tvd";
    TvDocStore lost;
    lost.Create(inSub);
    lost.WriteForm(*form);
    std::filesystem::remove(inSub);
    std::filesystem::remove(sub);
    EXPECT_NE(AppId([&] { lost.Close(); }), 0u);
    EXPECT_FALSE(lost.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(inSub));
    store.Close();
    EXPECT_NE(ReadFileBytes(path), "older document");

}

namespace {

// A good document of one page, plain or packed, as the store writes it; the
// page empty, or with an object's and a printer setting's change and a font
// list after it.
std::string OnePageDocument(const std::string& path, uint32_t packed, bool filled = false)
{
    TvDocStore store;
    store.Header().m_bPacked = packed;
    store.Create(path);
    auto form = MakeForm("F");
    store.WriteForm(*form);
    TvPageData page;
    if (filled) {
        Change(page.m_objectEntries, 1, std::make_unique<CChangeData>(uint16_t(4), int32_t(5)));
        Change(page.m_printerEntries, 0, std::make_unique<CChangeData>(uint16_t(1505), int16_t(2)));
    }
    store.WritePage(page);
    if (filled) {
        std::vector<std::unique_ptr<TvFontDesc>> fonts;
        fonts.push_back(std::make_unique<TvFontDesc>(-1, "IPAGothic", 128, 49, 1000, 0));
        store.WriteObjectList(fonts);
    }
    store.Close();
    return ReadFileBytes(path);
}

std::string Changed(std::string bytes, size_t at, char to)
{
    bytes.at(at) = to;
    return bytes;
}

} // namespace

// One change to a good document and the message it gives: on opening, or on
// reading the page where the damage lies in the page alone.
TEST_F(StoreTest, DamagedDocumentsGiveTheirMessages)
{
    // Header 48 bytes, printer settings 60 (its stored length says 82), the
    // two indexes 28 each, then the bodies.
    constexpr size_t kBodies = 48 + 60 + 28 + 28;
    const std::string path = dir.file("m.tvd");
    const std::string packed = OnePageDocument(path, 1);
    const std::string plain = OnePageDocument(path, 0);
    TvDocStore probe;
    probe.Open(path);
    const size_t pageAt = kBodies + probe.PageIndex().m_entries[0].m_nOffset;
    probe.Close();
    const struct {
        const char* what;
        std::string bytes;
        uint32_t onOpen, onRead;
    } cases[] = {
        {"header magic", Changed(plain, 0, 'X'), IDS_DOC_BAD_FORMAT, 0},
        {"printer settings magic", Changed(plain, 48, 'X'), IDS_DOC_BAD_FORMAT, 0},
        {"form index magic", Changed(plain, 48 + 60, 'X'), IDS_DOC_BAD_FORMAT, 0},
        {"page index magic", Changed(plain, 48 + 60 + 28, 'X'), IDS_DOC_BAD_FORMAT, 0},
        {"page record", Changed(plain, pageAt, char(plain[pageAt] ^ 0x55)), 0, IDS_DOC_BAD_DATA},
        // A one-leaf tree of "A" needs no code bits, so six bytes could claim 1 GiB.
        {"packed body claiming 1 GiB", packed.substr(0, kBodies) + U32(1u << 30) + "\x20\x80", IDS_DOC_UNPACK_FAILED, 0},
    };
    for (const auto& c : cases) {
        WriteFileBytes(path, c.bytes);
        TvDocStore s;
        EXPECT_EQ(AppId([&] { s.Open(path); }), c.onOpen) << c.what;
        EXPECT_EQ(s.IsOpen(), c.onOpen == 0) << c.what;
        if (!s.IsOpen()) continue;
        TvPageData data;
        EXPECT_EQ(AppId([&] { s.ReadPage(data, 1); }), c.onRead) << c.what;
    }
}

TEST_F(StoreTest, EveryTruncationAndFlipEndsInAnError)
{
    for (uint32_t packed : {0u, 1u}) {
        const std::string good = OnePageDocument(dir.file("t.tvd"), packed, true);
        const std::string cut = dir.file("cut.tvd");
        auto readAll = [&] {
            TvDocStore s;
            s.SetMaxBodyLength(1 << 20);
            s.Open(cut);
            TvPageData page;
            s.ReadPage(page, 1);
            page.Apply();
            TvEntryMap m;
            s.ReadPageSettings(m, 1);
            s.ReadFontList();
        };
        int errors = 0;
        for (size_t n = 0; n < good.size(); ++n) {
            WriteFileBytes(cut, good.substr(0, n));
            errors += AppId(readAll) != 0;
        }
        // A packed body may lose only its padding and still unpack.
        EXPECT_GE(errors, int(good.size()) - 2);
        std::mt19937 rng(packed + 1);
        for (int i = 0; i < 600; ++i) {
            std::string bad = good;
            bad[rng() % bad.size()] ^= char(1 << (rng() % 8));
            WriteFileBytes(cut, bad);
            AppId(readAll);
        }
    }
}

TEST(PageData, KeysMergeAndOrderChanges)
{
    TvEntryMap map;
    TvObjectChanges a(7);
    a.m_changes.Add(CChangeData::FromString(125, "1:2:abc"));
    a.m_changes.Add(CChangeData::FromString(125, "2:1:def"));
    a.m_changes.Add(CChangeData::FromString(125, "1:2:xyz"));
    map.MergeChanges(a);
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map.Lookup(TvEntryKey{7, 125, 1, 2})->m_pData->GetString(), "1:2:xyz");
    EXPECT_EQ(TvEntryKey({0x12345, 9, 0, 0}).Hash(), 0x00092345u);

    // Layer order: 1003 with values 5 and 2; the value-2 layer moves first.
    auto form = MakeForm("F");
    form->m_layers.push_back(std::make_unique<TvLayer>(3));
    TvPageData page;
    page.m_pForm = form->Clone();
    Change(page.m_layerEntries, 1, std::make_unique<CChangeData>(uint16_t(1003), int32_t(5)));
    Change(page.m_layerEntries, 2, std::make_unique<CChangeData>(uint16_t(1003), int32_t(2)));
    Change(page.m_layerEntries, 3, std::make_unique<CChangeData>(uint16_t(1004), int32_t(1)));
    page.Apply();
    ASSERT_EQ(page.m_pForm->m_layers.size(), 3u);
    EXPECT_EQ(page.m_pForm->m_layers[0]->m_nLayerId, 3);
    EXPECT_EQ(page.m_pForm->m_layers[1]->m_nLayerId, 2);
    EXPECT_EQ(page.m_pForm->m_layers[2]->m_nLayerId, 1);

    // Object order and an object not on the form (ignored).
    TvPageData p2;
    p2.m_pForm = form->Clone();
    const uint32_t first = p2.m_pForm->m_layers[0]->m_objects[0]->m_nObjectId;
    Change(p2.m_objectEntries, first, std::make_unique<CChangeData>(uint16_t(1005), int32_t(1)));
    Change(p2.m_objectEntries, 9999, std::make_unique<CChangeData>(uint16_t(4), int32_t(1)));
    p2.Apply();
    EXPECT_EQ(p2.m_pForm->m_layers[0]->m_objects.back()->m_nObjectId, first);
}

TEST(PageData, EmbeddedFilesBecomeTemporaryFiles)
{
    TvChangeEntry e(1, std::make_unique<CChangeData>(uint16_t(69), uint16_t(7), std::string("\x01\x02\x00\x03", 4)));
    TvPropertyMap map;
    AddChangeToPropertyMap(e, map);
    ASSERT_NE(map.Lookup(69), nullptr);
    const std::string name = map.Lookup(69)->AsString();
    EXPECT_EQ(e.m_pData->m_nType, 3);
    EXPECT_EQ(ReadFileBytes(name), std::string("\x01\x02\x00\x03", 4));
    // Rectangles are carried but not applied.
    TvChangeEntry r(1, std::make_unique<CChangeData>(Rect{1, 2, 3, 4}));
    TvPropertyMap m2;
    AddChangeToPropertyMap(r, m2);
    EXPECT_TRUE(m2.empty());
}

TEST_F(StoreTest, UnknownPropertiesAreSkippedAndOldHeadersHaveNoFontList)
{
    ASSERT_EQ(GetPropertyType(60000), 0);
    const std::string path = dir.file("u.tvd");
    auto form = MakeForm("U");
    const uint32_t id = form->m_layers[0]->m_objects[0]->m_nObjectId;
    {
        TvDocStore store;
        store.Create(path);
        store.WriteForm(*form);
        TvPageData page;
        Change(page.m_objectEntries, id, std::make_unique<CChangeData>(uint16_t(60000), int32_t(5)));
        Change(page.m_objectEntries, id, std::make_unique<CChangeData>(uint16_t(4), int32_t(777)));
        // Only printer entries on the second page.
        store.WritePage(page);
        TvPageData settingsOnly;
        Change(settingsOnly.m_printerEntries, 0, std::make_unique<CChangeData>(uint16_t(1505), int16_t(3)));
        Change(settingsOnly.m_printerEntries, 0, std::make_unique<CChangeData>(uint16_t(1500), int32_t(2)));
        store.WritePage(settingsOnly);
        std::vector<std::unique_ptr<TvFontDesc>> fonts;
        fonts.push_back(std::make_unique<TvFontDesc>(-1, "IPAGothic", 128, 49, 1000, 0));
        store.WriteObjectList(fonts);
        store.Close();
    }
    TvDocStore reader;
    reader.Open(path);
    TvPageData page;
    reader.ReadPage(page, 1);
    EXPECT_EQ(page.m_objectEntries.size(), 1u);
    page.Apply();
    EXPECT_EQ(page.m_pForm->FindObjectById(id)->m_nX, 777);
    TvEntryMap settings;
    reader.ReadPageSettings(settings, 2);
    EXPECT_EQ(settings.size(), 2u);
    // All pages at once give each page what it gives alone.
    std::vector<size_t> sizes;
    reader.ReadAllPageSettings([&](int32_t pageNo, TvEntryMap& m) {
        EXPECT_EQ(pageNo, int32_t(sizes.size() + 1));
        sizes.push_back(m.size());
    });
    EXPECT_EQ(sizes, (std::vector<size_t>{0u, 2u}));
    EXPECT_EQ(reader.ReadFontList().size(), 1u);
    reader.Close();

    std::string bytes = ReadFileBytes(path);
    bytes[4] = 1; // header version 1
    WriteFileBytes(path, bytes);
    TvDocStore old;
    old.Open(path);
    EXPECT_TRUE(old.ReadFontList().empty());
}

TEST(PrinterSettings, SetPropertiesRecordsChangesAndMarksTheMask)
{
    TvPrinterSettings s;
    s.m_nCopies = 1;
    TvPropertyMap map;
    map.SetShort(1505, 1); // same value: no record, bit still set
    map.SetLong(1500, 2);
    map.SetString(1512, "A4");
    map.SetLong(999, 5); // not a printer setting
    TvChangeList list;
    list.m_bRecordOld = false;
    s.SetProperties(map, &list);
    EXPECT_EQ(s.m_nChangeMask, 0x1u | 0x20u | 0x1000u);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(s.m_nOrientation, 2);
    EXPECT_EQ(s.m_strFormName, "A4");
    EXPECT_EQ(s.GetRecordLength(), 84u);
    auto copy = s.Clone();
    EXPECT_EQ(copy->m_strFormName, "A4");
}

TEST_F(StoreTest, AFullDiskIsReportedByClose)
{
    const std::string path = dir.file("full.tvd");
    WriteFileBytes(path, "older document");
    auto form = MakeForm("Full");
    TvDocStore store;
    store.Create(path);
    store.WriteForm(*form);
    for (int p = 0; p < 400; ++p) {
        TvPageData page;
        Change(page.m_formEntries, 0, CChangeData::FromString(500, std::string(100, 'x')));
        store.WritePage(page);
    }
    // Files may not grow beyond 16 KiB: writes fail as on a full disk.
    struct sigaction ignore{}, old{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 16384;
    setrlimit(RLIMIT_FSIZE, &small);
    const uint32_t id = AppId([&] { store.Close(); });
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_EQ(id, IDS_DOC_WRITE_FAILED);
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(ReadFileBytes(path), "older document");
    // No temporary file is left beside the target.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

namespace {

// While alive, no file may grow beyond `bytes`: writes fail as on a full disk.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &oldAction);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        sigaction(SIGXFSZ, &oldAction, nullptr);
    }
    struct sigaction oldAction {};
    rlimit saved{};
};

} // namespace

TEST_F(StoreTest, APageThatFailsHalfWrittenLeavesNoTornDocument)
{
    const std::string path = dir.file("torn.tvd");
    auto form = MakeForm("Torn");
    const uint32_t boxId = form->m_layers[0]->m_objects[0]->m_nObjectId;
    TvDocStore store;
    store.SetWorkFolder(dir.path().string());
    store.Create(path);
    store.WriteForm(*form);
    auto pageWith = [&](const std::string& text, int32_t x) {
        auto page = std::make_unique<TvPageData>();
        Change(page->m_formEntries, 0, CChangeData::FromString(500, text));
        Change(page->m_objectEntries, boxId, std::make_unique<CChangeData>(uint16_t(4), x));
        return page;
    };
    EXPECT_EQ(store.WritePage(*pageWith("one", 1)), 1);
    const uint64_t spoolSize = std::filesystem::file_size(store.GetSpoolFileName());
    {
        // The spool takes only part of the page.
        FileSizeLimit limit(spoolSize + 40);
        EXPECT_NE(AppId([&] { store.WritePage(*pageWith(std::string(300, 'x'), 2)); }), 0u);
    }
    // The writer goes on after the failed page (the control reports it and
    // carries on): what ends up in the file must read back as written.
    const int32_t third = store.WritePage(*pageWith("three", 3));
    store.WriteObjectList({});
    const uint32_t closeId = AppId([&] { store.Close(); });
    if (closeId != 0) {
        EXPECT_FALSE(std::filesystem::exists(path));
        return;
    }
    TvDocStore reader;
    reader.Open(path);
    ASSERT_EQ(reader.PageIndex().m_nCount, uint32_t(third));
    TvPageData back;
    ASSERT_EQ(AppId([&] { reader.ReadPage(back, third); }), 0u);
    back.Apply();
    EXPECT_EQ(back.m_pForm->m_pFormInfo->m_strName, "three");
    EXPECT_EQ(back.m_pForm->FindObjectById(boxId)->m_nX, 3);
}

TEST_F(StoreTest, ARenameThatFailsIsReportedAndCleansUp)
{
    const std::string path = dir.file("target.tvd");
    auto form = MakeForm("R");
    TvDocStore store;
    store.SetWorkFolder(dir.path().string());
    store.Create(path);
    store.WriteForm(*form);
    const std::string spool = store.GetSpoolFileName();
    // Something that a file cannot be renamed over takes the name.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    WriteFileBytes(path + "/keep", "keep");
    EXPECT_EQ(AppId([&] { store.Close(); }), IDS_DOC_WRITE_FAILED);
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(ReadFileBytes(path + "/keep"), "keep");
    EXPECT_FALSE(std::filesystem::exists(spool));
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 0);
}

TEST_F(StoreTest, OnlyItsOwnEmptyPlaceholderIsRemoved)
{
    // A writer of a new name reserves it with an empty file. When another
    // writer has meanwhile completed a document of that name, abandoning or
    // failing the first must not delete the other's document.
    const std::string path = dir.file("shared.tvd");
    auto form = MakeForm("S");
    for (bool discard : {true, false}) {
        std::filesystem::remove(path);
        TvDocStore first;
        first.SetWorkFolder(dir.path().string());
        first.Create(path);
        first.WriteForm(*form);
        {
            TvDocStore second;
            second.Create(path);
            second.WriteForm(*form);
            second.WriteObjectList({});
            second.Close();
        }
        const std::string done = ReadFileBytes(path);
        ASSERT_FALSE(done.empty());
        if (discard) {
            first.Discard();
        } else {
            FileSizeLimit limit(64);
            EXPECT_EQ(AppId([&] { first.Close(); }), IDS_DOC_WRITE_FAILED);
        }
        ASSERT_TRUE(std::filesystem::exists(path)) << discard;
        EXPECT_EQ(ReadFileBytes(path), done);
    }
}

TEST_F(StoreTest, AStoreThatReadAnOlderDocumentWritesTheCurrentRecords)
{
    const std::string older = dir.file("older.tvd");
    auto form = MakeForm("O");
    {
        TvDocStore store;
        store.Create(older);
        store.WriteForm(*form);
        store.WriteObjectList({});
        store.Close();
    }
    // Make the printer settings a version 1 record: no default source and
    // no change mask (6 bytes fewer), and the header version 1.
    std::string bytes = ReadFileBytes(older);
    const size_t printer = 48;
    ASSERT_EQ(bytes.substr(printer, 4), U32(0x6370681A));
    bytes.replace(printer + 4, 4, U32(1));
    bytes.erase(printer + 60 - 6, 6);
    bytes.replace(4, 4, U32(1));
    WriteFileBytes(older, bytes);

    TvDocStore store;
    ASSERT_EQ(store.Open(older), 1);
    EXPECT_EQ(store.PrinterSettings().m_nVersion, 1u);
    store.Close();
    // The same object writes a new document.
    const std::string path = dir.file("newer.tvd");
    ASSERT_EQ(store.Create(path), 1);
    store.WriteForm(*form);
    TvPageData page;
    store.WritePage(page);
    std::vector<std::unique_ptr<TvFontDesc>> fonts;
    fonts.push_back(std::make_unique<TvFontDesc>(-1, "IPAGothic", 128, 49, 1000, 0));
    store.WriteObjectList(fonts);
    store.Close();
    const std::string written = ReadFileBytes(path);
    EXPECT_EQ(written.substr(4, 4), U32(2));
    EXPECT_EQ(written.substr(48 + 4, 4), U32(3));
    TvDocStore reader;
    ASSERT_EQ(AppId([&] { reader.Open(path); }), 0u);
    EXPECT_EQ(reader.ReadFontList().size(), 1u);
}

TEST_F(StoreTest, ALinkedDocumentIsReplacedWhereItLives)
{
    const std::string real = dir.file("real.tvd"), link = dir.file("link.tvd");
    WriteFileBytes(real, "older document");
    std::filesystem::create_symlink(real, link);
    auto form = MakeForm("L");
    TvDocStore store;
    store.Create(link);
    store.WriteForm(*form);
    store.WriteObjectList({});
    store.Close();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_NE(ReadFileBytes(real), "older document");
    TvDocStore reader;
    EXPECT_EQ(AppId([&] { reader.Open(link); }), 0u);
}

TEST_F(StoreTest, ATargetThatIsNoRegularFileIsRefused)
{
    const std::string fifo = dir.file("pipe.tvd");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TvDocStore store;
    EXPECT_EQ(AppId([&] { store.Create(fifo); }), IDS_DOC_CREATE_FAILED);
    EXPECT_FALSE(store.IsOpen());
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
