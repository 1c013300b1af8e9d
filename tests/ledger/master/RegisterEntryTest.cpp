// The registers end to end: created by ProgID, driven as a person would,
// checked in the database and in what the fake journal received.
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

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t p; (p = s.find(sep, start)) != std::string::npos; start = p + 1) out.push_back(s.substr(start, p - start));
    out.push_back(s.substr(start));
    return out;
}

// "[0](a;b;...)" -> {a, b, ...}
std::vector<std::string> Elements(const std::string& array)
{
    EXPECT_EQ(array.rfind("[0](", 0), 0u) << array;
    return Split(array.substr(4, array.size() - 5), ';');
}

TEST_F(RegisterEntry, SupplierAddsRegistersAndHandsThePartyToItsJournal)
{
    nvtest::WriteFileBytes(t.dir.path() / "company.w1", "氏名\r\n\"x\"\r\n");
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
        Click(d->findChild<QPushButton*>("cmdData"));
        Click(d->findChild<QPushButton*>("cmdClose"));
        EXPECT_FALSE(d->isVisible());
    });
    EXPECT_EQ(r.Vt(), VT_BSTR);
    EXPECT_EQ(r.Str(), "");
    EXPECT_EQ(nvtest::ReadFileBytes(t.dir.path() / "company.w1"), company);

    std::vector<std::string> calls = Calls("PurchaseJournal|");
    ASSERT_EQ(calls.size(), 1u);
    std::vector<std::string> args = Split(calls[0], '|');
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[1], "8=" + t.folder);
    EXPECT_EQ(args[2], "2=1");
    std::vector<std::string> s = Elements(args[3]);
    ASSERT_EQ(s.size(), 23u);
    EXPECT_EQ(s[0], "8=" + FixedText("山田太郎", 20));
    EXPECT_EQ(s[21], s[0]);
    EXPECT_EQ(s[20], "8=" + FixedText("補助簿DB.MDB", 50));
    EXPECT_EQ(s[8], "4=2005");
    EXPECT_EQ(s[22], "0=");
    const std::vector<std::string> party{"4=8",
                                         "8=ﾏ",
                                         "8=まるやましょうてん" + std::string(11, ' '),
                                         "8=丸山商店" + std::string(46, ' '),
                                         "8=" + std::string(10, ' '),
                                         "8=" + std::string(70, ' '),
                                         "8=" + std::string(15, ' '),
                                         "8=" + std::string(15, ' '),
                                         "8=末日" + std::string(8, ' '),
                                         "8=" + std::string(10, ' '),
                                         "8=" + std::string(10, ' '),
                                         "3=12500",
                                         "0="};
    EXPECT_EQ(Elements(args[4]), party);
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
        Click(d->findChild<QPushButton*>("cmdData"));
        ASSERT_EQ(Calls("SalesJournal|").size(), 1u);
        EXPECT_EQ(Split(Calls("SalesJournal|")[0], '|')[2], "2=2");
        // No journal registered: a message, and the register goes on.
        WriteProgIds(false);
        script->Clear();
        Click(d->findChild<QPushButton*>("cmdData"));
        EXPECT_EQ(script->Messages().size(), 1);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(Calls("SalesJournal|").size(), 1u);
    });
    EXPECT_TRUE(Calls("PurchaseJournal|").empty());
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
