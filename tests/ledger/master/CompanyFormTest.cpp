// The own-company component end to end: created by ProgID, driven as a
// person would, checked in company.w1 and in the database.
#include "RegisterFixture.h"

#include "ledger/common/ModuleGlobal.h"
#include "platform/automation/Automation.h"
#include "platform/core/Cp932.h"

#include <QAction>
#include <QLabel>
#include <QTableWidget>
#include <QMenuBar>
#include <QRadioButton>
#include <QTimer>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace nv;
using nvtest::Click;
using nvtest::ReadText;
using nvtest::Type;
using Answer = nv::ui::Answer;

namespace {

std::vector<std::string> Lines(const std::string& bytes)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t p; (p = bytes.find("\r\n", start)) != std::string::npos; start = p + 2)
        out.push_back(bytes.substr(start, p - start));
    return out;
}

std::string Sjis(const char* utf8)
{
    return *Utf8ToCp932(utf8);
}

QWidget* OwnerWindow(QWidget* c) { return c->window(); }
QWidget* OwnerWindow(QObject* c) { return qobject_cast<QWidget*>(c->parent()); }

// The forms live in the plug-in, so tests reach their controls by name.
struct FormView {
    QWidget* w;
    // own: the form's own control, not one of a window it opened.
    template <class T> T* Named(const QString& name, bool own = false) const
    {
        T* c = nullptr;
        for (T* found : w->findChildren<T*>(name))
            if (!c && (!own || OwnerWindow(found) == w)) c = found;
        EXPECT_TRUE(c) << name.toStdString();
        return c;
    }
    QLineEdit* Field(int i) const { return Named<QLineEdit>(QString("txtFields(%1)").arg(i)); }
    QLabel* EndLabel(int i) const { return Named<QLabel>(QString("Label2(%1)").arg(i)); }
    QComboBox* ClosingDay(int i) const { return Named<QComboBox>(QString("Cmb〆日(%1)").arg(i)); }
    QRadioButton* Option(int g, int i) const
    {
        const char* names[] = {"Opt個人", "Opt課税事業者", "Opti集計表縦", "Opti解像度"};
        return Named<QRadioButton>(QString("%1(%2)").arg(names[g]).arg(i));
    }
    QPushButton* CarryButton() const { return Named<QPushButton>("Command1", true); }
    QPushButton* ItemButton() const { return Named<QPushButton>("Command2", true); }
    QPushButton* CloseButton() const { return Named<QPushButton>("cmdClose", true); }
    QPushButton* DeleteButton() const { return Named<QPushButton>("cmdDelete", true); }
    QTableWidget* Grid() const { return Named<QTableWidget>("Grid", true); }
    QAction* FileItem(int i) const { return Named<QAction>(QString("mnuFILE(%1)").arg(i)); }
    bool isVisible() const { return w->isVisible(); }
    void close() const { w->close(); }
};
using CompanyForm = FormView;
using ItemNameForm = FormView;

struct CompanyFormTest : ::testing::Test {
    nvtest::TempDir dir;
    std::string folder = dir.path().string() + "/";
    std::string dbPath = dir.file("補助簿DB.MDB");
    std::string w1 = folder + kCompanyFileName;
    Database db;
    nv::ui::ScriptedPrompt* script = new nv::ui::ScriptedPrompt;
    nv::ui::ScopedPrompt scope{std::unique_ptr<nv::ui::Prompt>(script)};
    std::string log = dir.file("ime.log");
    std::string before;

    void SetUp() override
    {
        nvtest::EnsureApp();
        const std::string progids = dir.file("progids");
        std::ofstream out(progids, std::ios::binary);
        out << "FirmProfile.companyClass\t" NV_FIRMPROFILE_PLUGIN "\tcompanyClass\t\n"
            << "NvZzIME.imeClass\t" NV_RECORDING_IME_PLUGIN "\timeClass\t\n";
        out.close();
        setenv("NIVALO_PROGIDS", progids.c_str(), 1);
        setenv("NV_IME_LOG", log.c_str(), 1);

        ModuleGlobal g;
        g.AppFolderPath = folder;
        CompanySettings& s = g.Settings;
        s.OwnerName = FixedText("山田太郎", kOwnerNameWidth);
        s.Term = 3;
        s.StartYear = 2004, s.StartMonth = 10, s.StartDay = 1;
        s.EndYear = 2005, s.EndMonth = 3, s.EndDay = 31;
        s.BusinessForm = -1, s.TaxRate = 5;
        s.PurchaseClosingDay = "２５日";
        s.SalesClosingDay = "末日";
        g.gsWriteCompany();
        before = ReadText(w1);

        CreateEmptyLedgerDatabase(dbPath);
        db = OpenLedgerDatabase(dbPath);
        db.ExecuteScript(
            "INSERT INTO 仕入れ先 (仕入先No, 仕入先名, 〆切期日, 繰越金額) VALUES (1, '山田商店', '２５日', 120000);"
            "INSERT INTO 売上げ先 (売上先No, 売上先名, 〆切期日, 繰越金額) VALUES (1, '青木商会', '末日', 80000);"
            "INSERT INTO 仕入れデータ (仕入先No, データ数, 年, 月, 日, 品名, 仕入金額, 支払金額, 差引残高) VALUES"
            " (1, 0, 2004, 10, 1, '前期繰越金額', NULL, NULL, 120000), (1, 1, 2004, 11, 5, '鋼材', 35000, NULL, 155000),"
            " (1, 2, 2004, 12, 10, '振込', NULL, 50000, 105000), (1, 3, 2005, 3, 31, '鋼材', 8400, NULL, 113400);"
            "INSERT INTO 売上げデータ (売上先No, データ数, 年, 月, 日, 品名, 売上金額, 受入金額, 差引残高) VALUES"
            " (1, 0, 2004, 10, 1, '前期繰越金額', NULL, NULL, 80000), (1, 1, 2004, 10, 20, 'みかん', 46200, NULL, 126200),"
            " (1, 2, 2004, 10, 21, '入金', NULL, 80000, 46200);"
            "INSERT INTO 品名 (品名) VALUES ('みかん');");
    }
    void TearDown() override
    {
        unsetenv("NIVALO_PROGIDS");
        unsetenv("NV_IME_LOG");
    }

    // Calls fcFrmOp while drive works the modal form; returns element 0.
    std::string Run(const std::function<void(CompanyForm*)>& drive, std::string name = "補助簿DB.MDB")
    {
        bool drove = false;
        QTimer::singleShot(0, [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w) return;
            FormView v{w};
            drive(&v);
            drove = true;
            if (w->isVisible()) {
                script->Then(Answer::Ok).Then(Answer::Yes);   // the refusal, then close without saving
                w->close();
            }
        });
        ObjectRef o = CreateObject("FirmProfile.companyClass");
        SafeArray a;
        a.items = {Variant(FixedText(name, kDatabaseNameWidth)), Variant()};
        Variant folderV(folder), mode(int16_t(1)), arr(a);
        std::vector<Variant> args{Variant::ByRef(&folderV), Variant::ByRef(&mode), Variant::ByRef(&arr)};
        EXPECT_EQ(o.CallArgs("fcFrmOp", args).ToString(), "");
        EXPECT_TRUE(drove);
        EXPECT_TRUE(arr.Array().items[1].IsEmpty());
        return arr.Array().items[0].ToString();
    }

    // Works the modal item-name form opened by the next click.
    void OnItemForm(const std::function<void(ItemNameForm*)>& drive)
    {
        QTimer::singleShot(0, [drive] {
            QWidget* w = QApplication::activeModalWidget();
            ASSERT_TRUE(w);
            FormView v{w};
            drive(&v);
            if (w->isVisible()) w->close();
        });
    }

    DbValue Value(const std::string& sql)
    {
        return db.QueryValue(sql);
    }

    std::string Snapshot()
    {
        std::string s;
        for (const char* t : {"仕入れ先", "売上げ先", "仕入れデータ", "売上げデータ", "品名"})
            for (const auto& row : db.Query(std::string("SELECT * FROM \"") + t + "\" ORDER BY _rowid_")) {
                for (const DbValue& v : row) {
                    if (auto i = std::get_if<int64_t>(&v)) s += std::to_string(*i);
                    else if (auto x = std::get_if<std::string>(&v)) s += *x;
                    s += "|";
                }
                s += "\n";
            }
        return s;
    }
};

void TypeName(ItemNameForm* f, const QString& name, int key = Qt::Key_Return)
{
    QTableWidget* g = f->Grid();
    g->editItem(g->item(g->currentRow(), 0));
    auto* editor = g->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    Type(editor, name);
    QTest::keyClick(editor, Qt::Key(key));
    QApplication::processEvents();   // the editor closes by a queued call
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::vector<std::string> Names(Database& db)
{
    std::vector<std::string> out;
    for (const auto& row : db.Query("SELECT 品名 FROM 品名 ORDER BY _rowid_")) out.push_back(std::get<std::string>(row[0]));
    return out;
}

TEST_F(CompanyFormTest, WorkedExampleEndToEnd)
{
    const std::string name = Run([&](CompanyForm* d) {
        EXPECT_EQ(d->Field(8)->text(), "山田太郎");
        EXPECT_EQ(d->Field(0)->text(), "2004");
        EXPECT_EQ(d->Field(6)->text(), "10");
        EXPECT_EQ(d->EndLabel(2)->text(), "2005");
        EXPECT_EQ(d->EndLabel(0)->text(), "3");
        EXPECT_EQ(d->EndLabel(1)->text(), "31");
        EXPECT_EQ(d->Field(12)->text(), "5");
        EXPECT_TRUE(d->Option(0, 0)->isChecked());
        EXPECT_EQ(d->ClosingDay(0)->currentText(), "２５日");
        Type(d->Field(0), "2005");
        Type(d->Field(6), "4");
        EXPECT_EQ(d->EndLabel(2)->text(), "2006");
        EXPECT_EQ(d->EndLabel(0)->text(), "3");
        d->ClosingDay(0)->setCurrentIndex(1);
        d->ClosingDay(1)->setCurrentIndex(3);
        OnItemForm([](ItemNameForm* f) {
            EXPECT_EQ(f->Grid()->currentRow(), 1);
            TypeName(f, "鉄板");
            TypeName(f, "ボルト");
            QTest::keyClick(f->Grid(), Qt::Key_Return);   // the fresh line stays unstored
            EXPECT_EQ(f->Grid()->rowCount(), 4);
            f->Grid()->setCurrentCell(2, 0);
            Click(f->DeleteButton());
            EXPECT_EQ(f->Grid()->currentRow(), 1);
            Click(f->CloseButton());
        });
        Click(d->ItemButton());
        Click(d->CloseButton());
        EXPECT_FALSE(d->isVisible());
    });
    EXPECT_EQ(name, FixedText("補助簿DB.MDB", kDatabaseNameWidth));
    EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("\n").toStdString();
    const auto was = Lines(before), now = Lines(ReadText(w1));
    ASSERT_EQ(now.size(), 36u);
    for (size_t i = 0; i < now.size(); ++i) {
        if (i == 17) EXPECT_EQ(now[i], " 2005  4  1 ");
        else if (i == 19) EXPECT_EQ(now[i], " 2006  3  31 ");
        else if (i == 27) EXPECT_EQ(now[i], Sjis("末日"));
        else if (i == 29) EXPECT_EQ(now[i], Sjis("２０日"));
        else EXPECT_EQ(now[i], was[i]) << "line " << i + 1;
    }
    EXPECT_EQ(Value("SELECT 繰越金額 FROM 仕入れ先 WHERE 仕入先No = 1"), DbValue(int64_t(113400)));
    EXPECT_EQ(Value("SELECT 繰越金額 FROM 売上げ先 WHERE 売上先No = 1"), DbValue(int64_t(46200)));
    EXPECT_EQ(Value("SELECT 差引残高 FROM 仕入れデータ WHERE 年 = 2005 AND 月 = 4 AND 品名 = '繰越金額'"),
              DbValue(int64_t(113400)));
    EXPECT_EQ(Value("SELECT 〆切期日 FROM 仕入れ先"), DbValue(std::string("末日")));
    EXPECT_EQ(Value("SELECT 〆切期日 FROM 売上げ先"), DbValue(std::string("２０日")));
    EXPECT_EQ(Names(db), (std::vector<std::string>{"みかん", "鉄板"}));
}

TEST_F(CompanyFormTest, CloseWithoutStartChangeDoesNotCarry)
{
    db.Execute("UPDATE 仕入れ先 SET 繰越金額 = 7");
    Run([&](CompanyForm* d) {
        d->ClosingDay(1)->setCurrentIndex(2);
        Click(d->CloseButton());
    });
    EXPECT_EQ(Value("SELECT 繰越金額 FROM 仕入れ先"), DbValue(int64_t(7)));
    EXPECT_EQ(Value("SELECT 〆切期日 FROM 売上げ先"), DbValue(std::string("２５日")));
    EXPECT_EQ(Lines(ReadText(w1))[29], Sjis("２５日"));
}

TEST_F(CompanyFormTest, CarryButtonThenCloseRunsOnce)
{
    Run([&](CompanyForm* d) {
        Type(d->Field(0), "2005");
        Type(d->Field(6), "4");
        Click(d->CarryButton());
        // Said when done, and the new start is in company.w1 at once: a
        // crash before 閉じる leaves the two agreeing.
        EXPECT_EQ(script->Messages(), QStringList{"繰越の計算が終わりました (期首 2005年4月1日)。"});
        EXPECT_EQ(Lines(ReadText(w1))[17], " 2005  4  1 ");
        EXPECT_EQ(Lines(ReadText(w1))[19], " 2006  3  31 ");
        db.Execute("UPDATE 仕入れ先 SET 繰越金額 = 7");   // a second run would overwrite it
        Click(d->CloseButton());
    });
    EXPECT_EQ(script->Messages().size(), 1) << script->Messages().join("\n").toStdString();
    EXPECT_EQ(Value("SELECT 繰越金額 FROM 仕入れ先"), DbValue(int64_t(7)));
    EXPECT_EQ(Lines(ReadText(w1))[17], " 2005  4  1 ");
}

// The year ends the day before its next start; a start on the 1st keeps its
// end, and a file of an earlier version (start 16, end day 31 of the month
// before) is read as the year its start makes.
TEST_F(CompanyFormTest, TheYearEndsTheDayBeforeTheNextStart)
{
    const struct { QStringList typed; QStringList labels; const char* written; } cases[] = {
        {{"2025", "10", "16"}, {"2026", "10", "15"}, " 2026  10  15 "},
        {{"2026", "4", "1"}, {"2027", "3", "31"}, " 2027  3  31 "},
        {{}, {"2026", "10", "15"}, " 2026  10  15 "},
    };
    for (const auto& c : cases) {
        auto lines = Lines(before);
        if (c.typed.isEmpty()) lines[17] = " 2025  10  16 ", lines[19] = " 2026  9  31 ";
        db.Execute("DROP TABLE IF EXISTS 自社設定");
        std::string bytes;
        for (const std::string& l : lines) bytes += l + "\r\n";
        nvtest::WriteFileBytes(w1, bytes);
        Run([&](CompanyForm* d) {
            const int boxes[] = {0, 6, 1};
            for (int i = 0; i < c.typed.size(); ++i) Type(d->Field(boxes[i]), c.typed[i]);
            EXPECT_EQ((QStringList{d->EndLabel(2)->text(), d->EndLabel(0)->text(), d->EndLabel(1)->text()}), c.labels);
            Click(d->CloseButton());
        });
        EXPECT_EQ(Lines(ReadText(w1))[19], c.written);
    }
    EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("\n").toStdString();
}

TEST_F(CompanyFormTest, HostileFieldsAreRefusedNamingTheField)
{
    struct Case {
        int field;   // -1, -2: the closing-day combos
        QString text;
        const char* named;
    } cases[] = {
        {11, "abc", "期"},
        {6, "13", "期首"},
        {1, "30", "期首"},   // with month 2 below
        {12, "abc", "税率"},
        {12, "101", "税率"},
        {-1, "２８日", "仕入〆切期日"},
        {-2, "ＡＢＣＤＥＦＧＨＩＪＫ", "売上〆切期日"},
        {8, QString::fromUtf8("山田\xF0\x9F\x98\x80"), "氏名に使えない文字があります: \xF0\x9F\x98\x80"},
    };
    const std::string snap = Snapshot();
    for (const Case& c : cases) {
        script->Clear();
        Run([&](CompanyForm* d) {
            if (c.field == 1) Type(d->Field(6), "2");
            if (c.field < 0) d->ClosingDay(-c.field - 1)->setEditText(c.text);
            else Type(d->Field(c.field), c.text);
            Click(d->CloseButton());
            EXPECT_TRUE(d->isVisible()) << c.named;   // asked, and answered No by default
        });
        ASSERT_GE(script->Messages().size(), 1);
        EXPECT_TRUE(script->Messages()[0].contains(c.named)) << script->Messages()[0].toStdString();
        EXPECT_EQ(ReadText(w1), before);
        EXPECT_EQ(Snapshot(), snap);
    }
}

TEST_F(CompanyFormTest, FailuresHalfWayLeaveFileAndDatabase)
{
    const std::string snap = Snapshot();
    db.Execute("CREATE TRIGGER no BEFORE UPDATE ON 売上げ先 BEGIN SELECT RAISE(ABORT, '更新できません'); END");
    Run([&](CompanyForm* d) {
        Type(d->Field(0), "2005");
        Type(d->Field(6), "4");
        Click(d->CloseButton());
    });
    EXPECT_TRUE(script->Messages()[0].contains("更新できません")) << script->Messages()[0].toStdString();
    EXPECT_EQ(ReadText(w1), before);
    EXPECT_EQ(Snapshot(), snap);
    db.Execute("DROP TRIGGER no");

    // A settings file its owner marked read-only stops even root: the
    // carry-forward already run in the transaction goes back with it.
    script->Clear();
    chmod(w1.c_str(), 0444);
    Run([&](CompanyForm* d) {
        Type(d->Field(0), "2005");
        Type(d->Field(6), "4");
        Click(d->CloseButton());
    });
    chmod(w1.c_str(), 0644);
    ASSERT_GE(script->Messages().size(), 1);
    EXPECT_TRUE(script->Messages()[0].contains("読み取り専用")) << script->Messages().join("\n").toStdString();
    EXPECT_EQ(ReadText(w1), before);
    EXPECT_EQ(Snapshot(), snap);

    if (geteuid() == 0) return;   // a read-only folder does not stop root
    script->Clear();
    chmod(folder.c_str(), 0555);
    Run([&](CompanyForm* d) {
        Type(d->Field(6), "4");
        Click(d->CloseButton());
    });
    chmod(folder.c_str(), 0755);
    EXPECT_GE(script->Messages().size(), 1);
    EXPECT_EQ(ReadText(w1), before);
    EXPECT_EQ(Snapshot(), snap);
}

TEST_F(CompanyFormTest, AReadOnlyDatabaseIsSaidOnceAndTakesNoEdit)
{
    const std::string snap = Snapshot();
    db.Close();
    ASSERT_EQ(chmod(dbPath.c_str(), 0444), 0);
    const std::string bytes = ReadText(dbPath);
    Run([&](CompanyForm* d) {
        ASSERT_EQ(script->Messages().size(), 1) << script->Messages().join("|").toStdString();
        EXPECT_TRUE(script->Messages()[0].contains("読み取り専用")) << script->Messages()[0].toStdString();
        EXPECT_TRUE(script->Messages()[0].contains(QString::fromStdString(dbPath)));
        for (QWidget* w : std::initializer_list<QWidget*>{d->Field(0), d->Field(6), d->ClosingDay(0), d->CarryButton(),
                                                          d->ItemButton(), d->Option(0, 1)})
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_TRUE(d->FileItem(0)->isEnabled());
        Click(d->CloseButton());
        EXPECT_FALSE(d->isVisible());
    });
    EXPECT_EQ(script->Messages().size(), 1) << script->Messages().join("|").toStdString();
    chmod(dbPath.c_str(), 0644);
    EXPECT_EQ(ReadText(w1), before);
    EXPECT_EQ(ReadText(dbPath), bytes);
    db = OpenLedgerDatabase(dbPath);
    EXPECT_EQ(Snapshot(), snap);
}

TEST_F(CompanyFormTest, LockedDatabaseIsNamed)
{
    const std::string snap = Snapshot();
    db.BeginTrans();
    db.Execute("UPDATE 品名 SET 品名 = 品名");
    Run([&](CompanyForm* d) { Click(d->CloseButton()); });
    db.Rollback();
    ASSERT_GE(script->Messages().size(), 1);
    EXPECT_EQ(ReadText(w1), before);
    EXPECT_EQ(Snapshot(), snap);
}

TEST_F(CompanyFormTest, FileMenu)
{
    // Cancel: the default name.
    EXPECT_EQ(TrimRight(Run([&](CompanyForm* d) {
                  script->Then(std::optional<QString>());
                  d->FileItem(0)->trigger();
                  d->close();
              }, "other.MDB")),
              "補助簿DB.MDB");
    // A long path outside the folder is refused; the name stays.
    script->Clear();
    const QString longPath = "/tmp/" + QString(51, 'a') + ".MDB";
    EXPECT_EQ(TrimRight(Run([&](CompanyForm* d) {
                  script->Then(std::optional<QString>(longPath));
                  d->FileItem(0)->trigger();
                  EXPECT_TRUE(script->Messages().join("").contains("50"));
                  d->close();
              })),
              "補助簿DB.MDB");
    // A file inside the folder is kept by its name.
    script->Clear();
    EXPECT_EQ(TrimRight(Run([&](CompanyForm* d) {
                  script->Then(std::optional<QString>(QString::fromStdString(folder + "sample.MDB")));
                  d->FileItem(0)->trigger();
                  d->close();
              })),
              "sample.MDB");
    // A copy onto itself is refused; a copy is then in use.
    script->Clear();
    EXPECT_EQ(TrimRight(Run([&](CompanyForm* d) {
                  script->Then(std::optional<QString>(QString::fromStdString(dbPath)));
                  d->FileItem(1)->trigger();
                  EXPECT_EQ(script->Messages().size(), 1);
                  script->Then(std::optional<QString>(QString::fromStdString(folder + "copy.MDB")));
                  d->FileItem(1)->trigger();
                  Click(d->CloseButton());
              })),
              "copy.MDB");
    Database copy = OpenLedgerDatabase(folder + "copy.MDB");
    EXPECT_EQ(copy.QueryValue("SELECT count(*) FROM 仕入れデータ"), Value("SELECT count(*) FROM 仕入れデータ"));
    EXPECT_EQ(copy.QueryValue("SELECT 〆切期日 FROM 売上げ先"), DbValue(std::string("末日")));
}

TEST_F(CompanyFormTest, ItemNames)
{
    db.ExecuteScript("INSERT INTO 品名 (品名) VALUES ('板'), ('釘');");
    Run([&](CompanyForm* d) {
        OnItemForm([&](ItemNameForm* f) {
            QTableWidget* g = f->Grid();
            EXPECT_EQ(g->currentRow(), 3);
            g->setCurrentCell(0, 0);
            QTest::keyClick(g, Qt::Key_Return);   // an upper line only moves down
            EXPECT_EQ(g->currentRow(), 1);
            g->setCurrentCell(3, 0);
            TypeName(f, "鉄板", Qt::Key_Tab);   // Tab as Enter
            EXPECT_EQ(g->rowCount(), 5);
            EXPECT_EQ(g->currentRow(), 4);
            TypeName(f, QString(51, QChar(0x3042)));
            EXPECT_TRUE(script->Messages().last().contains("50"));
            g->item(4, 0)->setText("");
            TypeName(f, QString::fromUtf8("\xF0\x9F\x98\x80"));
            EXPECT_EQ(script->Messages().size(), 2);
            g->item(4, 0)->setText("");
            g->setCurrentCell(3, 0);   // the last appended line
            Click(f->DeleteButton());
            EXPECT_EQ(g->currentRow(), 2);
            g->setCurrentCell(0, 0);   // the first: lands on the next
            Click(f->DeleteButton());
            EXPECT_EQ(g->currentRow(), 0);
            EXPECT_EQ(g->item(0, 0)->text(), "板");
            Click(f->DeleteButton());   // a middle line
            Click(f->DeleteButton());
            EXPECT_EQ(g->rowCount(), 1);
        });
        Click(d->ItemButton());
        Click(d->CloseButton());
    });
    EXPECT_TRUE(Names(db).empty());
    EXPECT_EQ(Value("SELECT count(*) FROM 売上げデータ WHERE 品名 = 'みかん'"), DbValue(int64_t(1)));
    EXPECT_FALSE(ReadText(log).empty());   // the input method was asked through its other spelling
}

TEST_F(CompanyFormTest, ItemNameRecordIndicatorFollowsTheLine)
{
    Run([&](CompanyForm* d) {
        OnItemForm([&](ItemNameForm* f) {
            QTableWidget* g = f->Grid();
            auto* record = f->Named<QLabel>("Data1", true);
            ASSERT_TRUE(record);
            EXPECT_EQ(record->text(), QString("ﾚｺｰﾄﾞ: %1").arg(g->rowCount()));
            g->setCurrentCell(0, 0);
            EXPECT_EQ(record->text(), "ﾚｺｰﾄﾞ: 1");
            QTest::keyClick(g, Qt::Key_Down);
            EXPECT_EQ(record->text(), "ﾚｺｰﾄﾞ: 2");
        });
        Click(d->ItemButton());
        Click(d->CloseButton());
    });
}

TEST_F(CompanyFormTest, AFailedItemWriteKeepsTheEditAndClosingAsks)
{
    db.ExecuteScript("CREATE TRIGGER refuse BEFORE INSERT ON 品名 BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const std::vector<std::string> before = Names(db);
    Run([&](CompanyForm* d) {
        OnItemForm([&](ItemNameForm* f) {
            QTableWidget* g = f->Grid();
            TypeName(f, "鉄板");
            EXPECT_TRUE(script->Messages().last().contains("ｴﾗｰが発生しました:"));
            EXPECT_EQ(g->item(g->currentRow(), 0)->text(), "鉄板");   // the edit stays
            script->Then(Answer::No);
            Click(f->CloseButton());
            EXPECT_TRUE(f->isVisible());
            EXPECT_TRUE(script->Messages().last().contains("保存せずに閉じますか"));
            script->Then(Answer::Yes);
            Click(f->CloseButton());
            EXPECT_FALSE(f->isVisible());
        });
        Click(d->ItemButton());
        Click(d->CloseButton());
    });
    EXPECT_EQ(Names(db), before);
}

// Opens the editor on a line and types, leaving the edit open.
void StartEdit(ItemNameForm* f, int row, const QString& name)
{
    QTableWidget* g = f->Grid();
    g->setCurrentCell(row, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);   // editors closed before
    g->editItem(g->item(row, 0));
    auto* editor = g->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    editor->selectAll();
    Type(editor, name);
}

TEST_F(CompanyFormTest, AnItemEditIsStoredWhenItsLineIsLeftOrTheScreenCloses)
{
    db.ExecuteScript("DELETE FROM 品名; INSERT INTO 品名 (品名) VALUES ('板'), ('釘'), ('鋲');");
    Run([&](CompanyForm* d) {
        OnItemForm([&](ItemNameForm* f) {
            QTableWidget* g = f->Grid();
            StartEdit(f, 0, "板材");
            // A click on the third line.
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualItemRect(g->item(2, 0)).center());
            QApplication::processEvents();
            EXPECT_EQ(g->currentRow(), 2);
            EXPECT_EQ(Names(db), (std::vector<std::string>{"板材", "釘", "鋲"}));
            StartEdit(f, 1, "釘2");
            Click(f->CloseButton());
            EXPECT_FALSE(f->isVisible());
        });
        Click(d->ItemButton());
        Click(d->CloseButton());
    });
    EXPECT_EQ(Names(db), (std::vector<std::string>{"板材", "釘2", "鋲"}));
    EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("|").toStdString();
}

TEST_F(CompanyFormTest, FixedWidthBoxesHoldWhatWasTypedAndTheFileTheWidth)
{
    Run([&](CompanyForm* d) {
        EXPECT_EQ(d->Field(5)->text(), "");
        Type(d->Field(8), "山田太郎商店");
        Type(d->Field(2), QString(25, '1'));
        EXPECT_EQ(d->Field(2)->text(), QString(10, '1'));
        Click(d->CloseButton());
        EXPECT_FALSE(d->isVisible());
    });
    EXPECT_TRUE(script->Messages().isEmpty()) << script->Messages().join("\n").toStdString();
    const auto now = Lines(ReadText(w1));
    EXPECT_EQ(now[1], Sjis("山田太郎商店") + std::string(14, ' '));
    EXPECT_EQ(now[5], std::string(10, '1'));
}

TEST_F(CompanyFormTest, AMissingOrDamagedSettingsFileOpensTheDefaultsAndClosingWritesAGoodOne)
{
    // Binary bytes without a line feed: one label line broken by bare CRs,
    // which cannot be written back as it stands.
    const std::string garbage("\x89PNG\r\x1a\0\0\0\rIHDR\0\0\x01\0\0\0\x01\x08\x02", 22);
    const std::string empty;
    const std::string damaged = Sjis("'氏名\r\n\"山田\r\n");
    // Beside books whose last save was recorded, the file of that save comes
    // back, and no start the file did not hold is offered a carry-forward;
    // beside books of an earlier version, the defaults show. Either way the
    // screen closes and writes a good file.
    // A record of the save that is not whole, or disagrees with itself, puts
    // nothing back (record: what became of it after the save).
    const struct { const char* what; const std::string* bytes; bool carried; const char* said; const char* record = nullptr; } cases[] = {
        {"missing", nullptr, false, "がありません"},
        {"damaged", &damaged, false, "行目"},
        {"garbage", &garbage, false, "見出しに改行があります"},
        {"missing beside carried books", nullptr, true, "がありませんでした"},
        {"empty beside carried books", &empty, true, "が空でした"},
        {"garbage beside carried books", &garbage, true, "期首がなく"},
        {"empty beside a truncated record", &empty, true, "記録された設定ファイルが壊れています",
         "UPDATE 自社設定 SET 設定ファイル = substr(設定ファイル, 1, 240)"},
        {"empty beside a record that is no hex", &empty, true, "16進の文字ではありません",
         "UPDATE 自社設定 SET 設定ファイル = 'zz' || 設定ファイル"},
        {"empty beside a record whose columns disagree with its bytes", &empty, true,
         "記録された設定ファイルの期首 2004年10月1日 が記録の期首 2005年13月1日 と違います",
         "UPDATE 自社設定 SET 期首年 = 2005, 期首月 = 13"},
        {"empty beside books without a record", &empty, true, "ファイルが途中で終わっています", "DELETE FROM 自社設定"},
    };
    // Every party's 繰越金額 and every line.
    const std::string books = "SELECT (SELECT group_concat(繰越金額) FROM 仕入れ先) || (SELECT group_concat(繰越金額) FROM 売上げ先)"
                              " || (SELECT group_concat(年 || 月 || 日 || 品名 || 差引残高) FROM 仕入れデータ)"
                              " || (SELECT group_concat(年 || 月 || 日 || 品名 || 差引残高) FROM 売上げデータ)";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        script->Clear();
        db.Execute("DROP TABLE IF EXISTS 自社設定");
        if (c.carried) {
            nvtest::WriteFileBytes(w1, before);
            Run([&](CompanyForm* d) { Click(d->CloseButton()); });   // records the books at 2004/10/1
            script->Clear();
        }
        if (c.record) db.Execute(c.record);
        const bool restored = c.carried && !c.record;
        const DbValue held = Value(books);
        std::filesystem::remove(w1);
        if (c.bytes) nvtest::WriteFileBytes(w1, *c.bytes);
        Run([&](CompanyForm* d) {
            EXPECT_EQ(d->Field(8)->text(), restored ? "山田太郎" : "");
            EXPECT_EQ(d->Field(11)->text(), restored ? "3" : "1");
            EXPECT_EQ(d->Field(6)->text(), restored ? "10" : "1");
            EXPECT_EQ(d->EndLabel(0)->text(), restored ? "3" : "12");
            Type(d->Field(8), "青木");
            Click(d->CloseButton());
            EXPECT_FALSE(d->isVisible());
        });
        ASSERT_EQ(script->Messages().size(), 1) << script->Messages().join("\n").toStdString();
        const std::string said = script->Messages()[0].toStdString();
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_NE(said.find(restored ? "に戻しました" : "初期設定"), std::string::npos) << said;
        const CompanyFile read = ReadCompanyFile(w1);
        EXPECT_TRUE(read.Problems.empty());
        EXPECT_EQ(read.Settings.OwnerName, FixedText("青木", kOwnerNameWidth));
        EXPECT_EQ(read.Settings.Term, restored ? 3 : 1);
        EXPECT_EQ(read.Settings.PurchaseClosingDay, restored ? "２５日" : "末日");
        // No carry-forward from a start the file did not hold.
        EXPECT_EQ(Value("SELECT group_concat(繰越金額) FROM 仕入れ先"), DbValue(std::string("120000")));
        EXPECT_EQ(Value("SELECT count(*) FROM 仕入れデータ"), DbValue(int64_t{4}));
        EXPECT_EQ(Value(books), held);
        // The record tells what the books hold, or nothing: never the start
        // the screen filled in.
        if (c.carried) {
            EXPECT_NE(Value("SELECT ifnull(max(期首年), 0) FROM 自社設定"), DbValue(int64_t{ThisYear()}));
        }
    }
}

TEST_F(CompanyFormTest, OneBadValueKeepsEveryOtherSetting)
{
    // Line 28, the purchase closing day, holds a byte CP932 has no character for.
    auto lines = Lines(before);
    lines[27] = "\x81\x20";
    std::string bytes;
    for (const std::string& l : lines) bytes += l + "\r\n";
    nvtest::WriteFileBytes(w1, bytes);
    Run([&](CompanyForm* d) { Click(d->CloseButton()); });
    ASSERT_EQ(script->Messages().size(), 1);
    EXPECT_TRUE(script->Messages()[0].contains("28 行目 (項目14")) << script->Messages()[0].toStdString();
    const auto now = Lines(ReadText(w1));
    for (size_t i = 0; i < now.size(); ++i) EXPECT_EQ(now[i], i == 27 ? Sjis("末日") : Lines(before)[i]) << i + 1;
}

// The database says which fiscal start it was carried to; a settings file
// that moved on without it (a crash of an earlier version, a backup put
// back) is found as the screen opens, and the carry-forward offered.
TEST_F(CompanyFormTest, AStartTheDatabaseWasNotCarriedToIsOfferedAsTheScreenOpens)
{
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        Run([&](CompanyForm* d) { Click(d->CloseButton()); });   // the database agrees: 2004/10/1
        ModuleGlobal g;
        g.AppFolderPath = folder;
        g.gsReadCompany();
        g.Settings.StartYear = 2005, g.Settings.StartMonth = 4;
        DeriveFiscalEnd(g.Settings);
        g.gsWriteCompany();
        script->Clear();
        script->Then(answer);
        Run([&](CompanyForm* d) { Click(d->CloseButton()); });
        ASSERT_GE(script->Messages().size(), 1);
        EXPECT_TRUE(script->Messages()[0].contains("期首 2004年10月1日 の事業年度に繰り越されていますが")) << script->Messages()[0].toStdString();
        EXPECT_TRUE(script->Messages()[0].contains("期首 2005年4月1日 へ補助簿DBを繰り越しますか"));
        // Declined, and the start left alone: the close does not carry.
        EXPECT_EQ(Value("SELECT 繰越金額 FROM 仕入れ先"), DbValue(int64_t(answer == Answer::Yes ? 113400 : 120000)));
        nvtest::WriteFileBytes(w1, before);
    }
}

TEST_F(CompanyFormTest, WithoutADatabaseTheSettingsAreSavedAndWhatWasNotDoneIsSaid)
{
    db = Database();
    // damage: what another program did to a ledger; no record of the save
    // goes into such a file.
    const struct { const char* what; const char* bytes; const char* damage; const char* said; } cases[] = {
        {"missing", nullptr, nullptr, "補助簿DBがありません"},
        {"not a ledger", "not a database at all", nullptr, "補助簿DB.MDB"},
        {"a column dropped", nullptr, "ALTER TABLE 仕入れデータ DROP COLUMN 差引残高",
         "補助簿DBの形式が違います: 仕入れデータ に 差引残高 がありません"},
        {"a table dropped", nullptr, "DROP TABLE 売上げ先", "補助簿DBの形式が違います: 売上げ先 がありません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        script->Clear();
        std::filesystem::remove(dbPath);
        if (c.bytes) nvtest::WriteFileBytes(dbPath, c.bytes);
        if (c.damage) {
            CreateEmptyLedgerDatabase(dbPath);
            Database::Open(dbPath).ExecuteScript(c.damage);
        }
        const std::string stored = c.bytes || c.damage ? nvtest::ReadFileBytes(dbPath) : "";
        Run([&](CompanyForm* d) {
            Type(d->Field(0), "2005");
            Type(d->Field(6), "4");
            Type(d->Field(8), c.what);
            Click(d->CloseButton());
            EXPECT_FALSE(d->isVisible());
        });
        ASSERT_EQ(script->Messages().size(), 1);
        EXPECT_TRUE(script->Messages()[0].contains("繰越の計算")) << script->Messages()[0].toStdString();
        EXPECT_TRUE(script->Messages()[0].contains(c.said)) << script->Messages()[0].toStdString();
        const auto now = Lines(ReadText(w1));
        EXPECT_EQ(now[1], FixedText(c.what, kOwnerNameWidth));
        EXPECT_EQ(now[17], " 2005  4  1 ");
        if (!stored.empty()) {
            EXPECT_EQ(nvtest::ReadFileBytes(dbPath), stored);
        }
    }
}

} // namespace
