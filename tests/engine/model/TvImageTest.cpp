#include "engine/model/TvImage.h"
#include "engine/model/TvImageField.h"
#include "engine/model/TvOle.h"

#include "engine/core/Archive.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/Exceptions.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/ModelClasses.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

using namespace nv;

namespace {

void Register()
{
    RegisterModelClasses();
    auto& r = ClassRegistry::Instance();
    r.Register(TvImage::Class());
    r.Register(TvImageField::Class());
    r.Register(TvOle::Class());
    r.Register(TvOleItem::Class());
}

std::string Pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return s;
}

std::string Store(const CObject& obj)
{
    Archive ar;
    ar.WriteObject(obj);
    return ar.TakeBytes();
}

template <class T>
std::unique_ptr<T> Load(const std::string& bytes)
{
    Archive ar{std::string_view(bytes)};
    auto obj = ar.ReadObject<T>();
    EXPECT_EQ(ar.Remaining(), 0u);
    return obj;
}

uint32_t Le32At(const std::string& s, size_t at)
{
    uint32_t v;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

TvImage SamplePicture(const std::string& file)
{
    TvImage img(Rect{1000, 2000, 51000, 32000}, file);
    img.m_strName = "Picture3";
    img.m_nValue66 = 66;
    img.m_nValue67 = -67;
    img.m_nValue68 = 68;
    img.m_bFrame = 1;
    img.m_nLineStyle = 3;
    img.m_nLineWidth = 20000;
    img.m_crLineColor = 0x123456;
    img.m_nNaturalWidth = 640;
    img.m_nNaturalHeight = 480;
    img.m_bKeepAspect = 1;
    img.m_nPictureKind = 2;
    return img;
}

class TvImageTest : public ::testing::Test {
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

TEST_F(TvImageTest, DefaultsAndConstructors)
{
    TvImage img;
    EXPECT_EQ(img.m_nObjectId, 12u);
    EXPECT_EQ(img.GetType(), 7);
    EXPECT_EQ(img.GetFlags(), 24);
    EXPECT_EQ(img.m_nPictureKind, -1);
    EXPECT_EQ(img.m_nLineWidth, 15000);
    EXPECT_EQ(img.m_nLineStyle, 1);
    EXPECT_EQ(img.IsTextObject(), 0);
    TvImageField field(Rect{10, 20, 110, 70}, "a.bmp");
    EXPECT_EQ(field.m_nObjectId, 21u);
    EXPECT_EQ(field.GetType(), 12);
    EXPECT_EQ(field.IsTextObject(), 1);
    EXPECT_EQ(field.m_nWidth, 100);
    EXPECT_EQ(field.m_nHeight, 50);
    EXPECT_EQ(field.m_strFileName, "a.bmp");

    TvImage shape;  // any object with a frame line serves as template
    shape.m_bTransparent = 0;
    shape.m_crBackColor = 0xABCDEF;
    shape.m_nLineStyle = 4;
    shape.m_nLineWidth = 7000;
    shape.m_crLineColor = 0xFF;
    TvImage fromTemplate(Rect{0, 0, 10, 10}, 1, shape);
    EXPECT_EQ(fromTemplate.m_bTransparent, 0);
    EXPECT_EQ(fromTemplate.m_crBackColor, 0xABCDEFu);
    EXPECT_EQ(fromTemplate.m_nLineStyle, 4);
    EXPECT_EQ(fromTemplate.m_nLineWidth, 7000);
    EXPECT_EQ(fromTemplate.GetAttribute(), 0xFFu);
    EXPECT_EQ(fromTemplate.m_bFrame, 1);

    Rect r;
    fromTemplate.GetBoundRect(r, true);
    EXPECT_EQ(r, (Rect{-3501, -3501, 3511, 3511}));
}

TEST_F(TvImageTest, EmbeddedTenThousandBytesRoundTripByteExact)
{
    const std::string picture = Pattern(10000);
    nvtest::WriteFileBytes(dir.path() / "pic.bmp", picture);
    TvImage img = SamplePicture(dir.file("pic.bmp"));
    img.m_bEmbedded = 1;  // embedded, no temporary copy yet: takes the file

    const std::string first = Store(img);
    // the data length and the bytes close the object
    ASSERT_GE(first.size(), 10004u);
    EXPECT_EQ(Le32At(first, first.size() - 10004), 10000u);
    EXPECT_EQ(first.substr(first.size() - 10000), picture);

    auto loaded = Load<TvImage>(first);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->m_bEmbedded, 1);
    EXPECT_EQ(loaded->m_nDataLength, 10000);
    ASSERT_FALSE(loaded->m_strTempFile.empty());
    EXPECT_EQ(nvtest::ReadFileBytes(loaded->m_strTempFile), picture);
    EXPECT_EQ(loaded->PictureSource(), loaded->m_strTempFile);
    EXPECT_EQ(loaded->m_strName, "Picture3");
    EXPECT_EQ(loaded->m_nValue67, -67);
    EXPECT_EQ(loaded->m_nLineStyle, 3);
    EXPECT_EQ(loaded->m_crLineColor, 0x123456u);

    // The picture file can go; the form carries the bytes.
    std::filesystem::remove(dir.path() / "pic.bmp");
    EXPECT_EQ(Store(*loaded), first);
}

TEST_F(TvImageTest, EmbedOnStoreKeepsThePicture)
{
    const std::string picture = Pattern(5000);
    nvtest::WriteFileBytes(dir.path() / "logo.emf", picture);
    TvImage img = SamplePicture(dir.file("logo.emf"));
    img.SetFlag(1);

    const std::string first = Store(img);
    EXPECT_EQ(first.substr(first.size() - 5000), picture);
    // The object keeps the bytes it stored: embedded, with its own copy.
    EXPECT_EQ(img.m_bEmbedded, 1);
    ASSERT_FALSE(img.m_strTempFile.empty());
    EXPECT_EQ(nvtest::ReadFileBytes(img.m_strTempFile), picture);

    std::filesystem::remove(dir.path() / "logo.emf");
    const std::string second = Store(img);
    EXPECT_EQ(second.substr(second.size() - 5000), picture);

    // A reader that finds data marks the picture embedded.
    for (const std::string* bytes : {&first, &second}) {
        auto loaded = Load<TvImage>(*bytes);
        EXPECT_EQ(loaded->m_bEmbedded, 1);
        EXPECT_EQ(loaded->m_nDataLength, 5000);
        EXPECT_EQ(nvtest::ReadFileBytes(loaded->m_strTempFile), picture);
    }
}

TEST_F(TvImageTest, EmbedOnStoreWithMissingFileFailsWithoutChange)
{
    TvImage img = SamplePicture(dir.file("gone.bmp"));
    img.SetFlag(1);
    const size_t files = TempFileManager::Instance().Files().size();
    EXPECT_THROW(Store(img), CFileException);
    EXPECT_EQ(img.m_bEmbedded, 0);
    EXPECT_TRUE(img.m_strTempFile.empty());
    EXPECT_EQ(TempFileManager::Instance().Files().size(), files);
}

TEST_F(TvImageTest, ImageFieldNeverEmbedsOnStore)
{
    nvtest::WriteFileBytes(dir.path() / "f.bmp", Pattern(300));
    TvImageField field(Rect{0, 0, 100, 100}, dir.file("f.bmp"));
    field.m_nFieldNumber = 7;
    field.SetFlag(1);
    EXPECT_EQ(field.m_bEmbedOnStore, 0);
    field.m_bEmbedOnStore = 1;  // even when the flag is forced
    const std::string bytes = Store(field);
    EXPECT_EQ(Le32At(bytes, bytes.size() - 8), 10u);
    EXPECT_EQ(Le32At(bytes, bytes.size() - 4), 7u);
    auto loaded = Load<TvImageField>(bytes);
    EXPECT_EQ(loaded->m_bEmbedded, 0);
    EXPECT_EQ(loaded->m_nFieldNumber, 7);
    EXPECT_EQ(loaded->GetFieldIndex(), 7);
    EXPECT_EQ(Store(*loaded), bytes);
}

TEST_F(TvImageTest, VersionTenHasNoEmbedOnStoreFlag)
{
    TvImage img = SamplePicture("x.bmp");
    img.m_bEmbedOnStore = 0;
    std::string bytes = Store(img);
    // class record: FFFF, schema, name length, name; then the base part
    const size_t base = 2 + 2 + 2 + std::strlen("TvImage");
    const size_t version = base + 4 + 1 + 8 + 4 + 6 * 4;  // version, name "Picture3", id, six values
    ASSERT_EQ(Le32At(bytes, version), 11u);
    std::string v10 = bytes.substr(0, version) + std::string("\x0a\0\0\0", 4) + bytes.substr(version + 8);
    auto loaded = Load<TvImage>(v10);
    EXPECT_EQ(loaded->m_bEmbedOnStore, 0);
    EXPECT_EQ(loaded->m_nWidth, 50000);
    EXPECT_EQ(loaded->m_strFileName, "x.bmp");
}

TEST_F(TvImageTest, SetPropertiesRules)
{
    TvImage img = SamplePicture("a.bmp");
    img.m_bKeepAspect = 0;
    TvChangeList changes;
    TvPropertyMap map;
    map.SetString(69, "b.bmp");
    img.SetProperties(map, &changes);
    EXPECT_EQ(img.m_nPictureKind, -1);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].m_nPropId, 69);
    EXPECT_EQ(changes[1].m_nPropId, 62);
    EXPECT_EQ(changes[1].GetLong(), 2);

    // embedded: a new name drops the temporary copy
    img.m_bEmbedded = 1;
    img.m_strTempFile = "/tmp/~FE1.TMP";
    changes.clear();
    img.SetProperties(TvPropertyMap(69, TvPropValue::String("c.bmp")), &changes);
    EXPECT_TRUE(img.m_strTempFile.empty());
    // turning embedding off drops it too
    img.m_strTempFile = "/tmp/~FE2.TMP";
    img.SetProperties(TvPropertyMap(60, TvPropValue::Long(0)), nullptr);
    EXPECT_TRUE(img.m_strTempFile.empty());

    // keep-aspect fits the box at once and records the new size
    img.m_nWidth = 1000;
    img.m_nHeight = 1000;
    img.m_nNaturalWidth = 200;
    img.m_nNaturalHeight = 100;
    changes.clear();
    img.SetProperties(TvPropertyMap(61, TvPropValue::Long(1)), &changes);
    EXPECT_EQ(img.m_nWidth, 1000);
    EXPECT_EQ(img.m_nHeight, 500);
    ASSERT_EQ(changes.size(), 2u);  // 61 and 14
    EXPECT_EQ(changes[1].m_nPropId, 14);

    // one zero natural extent does not divide by zero
    img.m_nNaturalHeight = 0;
    img.SetRect(Rect{0, 0, 300, 300});
    EXPECT_EQ(img.m_nWidth, 300);

    // unsupported ids and addresses
    EXPECT_TRUE(img.IsPropertySupported(61));
    EXPECT_FALSE(img.IsPropertySupported(69));
    TvImageField field;
    EXPECT_TRUE(field.IsPropertySupported(69));
    EXPECT_TRUE(field.IsPropertySupported(122));
    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(img.GetPropertyAddress(10, address, kind), 1);
    EXPECT_EQ(kind, addrShort);
    EXPECT_EQ(field.GetPropertyAddress(60, address, kind), 0);
    EXPECT_EQ(field.GetPropertyAddress(122, address, kind), 1);
    EXPECT_EQ(address, &field.m_nFieldNumber);
    field.SetProperties(TvPropertyMap(122, TvPropValue::Long(4)), nullptr);
    EXPECT_EQ(field.m_nFieldNumber, 4);
}

TEST_F(TvImageTest, CloneOwnsItsOwnCopy)
{
    nvtest::WriteFileBytes(dir.path() / "c.bmp", Pattern(700));
    TvImage img = SamplePicture(dir.file("c.bmp"));
    img.m_bEmbedded = 1;
    auto loaded = Load<TvImage>(Store(img));
    loaded->m_bEmbedOnStore = 1;
    auto copy = loaded->Clone();
    auto* c = dynamic_cast<TvImage*>(copy.get());
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c->m_strTempFile, loaded->m_strTempFile);
    EXPECT_EQ(nvtest::ReadFileBytes(c->m_strTempFile), Pattern(700));
    EXPECT_EQ(c->m_bEmbedOnStore, 0);
    EXPECT_EQ(c->m_strName, "Picture3");
    EXPECT_EQ(c->m_nNaturalWidth, 640);
    // Each picture's file goes with it; the other's stays.
    const std::string copied = c->m_strTempFile;
    copy.reset();
    EXPECT_FALSE(std::filesystem::exists(copied));
    EXPECT_EQ(nvtest::ReadFileBytes(loaded->m_strTempFile), Pattern(700));

    TvImageField field(Rect{0, 0, 1, 1});
    field.m_nFieldNumber = 9;
    auto fc = field.Clone();
    EXPECT_EQ(fc->GetType(), 12);
    EXPECT_EQ(fc->GetFieldIndex(), 9);
}

TEST_F(TvImageTest, TruncationAndWrongClassEndInErrors)
{
    nvtest::WriteFileBytes(dir.path() / "t.bmp", Pattern(100));
    TvImage img = SamplePicture(dir.file("t.bmp"));
    img.m_bEmbedded = 1;
    TvImageField field(Rect{0, 0, 5, 5}, "f.bmp");
    for (const std::string& bytes : {Store(img), Store(field)}) {
        const size_t files = TempFileManager::Instance().Files().size();
        for (size_t n = 0; n < bytes.size(); ++n) {
            Archive ar{std::string_view(bytes.data(), n)};
            EXPECT_THROW(ar.ReadObject<TvImage>(), CArchiveException) << n;
        }
        // a failed read leaves no temporary file behind
        EXPECT_EQ(TempFileManager::Instance().Files().size(), files);
    }
    {   // a data length beyond the archive
        std::string bytes = Store(img);
        std::string bad = bytes.substr(0, bytes.size() - 104) + std::string("\xff\xff\xff\x7f", 4) +
                          bytes.substr(bytes.size() - 100);
        Archive ar{std::string_view(bad)};
        try {
            ar.ReadObject<TvImage>();
            ADD_FAILURE();
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.cause(), CArchiveException::endOfFile);
        }
    }
    {   // an OLE object where a picture belongs
        std::string ole = Store(TvOle(Rect{0, 0, 5, 5}, 1, 0xFFFFFF, 0));
        Archive ar{std::string_view(ole)};
        try {
            ar.ReadObject<TvImage>();
            ADD_FAILURE();
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.cause(), CArchiveException::badClass);
        }
    }
}

namespace {

std::vector<uint16_t> MapOrder(const TvPropertyMap& map)
{
    std::vector<uint16_t> ids;
    for (const auto& [id, v] : map) ids.push_back(id);
    return ids;
}

std::vector<uint16_t> RecordedIds(const TvChangeList& changes)
{
    std::vector<uint16_t> ids;
    for (const auto& c : changes) ids.push_back(c->m_nPropId);
    return ids;
}

} // namespace

TEST(TvImageProperties, AppliedInTheMapsOrder)
{
    // Ids of one bucket come newest first; changes are recorded in the order
    // the map hands them out, as for every other object.
    TvImage img(Rect{0, 0, 100, 100}, "a.bmp");
    TvPropertyMap map;
    map.SetLong(9, 3000);
    map.SetLong(13, 500);
    map.SetLong(14, 600);
    map.SetLong(66, 1);
    map.SetLong(67, 2);
    TvChangeList changes;
    img.SetProperties(map, &changes);
    EXPECT_EQ(RecordedIds(changes), MapOrder(map));
    EXPECT_EQ(img.m_nWidth, 500);
    EXPECT_EQ(img.m_nHeight, 600);

    TvOle ole(Rect{0, 0, 100, 100}, 1, 0xFFFFFF, 0);
    TvPropertyMap omap;
    omap.SetLong(9, 3000);
    omap.SetShort(10, 2);
    omap.SetLong(12, 1);
    omap.SetLong(13, 500);
    TvChangeList ochanges;
    ole.SetProperties(omap, &ochanges);
    EXPECT_EQ(RecordedIds(ochanges), MapOrder(omap));
}

TEST(TvImageProperties, BoundsOfExtremeValuesWrap)
{
    // Values from a damaged file: the pen reach is (width + 3) / 2 worked
    // out without overflowing, and the box wraps like every other shape's.
    TvImage img;
    img.m_nX = 0;
    img.m_nY = 0;
    img.m_nWidth = 10;
    img.m_nHeight = 10;
    img.m_nLineWidth = INT32_MAX;
    Rect r;
    img.GetBoundRect(r, true);
    EXPECT_EQ(r.left, -1073741825);
    EXPECT_EQ(r.right, 10 + 1073741825);

    img.m_nLineWidth = 0;
    img.m_nX = INT32_MAX;
    img.GetBoundRect(r, false);
    EXPECT_EQ(r.right, INT32_MAX) << "kept at the far edge";

    TvOle ole;
    ole.m_nWidth = 10;
    ole.m_nHeight = 10;
    ole.m_nLineWidth = INT32_MAX;
    ole.GetBoundRect(r, true);
    EXPECT_EQ(r.left, -1073741825);
    ole.m_nLineWidth = 0;
    ole.m_nY = INT32_MAX;
    ole.GetBoundRect(r, false);
    EXPECT_EQ(r.bottom, INT32_MAX);
}
