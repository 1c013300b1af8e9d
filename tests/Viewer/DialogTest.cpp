#include "ViewerFixture.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <cstdlib>
#include <ctime>
#include <functional>

#include "Viewer/CommandIds.h"
#include "Viewer/ViewerDialogs.h"
#include "Viewer/ViewerSheets.h"

using namespace nv::viewer;

namespace {

using nvtest::ButtonOf;
using nvtest::WhenModal;

class Dialogs : public nvtest::ViewerFixture {
protected:
    // Types into the number box and presses OK; true when the dialog ended.
    bool Enter(NumberDialog& d, const QString& text)
    {
        // Keys go where a click into the box leaves the focus.
        d.activateWindow();
        if (!QTest::qWaitForWindowActive(&d)) {
            ADD_FAILURE() << "the dialog did not become active";
            return false;
        }
        QTest::mouseClick(d.Box(), Qt::LeftButton, {}, QPoint(6, d.Box()->height() / 2));
        QWidget* focus = QApplication::focusWidget();
        if (!focus || (focus != d.Box() && !d.Box()->isAncestorOf(focus))) {
            ADD_FAILURE() << "the click left the focus elsewhere";
            return false;
        }
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_Backspace);
        QTest::keyClicks(focus, text);
        ButtonOf(d, "OK")->click();
        return !d.isVisible();
    }

    QByteArray IniBytes()
    {
        QFile f(ViewerOptions::OpenSettings()->fileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

struct NumberCase {
    const char* text;
    bool accepted;
    const char* message;
};

TEST_F(Dialogs, ZoomAcceptsOneToNineHundredNinetyNine)
{
    const NumberCase cases[] = {
        {"1", true, nullptr},
        {"999", true, nullptr},
        {"0", false, "1 から 999 までの整数を入力してください。"},
        {"1000", false, "1 から 999 までの整数を入力してください。"},
        {"", false, "整数を入力してください。"},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        prompts->Clear();
        ZoomDialog d(100);
        EXPECT_EQ(d.windowTitle(), "倍率変更");
        d.show();
        EXPECT_EQ(Enter(d, c.text), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(d.result(), QDialog::Accepted);
            EXPECT_EQ(d.Value(), QString(c.text).toInt());
            EXPECT_TRUE(prompts->Messages().isEmpty());
        } else {
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(prompts->Messages(), QStringList{QString(c.message)});
            EXPECT_EQ(d.Value(), 100);
        }
    }
}

TEST_F(Dialogs, PageJumpAcceptsTheDocumentsPagesOnly)
{
    struct Case {
        int pages;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {{1, "1", true}, {1, "2", false}, {1, "0", false},
                          {40000, "40000", true}, {40000, "40001", false}, {40000, "32768", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pages << " " << c.text);
        PageJumpDialog d(1, c.pages);
        d.show();
        EXPECT_EQ(Enter(d, c.text), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(d.Value(), QString(c.text).toInt());
        }
    }
    // The arrows stay within the pages.
    PageJumpDialog d(40000, 40000);
    d.Box()->stepBy(5);
    EXPECT_EQ(d.Box()->value(), 40000);
}

TEST_F(Dialogs, ZoomCommandChangesTheViewOnlyForAnotherValue)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    Trigger(cmd::kFitWidth);
    const int fitted = View()->Zoom();
    WhenModal<ZoomDialog>([](ZoomDialog& d) { ButtonOf(d, "OK")->click(); });
    Trigger(cmd::kAnyZoom);
    EXPECT_EQ(View()->ZoomMode(), 0);
    EXPECT_EQ(View()->Zoom(), fitted);
    WhenModal<ZoomDialog>([this](ZoomDialog& d) { Enter(d, "250"); });
    Trigger(cmd::kAnyZoom);
    EXPECT_EQ(View()->ZoomMode(), 1);
    EXPECT_EQ(View()->Zoom(), 250);
    WhenModal<PageJumpDialog>([this](PageJumpDialog& d) { Enter(d, "4"); });
    Trigger(cmd::kJumpPage);
    EXPECT_EQ(View()->CurrentPage(), 4);
    // Find closes with either button and changes nothing.
    for (const char* button : {"OK", "ｷｬﾝｾﾙ"}) {
        WhenModal<FindTextDialog>([button](FindTextDialog& d) {
            EXPECT_EQ(d.windowTitle(), "文字列検索");
            ButtonOf(d, button)->click();
        });
        Trigger(cmd::kFind);
        EXPECT_EQ(View()->CurrentPage(), 4);
        EXPECT_EQ(View()->Zoom(), 250);
    }
}

TEST_F(Dialogs, OptionSheetWritesItsValuesAndRefreshesTheActiveViewLast)
{
    {
        QSettings ini(ViewerOptions::OpenSettings()->fileName(), QSettings::IniFormat);
        ini.setValue("Option/LogPath", "/var/log/pagelook");
        ini.setValue("Option/LogMode", 2);
        ini.setValue("Option/PrintMode", 7);
    }
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    ASSERT_TRUE(Frame().OpenDocument(Sample("three.tvd", {.pages = 3})));
    QList<PagelookView*> refreshed;
    for (PagelookView* v : Frame().Views())
        QObject::connect(v, &PagelookView::StateChanged, [&refreshed, v] { refreshed << v; });

    const QByteArray before = IniBytes();
    WhenModal<OptionSheet>([](OptionSheet& d) {
        d.findChild<QCheckBox*>("wakusen")->setChecked(true);
        ButtonOf(d, "キャンセル")->click();
    });
    Trigger(cmd::kOptions);
    EXPECT_EQ(IniBytes(), before);
    EXPECT_TRUE(refreshed.isEmpty());

    WhenModal<OptionSheet>([](OptionSheet& d) {
        EXPECT_EQ(d.windowTitle(), "環境設定");
        ASSERT_EQ(d.Tabs()->count(), 1);
        EXPECT_EQ(d.Tabs()->tabText(0), "表示設定");
        // A stored 7 reads as 0 and shows as 0.
        EXPECT_TRUE(d.findChild<QRadioButton*>("printMode0")->isChecked());
        EXPECT_EQ(d.findChildren<QPushButton*>().size(), 2);
        EXPECT_EQ(d.findChild<QCheckBox*>("mainViewMax")->text(), "親ウィンドウ起動時最大表示");
        d.findChild<QRadioButton*>("printMode2")->click();
        d.findChild<QCheckBox*>("wakusen")->click();
        ButtonOf(d, "OK")->click();
    });
    Trigger(cmd::kOptions);
    QSettings ini(ViewerOptions::OpenSettings()->fileName(), QSettings::IniFormat);
    EXPECT_EQ(ini.value("Option/PrintMode").toString(), "2");
    EXPECT_EQ(ini.value("Option/Wakusen").toString(), "1");
    EXPECT_EQ(ini.value("Option/HeadOffSet").toString(), "0");
    EXPECT_EQ(ini.value("Option/LogPath").toString(), "/var/log/pagelook");
    EXPECT_EQ(ini.value("Option/LogMode").toString(), "2");
    EXPECT_TRUE(IniBytes().contains("\nChildVIewMax=0"));
    EXPECT_EQ(Frame().Options().printMode, 2);
    ASSERT_GE(refreshed.size(), 2);
    EXPECT_EQ(refreshed.last(), View());
    EXPECT_NE(refreshed.first(), View());
    // Views open keep their paper mode; the new one applies to the next.
    EXPECT_EQ(View()->PaperMode(), 0);
}

TEST_F(Dialogs, DocumentInformationShowsTheHeaderReadOnly)
{
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "JST-9", 1);
    tzset();
    // 2026-12-09 00:05:03 UTC.
    EXPECT_EQ(DocumentInfoSheet::CreatedText(134412483030000000ULL), "2026/12/9  9: 5: 3");
    EXPECT_EQ(DocumentInfoSheet::CreatedText(0), "");
    if (oldTz) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();

    ASSERT_EQ(Start({Sample("named.tvd", {.nameUtf8 = "売上元帳"})}), PagelookApp::kContinue);
    Trigger(cmd::kNextPage);
    WhenModal<DocumentInfoSheet>([](DocumentInfoSheet& d) {
        EXPECT_EQ(d.windowTitle(), "ドキュメント情報");
        ASSERT_EQ(d.Tabs()->count(), 3);
        EXPECT_EQ(d.Tabs()->tabText(0), "ドキュメント情報");
        EXPECT_EQ(d.Tabs()->tabText(1), "フォーム情報");
        EXPECT_EQ(d.Tabs()->tabText(2), "ページ情報");
        const auto buttons = d.findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), 1);
        EXPECT_EQ(buttons.first()->text(), "OK");
        auto field = [&d](const char* name) { return d.findChild<QLineEdit*>(name); };
        EXPECT_TRUE(field("path")->text().endsWith("named.tvd"));
        EXPECT_EQ(field("name")->text(), "売上元帳");
        EXPECT_EQ(field("version")->text(), "2");
        EXPECT_EQ(field("pages")->text(), "5");
        EXPECT_EQ(field("secret")->text(), "なし");
        EXPECT_EQ(field("formName")->text(), "");
        EXPECT_EQ(field("scale")->text(), "100");
        EXPECT_EQ(field("paperSize")->text(), "");
        for (QLineEdit* e : d.findChildren<QLineEdit*>())
            if (e->objectName() != "qt_spinbox_lineedit") {
                EXPECT_TRUE(e->isReadOnly()) << e->objectName().toStdString();
            }
        auto* page = d.findChild<QSpinBox*>("page");
        EXPECT_EQ(page->value(), 2);
        EXPECT_FALSE(page->isEnabled());
        buttons.first()->click();
    });
    Trigger(cmd::kDocumentInfo);
}

} // namespace
