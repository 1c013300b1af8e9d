#include "ViewerFixture.h"

#include <QStatusBar>
#include <QTreeView>

#include "Viewer/CommandIds.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/TreePane.h"
#include "engine/core/EngineLog.h"
#include "platform/gdi/RecordingDc.h"

#include <filesystem>

using namespace nv::viewer;

namespace {

const char* const kNotADocument = "タベロドキュメントファイルでないか、未対応バージョンのファイルフォーマットです。";
const char* const kDamaged = "データが正しくありません。\nタベロドキュメントのファイルが壊れている可能性があります。";
const char* const kCannotOpen = "ファイルのオープンに失敗しました。";

class OpenFailure : public nvtest::ViewerFixture {
protected:
    QString Write(const std::string& name, const std::string& bytes)
    {
        nvtest::WriteFileBytes(dir.path() / name, bytes);
        return QString::fromStdString(dir.file(name));
    }

    std::string FiveBytes() { return nvtest::ReadFileBytes(Sample("five-source.tvd").toStdString()); }

    // Opens `path` beside five.tvd: nothing but a message may change.
    void ExpectRefused(const QString& path, const QString& messageStart)
    {
        SCOPED_TRACE(path.toStdString());
        const int windows = int(Frame().MdiArea()->subWindowList().size());
        const int roots = Frame().Tree()->Tree()->model()->rowCount();
        PagelookView* before = View();
        prompts->Clear();
        EXPECT_FALSE(Frame().OpenDocument(path));
        ASSERT_EQ(prompts->Messages().size(), 1);
        EXPECT_TRUE(prompts->Messages()[0].startsWith(messageStart)) << prompts->Messages()[0].toStdString();
        EXPECT_EQ(Frame().MdiArea()->subWindowList().size(), windows);
        EXPECT_EQ(Frame().Tree()->Tree()->model()->rowCount(), roots);
        EXPECT_EQ(View(), before);
    }
};

TEST_F(OpenFailure, EachKindOfBadFileGetsItsMessageAndNoWindow)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    ExpectRefused(Write("text.tvd", "This is plain text, not a report document.\n"), kNotADocument);
    // Nothing promised "below" that is not there.
    EXPECT_FALSE(prompts->Messages().value(0).contains("以下から"));
    ExpectRefused(Write("empty.tvd", ""), PagelookDoc::FailedToOpenText(QString::fromStdString(dir.file("empty.tvd"))));
    ExpectRefused(QString::fromStdString(dir.file("missing.tvd")), kCannotOpen);
    ExpectRefused(QString::fromStdString(dir.path().string()), kCannotOpen);
    // A folder named like a document is called what it is, here and in the log.
    std::filesystem::create_directory(dir.path() / "x.tvd");
    const QString folder = QString::fromStdString(dir.file("x.tvd"));
    ExpectRefused(folder, kCannotOpen);
    EXPECT_TRUE(prompts->Messages().value(0).contains(folder + " はフォルダです。")) << prompts->Messages().value(0).toStdString();
    EXPECT_FALSE(prompts->Messages().value(0).contains("アクセスが拒否"));
    EXPECT_NE(nv::RecentLogLines().back().find("ドキュメント " + folder.toStdString() + " を開けません: "), std::string::npos)
        << nv::RecentLogLines().back();
    ExpectRefused(Sample("none.tvd", {.pages = 0}), PagelookDoc::NoPagesText());
    EXPECT_EQ(prompts->Messages().back(), "指定されたタベロドキュメントファイルには\nページがありません。");
    // The document that was open is still whole.
    Trigger(cmd::kLastPage);
    EXPECT_EQ(View()->CurrentPage(), 5);
}

TEST_F(OpenFailure, TruncatedAndFlippedDocumentsNeverCrash)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    const std::string whole = FiveBytes();
    for (size_t cut : {size_t(4), size_t(20), size_t(47), size_t(100), whole.size() / 2, whole.size() - 60}) {
        const QString path = Write("cut" + std::to_string(cut) + ".tvd", whole.substr(0, cut));
        prompts->Clear();
        EXPECT_FALSE(Frame().OpenDocument(path)) << cut;
        EXPECT_EQ(prompts->Messages().size(), 1) << cut;
        EXPECT_EQ(Frame().MdiArea()->subWindowList().size(), 1) << cut;
    }
    // Flipped bytes: refused with a message, or opened and every page drawn
    // or reported as not drawn.
    for (size_t at = 0; at < whole.size(); at += 37) {
        std::string bytes = whole;
        bytes[at] = char(~bytes[at]);
        const QString path = Write("flip" + std::to_string(at) + ".tvd", bytes);
        prompts->Clear();
        if (!Frame().OpenDocument(path)) {
            EXPECT_EQ(prompts->Messages().size(), 1) << at;
            continue;
        }
        for (int p = 1; p <= View()->PageCount() && p <= 6; ++p) {
            View()->SetPage(p);
            View()->viewport()->repaint();
        }
        delete Frame().MdiArea()->activeSubWindow();
    }
    EXPECT_EQ(Frame().MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(Frame().Tree()->Tree()->model()->rowCount(), 1);
}

TEST_F(OpenFailure, APageThatCannotBeDrawnKeepsItsSheetAndSaysSo)
{
    // A damaged form opens (only page settings are read at open) and fails
    // when its page is drawn: find such a byte.
    const std::string whole = FiveBytes();
    std::string bytes;
    for (size_t at = 100; at < whole.size() && bytes.empty(); ++at) {
        std::string candidate = whole;
        candidate[at] = char(~candidate[at]);
        nvtest::WriteFileBytes(dir.path() / "probe.tvd", candidate);
        nv::TvReportDoc doc;
        try {
            doc.Open(dir.file("probe.tvd"));
        } catch (...) {
            continue;
        }
        nv::RecordingDc dc;
        try {
            if (doc.DrawPage(dc, 1, {0, 0}, 100) && !dc.Failed()) continue;
        } catch (...) {
        }
        bytes = candidate;
    }
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(Start({Write("bad-form.tvd", bytes)}), PagelookApp::kContinue);
    SizeViewport(600, 800);
    Trigger(cmd::kFitPage);
    View()->viewport()->repaint();
    const QImage img = View()->viewport()->grab().toImage();
    EXPECT_EQ(img.pixelColor(5, 5), QColor(128, 128, 128));
    EXPECT_EQ(img.pixelColor(300, 700), QColor(Qt::white));
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "1ページを描画できませんでした。");
    EXPECT_TRUE(prompts->Messages().isEmpty());
}

TEST_F(OpenFailure, FromTheCommandLineTheProcessEndsNonZero)
{
    EXPECT_EQ(Start({Write("text.tvd", "not a document")}), 1);
    EXPECT_EQ(app->Frame()->isVisible(), false);
    ASSERT_EQ(prompts->Messages().size(), 1);
    EXPECT_EQ(Start({"/Embedding"}), 2);
    EXPECT_EQ(Start({"/Automation", "x.tvd"}), 2);
    EXPECT_EQ(Start({"/Regserver"}), 0);
    EXPECT_EQ(prompts->Messages().size(), 1);
}

} // namespace
