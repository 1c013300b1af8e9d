// The registers end to end: created by ProgID, driven as a person would,
// checked in the database and in the journal they open.
#include "support/TestApp.h"
#include "RegisterFixture.h"

#include "ledger/master/HandOffArrays.h"
#include "platform/automation/Automation.h"

#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

using namespace nv;
using nvtest::Click;
using nvtest::Type;

namespace {

struct RegisterEntry : nvtest::RegisterFixture {
    // Calls fcFrmOp of progId while drive works the modal register; the
    // register is closed afterwards whatever drive did.
    Variant Run(const char* progId, int16_t mode, const std::function<void(QWidget*)>& drive)
    {
        bool drove = false;
        nvtest::DriveNextModal(drive, drove);
        ObjectRef o = CreateObject(progId);
        Variant folder(t.folder), menuMode(mode), s = SettingsArrayOf(settings);
        std::vector<Variant> args{Variant::ByRef(&folder), Variant::ByRef(&menuMode), Variant::ByRef(&s)};
        Variant r = o.CallArgs("fcFrmOp", args);
        EXPECT_TRUE(drove);
        return r;
    }
};

QLineEdit* Field(QWidget* d, int i)
{
    return d->findChild<QLineEdit*>(QString("txtFields_%1").arg(i));
}

TEST_F(RegisterEntry, SupplierAddsRegistersAndHandsThePartyToItsJournal)
{
    const std::string company = nvtest::ReadFileBytes(t.dir.path() / "company.w1");
    Variant r = Run("SupplierBook.shiiresakiClass", 1, [&](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), "仕入先の登録、検索、削除");
        Click(d->findChild<QPushButton*>("cmdAdd"));
        EXPECT_EQ(Field(d, 6)->text(), "8");
        EXPECT_EQ(d->findChild<QComboBox*>("Cmb〆日")->currentText(), "末日");
        Type(Field(d, 0), "丸山商店");
        Type(Field(d, 1), "まるやましょうてん");
        Type(Field(d, 8), "ﾏ");
        Type(Field(d, 9), "12500");
        Click(d->findChild<QPushButton*>("cmdTouroku"));
        EXPECT_EQ(script->Messages(), QStringList());
        auto lines = t.db.Query("SELECT 仕入先No, 年, 月, 日, データ数, 品名, 差引残高, 仕入金額, 支払金額 FROM 仕入れデータ"
                                " WHERE _rowid_ > 4");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], (std::vector<DbValue>{int64_t{8}, int64_t{2005}, int64_t{4}, int64_t{1}, int64_t{0},
                                                  std::string("前期繰越金額"), int64_t{12500}, DbNull, DbNull}));
        EXPECT_EQ(t.db.QueryValue("SELECT 仕入先名 FROM 仕入れ先 WHERE 仕入先No = 8"), DbValue(std::string("丸山商店")));
        EXPECT_EQ(Field(d, 6)->text(), "8");
        // The journal opens on the party just registered, its opening line first.
        const auto journal = OpenJournal(d->findChild<QPushButton*>("cmdData"));
        EXPECT_EQ(journal.form, "F1_仕入データ");
        EXPECT_EQ(journal.number, "8");
        EXPECT_EQ(journal.name, "丸山商店");
        EXPECT_EQ(journal.firstItem, "前期繰越金額");
        EXPECT_EQ(journal.firstBalance, "￥12,500");
        Click(d->findChild<QPushButton*>("cmdClose"));
        EXPECT_FALSE(d->isVisible());
    });
    EXPECT_EQ(r.Vt(), VT_BSTR);
    EXPECT_EQ(r.Str(), "");
    EXPECT_EQ(nvtest::ReadFileBytes(t.dir.path() / "company.w1"), company);
    EXPECT_EQ(script->Messages().join("\n").toStdString(), "");
}

TEST_F(RegisterEntry, CustomerTakesItsOwnWordsTableAndJournal)
{
    t.db.Execute("UPDATE 売上げ先 SET 〆切期日 = '末日' WHERE 売上先No = 1");
    Run("CustomerBook.uriagesakiClass", 2, [&](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), "顧客先の登録、検索、削除");
        EXPECT_EQ(d->findChild<QComboBox*>("CmbSort")->currentText(), "売上先No");
        auto* grid = d->findChild<QTableView*>("DBGrid1");
        EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "売上先No");
        EXPECT_EQ(grid->model()->headerData(3, Qt::Horizontal).toString(), "売上先名");
        EXPECT_EQ(grid->model()->headerData(8, Qt::Horizontal).toString(), "〆切日");
        EXPECT_EQ(grid->columnWidth(5), 200);
        EXPECT_EQ(grid->model()->data(grid->model()->index(0, 5), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                  Qt::AlignCenter);
        EXPECT_EQ(grid->model()->data(grid->model()->index(1, 0), Qt::BackgroundRole).value<QBrush>().color(),
                  QColor(0xC0, 0xFF, 0xFF));
        EXPECT_EQ(d->findChild<QLabel*>("Data2")->text(), "ﾚｺｰﾄﾞ: 1");
        EXPECT_EQ(t.db.QueryValue("SELECT 〆切期日 FROM 売上げ先 WHERE 売上先No = 1"), DbValue(std::string("２０日")));
        Click(d->findChild<QPushButton*>("cmdAdd"));
        EXPECT_EQ(Field(d, 6)->text(), "8");
        EXPECT_EQ(d->findChild<QComboBox*>("Cmb〆日")->currentText(), "２０日");
        Type(Field(d, 0), "新顧客");
        Type(Field(d, 9), "300");
        Click(d->findChild<QPushButton*>("cmdUpdate"));
        EXPECT_EQ(t.db.QueryValue("SELECT COUNT(*) FROM 売上げデータ WHERE 売上先No = 8"), DbValue(int64_t{1}));
        EXPECT_EQ(t.db.QueryValue("SELECT COUNT(*) FROM 仕入れデータ WHERE 仕入先No = 8"), DbValue(int64_t{0}));
        const auto journal = OpenJournal(d->findChild<QPushButton*>("cmdData"));
        EXPECT_EQ(journal.form, "F1_売上データ");
        EXPECT_EQ(journal.number, "8");
        EXPECT_EQ(journal.name, "新顧客");
        EXPECT_EQ(journal.firstBalance, "￥300");
        // No journal registered: a message, and the register goes on.
        WriteProgIds(false);
        script->Clear();
        Click(d->findChild<QPushButton*>("cmdData"));
        EXPECT_EQ(script->Messages().size(), 1);
        EXPECT_TRUE(d->isVisible());
    });
}

TEST_F(RegisterEntry, BadSettingsAreAnAutomationErrorNamingTheElement)
{
    ObjectRef o = CreateObject("SupplierBook.shiiresakiClass");
    Variant folder(t.folder), mode(int16_t(1));
    Variant s = SettingsArrayOf(settings);
    s.Array().items[8] = Variant("abc");
    std::vector<Variant> args{Variant::ByRef(&folder), Variant::ByRef(&mode), Variant::ByRef(&s)};
    try {
        o.CallArgs("fcFrmOp", args);
        ADD_FAILURE() << "accepted";
    } catch (const AutomationError& e) {
        EXPECT_NE(e.Description().find("8"), std::string::npos) << e.Description();
    }
    s.Array().items.resize(5);
    EXPECT_THROW(o.CallArgs("fcFrmOp", args), AutomationError);
}

TEST_F(RegisterEntry, MissingDatabaseShowsItsMessageAndReturns)
{
    std::filesystem::remove(t.path);
    ObjectRef o = CreateObject("SupplierBook.shiiresakiClass");
    Variant folder(t.folder), mode(int16_t(1)), s = SettingsArrayOf(settings);
    std::vector<Variant> args{Variant::ByRef(&folder), Variant::ByRef(&mode), Variant::ByRef(&s)};
    EXPECT_EQ(o.CallArgs("fcFrmOp", args).Str(), "");
    EXPECT_EQ(script->Messages(), QStringList{"補助簿DBが作成されていません。HELPの補助簿のインストールを参照して補助簿DBを作成してください。"});
}

} // namespace
