// Files in a folder whose name CP932 cannot hold: documents, temporary files
// and pictures all work there, and a stored name that does not convert is an
// error naming it, never a file under a mangled name.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "TestCard.h"
#include "engine/core/AppException.h"
#include "engine/core/Archive.h"
#include "engine/core/PathUtil.h"
#include "engine/core/TempFileManager.h"
#include "engine/render/FormPainter.h"
#include "engine/render/ImageDrawer.h"
#include "engine/render/TextMeasurer.h"
#include "engine/render/TvReportDoc.h"
#include "platform/qt/QtSurfaces.h"

using namespace nv;
using namespace nv::testcard;
using namespace nvtest;

namespace {

namespace fs = std::filesystem;

const char* const kFolderName = "帳票 josé ✓";

// The folder under a fresh temporary root, current while the test runs, and
// the process's work folder.
class NativePaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        folder_ = root_.path() / kFolderName;
        fs::create_directories(folder_);
        previous_ = fs::current_path();
        fs::current_path(folder_);
        TempFileManager::Instance().SetWorkFolder(folder_.string());
        WriteFileBytes(folder_ / "絵.bmp", RampBmp(6, 4));
    }
    void TearDown() override
    {
        TempFileManager::Instance().SetWorkFolder({});
        fs::current_path(previous_);
    }

    // Every name in the temporary root, to show nothing went elsewhere.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(root_.path()))
            names.insert(fs::relative(e.path(), root_.path()).string());
        return names;
    }

    TempDir root_;
    fs::path folder_;
    fs::path previous_;
};

TEST_F(NativePaths, ADocumentIsWrittenReadAndDrawnThere)
{
    const auto files = TempFileManager::Instance().Files();
    const std::set<std::string> earlier(files.begin(), files.end());
    const std::string path = (folder_ / "元帳 ✓.tvd").string();
    const std::string picture = Sj("絵.bmp");
    WriteCardDocument(path, picture, 2, [&](TvDocStore& store) { store.SetWorkFolder(folder_.string()); });
    ASSERT_TRUE(fs::is_regular_file(path));

    DcTextMeasurer measurer(CreateMeasuringDc());
    {
        TvReportDoc doc;
        doc.SetTextMeasurer(&measurer);
        doc.Open(path);
        EXPECT_EQ(doc.PageCount(), 2);
        QtImageDc stored(397, 559, 96);
        EXPECT_NE(doc.DrawPage(stored, 2, {0, 0}, 100), 0);
        const QImage fromDocument = stored.Finish().copy();
        auto direct = MakeIndexedTestCard(picture);
        FillTestCard(*direct, 2);
        QtImageDc filled(397, 559, 96);
        FormPageOptions o;
        o.measurer = &measurer;
        DrawFormPage(filled, *direct, o);
        EXPECT_TRUE(fromDocument == filled.Finish());
    }

    // Work files (embedded pictures' copies live until exit) went to the
    // folder, and nothing went under another name.
    const std::string base = std::string(kFolderName) + "/";
    for (const std::string& name : TempFileManager::Instance().Files())
        if (!earlier.count(name)) {
            EXPECT_EQ(fs::path(name).parent_path(), folder_) << name;
            TempFileManager::Instance().RemoveFile(name);
        }
    EXPECT_EQ(Names(), (std::set<std::string>{kFolderName, base + "絵.bmp", base + "元帳 ✓.tvd"}));
}

TEST_F(NativePaths, TemporaryFilesAndPicturesWorkThere)
{
    std::string temp;
    ASSERT_EQ(TempFileManager::Instance().CreateTempName(temp), 1);
    EXPECT_EQ(fs::path(temp).parent_path(), folder_);
    EXPECT_TRUE(fs::exists(temp));
    TempFileManager::Instance().RemoveFile(temp);
    EXPECT_FALSE(fs::exists(temp));

    std::string unique;
    ASSERT_EQ(MakeUniqueFileName(unique, folder_.string(), "帳票", "tvd", 1, false), 0);
    EXPECT_EQ(unique, (folder_ / "帳票1.tvd").string());
    CopyFileContents(unique, (folder_ / "絵.bmp").string());
    EXPECT_EQ(ReadFileBytes(unique), ReadFileBytes(folder_ / "絵.bmp"));

    // Found along a search path naming the folder, and through the current
    // folder.
    TvImage image(Rect{0, 0, 100, 100}, Sj("絵.bmp"));
    for (const std::string& list : {folder_.string(), std::string(";") + root_.path().string()}) {
        ImageDrawer drawer;
        drawer.SetSearchPath(list);
        EXPECT_EQ(drawer.ResolvePath(image), (list[0] == ';' ? "./" : folder_.string() + "/") + "絵.bmp");
        ASSERT_EQ(drawer.Load(image), 0) << list;
        EXPECT_EQ(drawer.Kind(), kPictureBmp);
        EXPECT_EQ(drawer.NaturalSize().cx, 6);
        EXPECT_EQ(drawer.NaturalSize().cy, 4);
    }
    // An embedded copy lives in the folder too.
    image.SetFlag(1);
    Archive ar;
    image.Serialize(ar, 10);
    EXPECT_EQ(fs::path(image.PictureSource()).parent_path(), folder_);
}

TEST_F(NativePaths, AStoredNameThatDoesNotConvertIsAnErrorNamingIt)
{
    // 0x85 0x40 is no CP932 character.
    const std::string stored = "\x85\x40" "abc.bmp";
    const auto before = Names();
    TvImage image(Rect{0, 0, 100, 100}, stored);
    ImageDrawer drawer;
    drawer.SetSearchPath(folder_.string());
    try {
        drawer.Load(image);
        FAIL() << "loaded";
    } catch (const CAppException& e) {
        EXPECT_EQ(e.MessageId(), uint32_t(IDS_IMAGE_OPEN_FAILED));
        EXPECT_NE(e.GetErrorMessage().find("abc.bmp"), std::string::npos) << Cp932ToUtf8(e.GetErrorMessage());
    }
    // Drawn, it shows the "no picture" card rather than anything else.
    drawer.SetRethrow(false);
    QtImageDc dc(20, 20, 96);
    drawer.Draw(image, dc, DcRect{0, 0, 20, 20});
    EXPECT_FALSE(dc.Failed());

    // Embedding it into a stored form fails the same way.
    image.SetFlag(1);
    try {
        Archive ar;
        image.Serialize(ar, 10);
        FAIL() << "stored";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.cause(), CFileException::badPath);
        EXPECT_NE(e.m_strFileName.find("abc.bmp"), std::string::npos);
    }
    EXPECT_EQ(Names(), before);
}

} // namespace
