// The journal window in-process: keys, number and date checks, delete,
// saving when rows are left, a locked database at close, a party without
// lines, the input-method calls and the once-per-load set-up.
#include "JournalFixture.h"

#include "platform/ui/WidgetHandle.h"

#include <QAction>
#include <QDialog>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QStyle>

#include <cmath>

#include <sys/stat.h>

using namespace nv;
using namespace nvtest;

namespace {

struct JournalWindowTest : JournalFixture {
    void AddLine(const char* table, const char* values)
    {
        db.Execute(std::string("INSERT INTO \"") + table +
                   "\" VALUES (" + values + ")");
    }
    std::string StoredQuantity(const char* table, const char* partyColumn)
    {
        auto v = db.QueryValue(std::string("SELECT typeof(数量) FROM \"") + table + "\" WHERE " + partyColumn +
                               " = 7 AND データ数 = 1");
        return std::get<std::string>(v);
    }
};

TEST_F(JournalWindowTest, EnterInTheBalanceOfAnOlderLineMovesDownAndAddsNothing)
{
    AddLine("仕入れデータ", "7, 1, 2005, 4, 5, '釘', NULL, NULL, 100, NULL, NULL, 120100");
    auto d = Open(JournalSide::Purchases);
    QAbstractItemModel* m = GridOf(d.get())->model();
    ASSERT_EQ(m->rowCount(), 3);
    GoTo(d.get(), 0, 11);
    Press(d.get(), Qt::Key_Return);
    EXPECT_EQ(m->rowCount(), 3);
    EXPECT_EQ(GridOf(d.get())->currentIndex(), m->index(1, 1));
    EXPECT_EQ(d->NavigatorText(), "ﾚｺｰﾄﾞ: 2");
    // Tab on the last stored line goes to the new line offered, dated as it.
    GoTo(d.get(), 1, 11);
    Press(d.get(), Qt::Key_Tab);
    EXPECT_EQ(m->rowCount(), 3);
    EXPECT_EQ(GridOf(d.get())->currentIndex(), m->index(2, 3));
    EXPECT_EQ(Cell(d.get(), 2, 3) + "/" + Cell(d.get(), 2, 4), "4/5");
    EXPECT_EQ(d->StatusText(), "データ処理終了");
    d->reject();
}

TEST_F(JournalWindowTest, TheBalanceButtonCountsALineAnotherProgramStoredAndSaysSo)
{
    auto d = Open(JournalSide::Purchases);
    QAbstractItemModel* m = GridOf(d.get())->model();
    const int shown = m->rowCount();
    AddLine("仕入れデータ", "7, 5, 2005, 4, 20, '他の行', NULL, NULL, 100, NULL, NULL, 0");
    script->Clear();
    Click(d.get(), "cmdZandaka");
    EXPECT_EQ(script->Messages(), QStringList{kReadOthersLinesMessage});
    ASSERT_EQ(m->rowCount(), shown + 1);
    EXPECT_EQ(Cell(d.get(), shown - 1, 5), "他の行");
    EXPECT_EQ(Cell(d.get(), shown - 1, 11), "￥120,100");
    // Nothing new since: the button says nothing more.
    script->Clear();
    Click(d.get(), "cmdZandaka");
    EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("\n").toStdString();
    d->reject();
}

TEST_F(JournalWindowTest, QuantityAndPriceGiveTheAmountAndAnEmptiedQuantityIsNull)
{
    for (JournalSide side : {JournalSide::Purchases, JournalSide::Sales}) {
        const SideWords& w = WordsOf(side);
        SCOPED_TRACE(w.Caption);
        auto d = Open(side);
        QWidget* x = d.get();
        GoTo(x, 1, 6);
        Enter(x, "3");
        Enter(x, "1,200");
        EXPECT_EQ(Cell(x, 1, 8), "￥3,600");
        GoTo(x, 1, 6);
        Enter(x, "4");
        EXPECT_EQ(Cell(x, 1, 8), "￥4,800");
        GoTo(x, 1, 8);
        Enter(x, "777");
        GoTo(x, 1, 6);
        Enter(x, "0");
        EXPECT_EQ(Cell(x, 1, 8), "￥777");
        Click(x, "cmdUpdate");
        EXPECT_EQ(StoredQuantity(w.LineTable, w.PartyNo), "real");
        GoTo(x, 1, 6);
        Enter(x, "");
        Click(x, "cmdUpdate");
        EXPECT_EQ(StoredQuantity(w.LineTable, w.PartyNo), "null");
        d->reject();
        EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("\n").toStdString();
    }
}

TEST_F(JournalWindowTest, HostileCellsAreRefusedAndTheCellStaysInEdit)
{
    struct Case {
        JournalSide side;
        int column;
        const char* text;
        const char* message;   // part of the message shown
        const char* title;
    };
    static const std::string longItem = QString(51, QChar(0x3042)).toStdString();
    const Case cases[] = {
        {JournalSide::Purchases, 6, "abc", "数値を入力していください。", "DBGrid1.Columns(6)"},
        {JournalSide::Sales, 6, "abc", "数値を入力していください。", "DBGrid1.Columns(6)"},
        {JournalSide::Sales, 9, "abc", "数値を入力していください。", "DBGrid1.Columns(9)"},
        {JournalSide::Purchases, 4, "30x", "数値を入力していください。", "DBGrid1.Columns(4)"},
        {JournalSide::Purchases, 3, "13", "日付", ""},
        {JournalSide::Sales, 3, "13", "日付", ""},
        {JournalSide::Purchases, 5, longItem.c_str(), "50文字", ""},
        {JournalSide::Purchases, 6, "1e20", "仕入金額", ""},
        {JournalSide::Sales, 6, "1e20", "売上金額", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(WordsOf(c.side).Caption) + " " + std::to_string(c.column) + " " + c.text);
        const SideWords& w = WordsOf(c.side);
        db.Execute(std::string("DELETE FROM \"") + w.LineTable + "\" WHERE データ数 > 0 AND \"" + w.PartyNo + "\" = 7");
        auto d = Open(c.side);
        QWidget* x = d.get();
        GoTo(x, 1, 7);
        Enter(x, "1200");
        const auto before = Rows(w.LineTable);
        script->Clear();
        GoTo(x, 1, c.column);
        const QString shown = Cell(x, 1, c.column);
        Enter(x, QString::fromUtf8(c.text));
        ASSERT_EQ(script->AllAsked().size(), 1u);
        EXPECT_TRUE(script->AllAsked()[0].text.contains(QString::fromUtf8(c.message)))
            << script->AllAsked()[0].text.toStdString();
        EXPECT_EQ(script->AllAsked()[0].title, c.title);
        ASSERT_TRUE(EditorLine(x)) << "the editor closed";
        EXPECT_EQ(EditorLine(x)->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(Cell(x, 1, c.column), shown);
        EXPECT_EQ(Rows(WordsOf(c.side).LineTable), before);
        // Escape drops the text; closing writes the line typed so far.
        QTest::keyClick(EditorLine(x), Qt::Key_Escape);
        d->reject();
    }
}

TEST_F(JournalWindowTest, ImpossibleDatesAndFullWidthNumbers)
{
    auto d = Open(JournalSide::Sales);
    QWidget* x = d.get();
    GoTo(x, 1, 4);
    Enter(x, "30");
    GoTo(x, 1, 3);
    script->Clear();
    Enter(x, "2");
    ASSERT_EQ(script->Messages().size(), 1);
    EXPECT_TRUE(script->Messages()[0].contains("日付")) << script->Messages()[0].toStdString();
    QTest::keyClick(EditorLine(x), Qt::Key_Escape);
    EXPECT_EQ(Cell(x, 1, 3) + "/" + Cell(x, 1, 4), "4/30");
    GoTo(x, 1, 7);
    Enter(x, "１２００");
    EXPECT_EQ(Cell(x, 1, 7), "￥1,200");
    d->reject();
    EXPECT_EQ(Rows("売上げデータ", "売上先No = 7 AND データ数 = 1"),
              std::vector<std::string>{"7,1,2005,4,30,N,N,1200.000000,N,N,N,N,"});
}

// Keys as a person types them into the grid: the first opens the editor.
void Keys(QWidget* w, const QString& text)
{
    QTest::keyClicks(GridOf(w), text.left(1));
    ASSERT_TRUE(EditorLine(w)) << "no editor";
    QTest::keyClicks(EditorLine(w), text.mid(1));
    Press(w, Qt::Key_Tab);
}

TEST_F(JournalWindowTest, AMonthTypedAfterAMonthEndNeverFailsOnTheCopiedDay)
{
    const struct { const char* first[2]; const char* next[2]; const char* shown; int messages; } cases[] = {
        {{"5", "31"}, {"6", "30"}, "6/30", 0},
        {{"1", "31"}, {"2", "28"}, "2/28", 0},
        {{"7", "31"}, {"9", ""}, "9/30", 0},
        // A day typed is the user's: an impossible date gets its message.
        {{"7", "31"}, {"9", "31"}, "9/30", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.next[0]) + "/" + c.next[1]);
        db.Execute("DELETE FROM 仕入れデータ WHERE 仕入先No = 7 AND データ数 > 0");
        auto d = Open(JournalSide::Purchases);
        QWidget* x = d.get();
        script->Clear();
        Keys(x, c.first[0]);
        Keys(x, c.first[1]);
        GoTo(x, 1, 11);
        Press(x, Qt::Key_Return);   // a new line dated as this one
        ASSERT_EQ(GridOf(x)->currentIndex(), GridOf(x)->model()->index(2, 3));
        EXPECT_EQ(Cell(x, 2, 4), c.first[1]);
        Keys(x, c.next[0]);
        EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("\n").toStdString();
        EXPECT_EQ(GridOf(x)->currentIndex().column(), 4);
        if (*c.next[1]) Keys(x, c.next[1]);
        EXPECT_EQ(script->Messages().size(), c.messages) << script->Messages().join("\n").toStdString();
        if (c.messages) {
            EXPECT_TRUE(script->Messages()[0].contains("9月31日")) << script->Messages()[0].toStdString();
            QTest::keyClick(EditorLine(x), Qt::Key_Escape);
        }
        EXPECT_EQ(Cell(x, 2, 3) + "/" + Cell(x, 2, 4), c.shown);
        d->reject();
    }
}

TEST_F(JournalWindowTest, DeletingLinesKeepsANewLineOffered)
{
    auto d = Open(JournalSide::Purchases);
    QWidget* x = d.get();
    QAbstractItemModel* m = GridOf(x)->model();
    GoTo(x, 1, 4);
    Enter(x, "5");
    GoTo(x, 1, 8);
    Enter(x, "100");
    GoTo(x, 1, 11);
    Press(x, Qt::Key_Return);
    ASSERT_EQ(m->rowCount(), 3);
    EXPECT_EQ(Rows("仕入れデータ", "仕入先No = 7").size(), 2u);
    // The newest line goes; the one before is current and appends again.
    GoTo(x, 1, 5);
    Click(x, "cmdDelete");
    EXPECT_EQ(m->rowCount(), 2);
    EXPECT_EQ(GridOf(x)->currentIndex().row(), 0);
    EXPECT_EQ(Rows("仕入れデータ", "仕入先No = 7").size(), 1u);
    GoTo(x, 0, 11);
    Press(x, Qt::Key_Return);
    EXPECT_EQ(GridOf(x)->currentIndex(), m->index(1, 3));
    // Every line goes: a new line is still there, nothing else stored.
    for (int i = 0; i < 3; ++i) {
        GoTo(x, 0, 5);
        Click(x, "cmdDelete");
    }
    EXPECT_EQ(m->rowCount(), 1);
    EXPECT_EQ(m->headerData(0, Qt::Vertical).toString(), "*");
    EXPECT_TRUE(Rows("仕入れデータ", "仕入先No = 7").empty());
    GoTo(x, 0, 8);
    Enter(x, "10");
    d->reject();
    EXPECT_EQ(Rows("仕入れデータ", "仕入先No = 7").size(), 1u);
    EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("\n").toStdString();
}

TEST_F(JournalWindowTest, ALockAtCloseAsksAndNoKeepsTheWindowWithItsEdits)
{
    auto d = Open(JournalSide::Purchases);
    QWidget* x = d.get();
    GoTo(x, 1, 4);
    Enter(x, "9");
    Database other = OpenLedgerDatabase(dbPath);
    other.Execute("BEGIN IMMEDIATE");
    script->Clear();
    d->reject();
    ASSERT_EQ(script->AllAsked().size(), 1u);
    EXPECT_TRUE(script->AllAsked()[0].text.startsWith("ｴﾗｰが発生しました:")) << script->AllAsked()[0].text.toStdString();
    EXPECT_EQ(script->AllAsked()[0].defaultAnswer, ui::Answer::No);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(Cell(x, 1, 4), "9");
    other.Execute("ROLLBACK");
    d->reject();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(Rows("仕入れデータ", "仕入先No = 7 AND 日 = 9").size(), 1u);
}

TEST_F(JournalWindowTest, APartyWithoutLinesIsToldOnceAndNothingIsWrittenUntilTyped)
{
    PartyValues nine = Party7(0);
    nine[kPartyNo] = int64_t{9};
    const auto before = Rows("仕入れデータ");
    auto d = Open(JournalSide::Purchases, nine);
    EXPECT_EQ(script->Messages(), QStringList{kNoCarryForwardMessage});
    EXPECT_EQ(GridOf(d.get())->model()->rowCount(), 1);
    // Another show does not set the window up again.
    d->hide();
    d->show();
    EXPECT_EQ(script->Messages().size(), 1);
    EXPECT_TRUE(d->FirstPaintDone());
    d->reject();
    EXPECT_FALSE(d->FirstPaintDone());
    EXPECT_EQ(Rows("仕入れデータ"), before);
    // Reopening sets it up once more.
    d->Load();
    d->show();
    EXPECT_EQ(script->Messages().size(), 2);
    GoTo(d.get(), 0, 5);
    Enter(d.get(), "ナット");
    d->reject();
    EXPECT_EQ(Rows("仕入れデータ", "仕入先No = 9 AND 年 = 2005"),
              std::vector<std::string>{"9,1,2005,4,1,ナット,N,N,N,N,N,N,"});
}

TEST_F(JournalWindowTest, AFailingFirstSaveIsReportedOnceAndTheGridIsShown)
{
    // A stored balance that the opening pass corrects, with the database locked.
    AddLine("仕入れデータ", "7, 1, 2005, 4, 5, '釘', NULL, NULL, 100, NULL, NULL, 0");
    Database other = OpenLedgerDatabase(dbPath);
    other.Execute("BEGIN IMMEDIATE");
    auto d = Open(JournalSide::Purchases);
    ASSERT_EQ(script->Messages().size(), 1);
    EXPECT_TRUE(script->Messages()[0].contains(kBusyMessage)) << script->Messages()[0].toStdString();
    EXPECT_TRUE(GridOf(d.get())->isVisible());
    EXPECT_EQ(GridOf(d.get())->model()->rowCount(), 3);
    other.Execute("ROLLBACK");
    d->reject();
    EXPECT_EQ(Rows("仕入れデータ", "仕入先No = 7 AND データ数 = 1"),
              std::vector<std::string>{"7,1,2005,4,5,釘,N,N,100,N,N,120100,"});
}

TEST_F(JournalWindowTest, AReadOnlyDatabaseIsSaidOnceAndTakesNoEdit)
{
    // A stored balance the opening pass would correct.
    AddLine("仕入れデータ", "7, 1, 2005, 4, 5, '釘', NULL, NULL, 100, NULL, NULL, 0");
    db.Close();
    ASSERT_EQ(::chmod(dbPath.c_str(), 0444), 0);
    const std::string before = ReadFileBytes(dbPath);
    auto d = Open(JournalSide::Purchases);
    QWidget* x = d.get();
    ASSERT_EQ(script->Messages().size(), 1) << script->Messages().join("|").toStdString();
    EXPECT_TRUE(script->Messages()[0].contains("読み取り専用")) << script->Messages()[0].toStdString();
    EXPECT_TRUE(script->Messages()[0].contains(QString::fromStdString(dbPath)));
    EXPECT_TRUE(Cell(x, 1, 11).endsWith("120,100")) << Cell(x, 1, 11).toStdString(); // worked out for the screen
    for (const char* name : {"cmdZandaka", "cmdUpdate", "cmdDelete"})
        EXPECT_FALSE(x->findChild<QPushButton*>(name)->isEnabled()) << name;
    GoTo(x, 1, 5);
    QTest::keyClicks(GridOf(x), "x");
    EXPECT_EQ(EditorLine(x), nullptr);
    d->reject();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(script->Messages().size(), 1) << script->Messages().join("|").toStdString();
    ::chmod(dbPath.c_str(), 0644);
    EXPECT_EQ(ReadFileBytes(dbPath), before);
}

TEST_F(JournalWindowTest, EnteringAColumnSetsTheInputMethodThroughTheComponent)
{
    auto d = Open(JournalSide::Purchases);
    const std::string h = std::to_string(ui::WidgetHandle(GridOf(d.get())));
    std::filesystem::remove(imeLog);
    GoTo(d.get(), 1, 5);
    GoTo(d.get(), 1, 10);
    GoTo(d.get(), 1, 6);
    EXPECT_EQ(ImeCalls(), (std::vector<std::string>{h + "|1|9", h + "|1|9", h + "|0|0"}));
    d->reject();
}

} // namespace

namespace {

TEST_F(JournalWindowTest, ATypedAmountStaysAfterTheWindowIsOpenedAgainAndTheCellSaysSo)
{
    auto d = Open(JournalSide::Purchases);
    QWidget* x = d.get();
    QAbstractItemModel* m = GridOf(x)->model();
    GoTo(x, 1, 5);
    Enter(x, "板");
    Enter(x, "3");
    Enter(x, "1000");
    EXPECT_EQ(Cell(x, 1, 8), "￥3,000");
    EXPECT_FALSE(m->data(m->index(1, 8), Qt::ToolTipRole).isValid());
    GoTo(x, 1, 8);
    Enter(x, "2900");
    Click(x, "cmdZandaka");
    EXPECT_EQ(Cell(x, 1, 8), "￥2,900");
    EXPECT_EQ(Cell(x, 1, 11), "￥122,900");
    EXPECT_EQ(m->data(m->index(1, 8), Qt::ToolTipRole).toString().toStdString(), kTypedAmountTip);
    d->reject();
    auto again = Open(JournalSide::Purchases);
    EXPECT_EQ(Cell(again.get(), 1, 8), "￥2,900");
    EXPECT_EQ(Cell(again.get(), 1, 11), "￥122,900");
    again->reject();
    EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("\n").toStdString();
}

// Answers as the scripted prompt does, but first takes the focus away in a
// window of its own, as a real message box does.
class FocusTakingPrompt : public nv::ui::ScriptedPrompt {
public:
    nv::ui::Answer Ask(const nv::ui::Message& m) override
    {
        QDialog box;
        auto* button = new QPushButton("OK", &box);
        box.show();
        QApplication::setActiveWindow(&box);
        button->setFocus(Qt::ActiveWindowFocusReason);
        QApplication::processEvents();
        box.hide();
        return ScriptedPrompt::Ask(m);
    }
};

} // namespace

TEST_F(JournalWindowTest, ARefusedCellWhileTheMessageHasTheFocusIsShownOnceAndKeptSelected)
{
    auto* prompt = new FocusTakingPrompt;
    nv::ui::ScopedPrompt focusTaking{std::unique_ptr<nv::ui::Prompt>(prompt)};
    auto d = Open(JournalSide::Purchases);
    QWidget* x = d.get();
    QApplication::setActiveWindow(x);
    GoTo(x, 1, 4);
    Enter(x, "30");
    GoTo(x, 1, 3);
    TypeCell(x, "2");
    Press(x, Qt::Key_Tab);
    ASSERT_EQ(prompt->Messages().size(), 1) << prompt->Messages().join("\n").toStdString();
    EXPECT_TRUE(prompt->Messages()[0].contains("日付")) << prompt->Messages()[0].toStdString();
    ASSERT_TRUE(EditorLine(x)) << "the editor closed";
    EXPECT_EQ(EditorLine(x)->text(), "2");
    EXPECT_EQ(EditorLine(x)->selectedText(), "2");
    QTest::keyClick(EditorLine(x), Qt::Key_Escape);
    d->reject();
}

TEST_F(JournalWindowTest, EachSideNamesItsOwnLedgerAndTheBalanceButtonEndsItsWork)
{
    const struct { JournalSide side; const char* button; const char* tip; const char* item; const char* close; } cases[] = {
        {JournalSide::Purchases, "仕入帳(&L)", "仕入張のプレビューと印刷", "仕入張印刷", "仕入先画面へ戻る"},
        {JournalSide::Sales, "売上帳(&L)", "売上帳のプレビューと印刷", "売上帳印刷", "売上先画面へ戻る"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        auto d = Open(c.side);
        auto* print = d->findChild<QPushButton*>("cmdPrint");
        EXPECT_EQ(print->text(), c.button);
        EXPECT_EQ(print->toolTip(), c.tip);
        EXPECT_EQ(d->findChild<QAction*>("mnuPRINT_0")->text(), c.item);
        EXPECT_EQ(d->findChild<QPushButton*>("cmdClose")->toolTip(), c.close);
        Click(d.get(), "cmdZandaka");
        EXPECT_EQ(d->StatusText(), "データ処理終了");
        d->reject();
    }
}

TEST_F(JournalWindowTest, TheGridKeepsItsIndicatorAndColumnWidths)
{
    auto d = Open(JournalSide::Purchases);
    QWidget* x = d.get();
    QTableView* g = GridOf(x);
    auto widths = [&] {
        QStringList w{QString::number(g->verticalHeader()->width())};
        for (int c = 0; c < g->model()->columnCount(); ++c) w << QString::number(g->columnWidth(c));
        return w.join(QLatin1Char(',')).toStdString();
    };
    const std::string opened = widths();
    EXPECT_GE(g->verticalHeader()->width(), g->fontMetrics().horizontalAdvance(QStringLiteral("*")));
    const struct { const char* what; std::function<void()> act; } steps[] = {
        {"再表示", [&] { Click(x, "cmdRefresh"); }},
        {"a refused cell",
         [&] {
             GoTo(x, 1, 6);
             Enter(x, "abc");
             QTest::keyClick(EditorLine(x), Qt::Key_Escape);
         }},
        {"a line typed", [&] { GoTo(x, 1, 7); Enter(x, "1200"); GoTo(x, 0, 3); }},
        {"再表示 after it", [&] { Click(x, "cmdRefresh"); }},
    };
    for (const auto& s : steps) {
        s.act();
        QApplication::processEvents();
        EXPECT_EQ(widths(), opened) << s.what;
    }
    d->reject();
}

// The largest amounts a journal takes, typed: each column widens so that
// the figure shows whole, and the balance they make (past the largest amount
// typed) too.
TEST_F(JournalWindowTest, TheLargestAmountsTypedShowWhole)
{
    auto d = Open(JournalSide::Purchases);
    QWidget* x = d.get();
    QTableView* g = GridOf(x);
    const int margin = g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1;
    auto whole = [&](int column, int length) {
        const QModelIndex at = g->model()->index(1, column);
        const QString shown = at.data().toString();
        EXPECT_EQ(shown.size(), length) << column;
        const int need = int(std::ceil(QFontMetricsF(g->font()).horizontalAdvance(shown))) + 2 * margin;
        EXPECT_LE(need, g->visualRect(at).width()) << shown.toStdString();
    };
    // The widest amounts typed, and the settlement that brings the balance to
    // the lowest a balance may hold: "-￥2,147,483,648".
    const struct { int column; const char* typed; int length; } cells[] = {
        {8, "-9000000000000000", 23}, {9, "-8999997852516352", 23}};
    for (const auto& c : cells) {
        GoTo(x, 1, c.column);
        Enter(x, c.typed);
        whole(c.column, c.length);
    }
    Click(x, "cmdZandaka");
    whole(11, 15);
    d->reject();
}

// Stored 数量 and 単価 with and without fractions, among many short ones:
// at open every cell of theirs shows whole, the longest included.
TEST_F(JournalWindowTest, StoredQuantitiesAndPricesShowWholeAtOpen)
{
    const char* lines[] = {
        "7, 1, 2005, 4, 5, '釘', 1, 100, 100, NULL, NULL, 120100",
        "7, 2, 2005, 4, 5, '釘', 2.5, 1234567.25, 100, NULL, NULL, 120200",
        "7, 3, 2005, 4, 6, '釘', -99999999, 3, 100, NULL, NULL, 120300",
        "7, 4, 2005, 4, 6, '釘', 0.125, -987654.5, 100, NULL, NULL, 120400",
        "7, 5, 2005, 4, 7, '釘', 1, 100, 100, NULL, NULL, 120500",
    };
    for (const char* l : lines) AddLine("仕入れデータ", l);
    auto d = Open(JournalSide::Purchases);
    QTableView* g = GridOf(d.get());
    const int margin = g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1;
    for (int column : {6, 7})
        for (int row = 0; row < g->model()->rowCount(); ++row) {
            const QModelIndex at = g->model()->index(row, column);
            const QString shown = at.data().toString();
            const int need = int(std::ceil(QFontMetricsF(g->font()).horizontalAdvance(shown))) + 2 * margin;
            EXPECT_LE(need, g->columnWidth(column)) << shown.toStdString();
        }
    d->reject();
}
