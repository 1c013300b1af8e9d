#include "ViewerFixture.h"

#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTreeView>

#include "FakePrinterCatalog.h"
#include "Viewer/CommandIds.h"
#include "Viewer/PageSettingDialog.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PrintLoop.h"
#include "Viewer/ShellPrint.h"
#include "Viewer/TreePane.h"
#include "platform/qt/PrinterByName.h"

using namespace nv::viewer;
using nvtest::ButtonOf;
using nvtest::WhenModal;

namespace {

// pdftotext's pages with blanks dropped: "P1", "P3", ...
QStringList PdfPages(const QString& pdf)
{
    QProcess p;
    p.start("pdftotext", {pdf, "-"});
    p.waitForFinished(10000);
    QStringList pages;
    for (QString page : QString::fromUtf8(p.readAllStandardOutput()).split('\f', Qt::SkipEmptyParts)) {
        page.remove(QRegularExpression("\\s"));
        if (!page.isEmpty()) pages << page;
    }
    return pages;
}

class PageSetting : public nvtest::FakePrinterFixture {
protected:
    // Opens the dialog, selects the rows, runs `act` on it.
    void WithDialog(std::function<void(PageSettingDialog&)> act)
    {
        WhenModal<PageSettingDialog>(act);
        Trigger(cmd::kPageSetup);
    }

    static QModelIndex Row(PageSettingDialog& d, int row) { return d.List()->model()->index(row, 0); }

    static void Select(PageSettingDialog& d, std::initializer_list<int> rows)
    {
        d.List()->clearSelection();
        for (int r : rows) d.List()->selectionModel()->select(Row(d, r), QItemSelectionModel::Select);
    }

    static std::vector<int> Rows(PageSettingDialog& d)
    {
        std::vector<int> out;
        for (int i = 0; i < d.List()->model()->rowCount(); ++i)
            out.push_back(Row(d, i).data(PageSettingDialog::kPrintedRole).toInt());
        return out;
    }

    std::vector<int> TreeImages()
    {
        std::vector<int> out;
        const QModelIndex doc = Frame().Tree()->IndexOf(View()->TreeItem());
        const QAbstractItemModel* m = doc.model();
        for (int i = 0; i < m->rowCount(doc); ++i) out.push_back(m->index(i, 0, doc).data(TreePane::kImageRole).toInt());
        return out;
    }
};

TEST_F(PageSetting, FlippedPagesAreLeftOutOfThePrint)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    View()->SetPage(3);
    View()->PrintFlags()[4] = 7; // anything but 1 is skipped, and comes back 0
    WithDialog([](PageSettingDialog& d) { ButtonOf(d, "OK")->click(); });
    EXPECT_EQ(View()->PrintFlags(), (std::vector<int>{1, 1, 1, 1, 0}));
    // Struck out in the tree as shown: the row's font over the tree's.
    const auto shownFont = [this](int row) {
        const QModelIndex i = Frame().Tree()->IndexOf(View()->TreeItem(), row + 1);
        return i.data(Qt::FontRole).value<QFont>().resolve(Frame().Tree()->Tree()->font());
    };
    EXPECT_FALSE(shownFont(3).strikeOut());
    EXPECT_TRUE(shownFont(4).strikeOut());
    EXPECT_EQ(shownFont(4).family(), Frame().Tree()->Tree()->font().family());
    WithDialog([this](PageSettingDialog& d) {
        EXPECT_EQ(d.windowTitle(), "ページ設定  - five");
        EXPECT_EQ(d.List()->model()->headerData(0, Qt::Horizontal).toString(), "ページ番号");
        // The whole text shows, and a skipped page is struck out in grey.
        const QFontMetrics fm(d.List()->font());
        EXPECT_GE(d.List()->columnWidth(0), fm.horizontalAdvance("5ページ ") + d.List()->iconSize().width());
        const auto font = [&](int row) { return Row(d, row).data(Qt::FontRole).value<QFont>().resolve(d.List()->font()); };
        EXPECT_FALSE(font(0).strikeOut());
        EXPECT_TRUE(font(4).strikeOut());
        const auto colour = [&](int row) {
            const QVariant v = Row(d, row).data(Qt::ForegroundRole);
            return v.isValid() ? v.value<QBrush>().color() : d.List()->palette().color(QPalette::Text);
        };
        EXPECT_NE(colour(4), colour(0));
        ASSERT_EQ(d.List()->model()->rowCount(), 5);
        EXPECT_EQ(Row(d, 1).data().toString(), "2ページ ");
        EXPECT_EQ(Rows(d), (std::vector<int>{1, 1, 1, 1, 0}));
        EXPECT_TRUE(d.findChild<QRadioButton*>("radio1023")->isChecked());
        // Nothing selected: nothing changes.
        d.List()->clearSelection();
        d.ToggleButton()->click();
        EXPECT_EQ(Rows(d), (std::vector<int>{1, 1, 1, 1, 0}));
        // Pages 2 and 5 swap their states; the new rows are not selected.
        Select(d, {1, 4});
        d.ToggleButton()->click();
        EXPECT_EQ(Rows(d), (std::vector<int>{1, 0, 1, 1, 1}));
        EXPECT_TRUE(d.List()->selectionModel()->selectedRows().isEmpty());
        EXPECT_EQ(Row(d, 1).data().toString(), "2ページ ");
        // A double click flips the row clicked.
        QTreeView* list = d.List();
        const QRect row4 = list->visualRect(Row(d, 3));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row4.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row4.center());
        EXPECT_EQ(Rows(d), (std::vector<int>{1, 0, 1, 0, 1}));
        EXPECT_FALSE(list->selectionModel()->isSelected(Row(d, 3)));
        ButtonOf(d, "OK")->click();
    });
    EXPECT_EQ(View()->PrintFlags(), (std::vector<int>{1, 0, 1, 0, 1}));
    EXPECT_EQ(TreeImages(), (std::vector<int>{2, 3, 2, 3, 2}));

    const QString out = QString::fromStdString(dir.file("out.pdf"));
    prompts->Then(std::optional<QString>(nv::PdfPrinterName(out)));
    Trigger(cmd::kPrint);
    EXPECT_EQ(PdfPages(out), (QStringList{"P1", "P3", "P5"}));
    EXPECT_EQ(View()->CurrentPage(), 3);

    // Cancel keeps the flags whatever was flipped.
    WithDialog([](PageSettingDialog& d) {
        Select(d, {0, 1, 2, 3, 4});
        d.ToggleButton()->click();
        ButtonOf(d, "ｷｬﾝｾﾙ")->click();
    });
    EXPECT_EQ(View()->PrintFlags(), (std::vector<int>{1, 0, 1, 0, 1}));

    // Every page off: the message and no file; the shell print still prints all.
    WithDialog([](PageSettingDialog& d) {
        Select(d, {0, 2, 4});
        d.ToggleButton()->click();
        ButtonOf(d, "OK")->click();
    });
    EXPECT_EQ(TreeImages(), (std::vector<int>{3, 3, 3, 3, 3}));
    QFile::remove(out);
    prompts->Clear();
    Trigger(cmd::kPrint);
    EXPECT_EQ(prompts->Messages(), QStringList{NoPagesToPrintText()});
    EXPECT_FALSE(QFile::exists(out));
    CommandLine shell;
    shell.action = CommandLine::Action::PrintTo;
    shell.printer = nv::PdfPrinterName(out);
    EXPECT_EQ(PrintWithoutWindow(shell, View()->Document().Path()), 0);
    EXPECT_EQ(PdfPages(out).size(), 5);
}

// A journal's ledger is named after its book and party: the dialog is as
// wide as the title that names it.
TEST_F(PageSetting, TheTitleNamingALongDocumentIsWhole)
{
    ASSERT_EQ(Start({Sample("ledger.tvd", {.pages = 2, .nameUtf8 = "仕入帳 山田商店株式会社本店営業部　東京支店"})}),
              PagelookApp::kContinue);
    WithDialog([](PageSettingDialog& d) {
        EXPECT_EQ(d.windowTitle(), "ページ設定  - 仕入帳 山田商店株式会社本店営業部　東京支店");
        QFont bold = d.font();
        bold.setBold(true);
        EXPECT_GT(d.width(), QFontMetrics(bold).horizontalAdvance(d.windowTitle()));
        ButtonOf(d, "OK")->click();
    });
}

TEST_F(PageSetting, TenThousandPagesListInFullAndTheLastFlips)
{
    ASSERT_EQ(Start({Sample("many.tvd", {.pages = 10000})}), PagelookApp::kContinue);
    WithDialog([](PageSettingDialog& d) {
        ASSERT_EQ(d.List()->model()->rowCount(), 10000);
        const QFontMetrics fm(d.List()->font());
        EXPECT_GE(d.List()->columnWidth(0), fm.horizontalAdvance("10000ページ ") + d.List()->iconSize().width());
        Select(d, {9999});
        d.ToggleButton()->click();
        ButtonOf(d, "OK")->click();
    });
    EXPECT_EQ(View()->PrintFlags()[9998], 1);
    EXPECT_EQ(View()->PrintFlags()[9999], 0);
    EXPECT_EQ(Frame().Tree()->IndexOf(View()->TreeItem(), 10000).data(TreePane::kImageRole).toInt(), 3);
}

TEST_F(PageSetting, ANewModeReadsThePaperAgainAndPrinterSetupRunsFromTheDialog)
{
    ASSERT_EQ(Start({Sample("a3.tvd", {.pages = 2, .paperId = 8, .widthTenths = 2970, .lengthTenths = 4200})}),
              PagelookApp::kContinue);
    EXPECT_EQ(View()->Paper().id, 8);
    nv::ui::PrinterSetupChoice a3{"A3 printer", 8, "A3", 2970, 4200, 1};
    prompts->ThenSetup(a3);
    WithDialog([](PageSettingDialog& d) {
        d.PrinterButton()->click();
        EXPECT_TRUE(d.isVisible());
        d.findChild<QRadioButton*>("radio1025")->click();
        ButtonOf(d, "OK")->click();
    });
    EXPECT_EQ(View()->PaperMode(), 2);
    EXPECT_EQ(Frame().Printer().setup->printer, "A3 printer");
    EXPECT_EQ(View()->Paper().id, 8);
    EXPECT_EQ(View()->Paper().scale, 100);

    prompts->ThenSetup(nv::ui::PrinterSetupChoice{"A4 printer", 9, "A4", 2100, 2970, 1});
    Trigger(cmd::kPrintSetup);
    EXPECT_EQ(View()->Paper().id, 9);
    EXPECT_EQ(View()->Paper().scale, 70);
}

TEST_F(PageSetting, PrintSetupRefreshesEveryViewOnlyWhenThePaperChanges)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    ASSERT_TRUE(Frame().OpenDocument(Sample("mixed.tvd", {.pages = 4, .alternate = true})));
    PagelookView* active = View();
    QList<PagelookView*> refreshed;
    for (PagelookView* v : Frame().Views())
        QObject::connect(v, &PagelookView::StateChanged, [&refreshed, v] { refreshed << v; });

    struct Case {
        const char* what;
        nv::ui::PrinterSetupChoice choice;
        bool refresh;
    };
    const Case cases[] = {
        {"the same printer and paper", {"A4 printer", 9, "A4", 2100, 2970, 1}, false},
        {"the same paper under another name", {"A4 printer", 9, "A4 (210 x 297 mm)", 2100, 2970, 1}, false},
        {"another printer, the same paper code", {"A3 printer", 9, "A4", 2100, 2970, 1}, true},
        {"another orientation", {"A3 printer", 9, "A4", 2100, 2970, 2}, true},
        {"another size under the same code", {"A3 printer", 9, "A4", 2100, 2960, 2}, true},
    };
    for (const Case& c : cases) {
        refreshed.clear();
        prompts->ThenSetup(c.choice);
        Trigger(cmd::kPrintSetup);
        if (!c.refresh) {
            EXPECT_TRUE(refreshed.isEmpty()) << c.what;
            continue;
        }
        ASSERT_FALSE(refreshed.isEmpty()) << c.what;
        EXPECT_EQ(refreshed.size(), 2) << c.what;
        EXPECT_EQ(refreshed.back(), active) << c.what;
    }
    refreshed.clear();
    prompts->ThenSetup(std::nullopt); // cancelled
    Trigger(cmd::kPrintSetup);
    EXPECT_TRUE(refreshed.isEmpty());
}

TEST_F(PageSetting, PrintDialogRangeAndCopies)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    View()->PrintFlags() = {1, 0, 1, 0, 1};
    const QString out = QString::fromStdString(dir.file("range.pdf"));
    prompts->ThenJob(nv::ui::PrintJobChoice{nv::PdfPrinterName(out), true, 2, 4, 2, false});
    Trigger(cmd::kPrint);
    EXPECT_EQ(PdfPages(out), (QStringList{"P3", "P3"}));
    EXPECT_EQ(prompts->AllAsked().back().kind, nv::ui::ScriptedPrompt::Kind::PrintJob);

    QFile::remove(out);
    prompts->Clear();
    prompts->ThenJob(nv::ui::PrintJobChoice{nv::PdfPrinterName(out), true, 2, 2});
    Trigger(cmd::kPrint);
    EXPECT_EQ(prompts->Messages(), QStringList{NoPagesToPrintText()});
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace
