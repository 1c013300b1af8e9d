#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "SampleDocs.h"
#include "TestCard.h"
#include "engine/core/AppException.h"
#include "engine/core/ChangeData.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/TvImage.h"
#include "engine/render/FormPainter.h"
#include "engine/render/TextMeasurer.h"
#include "engine/render/TvReportDoc.h"
#include "engine/store/TvDocStore.h"
#include "platform/gdi/RecordingDc.h"
#include "platform/qt/QtSurfaces.h"

using namespace nv;
using namespace nv::testcard;
using namespace nvtest;

namespace {

// A document of `pages` pages of the card, its picture a ramp of side `ramp`.
std::string RampDocument(TempDir& dir, const std::string& name, int pages, int ramp = 4)
{
    const std::string bmp = dir.file("ramp.bmp");
    WriteFileBytes(bmp, RampBmp(ramp, ramp));
    const std::string path = dir.file(name);
    WriteCardDocument(path, bmp, pages);
    return path;
}

QImage Render(const std::function<void(DeviceContext&)>& draw)
{
    QtImageDc dc(397, 559, 96);
    draw(dc);
    EXPECT_FALSE(dc.Failed());
    return dc.Finish().copy();
}

} // namespace

TEST(TvReportDoc, AStoredPageLooksLikeItsFormFilledInDirectly)
{
    EnsureApp();
    TempDir dir;
    std::string bmp = dir.file("ramp.bmp");
    WriteFileBytes(bmp, RampBmp(32, 24));
    std::string path = dir.file("card.tvd");
    WriteCardDocument(path, bmp, 3);

    DcTextMeasurer measurer(CreateMeasuringDc());
    TvReportDoc doc;
    doc.SetTextMeasurer(&measurer);
    doc.Open(path);
    EXPECT_EQ(doc.PageCount(), 3);
    for (int p = 1; p <= 3; ++p) {
        QImage stored = Render([&](DeviceContext& dc) { EXPECT_NE(doc.DrawPage(dc, p, {0, 0}, 100), 0); });
        auto direct = MakeIndexedTestCard(bmp);
        FillTestCard(*direct, p);
        QImage filled = Render([&](DeviceContext& dc) {
            FormPageOptions o;
            o.measurer = &measurer;
            DrawFormPage(dc, *direct, o);
        });
        EXPECT_TRUE(stored == filled) << "page " << p;
        if (!(stored == filled) && std::getenv("NV_KEEP_IMAGES")) {
            stored.save(QString("/tmp/stored-%1.png").arg(p));
            filled.save(QString("/tmp/filled-%1.png").arg(p));
        }
    }
}

TEST(TvReportDoc, PrinterChangesStayForTheFollowingPages)
{
    EnsureApp();
    TempDir dir;
    std::string path = RampDocument(dir, "paper.tvd", 3);
    TvReportDoc doc;
    doc.Open(path);
    ASSERT_NE(doc.GetPageSettings(1), nullptr);
    EXPECT_EQ(doc.GetPageSettings(1)->m_nPaperSize, 9);
    EXPECT_EQ(doc.GetPageSettings(2)->m_nPaperSize, 12);
    EXPECT_EQ(doc.GetPageSettings(3)->m_nPaperSize, 12);
    EXPECT_EQ(doc.GetPageSettings(4), nullptr);
}

TEST(TvReportDoc, APageOutsideTheDocumentLeavesTheDeviceContextAlone)
{
    EnsureApp();
    TempDir dir;
    std::string path = RampDocument(dir, "short.tvd", 3);
    TvReportDoc doc;
    doc.Open(path);
    RecordingDc dc;
    dc.SetTextColor(0x123456);
    try {
        doc.DrawPage(dc, 5, {0, 0}, 100);
        FAIL() << "no exception";
    } catch (const CAppException& e) {
        EXPECT_EQ(e.MessageId(), 22003u);
    }
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.State().textColour, 0x123456u);
    EXPECT_TRUE(dc.Calls().empty());
    // A good page afterwards still draws, and the same page twice reuses it.
    EXPECT_NE(doc.DrawPage(dc, 2, {0, 0}, 100), 0);
    TvPageData* first = &doc.GetPageData(2);
    EXPECT_EQ(first, &doc.GetPageData(2));
}

TEST(TvReportDoc, AMissingFileFailsToOpen)
{
    TvReportDoc doc;
    EXPECT_THROW(doc.Open("/no/such/document.tvd"), CException);
}

TEST(TvReportDoc, PageNumbersBelowOneAreOutsideTheDocument)
{
    EnsureApp();
    TempDir dir;
    std::string path = RampDocument(dir, "low.tvd", 2);
    TvReportDoc doc;
    doc.Open(path);
    for (int32_t page : {0, -1, INT32_MIN, 3, INT32_MAX}) {
        RecordingDc dc;
        try {
            doc.DrawPage(dc, page, {0, 0}, 100);
            ADD_FAILURE() << "no exception for page " << page;
        } catch (const CAppException& e) {
            EXPECT_EQ(e.MessageId(), 22003u) << page;
        }
        EXPECT_EQ(dc.SaveDepth(), 0);
        EXPECT_TRUE(dc.Calls().empty()) << page;
    }
}

TEST(TvReportDoc, AnyZoomDrawsWithoutFaulting)
{
    EnsureApp();
    TempDir dir;
    std::string path = RampDocument(dir, "zoom.tvd", 1, 8);
    TvReportDoc doc;
    doc.Open(path);
    for (int32_t zoom : {0, 1, 10, 400, 10000, -100}) {
        QtImageDc dc(200, 200, 96);
        EXPECT_NE(doc.DrawPage(dc, 1, {0, 0}, zoom), 0) << zoom;
        EXPECT_EQ(dc.SaveDepth(), 0);
        dc.Finish();
    }
}

TEST(TvReportDoc, OpeningAnotherDocumentShowsThatDocument)
{
    EnsureApp();
    TempDir dir;
    std::string bmp = dir.file("ramp.bmp");
    WriteFileBytes(bmp, RampBmp(4, 4));
    std::string first = dir.file("first.tvd");
    std::string second = dir.file("second.tvd");
    WriteCardDocument(first, bmp, 3);
    WriteCardDocument(second, bmp, 1);
    TvReportDoc doc;
    doc.Open(first);
    doc.GetPageData(1);
    doc.Open(second);
    EXPECT_EQ(doc.Path(), second);
    EXPECT_EQ(doc.PageCount(), 1);
    EXPECT_EQ(doc.GetPageSettings(2), nullptr);
    EXPECT_THROW(doc.GetPageData(2), CAppException);
    doc.Open(first);
    EXPECT_EQ(doc.PageCount(), 3);
    EXPECT_NE(doc.GetPageSettings(3), nullptr);
    // A file that fails to open leaves no document behind, not the last one.
    doc.GetPageData(1);
    EXPECT_THROW(doc.Open(dir.file("missing.tvd")), CException);
    EXPECT_EQ(doc.PageCount(), 0);
    EXPECT_EQ(doc.GetPageSettings(1), nullptr);
    EXPECT_THROW(doc.GetPageData(1), CException);
}

TEST(TvReportDoc, PrinterEntriesOfOtherPropertiesMakeNoFilesOnOpen)
{
    TempDir dir;
    const std::string path = dir.file("printer-blob.tvd");
    const std::string bmp = dir.file("ramp.bmp");
    WriteFileBytes(bmp, RampBmp(4, 4));
    {
        TvDocStore store;
        store.Create(path);
        auto form = MakeTestCard(bmp);
        form->RebuildIdMap(true);
        store.WriteForm(*form);
        for (int p = 1; p <= 200; ++p) {
            TvPageData page;
            TvObjectChanges printer(0);
            // File-typed properties in page settings: never printer values.
            printer.m_changes.Add(CChangeData::FromString(69, std::string(1000, 'x')));
            printer.m_changes.Add(CChangeData::FromString(1002, "blob"));
            if (p == 2) printer.m_changes.Add(std::make_unique<CChangeData>(uint16_t(1501), int32_t(12)));
            page.m_printerEntries.MergeChanges(printer);
            store.WritePage(page);
        }
        store.Close();
    }
    const size_t before = TempFileManager::Instance().Files().size();
    TvReportDoc doc;
    doc.Open(path);
    EXPECT_EQ(TempFileManager::Instance().Files().size(), before + 1); // the spool only
    EXPECT_EQ(doc.GetPageSettings(1)->m_nPaperSize, 0);
    EXPECT_EQ(doc.GetPageSettings(200)->m_nPaperSize, 12);
}

TEST(TvReportDoc, ReadingEveryPageKeepsAConstantNumberOfWorkFilesAndClosingLeavesNone)
{
    TempDir dir;
    const std::string bmp = dir.file("logo.bmp");
    WriteFileBytes(bmp, RampBmp(128, 128));
    const std::string path = dir.file("logo.tvd");
    {
        auto form = MakeTestCard(bmp);
        form->RebuildIdMap(true);
        for (auto& layer : form->m_layers)
            for (auto& obj : layer->m_objects)
                if (auto* picture = dynamic_cast<TvImage*>(obj.get())) picture->m_bEmbedOnStore = 1;
        TvDocStore store;
        store.Create(path);
        store.WriteForm(*form);
        for (int p = 1; p <= 300; ++p) store.WritePage(TvPageData{});
        store.Close();
    }
    std::filesystem::remove(bmp); // only the document's own copy can be drawn
    const size_t before = TempFileManager::Instance().Files().size();
    {
        TvReportDoc doc;
        doc.Open(path);
        size_t most = 0;
        for (int p = 1; p <= 300; ++p) {
            TvPageData& page = doc.GetPageData(p);
            ASSERT_NE(page.m_pForm, nullptr);
            most = std::max(most, TempFileManager::Instance().Files().size() - before);
        }
        // The spool, the stored form's picture and the page's copy of it.
        EXPECT_LE(most, 3u);
        EXPECT_GE(most, 2u); // the picture did come from the document
    }
    EXPECT_EQ(TempFileManager::Instance().Files().size(), before);
}

TEST(TvReportDoc, ARecordManyPagesNameIsReadOnceForAllOfThem)
{
    EnsureApp();
    TempDir dir;
    const std::string path = dir.file("shared.tvd");
    const size_t bulk = 4 << 20;
    nv::samples::WriteSampleDoc(path, {.pages = 300, .sharedRecordBytes = bulk});
    TvReportDoc doc;
    doc.Open(path);
    ASSERT_EQ(doc.PageCount(), 300);
    QImage first;
    for (int p = 1; p <= 300; ++p) {
        QImage page = Render([&](DeviceContext& dc) { EXPECT_NE(doc.DrawPage(dc, p, {0, 0}, 100), 0); });
        if (p == 1) {
            first = page;
        } else if (p % 100 == 0) {
            EXPECT_TRUE(page == first) << p;
        }
    }
    EXPECT_GT(doc.Store().PageBytesRead(), bulk);
    EXPECT_LT(doc.Store().PageBytesRead(), 2 * bulk);
}
