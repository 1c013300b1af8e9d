// Documents built to hurt the reader: byte blocks that pose as file names,
// page indexes out of order or with numbers twice, a header count that
// disagrees with the index.
#include "engine/core/PropertyIds.h"
#include "engine/core/TempFileManager.h"
#include "engine/core/UserFolder.h"
#include "platform/core/Cp932.h"
#include "support/StoreFixtures.h"
#include "support/TestUserFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nv;
using namespace nvtest::store;
using nvtest::ReadFileBytes;
using nvtest::WriteFileBytes;

namespace {

// Writes `pages` pages of one form; `fill` adds each page's entries.
void WritePages(const std::string& path, int pages, const std::function<void(TvPageData&, int)>& fill = {},
                bool fontList = false)
{
    auto form = MakeForm("H");
    TvDocStore store;
    store.Create(path);
    store.WriteForm(*form);
    for (int i = 1; i <= pages; ++i) {
        TvPageData page;
        if (fill) fill(page, i);
        store.WritePage(page);
    }
    if (fontList) store.WriteObjectList({});
    store.Close();
}

// Where the header keeps its page count, and where the page index starts.
struct Layout {
    size_t pageCountAt;
    size_t pageIndexAt;
};

Layout LayoutOf(const std::string& path)
{
    TvDocStore probe;
    probe.Open(path);
    const size_t name = probe.Header().m_strName.size();
    const std::string head = U32(TvPageIndex::kMagic) + U32(TvPageIndex::kVersion) + U32(probe.PageIndex().m_nCount);
    Layout l{32 + name, ReadFileBytes(path).find(head)};
    probe.Close();
    return l;
}

void PutU32(std::string& bytes, size_t at, uint32_t v) { bytes.replace(at, 4, U32(v)); }

uint32_t OpenError(const std::string& path)
{
    TvDocStore store;
    return AppId([&] { store.Open(path); });
}

} // namespace

TEST_F(StoreTest, AStoredByteBlockIsNeverReadAsAFileName)
{
    // An outside file a crafted document names in its bytes.
    const std::string secret = dir.file("secret.txt");
    WriteFileBytes(secret, "SECRET-OUTSIDE-BYTES");
    const std::string picture = dir.file("logo.bin");
    const std::string logo("\x42\x4d\x00\x01logo-bytes\x00\xff", 16);
    WriteFileBytes(picture, logo);
    auto form = MakeForm("C");
    const uint32_t id = form->m_layers[0]->m_objects[0]->m_nObjectId;
    const std::string original = dir.file("crafted.tvd");
    WritePages(original, 1, [&](TvPageData& page, int) {
        // Stored as bytes that spell a path, under a file-typed property.
        Change(page.m_objectEntries, id, CChangeData::FromString(69, secret));
        // A genuine embedded file, made by this program from a file.
        Change(page.m_objectEntries, id + 1, CChangeData::FromString(1002, picture, CChangeData::typeFile));
    });
    ASSERT_EQ(ReadFileBytes(original).find("SECRET"), std::string::npos);
    ASSERT_NE(ReadFileBytes(original).find(logo), std::string::npos);

    // Copied as read, and copied after the page was applied.
    for (bool apply : {false, true}) {
        const std::string copy = dir.file(apply ? "applied.tvd" : "copy.tvd");
        TvDocStore reader;
        reader.Open(original);
        TvPageData page;
        reader.ReadPage(page, 1);
        if (apply) page.Apply();
        const TvChangeEntry* blob = page.m_objectEntries.Lookup(TvEntryKey{int32_t(id + 1), 1002, 0, 0});
        ASSERT_NE(blob, nullptr);
        EXPECT_EQ(blob->GetStoredSize(), logo.size() + 12);
        TvDocStore writer;
        writer.Create(copy);
        writer.WriteForm(*MakeForm("C"));
        writer.WritePage(page);
        writer.Close();
        reader.Close();
        const std::string bytes = ReadFileBytes(copy);
        EXPECT_EQ(bytes.find("SECRET"), std::string::npos) << apply;
        EXPECT_NE(bytes.find(logo), std::string::npos) << apply;
        EXPECT_NE(bytes.find(secret), std::string::npos) << apply; // the path stays bytes

        TvDocStore again;
        again.Open(copy);
        TvPageData back;
        again.ReadPage(back, 1);
        const TvChangeEntry* e = back.m_objectEntries.Lookup(TvEntryKey{int32_t(id + 1), 1002, 0, 0});
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Content(), logo) << apply;
    }
}

TEST_F(StoreTest, ReversedPagesAreFoundWithOneProbeEach)
{
    // One stored page, and an index of 400,000 pages numbered last to first
    // that all point at its record.
    const uint32_t pages = 400000;
    const std::string path = dir.file("reversed.tvd");
    WritePages(path, 1);
    const Layout at = LayoutOf(path);
    std::string bytes = ReadFileBytes(path);
    const std::string entry = bytes.substr(at.pageIndexAt + 12, 12);
    std::string index = U32(TvPageIndex::kMagic) + U32(TvPageIndex::kVersion) + U32(pages);
    index.reserve(index.size() + 12 * size_t(pages) + 4);
    for (uint32_t p = pages; p >= 1; --p) index += entry.substr(0, 4) + U32(p) + entry.substr(8, 4);
    index += U32(pages + 28);
    bytes.replace(at.pageIndexAt, 12 + 12 + 4, index);
    PutU32(bytes, at.pageCountAt, pages);
    WriteFileBytes(path, bytes);

    TvDocStore store;
    store.Open(path);
    ASSERT_EQ(store.PageIndex().m_entries.front().m_nPageNo, int32_t(pages));
    // What a reader asks for every page while it opens (the reading itself
    // is timed in the benchmarks).
    for (uint32_t p = 1; p <= pages; ++p) ASSERT_EQ(store.PageIndex().Find(int32_t(p))->m_nPageNo, int32_t(p));
    EXPECT_LE(store.PageIndex().Probes(), uint64_t(pages));
    TvPageData last;
    store.ReadPage(last, int32_t(pages));
    EXPECT_NE(last.m_pForm, nullptr);
}

TEST_F(StoreTest, PageNumbersThatAreNotOneToTheCountAreBadData)
{
    const std::string path = dir.file("numbers.tvd");
    WritePages(path, 4);
    const Layout at = LayoutOf(path);
    const std::string good = ReadFileBytes(path);
    const size_t numberOf2 = at.pageIndexAt + 12 + 12 + 4;
    for (uint32_t bad : {1u, 0u, 5u, 0xFFFFFFFFu, 0x80000000u}) {
        std::string bytes = good;
        PutU32(bytes, numberOf2, bad);
        WriteFileBytes(path, bytes);
        EXPECT_EQ(OpenError(path), 22006u) << bad;
    }
}

TEST_F(StoreTest, AHeaderPageCountThatDisagreesWithTheIndexIsBadData)
{
    const std::string path = dir.file("count.tvd");
    WritePages(path, 3);
    const Layout at = LayoutOf(path);
    const std::string good = ReadFileBytes(path);
    for (uint32_t count : {0x80000000u, 0u, 2u, 4u, 0xFFFFFFFFu}) {
        std::string bytes = good;
        PutU32(bytes, at.pageCountAt, count);
        WriteFileBytes(path, bytes);
        EXPECT_EQ(OpenError(path), 22006u) << count;
    }
    WriteFileBytes(path, good);
    EXPECT_EQ(OpenError(path), 0u);
}

TEST(EntryMap, KeysOfOneBucketKeepTheirOrderAndAreFound)
{
    // Every key lands in one bucket (same low 16 bits of the object id, same
    // property); iteration still runs from the newest.
    TvEntryMap map;
    const int n = 2000;
    for (int i = 0; i < n; ++i) {
        const uint32_t object = uint32_t(i) << 16;
        map.SetAt(TvEntryKey{int32_t(object), 4, 0, 0},
                  std::make_unique<TvChangeEntry>(object, std::make_unique<CChangeData>(uint16_t(4), int32_t(i))));
    }
    ASSERT_EQ(map.size(), size_t(n));
    int expected = n - 1;
    map.ForEach([&](const TvEntryKey& k, const TvChangeEntry& e) {
        EXPECT_EQ(k.m_nObjectId, expected << 16);
        EXPECT_EQ(e.m_pData->GetLong(), expected);
        --expected;
    });
    map.SetAt(TvEntryKey{7 << 16, 4, 0, 0},
              std::make_unique<TvChangeEntry>(7u << 16, std::make_unique<CChangeData>(uint16_t(4), int32_t(-7))));
    EXPECT_EQ(map.size(), size_t(n));
    EXPECT_EQ(map.Lookup(TvEntryKey{7 << 16, 4, 0, 0})->m_pData->GetLong(), -7);
    EXPECT_EQ(map.Lookup(TvEntryKey{7 << 16, 4, 1, 0}), nullptr);
}

TEST_F(StoreTest, APlaceholderLeftByACrashIsRemovedAtTheNextStart)
{
    const std::string user = dir.file("user");
    ::mkdir(user.c_str(), 0700);
    SetUserFolder(user);
    const std::string path = dir.file("first.tvd");
    const pid_t pid = ::fork();
    if (pid == 0) {
        TvDocStore store;
        store.Create(path);
        store.WriteForm(*MakeForm("K"));
        ::_exit(0); // as after kill -9: no Close, no destructors
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(TempFileManager::RemoveStaleWorkFolders(user), 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    SetUserFolder(nvtest::TestUserFolder());
}

TEST_F(StoreTest, NoWorkFileInAFolderOthersMayEnterAndTheMessageSaysWhere)
{
    const std::string path = dir.file("doc.tvd");
    WritePages(path, 1);
    const std::string user = dir.file("shared");
    ::mkdir(user.c_str(), 0700);
    ::chmod(user.c_str(), 0777);
    SetUserFolder(user);
    TvDocStore store;
    try {
        store.Open(path);
        ADD_FAILURE() << "opened with a work file in a shared folder";
    } catch (const CAppException& e) {
        EXPECT_EQ(e.MessageId(), uint32_t(IDS_DOC_TEMP_FAILED));
        const std::string text = e.GetErrorMessage();
        EXPECT_NE(text.find(user), std::string::npos) << text;
    }
    SetUserFolder(nvtest::TestUserFolder());
    EXPECT_TRUE(std::filesystem::is_empty(user));
}

namespace {

// Every page's first printer entry pointed at page 1's: many pages sharing
// one record, as a crafted file may have them.
void ShareFirstPrinterEntry(const std::string& path)
{
    TvDocStore probe;
    probe.Open(path);
    std::vector<uint32_t> records;
    for (const TvPageIndexEntry& e : probe.PageIndex().m_entries) records.push_back(e.m_nOffset);
    probe.Close();
    std::string bytes = ReadFileBytes(path);
    const size_t body = LayoutOf(path).pageIndexAt + 16 + 12 * records.size();
    auto at = [&](uint32_t record, size_t field) { return body + record + 16 + field * 4; };
    const std::string first = bytes.substr(at(records[0], 1), 8);
    for (size_t p = 1; p < records.size(); ++p) bytes.replace(at(records[p], 1), 8, first);
    WriteFileBytes(path, bytes);
}

} // namespace

TEST_F(StoreTest, PageSettingsAreBoundedAndASharedRecordIsOneRecord)
{
    const struct {
        std::string formName;
        size_t settings; // what each page's settings hold
    } cases[] = {{"A4 small", 1}, {std::string(1 << 20, 'F'), 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formName.size());
        const std::string path = dir.file("shared.tvd");
        WritePages(path, 50, [&](TvPageData& page, int) {
            Change(page.m_printerEntries, 0, CChangeData::FromString(propPrnFormName, c.formName));
        });
        ShareFirstPrinterEntry(path);
        TvDocStore store;
        ASSERT_EQ(store.Open(path), 1);
        int pages = 0;
        store.ReadAllPageSettings([&](int32_t, TvEntryMap& m) {
            ++pages;
            EXPECT_EQ(m.size(), c.settings);
            m.ForEach([&](const TvEntryKey&, const TvChangeEntry& e) { EXPECT_LE(e.m_pData->Size(), 256u); });
        });
        EXPECT_EQ(pages, 50);
    }
}

// Sparse files: the holes take no disk here, but would in a work copy.
TEST_F(StoreTest, AGapFarBeyondTheRecordsIsRefusedBeforeItIsCopied)
{
    struct Case {
        const char* what;
        uint64_t fontListGap; // the header puts the font list this much further on
        uint64_t padding;     // bytes after the font list
    };
    const Case cases[] = {
        {"a body padded past its font list", 0, 64u << 20},
        {"a font list 2 GB further on", 2ull << 30, 0},
        {"a font list 4 GB further on", (4ull << 30) - 4096, 0},
        {"a font list just past the last record's room", (16u << 20) + 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("gap.tvd");
        WritePages(path, 3, {}, true);
        ASSERT_EQ(OpenError(path), 0u);
        const size_t workFiles = TempFileManager::Instance().Files().size();
        std::string bytes = ReadFileBytes(path);
        // The empty font list, its count, is the file's last four bytes.
        const std::string fontList = bytes.substr(bytes.size() - 4);
        ASSERT_EQ(fontList, U32(0));
        bytes.resize(bytes.size() - 4);
        TvDocStore probe;
        probe.Open(path);
        const uint64_t moved = probe.Header().m_nFontListOffset + c.fontListGap;
        ASSERT_LE(moved, 0xFFFFFFFFull);
        PutU32(bytes, 44 + probe.Header().m_strName.size(), uint32_t(moved));
        probe.Close();
        WriteFileBytes(path, bytes);
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::pwrite(fd, fontList.data(), 4, off_t(bytes.size() + c.fontListGap)), 4);
        EXPECT_EQ(::ftruncate(fd, off_t(bytes.size() + c.fontListGap + 4 + c.padding)), 0);
        ::close(fd);
        EXPECT_EQ(OpenError(path), IDS_DOC_BAD_DATA);
        EXPECT_EQ(TempFileManager::Instance().Files().size(), workFiles);
        std::filesystem::remove(path);
    }
}

TEST_F(StoreTest, TheFontListIsReadOncePerDocument)
{
    const std::string path = dir.file("fonts.tvd");
    auto form = MakeForm("F");
    TvDocStore writer;
    writer.Create(path);
    writer.WriteForm(*form);
    writer.WritePage(TvPageData());
    std::vector<std::unique_ptr<TvFontDesc>> fonts;
    fonts.push_back(std::make_unique<TvFontDesc>(-1, "IPAGothic", 128, 49, 1000, 0));
    writer.WriteObjectList(fonts);
    writer.Close();
    TvDocStore store;
    store.Open(path);
    const TvFontDesc* first = store.ReadFontList().at(0).get();
    EXPECT_EQ(store.ReadFontList().at(0).get(), first);
}

TEST_F(StoreTest, ADocumentThatIsANamedPipeIsNoFile)
{
    const std::string fifo = dir.file("pipe.tvd");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TvDocStore store;
    try {
        store.Open(fifo);
        ADD_FAILURE() << "opened";
    } catch (const CAppException& e) {
        EXPECT_EQ(e.MessageId(), IDS_DOC_OPEN_FAILED);
        const std::string text = Cp932ToUtf8(e.GetErrorMessage());
        EXPECT_NE(text.find("pipe.tvd は通常のファイルではありません。"), std::string::npos) << text;
    }
    EXPECT_FALSE(store.IsOpen());
}
