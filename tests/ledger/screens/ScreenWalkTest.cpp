// Every ledger screen, reached from the menu through the real components as
// a person reaches it and typed into (Escape closes none of them), at the desktop's font and at one step larger (ctest
// runs the program again at 125, 150 and 200 % screen scale): no two visible
// controls overlap, none leaves its window, every caption, grid header and
// figure in a grid (the journals hold the largest amounts they take) is
// whole. Run again on the work areas of small screens, every window opens
// inside them and every control and grid column is within reach there.
#include "LayoutFaults.h"

#include "ledger/common/CompanyFile.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/shell/MenuForm.h"
#include "platform/ui/AutoPrompt.h"
#include "support/TempDir.h"
#include "support/TestApp.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace nv;
using namespace nvtest;

namespace {

// Set in a run whose screen is a small work area.
constexpr const char* kWorkAreaRun = "NV_TEST_WORK_AREA";

// A data folder as a bookkeeper's looks after a while: settings, one
// supplier and one customer with long names and their opening lines, names.
void FillDataFolder(const TempDir& home)
{
    const std::string db = home.file("補助簿DB.MDB");
    CreateEmptyLedgerDatabase(db);
    Database d = OpenLedgerDatabase(db);
    d.ExecuteScript(
        "INSERT INTO 仕入れ先 (仕入先No, 検索キー, ふりがな, 仕入先名, 郵便番号, 住所, 電話, ファックス, 〆切期日,"
        " 請求期日, 支払定日, 繰越金額) VALUES (12345, 'ﾔ', 'やまだしょうてんかぶしきがいしゃ', '山田商店株式会社本店営業部',"
        " '100-0001', '東京都千代田区千代田一丁目一番一号　山田ビル四階', '03-1111-2222', '03-1111-3333', '末日',"
        " '翌月１０日', '翌月末日', 1234567);"
        "INSERT INTO 売上げ先 (売上先No, 検索キー, ふりがな, 売上先名, 郵便番号, 住所, 電話, ファックス, 〆切期日,"
        " 請求期日, 支払定日, 繰越金額) VALUES (67890, 'ｶ', 'かとうしょうかい', '加藤商会', '530-0001',"
        " '大阪府大阪市北区梅田三丁目', '06-1111-2222', '06-1111-3333', '２０日', '翌月５日', '翌々月末日', 98765);"
        "INSERT INTO 仕入れデータ (仕入先No, データ数, 年, 月, 日, 品名, 差引残高) VALUES"
        " (12345, 0, 2026, 4, 1, '前期繰越金額', 1234567);"
        "INSERT INTO 売上げデータ (売上先No, データ数, 年, 月, 日, 品名, 差引残高) VALUES"
        " (67890, 0, 2026, 4, 1, '前期繰越金額', 98765);"
        "INSERT INTO 品名 (品名) VALUES ('ボルト'), ('六角ナット（ステンレス）');");
    // A year of lines, more than the grid shows at once, among them the
    // largest amounts a journal takes: bought, paid and returned.
    const struct { const char* table; const char* party; const char* columns; } journals[] = {
        {"仕入れデータ", "12345", "(仕入先No, データ数, 年, 月, 日, 品名, 数量, 単価, 仕入金額, 支払金額)"},
        {"売上げデータ", "67890", "(売上先No, データ数, 年, 月, 日, 品名, 数量, 単価, 売上金額, 受入金額)"}};
    for (const auto& j : journals) {
        const std::string into = std::string("INSERT INTO ") + j.table + " " + j.columns;
        const std::string party = j.party;
        d.ExecuteScript(into + " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 24)"
                               " SELECT " + party + ", i, 2026, 4 + i / 4, 1 + i, 'ボルト', 3, 63563.33, 190690, NULL FROM n;" +
                        into + " VALUES"
                               " (" + party + ", 30, 2026, 11, 2, '六角ナット（ステンレス）', 1, 9000000000000000, 9000000000000000, NULL),"
                               " (" + party + ", 31, 2026, 11, 3, '振込', NULL, NULL, NULL, 9000000000000000),"
                               " (" + party + ", 32, 2026, 11, 4, '返品', -1, 9000000000000000, -9000000000000000, NULL);");
    }
    CompanyFile f;
    CompanySettings& s = f.Settings;
    s.OwnerName = FixedText("山田太郎", kOwnerNameWidth);
    s.OwnerKana = FixedText("やまだたろう", kOwnerKanaWidth);
    s.PostCode = FixedText("100-0001", kPostCodeWidth);
    s.Address = FixedText("東京都千代田区千代田一丁目一番一号", kAddressWidth);
    s.Term = 12;
    s.StartYear = 2026, s.StartMonth = 4, s.StartDay = 1;
    s.EndYear = 2027, s.EndMonth = 3, s.EndDay = 31;
    s.BusinessForm = -1;
    s.TaxRate = 10;
    s.PurchaseClosingDay = "末日";
    s.SalesClosingDay = "２０日";
    s.PrintName = FixedText("山田商店", kPrintNameWidth);
    WriteCompanyFile(home.file(kCompanyFileName), f);
}

QWidget* TopLevel(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QString::fromUtf8(name) && w->isVisible()) return w;
    return nullptr;
}

struct Sizes {
    const char* name;
    int fontStep;   // points above the desktop's font
};

void PrintTo(const Sizes& s, std::ostream* os)
{
    *os << s.name;
}

class ScreenWalkTest : public ::testing::TestWithParam<Sizes> {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        desktopFont_ = QApplication::font();
        QFont f = desktopFont_;
        f.setPointSizeF(f.pointSizeF() + GetParam().fontStep);
        QApplication::setFont(f);
        FillDataFolder(home_);
        cwd_ = std::filesystem::current_path();
        setenv("NIVALO_HOME", home_.path().c_str(), 1);
        setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
    }
    void TearDown() override
    {
        if (QWidget* clock = TopLevel("F1_時計")) clock->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::setFont(desktopFont_);
        std::filesystem::current_path(cwd_);
        unsetenv("NIVALO_PROGIDS");
        unsetenv("NIVALO_HOME");
    }

    // The screen's faults, laid out as shown; the screen is named in each.
    void Check(QWidget* w, const char* screen)
    {
        ASSERT_TRUE(w) << screen << " did not open";
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QApplication::processEvents();
        const QStringList faults = LayoutFaults(w);
        seen_ << QString::fromUtf8(screen);
        EXPECT_TRUE(faults.isEmpty()) << screen << " (" << GetParam().name << ", scale " << w->devicePixelRatioF() << ", " << w->width() << "x" << w->height()
                                      << "):\n  " << faults.join(QStringLiteral("\n  ")).toStdString();
        if (!qEnvironmentVariableIsSet(kWorkAreaRun)) return;
        const QRect area = w->screen()->availableGeometry();
        const QStringList reach = WorkAreaFaults(w, area);
        EXPECT_TRUE(reach.isEmpty()) << screen << " in the work area " << area.width() << "x" << area.height() << ":\n  "
                                     << reach.join(QStringLiteral("\n  ")).toStdString();
    }

    // Checks the modal window that start opens, then closes it.
    void CheckModal(const char* screen, const std::function<void()>& start,
                    const std::function<void(QWidget*)>& inside = {})
    {
        QWidget* before = QApplication::activeModalWidget();
        bool opened = false;
        auto* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [&, poll] {
            QWidget* d = QApplication::activeModalWidget();
            if (!d || d == before) return;
            poll->stop();
            opened = true;
            Check(d, screen);
            if (inside) inside(d);
            if (d->isVisible()) QMetaObject::invokeMethod(d, "reject");
        });
        poll->start();
        start();
        delete poll;
        EXPECT_TRUE(opened) << screen << " did not open";
    }

    TempDir home_;
    ui::ScopedPrompt prompt_{std::make_unique<ui::AutoPrompt>()};
    QFont desktopFont_;
    std::filesystem::path cwd_;
    QStringList seen_;
};

void Click(QWidget* parent, const char* button)
{
    auto* b = parent->findChild<QPushButton*>(QString::fromUtf8(button));
    ASSERT_TRUE(b) << button;
    QTest::mouseClick(b, Qt::LeftButton);
}

// The register's text fields in the order Tab visits them.
std::string FieldTabOrder(QWidget* form)
{
    QStringList order;
    QWidget* w = form->findChild<QWidget*>(QStringLiteral("txtFields_0"));
    for (int guard = 0; w && guard < 500 && order.size() < 11; ++guard, w = w->nextInFocusChain())
        if (w->objectName().startsWith(QLatin1String("txtFields_"))) order << w->objectName().mid(10);
    return order.join(QLatin1Char(',')).toStdString();
}

// Where a person's keys go: to the open cell editor, else to the control
// with the focus.
QWidget* KeyTarget(QWidget* window)
{
    QWidget* to = window->focusWidget() ? window->focusWidget() : window;
    for (auto* editor : window->findChildren<QLineEdit*>())
        if (editor->isVisible() && qobject_cast<QAbstractItemView*>(editor->parentWidget()->parentWidget())) to = editor;
    return to;
}

void Press(QWidget* window, Qt::Key key)
{
    QTest::keyClick(KeyTarget(window), key);
}

// Escape cancels the text being typed and nothing more: pressed once too
// often it closes (and saves) no window.
void EscapeTwice(QWidget* window, const std::string& screen)
{
    QTest::keyClicks(window->focusWidget() ? window->focusWidget() : window, QStringLiteral("5"));
    Press(window, Qt::Key_Escape);
    Press(window, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible()) << screen << " closed on Escape";
}

// The journal read as drawn after each step a bookkeeper takes in it: no
// figure cut at the view's edge and the line being typed wholly in sight.
void WalkJournal(QWidget* journal, const std::string& screen)
{
    auto* grid = journal->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    const int lines = grid->model()->rowCount();
    const struct { const char* step; std::function<void()> act; } steps[] = {
        {"opened", [] {}},
        {"an amount typed", [&] {
             grid->setCurrentIndex(grid->model()->index(lines - 1, 8));
             QTest::keyClicks(grid, QStringLiteral("1"));
             QTest::keyClicks(KeyTarget(journal), QStringLiteral("234818050"));
         }},
        {"Enter to a new line", [&] {
             for (int column = 8; column <= 11; ++column) Press(journal, Qt::Key_Return);
             EXPECT_EQ(grid->model()->rowCount(), lines + 1) << screen;
         }},
        {"残高更新", [&] { Click(journal, "cmdZandaka"); }},
    };
    for (const auto& s : steps) {
        s.act();
        const QStringList faults = DrawnGridFaults(grid);
        EXPECT_TRUE(faults.isEmpty()) << screen << " " << s.step << " (scale " << grid->devicePixelRatioF() << ", "
                                      << journal->width() << "x" << journal->height() << "):\n  "
                                      << faults.join(QStringLiteral("\n  ")).toStdString();
    }
}

TEST_P(ScreenWalkTest, EveryScreenFitsItsTexts)
{
    MenuForm menu;
    menu.Load();
    menu.show();
    Check(&menu, "メニュー");
    Check(TopLevel("F1_時計"), "時計");

    CheckModal("バージョン情報", [&] { menu.HelpAction(1)->trigger(); });
    CheckModal(
        "自社登録", [&] { QTest::mouseClick(menu.Button(MenuForm::kFirm), Qt::LeftButton); },
        [&](QWidget* company) {
            CheckModal("品名登録", [&] { Click(company, "Command2"); });
            EscapeTwice(company, "自社登録");
        });
    const std::pair<int, const char*> sides[] = {{MenuForm::kSupplier, "仕入"}, {MenuForm::kCustomer, "売上"}};
    for (auto [index, side] : sides) {
        const std::string reg = std::string(side) + "先の登録";
        const std::string journal = std::string(side) + "帳";
        CheckModal(
            reg.c_str(), [&] { QTest::mouseClick(menu.Button(index), Qt::LeftButton); },
            [&](QWidget* r) {
                EXPECT_EQ(FieldTabOrder(r), "0,1,8,2,7,3,6,4,9,11,10") << reg;
                CheckModal(journal.c_str(), [&] { Click(r, "cmdData"); }, [&](QWidget* j) {
                    WalkJournal(j, journal);
                    EscapeTwice(j, journal);
                });
                EscapeTwice(r, reg);
            });
    }
    EXPECT_EQ(seen_.join(QLatin1Char(',')).toStdString(),
              "メニュー,時計,バージョン情報,自社登録,品名登録,仕入先の登録,仕入帳,売上先の登録,売上帳");
}

INSTANTIATE_TEST_SUITE_P(Fonts, ScreenWalkTest, ::testing::Values(Sizes{"desktop font", 0}, Sizes{"font one step larger", 2}),
                         [](const auto& info) { return std::string(info.param.fontStep ? "Larger" : "Desktop"); });

// The screen scale and the screens are read once, when the application
// starts: each run is a program of its own. The work areas are the screen
// less a taskbar; 1366 x 725 pixels at 125 % is 1093 x 580 logical pixels,
// 1024 x 738 at 125 % is 819 x 590.
struct ScreenRun {
    const char* name;
    const char* scale;
    int width, height;   // pixels of the work area; 0 for the test's own screen
    const char* filter;
};

class ScreenWalkRun : public ::testing::TestWithParam<ScreenRun> {};

TEST_P(ScreenWalkRun, EveryScreenFitsThere)
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR") || qEnvironmentVariableIsSet(kWorkAreaRun))
        GTEST_SKIP() << "this run is one of them";
    EnsureWidgetApp();
    const ScreenRun& run = GetParam();
    TempDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(run.scale));
    QString platform = QStringLiteral("offscreen");
    if (run.width) {
        const QString config = QString::fromStdString(dir.file("screen.json"));
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("{\"windowFrameMargins\": true, \"screens\": [{\"name\": \"work\", \"x\": 0, \"y\": 0,"
                               " \"width\": %1, \"height\": %2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                    .arg(run.width).arg(run.height).toUtf8());
        f.close();
        platform += QStringLiteral(":configfile=") + config;
        env.insert(QString::fromLatin1(kWorkAreaRun), QStringLiteral("1"));
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + QLatin1String(run.filter)});
    ASSERT_TRUE(child.waitForFinished(300000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenWalkRun,
                         ::testing::Values(ScreenRun{"At125Percent", "1.25", 0, 0, "Fonts/ScreenWalkTest.*"},
                                           ScreenRun{"At150Percent", "1.5", 0, 0, "Fonts/ScreenWalkTest.*/Desktop"},
                                           ScreenRun{"At200Percent", "2", 0, 0, "Fonts/ScreenWalkTest.*/Desktop"},
                                           ScreenRun{"WorkArea1024x768", "1", 1024, 738, "Fonts/ScreenWalkTest.*/Desktop"},
                                           ScreenRun{"WorkArea1024x768At125Percent", "1.25", 1024, 738,
                                                     "Fonts/ScreenWalkTest.*/Desktop"},
                                           ScreenRun{"WorkArea1366x768At125Percent", "1.25", 1366, 725,
                                                     "Fonts/ScreenWalkTest.*/Desktop"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
