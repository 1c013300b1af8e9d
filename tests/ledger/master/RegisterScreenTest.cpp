// The register screen in-process: delete, register checks, all-or-nothing
// writes, search, focus order, input-method hints, refused input, read-only
// and locked databases, closing with an unregistered party.
#include "RegisterFixture.h"

#include "engine/core/EngineLog.h"
#include "ledger/master/PartyRegisterDialog.h"
#include "platform/ui/AutoPrompt.h"

#include <sqlite3.h>

using namespace nv;
using nvtest::Click;
using nvtest::Type;
using ui::Answer;

namespace {

struct RegisterScreen : nvtest::RegisterFixture {
    std::unique_ptr<PartyRegisterDialog> Open(JournalSide side = JournalSide::Purchases)
    {
        auto d = std::make_unique<PartyRegisterDialog>(side, t.folder, settings);
        EXPECT_TRUE(d->Open());
        d->show();
        QApplication::setActiveWindow(d.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(d.get()));
        return d;
    }
    void Select(PartyRegisterDialog& d, int row)
    {
        d.Grid()->setCurrentIndex(d.Model().index(row, 0));
    }
    int64_t Count(const std::string& sql) { return IntegerOf(t.db.QueryValue(sql)).value_or(-1); }
    QString LastMessage() { return script->Messages().isEmpty() ? QString() : script->Messages().back(); }
};

TEST_F(RegisterScreen, DeleteAsksThenRemovesThePartyWithItsLinesOnly)
{
    auto d = Open();
    Select(*d, 2);
    EXPECT_EQ(d->Field(0)->text(), "上田物産");
    const std::string before = t.Snapshot();
    script->Then(Answer::Cancel);
    Click(d->DeleteButton());
    EXPECT_EQ(script->Messages(), QStringList{"仕入先　上田物産 とその仕入張を削除してもよろしいですか？"});
    EXPECT_EQ(script->AllAsked().back().buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(t.Snapshot(), before);

    script->Then(Answer::Ok);
    Click(d->DeleteButton());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れ先 WHERE 仕入先No = 7"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れデータ WHERE 仕入先No = 7"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 売上げデータ WHERE 売上先No = 7"), 2);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れ先"), 2);
    EXPECT_EQ(d->CurrentRow(), 1);
    EXPECT_EQ(d->Field(6)->text(), "2");

    // The first row deleted: the first row becomes current.
    Select(*d, 0);
    script->Then(Answer::Ok);
    Click(d->DeleteButton());
    EXPECT_EQ(d->CurrentRow(), 0);
    EXPECT_EQ(d->Field(6)->text(), "2");
    // The highest goes, 追加 proposes its number again, and its journal
    // holds only its own opening line.
    Click(d->AddButton());
    EXPECT_EQ(d->Field(6)->text(), "3");
    Type(d->Field(0), "三番");
    Type(d->Field(9), "30");
    Click(d->RegisterButton());
    t.db.Execute("INSERT INTO 仕入れデータ (仕入先No, データ数, 年, 月, 日) VALUES (3, 1, 2005, 5, 1)");
    Select(*d, 1);
    ASSERT_EQ(d->Field(6)->text(), "3");
    script->Then(Answer::Ok);
    Click(d->DeleteButton());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れデータ WHERE 仕入先No = 3"), 0);
    Click(d->AddButton());
    EXPECT_EQ(d->Field(6)->text(), "3");
    Type(d->Field(9), "40");
    Click(d->RegisterButton());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れデータ WHERE 仕入先No = 3"), 1);
    EXPECT_EQ(Count("SELECT 差引残高 FROM 仕入れデータ WHERE 仕入先No = 3"), 40);

    // Closing with an unregistered party asks: stay, then discard.
    Click(d->AddButton());
    Type(d->Field(0), "未登録");
    script->Then(Answer::Cancel);
    Click(d->CloseButton());
    EXPECT_TRUE(d->isVisible());
    script->Then(Answer::No);
    Click(d->CloseButton());
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れ先 WHERE 仕入先名 = '未登録'"), 0);
}

TEST_F(RegisterScreen, RegisterChecksTheAmountFirstThenTheAdd)
{
    auto d = Open();
    Click(d->RegisterButton());
    EXPECT_EQ(script->Messages(), QStringList{"追加を最初にクリックしてください。"});
    script->Clear();
    Type(d->Field(9), "");
    Click(d->RegisterButton());
    EXPECT_EQ(script->Messages(), QStringList{"登録時繰越金額を入力してください。"});
    EXPECT_EQ(QApplication::focusWidget(), d->Field(9));
    Type(d->Field(9), "1000");

    // The proposal counts the whole table, not the search result.
    d->SearchFieldCombo()->setCurrentText("仕入先No");
    d->OperatorCombo()->setCurrentText("=");
    Type(d->SearchValue(), "1");
    Click(d->SearchButton());
    EXPECT_EQ(d->StatusText(), "検索終了");
    EXPECT_EQ(d->Model().rowCount(), 1);
    Click(d->AddButton());
    EXPECT_EQ(d->Field(6)->text(), "8");
    EXPECT_TRUE(d->AddPending());
    script->Then(Answer::No);
    d->reject();
    // Parties gone, their lines left (by an earlier version): the proposal
    // passes over the numbers that have lines.
    t.db.Execute("DELETE FROM 仕入れ先");
    auto e = Open();
    Click(e->AddButton());
    EXPECT_EQ(e->Field(6)->text(), "8");
    EXPECT_EQ(e->NavigatorText(), "ﾚｺｰﾄﾞ: 1");
}

TEST_F(RegisterScreen, AFailedWriteLeavesTheDatabaseUnchangedAndCanBeRepeated)
{
    auto d = Open();
    t.db.ExecuteScript("CREATE TRIGGER no_line BEFORE INSERT ON 仕入れデータ BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const std::string before = t.Snapshot();
    Click(d->AddButton());
    Type(d->Field(0), "丸山商店");
    Type(d->Field(9), "12500");
    Click(d->RegisterButton());
    EXPECT_EQ(t.Snapshot(), before);
    EXPECT_TRUE(LastMessage().contains("refused")) << LastMessage().toStdString();
    EXPECT_TRUE(d->AddPending());
    t.db.ExecuteScript("DROP TRIGGER no_line;");
    Click(d->RegisterButton());
    EXPECT_FALSE(d->AddPending());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れデータ WHERE 仕入先No = 8"), 1);
    EXPECT_EQ(d->StatusText(), "仕入先を登録しました");

    t.db.ExecuteScript("CREATE TRIGGER no_delete BEFORE DELETE ON 仕入れ先 BEGIN SELECT RAISE(ABORT, 'kept'); END;");
    const std::string before2 = t.Snapshot();
    Select(*d, 2);
    script->Then(Answer::Ok);
    Click(d->DeleteButton());
    EXPECT_EQ(t.Snapshot(), before2);
    EXPECT_TRUE(LastMessage().contains("kept"));
}

TEST_F(RegisterScreen, HostileInputIsRefusedNamingTheField)
{
    struct Case {
        int field;
        QString text;
        const char* named;
    };
    const Case cases[] = {
        {0, QString(51, 'a'), "仕入先名"},
        {0, QString::fromUcs4(U"\U00020BB7"), "仕入先名"},
        {0, QString::fromUcs4(U"\U0001F600"), "仕入先名"},
        {9, "abc", "繰越金額"},
        {9, "1.5", "繰越金額"},
        {9, "3000000000", "繰越金額"},
        {6, "0", "仕入先No"},
        {6, "-3", "仕入先No"},
        {6, "2", "仕入先No"},
    };
    auto d = Open();
    const std::string before = t.Snapshot();
    Click(d->AddButton());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        Type(d->Field(0), "名前");
        Type(d->Field(9), "100");
        Type(d->Field(6), "8");
        Type(d->Field(c.field), c.text);
        script->Clear();
        Click(d->RegisterButton());
        EXPECT_TRUE(LastMessage().contains(c.named)) << LastMessage().toStdString();
        EXPECT_EQ(t.Snapshot(), before);
    }
    // An existing row edited into a bad value: refused on leaving the row.
    script->Then(Answer::No);
    Select(*d, 0);
    Type(d->Field(0), QString(51, 'b'));
    script->Clear();
    Select(*d, 1);
    EXPECT_TRUE(LastMessage().contains("仕入先名"));
    EXPECT_EQ(d->CurrentRow(), 0);
    EXPECT_EQ(t.Snapshot(), before);
    // Renumbering a party with journal lines is refused too.
    Select(*d, 0);
    Type(d->Field(0), "ABC商事");
    Select(*d, 1);
    Type(d->Field(6), "5");
    script->Clear();
    Select(*d, 0);
    EXPECT_TRUE(LastMessage().contains("仕入張"));
    EXPECT_EQ(t.Snapshot(), before);
}

TEST_F(RegisterScreen, SearchReportsItsRealOutcomeAndCombosFillOnce)
{
    auto d = Open();
    EXPECT_EQ(d->OperatorCombo()->currentText(), "Like");
    EXPECT_EQ(d->SearchFieldCombo()->currentText(), "検索キー");
    EXPECT_EQ(d->SortCombo()->currentText(), "仕入先No");
    EXPECT_EQ(d->SearchFieldCombo()->count(), 14);
    Type(d->SearchValue(), "");
    Click(d->SearchButton());
    EXPECT_EQ(d->StatusText(), "検索条件を設定してください");

    d->SearchFieldCombo()->setCurrentText("仕入先名");
    d->OperatorCombo()->setCurrentText("=");
    Type(d->SearchValue(), "abc商事");
    Click(d->SearchButton());
    EXPECT_EQ(d->StatusText(), "検索終了");
    ASSERT_EQ(d->Model().rowCount(), 1);
    EXPECT_EQ(d->Field(0)->text(), "ABC商事");

    d->SearchFieldCombo()->setCurrentText("仕入先No");
    Type(d->SearchValue(), "abc");
    Click(d->SearchButton());
    EXPECT_EQ(d->StatusText(), "検索失敗");
    EXPECT_EQ(d->Model().rowCount(), 1);

    d->SearchFieldCombo()->setCurrentText("仕入先名");
    d->OperatorCombo()->setCurrentText("Like");
    Type(d->SearchValue(), "' OR 1=1 --");
    Click(d->SearchButton());
    EXPECT_EQ(d->StatusText(), "検索終了");
    EXPECT_EQ(d->Model().rowCount(), 0);
    EXPECT_EQ(d->NavigatorText(), "ﾚｺｰﾄﾞ: 0");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れ先"), 3);

    d->SearchFieldCombo()->setCurrentText("仕入先No");
    Type(d->SearchValue(), "7");
    Click(d->SearchButton());
    ASSERT_EQ(d->Model().rowCount(), 1);
    // Each time the journal opens on the party found, and the search stays.
    // The party's closing day is the company's, whatever an earlier version
    // let the register store: the box shows what the row holds afterwards,
    // the text the summaries read, and takes no choice of its own.
    t.db.Execute("UPDATE 仕入れ先 SET 〆切期日 = '２５日' WHERE 仕入先No = 7");
    for (int i = 0; i < 3; ++i) {
        const auto journal = OpenJournal(d->DataButton());
        EXPECT_EQ(journal.number + " " + journal.name, "7 上田物産") << i;
        const DbValue stored = t.db.QueryValue("SELECT 〆切期日 FROM 仕入れ先 WHERE 仕入先No = 7");
        EXPECT_EQ(d->ClosingDayCombo()->currentText().toStdString() + "|" + TextOf(stored).value_or(""), "末日|末日") << i;
    }
    EXPECT_FALSE(d->ClosingDayCombo()->isEnabled());
    EXPECT_EQ(d->ClosingDayCombo()->toolTip(), "〆切期日は自社登録で入力してください。");
    EXPECT_FALSE(d->Model().flags(d->Model().index(0, kClosingDay)) & Qt::ItemIsEditable);
    EXPECT_EQ(d->SearchFieldCombo()->count(), 14);
    EXPECT_EQ(d->SortCombo()->count(), 14);
    EXPECT_EQ(d->Model().rowCount(), 1);

    auto c = Open(JournalSide::Sales);
    c->SearchFieldCombo()->setCurrentText("売上先No");
    c->OperatorCombo()->setCurrentText(">");
    Type(c->SearchValue(), "x");
    Click(c->SearchButton());
    EXPECT_EQ(c->StatusText(), "検索失敗");
}

TEST_F(RegisterScreen, EnterMovesAlongTheFormAndInputModesAreHinted)
{
    auto d = Open();
    const int order[] = {0, 1, 8, 2, 7, 3, 6, 4, 9, 11, 10, 0};
    d->Field(0)->setFocus();
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        ASSERT_EQ(QApplication::focusWidget(), d->Field(order[i])) << i;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), d->Field(order[i + 1])) << i;
    }
    d->SearchValue()->setFocus();
    QTest::keyClick(d->SearchValue(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), d->SearchButton());

    std::filesystem::remove(imeLog);
    const std::pair<const char*, const char*> kHints[] = {{"ふりがな", "-1|3"}, {"仕入先No", "0|0"}, {"住所", "-1|9"}};
    for (auto [field, hint] : kHints) {
        d->SearchFieldCombo()->setCurrentText(field);
        d->Grid()->setFocus();
        d->SearchValue()->setFocus();
        ASSERT_FALSE(ImeHints().empty());
        EXPECT_EQ(ImeHints().back(), hint);
    }
    d->SearchFieldCombo()->setCurrentText("親番");
    size_t before = ImeHints().size();
    d->Grid()->setFocus();
    d->SearchValue()->setFocus();
    EXPECT_EQ(ImeHints().size(), before);
    d->Grid()->setCurrentIndex(d->Model().index(0, 3));
    EXPECT_EQ(ImeHints().back(), "-1|9");
    d->Grid()->setCurrentIndex(d->Model().index(0, 1));
    EXPECT_EQ(ImeHints().back(), "-1|3");
    d->Field(0)->setFocus();
    EXPECT_EQ(ImeHints().back(), "-1|4");

    // Choosing any field but 親番 clears the value.
    Type(d->SearchValue(), "12");
    int oya = d->SearchFieldCombo()->findText("親番");
    d->SearchFieldCombo()->setCurrentIndex(oya);
    emit d->SearchFieldCombo()->activated(oya);
    EXPECT_EQ(d->SearchValue()->text(), "12");
    d->SearchFieldCombo()->setCurrentIndex(0);
    emit d->SearchFieldCombo()->activated(0);
    EXPECT_EQ(d->SearchValue()->text(), "");
}

TEST_F(RegisterScreen, AReadOnlyDatabaseIsSaidOnceAndTakesNoEdit)
{
    t.db.Execute("UPDATE 仕入れ先 SET 〆切期日 = '２０日' WHERE 仕入先No = 1");
    t.db.Close();
    {
        // A write version above 2 in the header makes SQLite read only.
        std::string bytes = nvtest::ReadFileBytes(t.path);
        bytes[18] = 3;
        nvtest::WriteFileBytes(t.path, bytes);
    }
    const std::string before = nvtest::ReadFileBytes(t.path);
    auto d = Open();
    EXPECT_EQ(d->Model().rowCount(), 3);
    ASSERT_EQ(script->Messages().size(), 1) << script->Messages().join("|").toStdString();
    EXPECT_TRUE(script->Messages()[0].contains("読み取り専用")) << script->Messages()[0].toStdString();
    EXPECT_TRUE(script->Messages()[0].contains(QString::fromStdString(t.path)));
    for (QPushButton* b : {d->AddButton(), d->RegisterButton(), d->DeleteButton()}) EXPECT_FALSE(b->isEnabled());
    Select(*d, 1);
    const QString name = d->Field(0)->text();
    Type(d->Field(0), "abc");
    EXPECT_EQ(d->Field(0)->text(), name);
    EXPECT_FALSE(d->Field(0)->testAttribute(Qt::WA_InputMethodEnabled));
    d->Grid()->setFocus();
    QTest::keyClicks(d->Grid(), "x");
    EXPECT_EQ(d->Grid()->indexWidget(d->Grid()->currentIndex()), nullptr);
    Select(*d, 0);
    d->reject();
    EXPECT_EQ(script->Messages().size(), 1) << script->Messages().join("|").toStdString();
    EXPECT_EQ(nvtest::ReadFileBytes(t.path), before);
}

TEST_F(RegisterScreen, LockedDatabaseGivesTheBusyMessage)
{
    auto d = Open();
    Database other = Database::Open(t.path);
    other.BeginTrans();
    other.Execute("UPDATE 売上げ先 SET 住所 = 'x'");
    Click(d->AddButton());
    Type(d->Field(0), "丸山商店");
    Type(d->Field(9), "1");
    Click(d->RegisterButton());
    EXPECT_EQ(LastMessage(), "補助簿DBは他で使用中です。しばらくしてからやり直してください。");
    EXPECT_TRUE(d->AddPending());
    other.Rollback();
    Click(d->RegisterButton());
    EXPECT_FALSE(d->AddPending());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れ先 WHERE 仕入先No = 8"), 1);
}

} // namespace

namespace {

TEST_F(RegisterScreen, MovingOffAnUnregisteredPartyRegistersItWhenAsked)
{
    auto d = Open();
    Click(d->AddButton());
    Type(d->Field(0), "丸山商店");
    Type(d->Field(9), "500");
    script->Then(Answer::Yes);
    Select(*d, 0);
    EXPECT_EQ(script->Messages(), QStringList{"追加した仕入先はまだ登録されていません。登録しますか？"});
    EXPECT_FALSE(d->AddPending());
    EXPECT_EQ(Count("SELECT 繰越金額 FROM 仕入れ先 WHERE 仕入先No = 8"), 500);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れデータ WHERE 仕入先No = 8"), 1);
    EXPECT_EQ(d->Model().rowCount(), 4);
    EXPECT_EQ(d->Field(6)->text(), "8");
    // The party being added was never taken for a stored row that went missing.
    for (const std::string& line : RecentLogLines())
        EXPECT_EQ(line.find("他で削除"), std::string::npos) << line;
}

} // namespace

namespace {

TEST_F(RegisterScreen, AnEditThatCannotBeWrittenAtCloseKeepsTheWindowUnlessTheUserSaysSo)
{
    auto d = Open();
    Select(*d, 1);
    const QString name = d->Field(0)->text();
    t.db.ExecuteScript("CREATE TRIGGER refuse BEFORE UPDATE ON 仕入れ先 BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const std::string before = t.Snapshot();
    Type(d->Field(0), "丸山商店");
    script->Clear();
    Click(d->CloseButton());   // the default answer: keep the window
    ASSERT_EQ(script->Messages().size(), 1);
    EXPECT_TRUE(LastMessage().contains("refused")) << LastMessage().toStdString();
    EXPECT_TRUE(LastMessage().endsWith("保存せずに閉じますか？")) << LastMessage().toStdString();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->Field(0)->text(), "丸山商店");
    EXPECT_EQ(t.Snapshot(), before);

    t.db.ExecuteScript("DROP TRIGGER refuse;");
    Click(d->CloseButton());
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れ先 WHERE 仕入先名 = '丸山商店'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れ先 WHERE 仕入先名 = '" + name.toStdString() + "'"), 0);

    auto again = Open();
    Select(*again, 1);
    t.db.ExecuteScript("CREATE TRIGGER refuse BEFORE UPDATE ON 仕入れ先 BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    Type(again->Field(0), "北村");
    script->Then(Answer::Yes);
    Click(again->CloseButton());
    EXPECT_FALSE(again->isVisible());

    // With nobody to answer, the window closes and the log says why.
    auto unattended = Open();
    Select(*unattended, 1);
    Type(unattended->Field(0), "南田");
    {
        ui::ScopedPrompt automatic(std::make_unique<ui::AutoPrompt>());
        Click(unattended->CloseButton());
    }
    EXPECT_FALSE(unattended->isVisible());
    const std::string logged = RecentLogLines().back();
    EXPECT_NE(logged.find("保存せずに閉じました: "), std::string::npos) << logged;
    EXPECT_NE(logged.find("refused"), std::string::npos) << logged;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM 仕入れ先 WHERE 仕入先名 = '南田'"), 0);
}

} // namespace

TEST_F(RegisterScreen, CellsShowTheirValuesWholeWhereTheColumnCanFitThem)
{
    t.db.Execute("UPDATE 仕入れ先 SET 郵便番号 = '100-0001', 仕入先名 = '山田商店株式会社本店営業', 電話 = '03-1111-2222',"
                 " ふりがな = 'やまだしょうてんほんてん' WHERE 仕入先No = 7");
    auto d = Open();
    const QTableView* g = d->Grid();
    const QAbstractItemView* view = g;
    const struct { int column; const char* value; } cells[] = {
        {kPostCode, "100-0001"}, {kName, "山田商店株式会社本店営業"}, {kPhone, "03-1111-2222"}, {kKana, "やまだしょうてんほんてん"}};
    for (const auto& c : cells) {
        SCOPED_TRACE(c.value);
        EXPECT_TRUE(d->Model().match(d->Model().index(0, c.column), Qt::DisplayRole, QString::fromUtf8(c.value), 1,
                                     Qt::MatchExactly).size() == 1);
        // What the cell needs, margins and all, as the view itself works it out.
        EXPECT_LE(view->sizeHintForColumn(c.column), g->columnWidth(c.column));
    }
}
