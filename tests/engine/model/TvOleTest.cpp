#include "engine/model/TvOle.h"
#include "engine/model/TvOleItem.h"

#include "engine/core/Archive.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/EngineLog.h"
#include "engine/core/Exceptions.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/CompoundFile.h"
#include "engine/model/ModelClasses.h"
#include "support/TempDir.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstring>

using namespace nv;

namespace {

void Register()
{
    RegisterModelClasses();
    auto& r = ClassRegistry::Instance();
    r.Register(TvOle::Class());
    r.Register(TvOleItem::Class());
}

void PutLe32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

// An OLE presentation stream carrying `picture` in clipboard format `cf`.
std::string Presentation(uint32_t cf, const std::string& picture)
{
    std::string s;
    PutLe32(s, 0xFFFFFFFFu);
    PutLe32(s, cf);
    PutLe32(s, 4);  // no target device
    for (uint32_t v : {1u, 0xFFFFFFFFu, 2u, 0u, 2000u, 1000u}) PutLe32(s, v);
    PutLe32(s, static_cast<uint32_t>(picture.size()));
    return s + picture;
}

// A compound file with the given streams.
std::string CompoundFile(const std::vector<std::pair<std::string, std::string>>& streams)
{
    CompoundEntry root;
    root.storage = true;
    for (const auto& [name, data] : streams) root.AddStream(name, data);
    return WriteCompoundFile(root);
}

std::string Store(const CObject& obj)
{
    Archive ar;
    ar.WriteObject(obj);
    return ar.TakeBytes();
}

std::unique_ptr<TvOle> Load(const std::string& bytes)
{
    Archive ar{std::string_view(bytes)};
    auto obj = ar.ReadObject<TvOle>();
    EXPECT_EQ(ar.Remaining(), 0u);
    return obj;
}

std::unique_ptr<TvOle> Sample(const std::string& storage)
{
    auto p = std::make_unique<TvOle>(Rect{100, 200, 30100, 20200}, 0, 0x00FF00, 1);
    TvOle& ole = *p;
    ole.m_strName = "Ole1";
    ole.m_sizeNatural = Size{2000, 1000};
    ole.m_nLineStyle = 2;
    ole.m_nLineWidth = 3000;
    ole.m_crLineColor = 0x0000FF;
    auto item = std::make_unique<TvOleItem>();
    item->m_dwItemNumber = 3;
    item->m_storage = storage;
    ole.SetItem(std::move(item));
    return p;
}

class TvOleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Register();
        before_ = TempFileManager::Instance().Files();
    }
    // Temporary files made here go with the test, not at process exit.
    void TearDown() override
    {
        for (const auto& f : TempFileManager::Instance().Files())
            if (std::find(before_.begin(), before_.end(), f) == before_.end()) TempFileManager::Instance().RemoveFile(f);
    }
    std::vector<std::string> before_;
    nvtest::TempDir dir;
};

} // namespace

TEST_F(TvOleTest, Defaults)
{
    TvOle ole;
    EXPECT_EQ(ole.m_nObjectId, 20u);
    EXPECT_EQ(ole.GetType(), 13);
    EXPECT_EQ(ole.GetFlags(), 24);
    EXPECT_EQ(ole.GetAttribute(), 0u);
    EXPECT_EQ(ole.m_bKeepAspect, 1);
    EXPECT_EQ(ole.GetItem(), nullptr);
    EXPECT_TRUE(ole.IsPropertySupported(1002));
    EXPECT_FALSE(ole.IsPropertySupported(6));
    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(ole.GetPropertyAddress(1002, address, kind), 1);
    EXPECT_EQ(kind, addrString);
    EXPECT_EQ(ole.GetPropertyAddress(10, address, kind), 1);
    EXPECT_EQ(kind, addrShort);
}

TEST_F(TvOleTest, RoundTripWithItemIsByteExact)
{
    const std::string emf = std::string("\x01\0\0\0", 4) + std::string(100, 'E');
    const std::string storage =
        CompoundFile({{"\001Ole", std::string(20, '\0')}, {"\002OlePres000", Presentation(14, emf)}});
    auto oleHolder = Sample(storage);
    TvOle& ole = *oleHolder;
    const std::string bytes = Store(ole);
    auto loaded = Load(bytes);
    ASSERT_NE(loaded->GetItem(), nullptr);
    EXPECT_EQ(loaded->GetItem()->m_pOwner, loaded.get());
    EXPECT_EQ(loaded->GetItem()->m_dwItemNumber, 3u);
    EXPECT_EQ(loaded->GetItem()->m_storage, storage);
    EXPECT_EQ(loaded->m_sizeNatural, (Size{2000, 1000}));
    EXPECT_EQ(loaded->m_nLineStyle, 2);
    EXPECT_EQ(loaded->m_bKeepAspect, 1);
    EXPECT_EQ(Store(*loaded), bytes);

    // the stored picture is there for the renderer
    std::string picture;
    int32_t kind = 0;
    ASSERT_TRUE(loaded->GetItem()->GetPresentation(picture, kind));
    EXPECT_EQ(kind, TvOleItem::pictureEmf);
    EXPECT_EQ(picture, emf);
    // no live item
    EXPECT_EQ(loaded->GetItem()->GetDispatch(), nullptr);
    EXPECT_EQ(loaded->GetItem()->ContainerStorageName(), "Embedding 3");
}

TEST_F(TvOleTest, PresentationKindsAndDamagedStorage)
{
    std::string picture;
    int32_t kind = 0;
    TvOleItem item;
    item.m_storage = CompoundFile({{"\002OlePres000", Presentation(8, "DIBDATA")}});
    ASSERT_TRUE(item.GetPresentation(picture, kind));
    EXPECT_EQ(kind, TvOleItem::pictureDib);
    EXPECT_EQ(picture, "DIBDATA");

    item.m_storage = CompoundFile({{"\002OlePres000", Presentation(3, "WMF")}});  // metafile pictures: not drawn
    EXPECT_FALSE(item.GetPresentation(picture, kind));
    EXPECT_EQ(kind, TvOleItem::pictureNone);

    std::string cut = Presentation(14, std::string(50, 'x'));
    cut.resize(cut.size() - 10);
    item.m_storage = CompoundFile({{"\002OlePres000", cut}});
    EXPECT_FALSE(item.GetPresentation(picture, kind));

    item.m_storage = "not a compound file at all, just text";
    EXPECT_FALSE(item.GetPresentation(picture, kind));
    item.m_storage.clear();
    EXPECT_FALSE(item.GetPresentation(picture, kind));
}

TEST_F(TvOleTest, WithoutItemFlagAndOldVersions)
{
    auto oleHolder = Sample("opaque storage bytes");
    TvOle& ole = *oleHolder;
    ole.SetFlag(1);
    const std::string without = Store(ole);
    auto loaded = Load(without);
    EXPECT_EQ(loaded->GetItem(), nullptr);
    EXPECT_EQ(loaded->m_bWithoutItem, 1);
    EXPECT_EQ(loaded->m_nLineWidth, 3000);

    // Version 10 has no flag and always carries its item.
    ole.SetFlag(0);
    std::string bytes = Store(ole);
    const size_t version = 6 + std::strlen("TvOle") + 4 + 1 + 4 + 4 + 6 * 4;
    uint32_t v;
    std::memcpy(&v, bytes.data() + version, 4);
    ASSERT_EQ(v, 11u);
    std::string v10 = bytes.substr(0, version) + std::string("\x0a\0\0\0", 4) + bytes.substr(version + 8);
    loaded = Load(v10);
    ASSERT_NE(loaded->GetItem(), nullptr);
    EXPECT_EQ(loaded->GetItem()->m_storage, "opaque storage bytes");

    // Object schema 1: no version word, no flag, and nothing after the item.
    std::string s1;
    s1 += std::string("\xff\xff\x01\x00", 4);
    s1 += static_cast<char>(5);
    s1 += '\0';
    s1 += "TvOle";
    s1 += static_cast<char>(0);  // empty name
    for (uint32_t x : {7u, 0u, 10u, 20u, 1u, 0xFFFFFFu, 1u, 300u, 400u, 30u, 40u}) PutLe32(s1, x);
    s1 += std::string("\0\0", 2);  // null item
    loaded = Load(s1);
    EXPECT_EQ(loaded->m_nWidth, 300);
    EXPECT_EQ(loaded->m_sizeNatural, (Size{30, 40}));
    EXPECT_EQ(loaded->m_bKeepAspect, 0);
    EXPECT_EQ(loaded->m_nLineStyle, 1);
    EXPECT_EQ(loaded->m_nLineWidth, 15000);
    EXPECT_EQ(loaded->m_bFrame, 0);
}

TEST_F(TvOleTest, CloneAndLinks)
{
    nvtest::WriteFileBytes(dir.path() / "sub.emf", "EMF bytes");
    auto oleHolder = Sample("x");
    TvOle& ole = *oleHolder;
    ole.m_strPictureFile = dir.file("sub.emf");
    ole.SetFlag(1);
    auto copy = ole.Clone();
    auto* c = dynamic_cast<TvOle*>(copy.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetItem(), nullptr);
    EXPECT_NE(c->m_strPictureFile, ole.m_strPictureFile);
    EXPECT_EQ(nvtest::ReadFileBytes(c->m_strPictureFile), "EMF bytes");
    EXPECT_EQ(c->m_bWithoutItem, 1);
    EXPECT_EQ(c->m_strName, "Ole1");
    EXPECT_EQ(c->m_sizeNatural, (Size{2000, 1000}));
    // The copy's picture file goes with the copy.
    const std::string copied = c->m_strPictureFile;
    copy.reset();
    EXPECT_FALSE(std::filesystem::exists(copied));
    EXPECT_EQ(nvtest::ReadFileBytes(dir.path() / "sub.emf"), "EMF bytes");

    ole.m_strPictureFile.clear();
    auto bare = ole.Clone();
    EXPECT_TRUE(dynamic_cast<TvOle*>(bare.get())->m_strPictureFile.empty());

    TvOleItem item;
    item.m_nItemType = TvOleItem::typeEmbedded;
    EXPECT_NE(item.UpdateLink(true, 0), 0);
    item.m_nItemType = TvOleItem::typeLink;
    item.m_nLinkUpdate = TvOleItem::updateManual;
    EXPECT_NE(item.UpdateLink(true, 0), 0);
    item.m_nLinkUpdate = TvOleItem::updateAutomatic;
    EXPECT_EQ(item.UpdateLink(true, 0), 0);

    // keep-aspect fitting through the property
    TvOle fit(Rect{0, 0, 1000, 1000}, 1, 0xFFFFFF, 0);
    fit.m_sizeNatural = Size{100, 200};
    fit.m_bKeepAspect = 0;
    TvChangeList changes;
    fit.SetProperties(TvPropertyMap(61, TvPropValue::Long(1)), &changes);
    EXPECT_EQ(fit.m_nWidth, 500);
    EXPECT_EQ(fit.m_nHeight, 1000);
}

TEST_F(TvOleTest, TruncationsEndInErrors)
{
    auto oleHolder = Sample(CompoundFile({{"\002OlePres000", Presentation(14, "emf")}}));
    TvOle& ole = *oleHolder;
    const std::string bytes = Store(ole);
    for (size_t n = 0; n < bytes.size(); ++n) {
        Archive ar{std::string_view(bytes.data(), n)};
        EXPECT_THROW(ar.ReadObject<TvOle>(), CArchiveException) << n;
    }
    // an item of the wrong class
    auto otherHolder = Sample("s");
    TvOle& other = *otherHolder;
    std::string good = Store(other);
    std::string bad = good;
    size_t at = bad.find("TvOleItem");
    ASSERT_NE(at, std::string::npos);
    bad.replace(at, 9, "TvOleXtem");
    Archive ar{std::string_view(bad)};
    EXPECT_THROW(ar.ReadObject<TvOle>(), CArchiveException);
}

TEST_F(TvOleTest, StorageWithSubStoragesAndOddNamesSurvivesAndIsDrawn)
{
    // A storage as an application would leave it: a sub-storage sorted ahead
    // of the presentation, non-ASCII and empty streams, a storage that only
    // looks like a presentation by name.
    CompoundEntry root;
    root.storage = true;
    root.AddStorage("\002OlePres000").AddStream("inner", "not a presentation");
    CompoundEntry& sub = root.AddStorage("\xe8\xa1\xa8\xe8\xa8\x88\xe7\xae\x97");
    sub.AddStream("\xe3\x83\x87\xe3\x83\xbc\xe3\x82\xbf", std::string(5000, 'd'));
    sub.AddStream("empty", "");
    root.AddStream("\001Ole", "");
    root.AddStream("\002OlePres001", Presentation(8, "DIB"));
    const std::string storage = WriteCompoundFile(root);

    auto ole = Sample(storage);
    const std::string bytes = Store(*ole);
    auto loaded = Load(bytes);
    ASSERT_NE(loaded->GetItem(), nullptr);
    EXPECT_EQ(loaded->GetItem()->m_storage, storage);
    EXPECT_EQ(Store(*loaded), bytes);
    std::string picture;
    int32_t kind = 0;
    ASSERT_TRUE(loaded->GetItem()->GetPresentation(picture, kind));
    EXPECT_EQ(kind, TvOleItem::pictureDib);
    EXPECT_EQ(picture, "DIB");
}

TEST_F(TvOleTest, DamagedCompoundFilesNeverCrashTheDrawing)
{
    std::string base = CompoundFile({{"\001Ole", std::string(20, '\0')},
                                     {"\002OlePres000", Presentation(14, std::string(5000, 'E'))},
                                     {"small", std::string(100, 's')}});
    // libgsf complains about every damaged file; keep the test output readable.
    const guint quiet = g_log_set_handler("libgsf:msole", GLogLevelFlags(G_LOG_LEVEL_MASK),
                                          [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    TvOleItem item;
    std::string picture;
    int32_t kind = 0;
    // Every truncation.
    for (size_t n = 0; n < base.size(); n += 61) {
        item.m_storage = base.substr(0, n);
        item.GetPresentation(picture, kind);
    }
    const size_t directory = base.find(std::string("R\0o\0o\0t\0", 8));
    ASSERT_NE(directory, std::string::npos);
    // Random damage to the header, the allocation tables and the directory.
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 6000; ++round) {
        std::string bad = base;
        const int hits = 1 + int(next() % 8);
        for (int h = 0; h < hits; ++h) {
            // A third on the header, a third on the directory, the rest anywhere.
        const uint32_t where = next() % 3;
        const size_t at = where == 0 ? next() % 512
                          : where == 1 ? (directory + next() % 512) % bad.size()
                                       : next() % bad.size();
            bad[at] = static_cast<char>(next() >> 24);
        }
        item.m_storage = bad;
        if (item.GetPresentation(picture, kind)) EXPECT_NE(kind, TvOleItem::pictureNone);
        else EXPECT_TRUE(picture.empty());
    }
    g_log_remove_handler("libgsf:msole", quiet);
}

TEST_F(TvOleTest, LibraryWarningsAboutDamagedStoragesGoToTheLog)
{
    TvOleItem item;
    item.m_storage = CompoundFile({{"\002OlePres000", Presentation(8, std::string(5000, 'd'))}});
    item.m_storage[48] = '\xff'; // the directory's first sector, far past the end
    std::string picture;
    int32_t kind = 0;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(item.GetPresentation(picture, kind));
    const std::string terminal = testing::internal::GetCapturedStderr();
    EXPECT_EQ(terminal, "");
    const auto lines = RecentLogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("libgsf", 0), 0u) << lines.back();
}
