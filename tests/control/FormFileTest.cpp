// Form files through the writer and OpenForm: container variants, damaged
// files, read-only files, independence of two opens, pictures.
#include "ControlFixture.h"

#include "control/CInkplateDoc.h"
#include "control/ControlErrors.h"
#include "engine/core/EngineLog.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvOle.h"

#include "engine/core/EngineLog.h"
#include "platform/core/Cp932.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace nv;
using namespace nvtest;

namespace {

class FormFileTest : public ControlTest {};

TvObject* Find(TvFedObject& form, const std::string& name)
{
    TvObject* found = nullptr;
    form.ForEachObjectMutable([&](TvObject& o, TvLayer&) {
        if (o.m_strName == name) found = &o;
    });
    return found;
}

size_t FileCount(const std::filesystem::path& p)
{
    size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(p)) ++n;
    return n;
}

} // namespace

TEST_F(FormFileTest, ContainerVariantsAllOpen)
{
    struct Case {
        const char* name;
        FormFileOptions options;
    };
    FormFileOptions upper;
    upper.contentsName = "CONTENTS";
    FormFileOptions plain;
    plain.plainArchive = true;
    FormFileOptions container;
    container.itemsInContainer = true;
    for (const Case& c : {Case{"contents.tvf", {}}, Case{"upper.tvf", upper}, Case{"plain.tvf", plain},
                          Case{"container.tvf", container}}) {
        SCOPED_TRACE(c.name);
        WriteSample(c.name, c.options);
        auto form = ctrl->OpenForm(c.name);
        EXPECT_EQ(form->Name(), "Sample");
        EXPECT_EQ(form->TvLayers().size(), 2u);
        EXPECT_EQ(form->TvObjects().size(), 12u);
    }
}

TEST_F(FormFileTest, EmbeddingStorageGivesTheItemItsPicture)
{
    FormFileOptions container;
    container.itemsInContainer = true;
    const std::string bytes = StoreFormFile(*SampleForm(), container);
    CompoundEntry tree;
    ASSERT_TRUE(ReadCompoundFile(bytes, tree));
    ASSERT_NE(tree.Find("embedding 1"), nullptr);

    CInkplateDoc doc;
    ASSERT_TRUE(doc.LoadFromBytes(bytes)) << doc.Error();
    auto* ole = dynamic_cast<TvOle*>(Find(*doc.GetRoot(), "Chart"));
    ASSERT_NE(ole, nullptr);
    ASSERT_NE(ole->GetItem(), nullptr);
    std::string picture;
    int32_t kind = 0;
    ASSERT_TRUE(ole->GetItem()->GetPresentation(picture, kind));
    EXPECT_EQ(kind, TvOleItem::pictureDib);
    EXPECT_EQ(picture, "DIB!");

    // Without the storage the item keeps none and draws nothing.
    tree.children.erase(tree.children.begin() + 1);
    ASSERT_TRUE(doc.LoadFromBytes(WriteCompoundFile(tree))) << doc.Error();
    ole = dynamic_cast<TvOle*>(Find(*doc.GetRoot(), "Chart"));
    EXPECT_FALSE(ole->GetItem()->GetPresentation(picture, kind));

    // A storage that was there but could not be taken in is not dropped
    // from the file without a word: the form is not saved.
    ole->GetItem()->m_strStorageLost = "compound file not written";
    FormFileOptions plain;
    plain.plainArchive = true;
    for (const FormFileOptions& options : {container, plain}) {
        try {
            StoreFormFile(*doc.GetRoot(), options);
            ADD_FAILURE() << "saved without the item's storage";
        } catch (const FormFileException& e) {
            EXPECT_EQ(e.m_strMessage, "OLE オブジェクトのデータを読み込めなかったため、フォームを保存できません。");
            EXPECT_NE(e.Detail().find("compound file not written"), std::string::npos) << e.Detail();
        }
    }
}

TEST_F(FormFileTest, FolderSeparatorsOfTheLedgerWork)
{
    std::filesystem::create_directory(dir.path() / "PRINT");
    WriteFileBytes(dir.path() / "PRINT" / "仕入れ.tvf", StoreFormFile(*SampleForm()));
    EXPECT_EQ(ctrl->OpenForm("PRINT\\仕入れ.tvf")->Name(), "Sample");
    EXPECT_EQ(ctrl->OpenForm("PRINT/仕入れ.tvf")->Name(), "Sample");
}

TEST_F(FormFileTest, MissingFormFile)
{
    EXPECT_TVL_ERROR(ctrl->OpenForm("nothere.tvf"), kErrFileNotFound, 20016);
    try {
        ctrl->OpenForm("nothere.tvf");
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), 53);
    }
    EXPECT_TRUE(ctrl->Forms().empty());
}

TEST_F(FormFileTest, FilesThatAreNoFormsGive20000)
{
    const std::string good = StoreFormFile(*SampleForm());
    CompoundEntry noContents;
    noContents.storage = true;
    noContents.AddStream("Other", "x");
    std::string damagedArchive = StoreFormFile(*SampleForm(), [] {
        FormFileOptions o;
        o.plainArchive = true;
        return o;
    }());
    damagedArchive.resize(damagedArchive.size() / 2);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.tvf", ""},
        {"truncated.tvf", good.substr(0, 700)},
        {"nocontents.tvf", WriteCompoundFile(noContents)},
        {"damaged.tvf", damagedArchive},
        {"text.tvf", "just some text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(dir.path() / c.name, c.bytes);
        EXPECT_TVL_ERROR(ctrl->OpenForm(c.name), kErrFileAccess, 20000);
        // The user reads the table's text; what went wrong is in the log.
        try {
            ctrl->OpenForm(c.name);
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Description(), "ﾌｫｰﾑﾌｧｲﾙにｱｸｾｽできません。");
        }
        const auto lines = RecentLogLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find(c.name), std::string::npos) << lines.back();
    }
    std::filesystem::create_directory(dir.path() / "folder.tvf");
    EXPECT_TVL_ERROR(ctrl->OpenForm("folder.tvf"), kErrFileAccess, 20000);
    EXPECT_TRUE(ctrl->Forms().empty());
}

TEST_F(FormFileTest, RefusalsLogInJapaneseWhichFileAndWhy)
{
    const std::string good = StoreFormFile(*SampleForm());
    const struct {
        const char* name;
        std::string bytes;
        const char* why;
    } cases[] = {
        {"truncated.tvf", good.substr(0, 700), "フォームファイルが壊れています。"},
        {"text.tvf", "just some text", "アーカイブの形式が正しくありません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(dir.path() / c.name, c.bytes);
        try {
            ctrl->OpenForm(c.name);
            ADD_FAILURE() << "opened";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Description(), "ﾌｫｰﾑﾌｧｲﾙにｱｸｾｽできません。");
        }
        // Which file and why, in Japanese, is the log's.
        const auto lines = RecentLogLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find(dir.file(c.name)), std::string::npos) << lines.back();
        EXPECT_NE(lines.back().find(c.why), std::string::npos) << lines.back();
    }
}

TEST_F(FormFileTest, ANamedPipeIsRefusedWithoutWaitingForAWriter)
{
    const std::string pipe = dir.file("pipe.tvf");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto opened = std::async(std::launch::async, [&] {
        try {
            ctrl->OpenForm("pipe.tvf");
        } catch (const AutomationError& e) {
            return e.HelpContext();
        }
        return 0;
    });
    if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let the blocked open go so that the test ends.
        const int fd = ::open(pipe.c_str(), O_WRONLY);
        ::close(fd);
        ADD_FAILURE() << "OpenForm waited on the pipe";
    }
    EXPECT_EQ(opened.get(), 20000);
    CInkplateDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(pipe));
    EXPECT_NE(doc.Error().find(Utf8ToCp932Lossy("通常のファイルではありません")), std::string::npos);
}

TEST_F(FormFileTest, PicturesUnderFoldersCp932CannotNameAreFound)
{
    for (const char* folder : {"é", "🍣"}) {
        SCOPED_TRACE(folder);
        const auto pictures = dir.path() / folder;
        std::filesystem::create_directory(pictures);
        WriteFileBytes(pictures / "logo.bmp", "BM not really a picture");
        ctrl->SetImagePath(pictures.string());
        auto form = OpenSample();
        const auto* logo = static_cast<TvImage*>(Find(form->WorkingCopy(), "Logo"));
        EXPECT_EQ(logo->m_strFileName, "logo.bmp");
        EXPECT_EQ(logo->PictureSource(), (pictures / "logo.bmp").string());
        EXPECT_EQ(static_cast<TvImage*>(Find(form->WorkingCopy(), "Lost"))->m_strFileName, "");
        const std::vector<std::string> log = RecentLogLines();
        ASSERT_FALSE(log.empty());
        EXPECT_NE(log.back().find("missing.bmp"), std::string::npos) << log.back();
        form->Close();
    }
}

TEST_F(FormFileTest, ReadOnlyFileOpensUnchangedAndNothingIsLeftBehind)
{
    const auto work = dir.path() / "work";
    std::filesystem::create_directory(work);
    ctrl->SetWorkPath(work.string());
    const std::string path = WriteSample("ro.tvf");
    const std::string before = ReadFileBytes(path);
    ::chmod(path.c_str(), 0444);
    const size_t files = FileCount(dir.path());
    {
        auto form = ctrl->OpenForm("ro.tvf");
        EXPECT_EQ(form->Name(), "Sample");
        form->Close();
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(FileCount(dir.path()), files);
    EXPECT_EQ(FileCount(work), 0u);
    ::chmod(path.c_str(), 0644);
}

TEST_F(FormFileTest, TwoOpensAreIndependent)
{
    WriteSample("a.tvf");
    auto one = ctrl->OpenForm("a.tvf");
    auto two = ctrl->OpenForm("a.tvf");
    EXPECT_EQ(ctrl->Forms().size(), 2u);
    Object(*one, "Title")->SetText("one");
    EXPECT_EQ(Object(*two, "Title")->GetText(), "Title");
    one->Close();
    EXPECT_EQ(Object(*two, "Title")->GetText(), "Title");
    EXPECT_EQ(ctrl->Forms().size(), 1u);
}

TEST_F(FormFileTest, PicturesResolvedOrEmptiedInTheWorkingCopy)
{
    auto form = OpenSample();
    auto* logo = static_cast<TvImage*>(Find(form->WorkingCopy(), "Logo"));
    auto* lost = static_cast<TvImage*>(Find(form->WorkingCopy(), "Lost"));
    EXPECT_EQ(logo->m_strFileName, dir.file("logo.bmp"));
    EXPECT_EQ(lost->m_strFileName, "");
    // The loaded root keeps the stored names.
    EXPECT_EQ(static_cast<TvImage*>(Find(form->Root(), "Lost"))->m_strFileName, "missing.bmp");

    // A picture named as this machine names files, in a folder that is gone,
    // is found by its file name.
    auto moved = SampleForm();
    static_cast<TvImage*>(Find(*moved, "Logo"))->m_strFileName = "/gone/pictures/logo.bmp";
    WriteFileBytes(dir.path() / "moved.tvf", StoreFormFile(*moved));
    auto again = ctrl->OpenForm("moved.tvf");
    EXPECT_EQ(static_cast<TvImage*>(Find(again->WorkingCopy(), "Logo"))->m_strFileName, dir.file("logo.bmp"));
}
