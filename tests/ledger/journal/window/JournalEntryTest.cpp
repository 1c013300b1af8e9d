// The journals end to end: created by ProgID from a test registry file,
// fcFrmOp called by name with arguments by reference, the modal window
// driven as a person would, the rows checked in the database.
#include "support/TestApp.h"
#include "JournalFixture.h"

#include <QLabel>

using namespace nv;
using namespace nvtest;

namespace {

// "type=value;..." of an array variant, to see that the caller's arrays are
// handed back as they were.
std::string Describe(const Variant& v)
{
    const Variant& d = v.Deref();
    std::string s;
    if (d.IsArray())
        for (const Variant& e : d.Array().items) s += Describe(e) + ";";
    else
        s = std::to_string(int(d.BaseType())) + "=" + (d.IsEmpty() ? "" : d.ToString());
    return s;
}

struct JournalEntryTest : JournalFixture {
    // fcFrmOp of progId while drive works the modal window (closed afterwards
    // whatever drive did); the arrays are checked unchanged.
    Variant Run(const char* progId, int16_t mode, Variant party, const std::function<void(QWidget*)>& drive)
    {
        bool drove = false;
        nvtest::DriveNextModal(drive, drove);
        ObjectRef o = CreateObject(progId);
        Variant f(folder), m(mode), s = SettingsArrayOf(settings);
        const std::string before = Describe(s) + "|" + Describe(party);
        std::vector<Variant> args{Variant::ByRef(&f), Variant::ByRef(&m), Variant::ByRef(&s), Variant::ByRef(&party)};
        Variant r = o.CallArgs("fcFrmOp", args);
        EXPECT_TRUE(drove);
        EXPECT_EQ(Describe(s) + "|" + Describe(party), before);
        EXPECT_EQ(f.ToString(), folder);
        EXPECT_EQ(m.ToInteger(), mode);
        return r;
    }

    // The user's session of the worked example, on either side.
    void TypeWorkedExample(QWidget* w, const char* settlementCaption)
    {
        QTableView* g = GridOf(w);
        ASSERT_EQ(g->model()->rowCount(), 2);
        EXPECT_EQ(g->currentIndex().row(), 1);
        EXPECT_EQ(g->currentIndex().column(), 3);
        EXPECT_EQ(g->model()->headerData(9, Qt::Horizontal).toString(), settlementCaption);
        Press(w, Qt::Key_Tab);              // 月 -> 日
        Enter(w, "12");
        Enter(w, "ボルト");
        Enter(w, "250");
        Enter(w, "36");
        EXPECT_EQ(Cell(w, 1, 8), "￥9,000");
        Press(w, Qt::Key_Tab);              // -> 9
        Press(w, Qt::Key_Tab);              // -> 10
        Press(w, Qt::Key_Return);           // -> 11
        EXPECT_EQ(g->currentIndex().column(), 11);
        Press(w, Qt::Key_Return);           // appends
        ASSERT_EQ(g->model()->rowCount(), 3);
        EXPECT_EQ(g->currentIndex().row(), 2);
        EXPECT_EQ(Cell(w, 2, 3) + "/" + Cell(w, 2, 4), "4/12");
        Press(w, Qt::Key_Tab);
        Enter(w, "30");
        Enter(w, "振込");
        GoTo(w, 2, 9);
        Enter(w, "50000");
        Press(w, Qt::Key_Tab);
        Press(w, Qt::Key_Tab);              // 差引残高 of the newest line
        ASSERT_EQ(g->model()->rowCount(), 4);
        EXPECT_EQ(g->currentIndex().row(), 3);
        Enter(w, "1");
        Enter(w, "20");
        GoTo(w, 3, 8);
        Enter(w, "15000");
        EXPECT_EQ(Cell(w, 3, 2), "2006");
        Click(w, "cmdZandaka");
        EXPECT_EQ(Cell(w, 0, 11), "￥120,000");
        EXPECT_EQ(Cell(w, 1, 11), "￥129,000");
        EXPECT_EQ(Cell(w, 2, 11), "￥79,000");
        EXPECT_EQ(Cell(w, 3, 11), "￥94,000");
        Click(w, "cmdClose");
        EXPECT_FALSE(w->isVisible());
    }
};

TEST_F(JournalEntryTest, PurchaseJournalFromItsProgIdStoresExactlyTheTypedLines)
{
    const auto others = Rows("仕入れデータ", "仕入先No <> 7");
    const auto sales = Rows("売上げデータ");
    for (bool withEmpty12 : {false, true}) {
        SCOPED_TRACE(withEmpty12);
        if (withEmpty12) db.Execute("DELETE FROM 仕入れデータ WHERE 仕入先No = 7 AND データ数 > 0");
        Variant party = sPartyFromRecord(PurchaseWords(), Party7());
        if (!withEmpty12) party.Array().items.pop_back();
        Variant r = Run("PurchaseJournal.shiiredataClass", 1, party, [&](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), "仕入帳");
            EXPECT_EQ(w->objectName(), "F1_仕入データ");
            EXPECT_EQ(w->findChild<QLabel*>("Label0_1")->text(), "仕入帳");
            EXPECT_EQ(w->findChild<QLabel*>("LabNo")->text(), "7");
            EXPECT_EQ(w->findChild<QLabel*>("LabName")->text(), QString("山田商店").leftJustified(50));
            EXPECT_EQ(w->findChild<QLabel*>("Lab〆")->text(), QString("末日").leftJustified(10));
            TypeWorkedExample(w, "支払金額");
        });
        EXPECT_EQ(r.ToString(), "");
        EXPECT_EQ(Rows("仕入れデータ", "仕入先No = 7"),
                  (std::vector<std::string>{"7,0,2005,4,1,前期繰越金額,N,N,N,N,N,120000,",
                                            "7,1,2005,4,12,ボルト,250.000000,36.000000,9000,N,N,129000,",
                                            "7,2,2005,4,30,振込,N,N,N,50000,N,79000,",
                                            "7,3,2006,1,20,N,N,N,15000,N,N,94000,"}));
        EXPECT_EQ(Rows("仕入れデータ", "仕入先No <> 7"), others);
        EXPECT_EQ(Rows("売上げデータ"), sales);
    }
    EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("\n").toStdString();
}

TEST_F(JournalEntryTest, SalesJournalFromItsProgIdStoresExactlyTheTypedLines)
{
    const auto purchases = Rows("仕入れデータ");
    const auto others = Rows("売上げデータ", "売上先No <> 7");
    Variant r = Run("SalesJournal.uriagedataClass", 2, sPartyFromRecord(SalesWords(), Party7()), [&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "売上帳");
        EXPECT_EQ(w->objectName(), "F1_売上データ");
        QAbstractItemModel* m = GridOf(w)->model();
        EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "売上先No");
        EXPECT_EQ(m->headerData(8, Qt::Horizontal).toString(), "売上金額");
        EXPECT_EQ(m->headerData(10, Qt::Horizontal).toString(), "貸借");
        TypeWorkedExample(w, "受入金額");
    });
    EXPECT_EQ(r.ToString(), "");
    EXPECT_EQ(Rows("売上げデータ", "売上先No = 7"),
              (std::vector<std::string>{"7,0,2005,4,1,前期繰越金額,N,N,N,N,N,120000,",
                                        "7,1,2005,4,12,ボルト,250.000000,36.000000,9000,N,N,129000,",
                                        "7,2,2005,4,30,振込,N,N,N,50000,N,79000,",
                                        "7,3,2006,1,20,N,N,N,15000,N,N,94000,"}));
    EXPECT_EQ(Rows("売上げデータ", "売上先No <> 7"), others);
    EXPECT_EQ(Rows("仕入れデータ"), purchases);
}

TEST_F(JournalEntryTest, FailuresBeforeTheWindowAreErrorsAndLeaveNoWindow)
{
    const struct { const char* name; std::function<void()> spoil; int16_t mode; const char* expect; } cases[] = {
        {"no company.w1", [&] { std::filesystem::remove(folder + "company.w1"); }, 1, "company.w1"},
        {"no database", [&] { std::filesystem::remove(dbPath); }, 1, "補助簿DB"},
        {"refused mode", [] {}, 2, "メニューモード"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.spoil();
        ObjectRef o = CreateObject("PurchaseJournal.shiiredataClass");
        Variant f(folder), m(c.mode), s = SettingsArrayOf(settings), p = sPartyFromRecord(PurchaseWords(), Party7());
        std::vector<Variant> args{Variant::ByRef(&f), Variant::ByRef(&m), Variant::ByRef(&s), Variant::ByRef(&p)};
        try {
            o.CallArgs("fcFrmOp", args);
            ADD_FAILURE() << "no error";
        } catch (const AutomationError& e) {
            EXPECT_NE(std::string(e.what()).find(c.expect), std::string::npos) << e.what();
        }
        for (QWidget* top : QApplication::topLevelWidgets())
            EXPECT_FALSE(top->isVisible() && top->objectName().startsWith("F1_")) << top->objectName().toStdString();
    }
}

} // namespace
