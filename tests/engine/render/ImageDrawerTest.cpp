#include "engine/render/ImageDrawer.h"

#include "EmfWriter.h"
#include "engine/core/AppException.h"
#include "engine/core/Archive.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvOle.h"
#include "platform/gdi/RecordingDc.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <filesystem>

using namespace nv;

namespace {

void Put32(std::string& s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A 24-bit BMP file of w x h pixels, all of one colour (0x00RRGGBB).
std::string Bmp(int w, int h, uint32_t rgb)
{
    const int stride = (w * 3 + 3) / 4 * 4;
    std::string s(54, '\0');
    s[0] = 'B';
    s[1] = 'M';
    Put32(s, 10, 54);
    Put32(s, 14, 40);
    Put32(s, 18, uint32_t(w));
    Put32(s, 22, uint32_t(h));
    s[26] = 1;
    s[28] = 24;
    for (int y = 0; y < h; ++y) {
        std::string row;
        for (int x = 0; x < w; ++x) {
            row += static_cast<char>(rgb & 0xFF);
            row += static_cast<char>((rgb >> 8) & 0xFF);
            row += static_cast<char>((rgb >> 16) & 0xFF);
        }
        row.resize(stride, '\0');
        s += row;
    }
    Put32(s, 2, uint32_t(s.size()));
    return s;
}

class ImageDrawerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterModelClasses();
        ClassRegistry::Instance().Register(TvImage::Class());
        before_ = TempFileManager::Instance().Files();
        InitImageDrawing();
    }
    void TearDown() override
    {
        TermImageDrawing();
        for (const auto& f : TempFileManager::Instance().Files())
            if (std::find(before_.begin(), before_.end(), f) == before_.end()) TempFileManager::Instance().RemoveFile(f);
    }
    std::vector<std::string> before_;
    nvtest::TempDir dir;
};

} // namespace

TEST_F(ImageDrawerTest, PictureKinds)
{
    nvtest::WriteFileBytes(dir.path() / "photo.Tiff", "x");
    EXPECT_EQ(ImageDrawer::GetPictureKind(dir.file("photo.Tiff")), kPictureTiff);
    EXPECT_EQ(ImageDrawer::GetPictureKind(dir.file("missing.bmp")), kPictureBmp);  // by extension alone
    nvtest::WriteFileBytes(dir.path() / "noext", std::string("II*\0rest", 8));
    EXPECT_EQ(ImageDrawer::GetPictureKind(dir.file("noext")), kPictureTiff);
    nvtest::WriteFileBytes(dir.path() / "bm", "BMxxxx");
    EXPECT_EQ(ImageDrawer::GetPictureKind(dir.file("bm")), kPictureBmp);
    nvtest::WriteFileBytes(dir.path() / "meta.dat", std::string("\x01\0\0\0\0", 5));
    EXPECT_EQ(ImageDrawer::GetPictureKind(dir.file("meta.dat")), kPictureEmf);
    nvtest::WriteFileBytes(dir.path() / "four.dat", "BM\0\0");
    EXPECT_EQ(ImageDrawer::GetPictureKind(dir.file("four.dat")), kPictureNone);
    EXPECT_EQ(ImageDrawer::GetPictureKind(dir.file("nothing.dat")), kPictureNone);
    EXPECT_EQ(ImageDrawer::GetPictureKind(""), kPictureUnknown);
}

TEST_F(ImageDrawerTest, BitmapDrawnIntoItsRectangle)
{
    nvtest::WriteFileBytes(dir.path() / "red.bmp", Bmp(4, 3, 0xFF0000));
    TvImage pic(Rect{0, 0, 10, 10}, "red.bmp");
    ImageDrawer drawer;
    drawer.SetSearchPath(std::string("/nonexistent;") + dir.path().string());
    RecordingDc dc;
    drawer.Draw(pic, dc, DcRect{5, 6, 45, 36});
    auto images = dc.CallsOf("Image");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].image.width, 4);
    EXPECT_EQ(images[0].image.height, 3);
    EXPECT_EQ(images[0].image.Pixel(3, 2), 0xFFFF0000u);
    EXPECT_EQ(images[0].args[0], 5);
    EXPECT_EQ(images[0].args[3], 36);
    EXPECT_EQ(drawer.Kind(), kPictureUnknown);  // freed after drawing

    // Load alone gives the natural size.
    pic.m_strFileName = dir.file("red.bmp");
    ASSERT_EQ(drawer.Load(pic), 0);
    EXPECT_EQ(drawer.NaturalSize(), (DcSize{4, 3}));
    drawer.Free();
}

TEST_F(ImageDrawerTest, MissingOrBrokenPicturesShowNoPicture)
{
    nvtest::WriteFileBytes(dir.path() / "broken.bmp", "BM not really a bitmap");
    // Beyond what a picture may be: refused as a picture that cannot be drawn,
    // not read into memory (a sparse file, so nothing is written).
    nvtest::WriteFileBytes(dir.path() / "huge.bmp", Bmp(2, 2, 0));
    std::filesystem::resize_file(dir.path() / "huge.bmp", (512ull << 20) + 1);
    for (const char* name : {"missing.bmp", "broken.bmp", "huge.bmp"}) {
        TvImage pic(Rect{0, 0, 10, 10}, dir.file(name));
        ImageDrawer drawer;
        RecordingDc dc;
        drawer.Draw(pic, dc, DcRect{0, 0, 64, 64});
        auto images = dc.CallsOf("Image");
        ASSERT_EQ(images.size(), 1u) << name;
        EXPECT_EQ(images[0].image, ImageDrawer::NoPictureImage());

        drawer.SetRethrow(true);
        try {
            drawer.Draw(pic, dc, DcRect{0, 0, 64, 64});
            ADD_FAILURE() << name;
        } catch (const CAppException& e) {
            EXPECT_EQ(e.MessageId(), std::string(name) == "missing.bmp" ? 30005u : 30003u);
        }
    }
}

TEST_F(ImageDrawerTest, TiffAndEmbeddedPictures)
{
    const std::string path = dir.file("grey.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 2);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    uint8_t row[2] = {0, 200};
    TIFFWriteScanline(tif, row, 0, 0);
    TIFFClose(tif);

    TvImage pic(Rect{0, 0, 10, 10}, path);
    pic.m_bEmbedded = 1;
    Archive out;
    out.WriteObject(pic);  // embeds the file's bytes
    Archive in{std::string_view(out.Bytes())};
    auto loaded = in.ReadObject<TvImage>();
    ASSERT_FALSE(loaded->m_strTempFile.empty());
    loaded->m_nPictureKind = kPictureTiff;  // a temporary copy has no telling extension

    ImageDrawer drawer;
    RecordingDc dc;
    drawer.Draw(*loaded, dc, DcRect{0, 0, 20, 10});
    auto images = dc.CallsOf("Image");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].image.Pixel(1, 0), 0xFFC8C8C8u);
}

TEST_F(ImageDrawerTest, MetafilesAndOleObjects)
{
    nvtest::EmfWriter w(10000, 5000);
    w.Rec(nvtest::kEmrSelectObject, {0x80000004});
    w.Rec(nvtest::kEmrRectangle, {0, 0, 10, 10});
    const std::string emf = w.Finish();
    nvtest::WriteFileBytes(dir.path() / "pic.emf", emf);

    TvImage pic(Rect{0, 0, 10, 10}, dir.file("pic.emf"));
    ImageDrawer drawer;
    ASSERT_EQ(drawer.Load(pic), 0);
    EXPECT_EQ(drawer.Kind(), kPictureEmf);
    EXPECT_EQ(drawer.NaturalSize(), (DcSize{10000, 5000}));
    drawer.Free();

    RecordingDc dc;
    drawer.Draw(pic, dc, DcRect{0, 0, 200, 100});
    auto rects = dc.CallsOf("Rectangle");
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].args, (std::vector<int32_t>{0, 0, 20, 20}));

    // An OLE object without an item draws its substitute metafile.
    TvOle ole(Rect{0, 0, 10, 10}, 1, 0xFFFFFF, 0);
    ole.m_strPictureFile = dir.file("pic.emf");
    dc.Clear();
    drawer.DrawOle(ole, dc, DcRect{0, 0, 100, 50});
    EXPECT_EQ(dc.CallsOf("Rectangle").size(), 1u);

    // A missing substitute draws nothing, or throws with rethrow.
    ole.m_strPictureFile = dir.file("gone.emf");
    dc.Clear();
    drawer.DrawOle(ole, dc, DcRect{0, 0, 100, 50});
    EXPECT_TRUE(dc.Calls().empty());
    drawer.SetRethrow(true);
    EXPECT_THROW(drawer.DrawOle(ole, dc, DcRect{0, 0, 100, 50}), CAppException);
}
