#include "MenuTestSupport.h"

#include "engine/core/EngineLog.h"
#include "engine/core/UserFolder.h"
#include "ledger/common/JournalSide.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/shell/ClockPanel/TokeiClass.h"
#include "ledger/shell/ComponentFailure.h"
#include "ledger/shell/DatabaseFiles.h"
#include "ledger/shell/ProgramName.h"
#include "ledger/shell/ScreenMode/DisplayClass.h"
#include "platform/automation/Automation.h"
#include "platform/core/Cp932.h"
#include "platform/core/Paths.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"
#include "platform/ui/ProgramIcon.h"
#include "support/PagelookRun.h"
#include "support/WriteFaults.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

#include <pwd.h>

#include <sys/stat.h>
#include <unistd.h>

using nv::MenuForm;
using nv::ui::Answer;
using nvtest::ReadFileBytes;
using nvtest::WriteFileBytes;

namespace {

const QString kCreateQuestion = QStringLiteral(
    "補助簿DBが作成されていません。初めて補助簿を使用するには補助簿DBが必要です。補助簿DBを作成しますか。");
const QString kBackupQuestion = QStringLiteral("お疲れ様でした。補助簿DBのバックアップを作成しますか？");

class MenuFormTest : public nvtest::MenuFixture {
protected:
    // The first start's question names the folder the books are made in.
    QString CreateQuestion(const std::string& folder = {}) const
    {
        return kCreateQuestion + QStringLiteral("\n\n作成するフォルダ: ") +
               QString::fromStdString(folder.empty() ? home_.path().string() : folder);
    }
    // The object name of the modal window open brings up (its title when it
    // has none), after drive worked it; it is closed afterwards. Looked for
    // until open returns, as a screen may take events before it is modal.
    QString ModalOf(const std::function<void()>& open, const std::function<void(QWidget*)>& drive = {})
    {
        QString name;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* d = QApplication::activeModalWidget();
            if (!d || !name.isEmpty()) return;
            name = d->objectName().isEmpty() ? d->windowTitle() : d->objectName();
            poll.stop();
            if (drive) drive(d);
            if (d->isVisible()) QMetaObject::invokeMethod(d, "reject");
        });
        poll.start(5);
        open();
        return name;
    }
};

TEST_F(MenuFormTest, TheWindowAsDesigned)
{
    WriteCompany();
    prompt_->Then(Answer::Cancel);
    auto menu = StartMenu();
    EXPECT_EQ(menu->windowTitle(), QStringLiteral("のびのび補助簿 V2.6"));
    // The drawn size at the least; more where the font needs it.
    EXPECT_GE(menu->centralWidget()->width(), 171);
    EXPECT_GE(menu->centralWidget()->height(), 399);
    const std::pair<int, const char*> captions[] = {{MenuForm::kFirm, "自社登録"}, {MenuForm::kSupplier, "仕入帳"},
                                                    {MenuForm::kCustomer, "売上帳"}, {MenuForm::kDm, "DM"},
                                                    {MenuForm::kExit, "終了"}};
    for (auto [index, caption] : captions) EXPECT_EQ(menu->Button(index)->text(), QString::fromUtf8(caption));
    EXPECT_TRUE(menu->Button(MenuForm::kDm)->isHidden());
    EXPECT_GE(menu->Button(MenuForm::kExit)->width(), 153);
    EXPECT_GE(menu->Button(MenuForm::kExit)->height(), 32);
    // The hidden DM button keeps its place between 売上帳 and 終了.
    EXPECT_GT(menu->Button(MenuForm::kExit)->y(), menu->Button(MenuForm::kCustomer)->geometry().bottom() + 32);
    EXPECT_EQ(menu->Button(MenuForm::kFirm)->nextInFocusChain(), menu->Button(MenuForm::kSupplier));
    EXPECT_EQ(menu->Button(MenuForm::kSupplier)->nextInFocusChain(), menu->Button(MenuForm::kCustomer));
    EXPECT_TRUE(menu->Button(MenuForm::kFirm)->hasFocus() || !QApplication::focusWindow());
    EXPECT_EQ(menu->HelpAction(0)->text(), QStringLiteral("ﾍﾙﾌﾟの起動（&H）"));
    EXPECT_EQ(menu->HelpAction(1)->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&V)"));
    EXPECT_TRUE(menu->Button(MenuForm::kFirm)->styleSheet().contains(QStringLiteral("#FFE0C0")));
    prompt_->Then(Answer::Cancel);
    menu->close();
}

TEST_F(MenuFormTest, ThePictureInTheFootAndTheProgramsIcon)
{
    const QString org = QCoreApplication::organizationName(), name = QCoreApplication::applicationName(),
                  display = QGuiApplication::applicationDisplayName();
    const QIcon before = QApplication::windowIcon();
    nv::NameMenuProgram();
    WriteCompany();
    prompt_->Then(Answer::Cancel);
    auto menu = StartMenu();
    // The picture is drawn below the buttons, whole, inside the window.
    auto* picture = menu->findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(picture, nullptr);
    ASSERT_FALSE(picture->pixmap().isNull());
    EXPECT_TRUE(picture->isVisible());
    const QSize shown = picture->pixmap().deviceIndependentSize().toSize();
    EXPECT_GE(shown.width(), 140);
    EXPECT_LE(shown.width(), picture->width());
    EXPECT_LE(shown.height(), picture->height());
    EXPECT_GT(picture->y(), menu->Button(MenuForm::kExit)->geometry().bottom());
    EXPECT_TRUE(menu->centralWidget()->rect().contains(picture->geometry()));
    // A picture of its own, not a blank.
    const QImage pixels = picture->pixmap().toImage();
    EXPECT_NE(pixels.pixel(pixels.width() / 2, pixels.height() / 2), pixels.pixel(0, 0));
    // The window carries the program's icon, which the desktop file names.
    const QImage icon = nv::ui::ProgramIcon(QStringLiteral("nivalo")).pixmap(32).toImage();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(menu->windowIcon().pixmap(32).toImage(), icon);
    prompt_->Then(Answer::Cancel);
    menu->close();
    QCoreApplication::setOrganizationName(org);
    QCoreApplication::setApplicationName(name);
    QGuiApplication::setApplicationDisplayName(display);
    QApplication::setWindowIcon(before);
}

TEST_F(MenuFormTest, FirstStartOkCopiesTheTemplateByteForByte)
{
    WriteCompany();
    prompt_->Then(Answer::Ok);
    auto menu = StartMenu();
    ASSERT_GE(prompt_->Messages().size(), 1);
    EXPECT_EQ(prompt_->Messages()[0], CreateQuestion());
    EXPECT_EQ(prompt_->AllAsked()[0].buttons, nv::ui::Buttons::OkCancel);
    EXPECT_EQ(prompt_->AllAsked()[0].icon, nv::ui::Icon::None);
    EXPECT_EQ(ReadFileBytes(Home("補助簿DB.MDB")), ReadFileBytes(TemplatePath()));
    nv::Database db = nv::Database::Open(Home("補助簿DB.MDB"), nv::OpenMode::ReadOnly);
    EXPECT_GE(db.OpenRecordset({"sqlite_master", "type = 'table'", {}, {}}).RecordCount(), 4);
    EXPECT_TRUE(menu->Button(MenuForm::kSupplier)->isEnabled());
    EXPECT_TRUE(menu->Button(MenuForm::kCustomer)->isEnabled());
    EXPECT_EQ(std::filesystem::current_path(), home_.path());
}

TEST_F(MenuFormTest, FirstStartCancelLeavesNoDatabaseAndTheRegistersDisabled)
{
    WriteCompany();
    prompt_->Then(Answer::Cancel);
    auto menu = StartMenu();
    EXPECT_FALSE(std::filesystem::exists(Home("補助簿DB.MDB")));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(menu->Button(MenuForm::kFirm)->isEnabled());
    EXPECT_FALSE(menu->Button(MenuForm::kSupplier)->isEnabled());
    EXPECT_FALSE(menu->Button(MenuForm::kCustomer)->isEnabled());
}

TEST_F(MenuFormTest, AnExistingFileIsNeverReplacedNorAskedFor)
{
    WriteCompany();
    WriteFileBytes(Home("補助簿DB.MDB"), "not a database at all");
    auto menu = StartMenu();
    EXPECT_FALSE(prompt_->Messages().contains(CreateQuestion()));
    EXPECT_EQ(ReadFileBytes(Home("補助簿DB.MDB")), "not a database at all");
    EXPECT_FALSE(nv::CreateDatabaseFromTemplate(Home("補助簿DB.MDB")));
    EXPECT_EQ(ReadFileBytes(Home("補助簿DB.MDB")), "not a database at all");
}

TEST_F(MenuFormTest, TheBuiltInTemplateIsTheBuiltFile)
{
    auto bytes = nv::BuiltInLedgerTemplate();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()), ReadFileBytes(TemplatePath()));
}

TEST_F(MenuFormTest, FirstStartCopiesTheShippedSettingsBesideTheDatabase)
{
    prompt_->Then(Answer::Ok);
    auto menu = StartMenu();
    EXPECT_EQ(prompt_->Messages(), QStringList{CreateQuestion()});
    // The shipped file as it is, but for the fiscal year: the one running on
    // the day of the first start, whatever year the package was built in.
    std::string shippedBytes = ReadFileBytes(NV_BINARY_DIR "/share/company.w1");
    const size_t start = shippedBytes.find("\r\n", shippedBytes.find(nv::Utf8ToCp932("'期首").value())) + 2;
    const size_t end = shippedBytes.find("\r\n", shippedBytes.find("\r\n", shippedBytes.find("\r\n", start) + 2) + 2);
    shippedBytes.replace(start, end - start, std::string(" 2024  1  1 \r\n") + nv::Utf8ToCp932("'期末").value() + "\r\n 2024  12  31 ");
    EXPECT_EQ(ReadFileBytes(Home("company.w1")), shippedBytes);
    EXPECT_EQ(std::filesystem::status(Home("company.w1")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_TRUE(menu->SettingsRead());
    EXPECT_TRUE(menu->Button(MenuForm::kSupplier)->isEnabled());
    EXPECT_TRUE(menu->Button(MenuForm::kCustomer)->isEnabled());
    // The shipped settings: the first term of a calendar year, 末日 closings.
    const nv::CompanyFile shipped = nv::ReadCompanyFile(Home("company.w1"));
    EXPECT_EQ(shipped.Settings.Term, 1);
    EXPECT_EQ(shipped.Settings.StartMonth, 1);
    EXPECT_EQ(shipped.Settings.EndMonth, 12);
    EXPECT_EQ(shipped.Settings.SalesClosingDay, "末日");
    // A file there stays.
    WriteFileBytes(Home("company.w1"), "mine");
    EXPECT_FALSE(nv::CreateSettingsFile(Home("company.w1"), {2031, 1, 1}));
    EXPECT_EQ(ReadFileBytes(Home("company.w1")), "mine");
}

// NIVALO_HOME=books, relative: the books in the folder the menu starts from
// are opened, never books/books; where there are none they are made there.
TEST_F(MenuFormTest, ARelativeDataFolderIsTheOneWhereTheMenuStarts)
{
    namespace fs = std::filesystem;
    WriteCompany();
    for (const bool existing : {true, false}) {
        SCOPED_TRACE(existing);
        const std::string start = Home(existing ? "there" : "new"), books = start + "/books";
        fs::create_directories(existing ? books : start);
        if (existing) {
            ASSERT_TRUE(nv::CreateDatabaseFromTemplate(books + "/補助簿DB.MDB"));
            fs::copy_file(Home("company.w1"), books + "/company.w1");
        }
        fs::current_path(start);
        setenv("NIVALO_HOME", "books", 1);
        prompt_->Clear();
        if (!existing) prompt_->Then(Answer::Ok);
        auto menu = StartMenu();
        EXPECT_EQ(std::string(getenv("NIVALO_HOME")), books + "/");
        EXPECT_EQ(fs::current_path(), fs::path(books));
        EXPECT_EQ(prompt_->Messages(), existing ? QStringList() : QStringList{CreateQuestion(books)});
        EXPECT_TRUE(fs::exists(books + "/補助簿DB.MDB"));
        EXPECT_FALSE(fs::exists(books + "/books"));
        EXPECT_TRUE(menu->Button(MenuForm::kSupplier)->isEnabled());
    }
}

// A person's books are theirs: what the program makes, no other account reads.
TEST_F(MenuFormTest, TheDataFolderIsMadePrivate)
{
    const std::string folder = Home("new/books");
    setenv("NIVALO_HOME", folder.c_str(), 1);
    namespace fs = std::filesystem;
    fs::permissions(Home(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    prompt_->Then(Answer::Ok);
    auto menu = StartMenu();
    for (const std::string& made : {Home("new"), folder})
        EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all) << made;
    EXPECT_EQ(fs::status(folder + "/補助簿DB.MDB").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // A folder that was there keeps its mode.
    EXPECT_EQ(fs::status(Home()).permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

// The database path holds something that is no file, or a ledger whose
// tables another program changed: said once at start, naming it, and the
// register buttons say it again on their tooltips; the file stays as it was.
TEST_F(MenuFormTest, ADatabaseThatIsNoFileIsSaidAtStart)
{
    WriteCompany();
    const std::string db = Home("補助簿DB.MDB");
    const std::pair<std::string, std::string> cases[] = {
        {"folder", "補助簿DBを開けません: " + db + ": フォルダです"},
        {"pipe", "補助簿DBを開けません: " + db + ": 名前付きパイプです"},
        {"ALTER TABLE 仕入れデータ DROP COLUMN 差引残高", "補助簿DBの形式が違います: 仕入れデータ に 差引残高 がありません\n" + db},
    };
    for (const auto& [what, said] : cases) {
        SCOPED_TRACE(what);
        prompt_->Clear();
        std::filesystem::remove_all(db);
        if (what == "folder") std::filesystem::create_directory(db);
        else if (what == "pipe") ASSERT_EQ(mkfifo(db.c_str(), 0600), 0);
        else nv::CreateEmptyLedgerDatabase(db), nv::Database::Open(db).ExecuteScript(what);
        const std::string bytes = what.starts_with("ALTER") ? ReadFileBytes(db) : "";
        auto menu = StartMenu();
        const QString text = QString::fromStdString(said);
        EXPECT_EQ(prompt_->Messages(), QStringList{text});
        EXPECT_FALSE(menu->Button(MenuForm::kSupplier)->isEnabled());
        EXPECT_EQ(menu->Button(MenuForm::kSupplier)->toolTip(), text);
        EXPECT_EQ(bytes.empty() ? "" : ReadFileBytes(db), bytes);
    }
}

// Nothing can be made in the data folder: the cause is said once, naming the
// file, and nothing after it blames a folder that is there.
TEST_F(MenuFormTest, AFirstStartInAReadOnlyFolderSaysWhyOnce)
{
    const std::string folder = Home("readonly");
    nvtest::ReadOnlyFolder readOnly(folder);
    if (!readOnly.Usable()) GTEST_SKIP() << "no read-only folder for this account";
    setenv("NIVALO_HOME", folder.c_str(), 1);
    prompt_->Then(Answer::Ok);
    auto menu = StartMenu();
    ASSERT_EQ(prompt_->Messages().size(), 2) << prompt_->Messages().join("\n").toStdString();
    EXPECT_EQ(prompt_->Messages()[0], CreateQuestion(folder));
    const QString said = prompt_->Messages()[1];
    EXPECT_TRUE(said.startsWith(QString::fromStdString(folder + "/補助簿DB.MDB を作成できません: "))) << said.toStdString();
    EXPECT_TRUE(said.endsWith(geteuid() == 0 ? "読み取り専用のディスクです" : "アクセスする権限がありません")) << said.toStdString();
    EXPECT_FALSE(menu->Button(MenuForm::kSupplier)->isEnabled());
    EXPECT_TRUE(menu->Button(MenuForm::kFirm)->isEnabled());
}

TEST_F(MenuFormTest, ADamagedSettingsFileIsNamedWithLineAndItem)
{
    WriteCompany();
    std::string bytes = ReadFileBytes(Home("company.w1"));
    // Line 14 holds item 7, a number.
    std::string lines;
    int line = 0;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        ++line;
        lines += (line == 14 ? std::string("abc") : bytes.substr(start, end - start)) + "\r\n";
    }
    WriteFileBytes(Home("company.w1"), lines);
    WriteFileBytes(Home("補助簿DB.MDB"), ReadFileBytes(TemplatePath()));
    auto menu = StartMenu();
    ASSERT_EQ(prompt_->Messages().size(), 1);
    EXPECT_TRUE(prompt_->Messages()[0].contains(QStringLiteral("14 行目"))) << prompt_->Messages()[0].toStdString();
    EXPECT_TRUE(prompt_->Messages()[0].contains(QStringLiteral("項目7"))) << prompt_->Messages()[0].toStdString();
    // Only the bad item took its default: the rest reads and the books open.
    EXPECT_TRUE(menu->SettingsRead());
    EXPECT_TRUE(menu->Button(MenuForm::kSupplier)->isEnabled());
    EXPECT_EQ(menu->Globals().Settings.Item7, 0.0f);
    EXPECT_EQ(menu->Globals().Settings.StartMonth, 4.0f);
    EXPECT_EQ(ReadFileBytes(Home("company.w1")), lines);   // never replaced by the shipped one
}

TEST_F(MenuFormTest, AWholeRunKeepsTheClockUpUntilTheExit)
{
    UseBuiltComponents();
    const size_t displayBefore = nv::DisplayClass::Requests().size();
    WriteCompany(1);
    prompt_->Then(Answer::Ok);
    auto menu = StartMenu();
    menu->hide();
    menu->show();
    // The clock opens once beside the menu, whatever the menu is shown again.
    ASSERT_NE(nv::TokeiClass::Window(), nullptr);
    EXPECT_TRUE(nv::TokeiClass::Window()->isVisible());
    EXPECT_EQ(nv::TokeiClass::Window()->windowTitle(), QStringLiteral("時計"));
    EXPECT_EQ(ModalOf([&] { QTest::mouseClick(menu->Button(MenuForm::kSupplier), Qt::LeftButton); }),
              QStringLiteral("F1_仕入先"));
    EXPECT_NE(nv::TokeiClass::Window(), nullptr);
    prompt_->Then(Answer::Cancel);
    QTest::mouseClick(menu->Button(MenuForm::kExit), Qt::LeftButton);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(nv::TokeiClass::Window(), nullptr);
    EXPECT_EQ(prompt_->Messages().last(), kBackupQuestion);
    // The display is set up at the start and given back at the exit; this
    // flag asks for no change.
    const std::vector<std::string> display(nv::DisplayClass::Requests().begin() + long(displayBefore),
                                           nv::DisplayClass::Requests().end());
    EXPECT_EQ(display, (std::vector<std::string>{"gsDispIni", "gsDispEnd"}));
}

TEST_F(MenuFormTest, TheDisplayIsChangedOnlyForMinusOne)
{
    UseBuiltComponents();
    const auto& requests = nv::DisplayClass::Requests();
    const auto changes = [&, before = requests.size()] {
        return std::count(requests.begin() + long(before), requests.end(), "gsDispChange");
    };
    WriteCompany(-1);
    WriteFileBytes(Home("補助簿DB.MDB"), ReadFileBytes(TemplatePath()));
    auto menu = StartMenu();
    EXPECT_EQ(changes(), 1);
    EXPECT_EQ(ModalOf([&] { QTest::mouseClick(menu->Button(MenuForm::kFirm), Qt::LeftButton); }),
              QStringLiteral("F1_自社登録"));
    EXPECT_EQ(changes(), 2);
}

// The own-company screen chooses the books; both registers then open on them
// and the backup at exit copies them.
TEST_F(MenuFormTest, EachButtonOpensItsScreenOnTheBooksTheFirmScreenChose)
{
    UseBuiltComponents();
    WriteCompany();
    WriteFileBytes(Home("補助簿DB.MDB"), ReadFileBytes(TemplatePath()));
    WriteFileBytes(Home("新しいDB.MDB"), ReadFileBytes(TemplatePath()));
    nv::OpenLedgerDatabase(Home("新しいDB.MDB"))
        .ExecuteScript("INSERT INTO 仕入れ先 (仕入先No, 仕入先名) VALUES (3, '丸山商店');"
                       "INSERT INTO 売上げ先 (売上先No, 売上先名) VALUES (4, '青木商会');");
    auto menu = StartMenu();
    const QString folder = QString::fromStdString(Home());

    QString owner;
    EXPECT_EQ(ModalOf([&] { QTest::mouseClick(menu->Button(MenuForm::kFirm), Qt::LeftButton); },
                      [&](QWidget* d) {
                          owner = d->findChild<QLineEdit*>(QStringLiteral("txtFields(8)"))->text();
                          prompt_->Then(std::optional<QString>(QString::fromStdString(Home("新しいDB.MDB"))));
                          d->findChild<QAction*>(QStringLiteral("mnuFILE(0)"))->trigger();
                          QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("cmdClose")), Qt::LeftButton);
                      }),
              QStringLiteral("F1_自社登録"));
    EXPECT_EQ(owner.trimmed(), QStringLiteral("山田太郎"));
    EXPECT_EQ(menu->Globals().Settings.DatabaseName, nv::FixedText("新しいDB.MDB", 50));

    const struct { int button; const char* form; const char* party; } registers[] = {
        {MenuForm::kSupplier, "F1_仕入先", "丸山商店"}, {MenuForm::kCustomer, "F1_売上先", "青木商会"}};
    for (const auto& r : registers) {
        QString party;
        EXPECT_EQ(ModalOf([&] { QTest::mouseClick(menu->Button(r.button), Qt::LeftButton); },
                          [&](QWidget* d) { party = d->findChild<QLineEdit*>(QStringLiteral("txtFields_0"))->text(); }),
                  QString::fromUtf8(r.form));
        EXPECT_EQ(party.trimmed(), QString::fromUtf8(r.party)) << r.form;
    }
    QString caption;
    EXPECT_EQ(ModalOf([&] { menu->HelpAction(1)->trigger(); }, [&](QWidget* d) { caption = d->windowTitle(); }),
              QStringLiteral("About"));
    EXPECT_EQ(caption, QStringLiteral("のびのび補助簿のバージョン情報"));
    menu->HelpAction(0)->trigger();
    ASSERT_EQ(opened_.size(), 1);
    EXPECT_EQ(opened_[0], QUrl::fromLocalFile(QString::fromUtf8(NV_BINARY_DIR "/share/HELP/補助簿補足説明.htm")));
    EXPECT_TRUE(QFile::exists(opened_[0].toLocalFile()));

    // The backup at exit copies the file the own-company screen named.
    prompt_->Then(Answer::Ok);
    menu->close();
    ASSERT_EQ(prompt_->AllAsked().back().kind, nv::ui::ScriptedPrompt::Kind::File);
    EXPECT_EQ(prompt_->AllAsked().back().proposed, folder + QStringLiteral("新しいDB.MDBバックアップ12-08-2024.MDB"));
    EXPECT_TRUE(std::filesystem::exists(Home("新しいDB.MDBバックアップ12-08-2024.MDB")));
    EXPECT_TRUE(prompt_->Messages().filter(QStringLiteral("できません")).isEmpty()) << prompt_->Messages().join("\n").toStdString();
}

TEST_F(MenuFormTest, HelpThatCannotOpenSaysSoWithThePath)
{
    WriteCompany();
    auto menu = StartMenu();
    openResult_ = false;
    prompt_->Clear();
    menu->HelpAction(0)->trigger();
    ASSERT_EQ(prompt_->Messages().size(), 1);
    EXPECT_TRUE(prompt_->Messages()[0].startsWith(QStringLiteral("ヘルプを表示できません\n")));
    EXPECT_TRUE(prompt_->Messages()[0].endsWith(QStringLiteral("HELP/補助簿補足説明.htm")));
    // Why, for the person and for the log.
    EXPECT_TRUE(prompt_->Messages()[0].contains(QStringLiteral("HTML のページを開くプログラムがありません")));
    EXPECT_NE(nv::RecentLogLines().back().find("補助簿補足説明.htm not opened: xdg-open"), std::string::npos)
        << nv::RecentLogLines().back();
}

// The help page is the program's own account of itself: every file, folder,
// program and variable it names (its <code> texts) is one a person meets,
// made by the first start, shipped, or shown to work as the page says.
TEST_F(MenuFormTest, TheHelpPageNamesOnlyWhatTheProgramHas)
{
    prompt_->Then(Answer::Ok);
    auto menu = StartMenu();
    QFile page(QString::fromUtf8(NV_BINARY_DIR "/share/HELP/補助簿補足説明.htm"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    QStringList named;
    for (const auto& m : QRegularExpression(QStringLiteral("<code>(.*?)</code>")).globalMatch(QString::fromUtf8(page.readAll())))
        named << m.captured(1).replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    named.removeDuplicates();

    namespace fs = std::filesystem;
    const std::string bin = NV_BINARY_DIR "/bin/";
    auto dataFolder = [](std::initializer_list<std::pair<const char*, std::string>> env) {
        std::map<std::string, std::optional<std::string>> saved;
        for (const char* v : {"NIVALO_HOME", "XDG_DATA_HOME", "HOME"})
            saved[v] = getenv(v) ? std::optional<std::string>(getenv(v)) : std::nullopt, unsetenv(v);
        for (const auto& [name, value] : env) setenv(name, value.c_str(), 1);
        const std::string folder = nv::DataFolderPath();
        for (const auto& [name, value] : saved)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        return folder;
    };
    auto printerFrom = [&](const char* variable) {
        UseBuiltComponents();
        const std::string pdf = side_.file("仕入帳.pdf");
        setenv(variable, ("pdf:" + pdf).c_str(), 1);
        nv::ObjectRef ink(nv::CreateObject("Tavelo.Inkplate"));
        const std::string name = nv::ObjectRef(ink.Get("Printer")).Get("PrinterName").ToString();
        unsetenv(variable);
        return name == "pdf:" + pdf;
    };
    // The viewer's log as a person finds it: the runtime folder when the
    // system gives one, else the state folder under the home folder.
    const std::string uid = std::to_string(::geteuid());
    const std::string runtime = "/run/user/" + uid + "/nivalo/";
    const std::string state = std::string(::getpwuid(::geteuid())->pw_dir) + "/.local/state/nivalo/";
    const std::string logFolder = fs::is_directory("/run/user/" + uid) ? runtime : state;
    std::optional<bool> viewerLogged;
    auto viewerLogs = [&] {
        if (viewerLogged) return *viewerLogged;
        const fs::path log = logFolder + "pagelook.log";
        const auto before = fs::exists(log) ? fs::file_size(log) : 0;
        nvtest::RunPagelook({QString::fromStdString(side_.file("無い.tvd"))}, QString::fromStdString(side_.path().string()));
        viewerLogged = fs::exists(log) && fs::file_size(log) > before;
        return *viewerLogged;
    };
    const std::map<QString, std::function<bool()>> has = {
        {"補助簿DB.MDB", [&] { return fs::exists(Home("補助簿DB.MDB")); }},
        {"空の補助簿DB.MDB", [&] { return fs::path(TemplatePath()).filename() == "空の補助簿DB.MDB" && fs::exists(TemplatePath()); }},
        {"company.w1", [&] { return fs::exists(Home("company.w1")); }},
        {"PRINT", [] { return std::string(nv::kPrintFolder) == "PRINT"; }},
        {"仕入元帳.tvd", [] { return std::string(nv::PurchaseWords().LedgerDocument) == "仕入元帳.tvd"; }},
        {"売上元帳.tvd", [] { return std::string(nv::SalesWords().LedgerDocument) == "売上元帳.tvd"; }},
        {"pagelook", [&] { return fs::exists(bin + "pagelook"); }},
        {"NIVALO_HOME", [&] { return dataFolder({{"NIVALO_HOME", "/srv/books"}}) == "/srv/books/"; }},
        {"$XDG_DATA_HOME/nivalo/", [&] { return dataFolder({{"XDG_DATA_HOME", "/srv/data"}}) == "/srv/data/nivalo/"; }},
        {"~/.local/share/nivalo/", [&] { return dataFolder({{"HOME", "/home/yamada"}}) == "/home/yamada/.local/share/nivalo/"; }},
        {"PRINTER", [&] { return printerFrom("PRINTER"); }},
        {"LPDEST", [&] { return printerFrom("LPDEST"); }},
        {"pdf:", [&] { return printerFrom("PRINTER"); }},
        {"補助簿DB.MDBバックアップ月-日-年.MDB",
         [] { return nv::BackupFileName("補助簿DB.MDB", QDate(2024, 12, 8)) == "補助簿DB.MDBバックアップ12-08-2024.MDB"; }},
        // The menu's log is the control's, in the process that hosts it.
        {"nivalo.log",
         [&] {
             return printerFrom("PRINTER") && fs::exists(bin + "nivalo") &&
                    fs::path(nv::LogFilePath()).parent_path() == fs::path(nv::UserFolder());
         }},
        {"pagelook.log", viewerLogs},
        {"/run/user/<uid>/nivalo/", [&] { return logFolder == state || viewerLogs(); }},
        {"~/.local/state/nivalo/", [&] { return logFolder == runtime || viewerLogs(); }},
    };
    ASSERT_FALSE(named.isEmpty());
    for (const QString& name : named) {
        const auto it = has.find(name);
        if (it == has.end()) ADD_FAILURE() << "the help page names " << name.toStdString() << ", which the program does not have";
        else EXPECT_TRUE(it->second()) << name.toStdString();
    }
}

TEST_F(MenuFormTest, ANameLongerThanFiftyIsRefused)
{
    WriteCompany();
    auto menu = StartMenu();
    prompt_->Clear();
    setenv("NIVALO_STUB_DBNAME", std::string(51, 'x').c_str(), 1);
    QTest::mouseClick(menu->Button(MenuForm::kFirm), Qt::LeftButton);
    ASSERT_EQ(prompt_->Messages().size(), 1);
    EXPECT_TRUE(prompt_->Messages()[0].contains(QStringLiteral("50文字")));
    EXPECT_EQ(menu->Globals().Settings.DatabaseName, nv::FixedText("補助簿DB.MDB", 50));
}

TEST_F(MenuFormTest, MissingComponentsLeaveTheMenuWorking)
{
    RegisterStubs({QStringLiteral("SupplierBook.shiiresakiClass")});
    WriteCompany();
    prompt_->Then(Answer::Ok);
    auto menu = StartMenu();
    QTest::mouseClick(menu->Button(MenuForm::kFirm), Qt::LeftButton);
    QTest::mouseClick(menu->Button(MenuForm::kCustomer), Qt::LeftButton);
    menu->HelpAction(1)->trigger();
    EXPECT_TRUE(menu->isEnabled());
    QTest::mouseClick(menu->Button(MenuForm::kSupplier), Qt::LeftButton);
    EXPECT_EQ(Log().size(), 1);
    prompt_->Then(Answer::Cancel);
    menu->close();
    EXPECT_EQ(Log().size(), 1);
    // Four failed components were said, the clock among them, each in Japanese
    // with the registry it was looked for in and what still works; the display
    // was not.
    const QStringList said = prompt_->Messages();
    ASSERT_EQ(said.size(), 6) << said.join("\n").toStdString();
    const char* heads[] = {"時計を表示できません。", "自社登録を開けません。", "売上帳を開けません。",
                           "バージョン情報を表示できません。"};
    for (int i = 0; i < 4; ++i) {
        const QString& text = said[i + 1];
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(heads[i]))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral(" に載っていません。"))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QString::fromUtf8(nv::kMenuGoesOn))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("ActiveX"))) << text.toStdString();
    }
}

struct BackupCase {
    const char* name;
    std::vector<nv::ui::ScriptedPrompt::Reply> replies;
    bool truncated;
    const char* expectFile;       // made, relative to the data folder
    bool reported;
    bool fullDisk = false;        // the data folder's "full" is a disk with no room
};

class BackupTest : public MenuFormTest, public ::testing::WithParamInterface<BackupCase> {};

TEST_P(BackupTest, AtExit)
{
    const BackupCase& c = GetParam();
    WriteCompany();
    std::string db = ReadFileBytes(TemplatePath());
    if (c.truncated) db.resize(db.size() / 3);
    WriteFileBytes(Home("補助簿DB.MDB"), db);
    if (!c.truncated) {
        nv::Database d = nv::Database::Open(Home("補助簿DB.MDB"));
        d.Execute("CREATE TABLE t(x)");
        d.Execute("INSERT INTO t VALUES (1), (2), (3)");
    }
    db = ReadFileBytes(Home("補助簿DB.MDB"));
    WriteFileBytes(Home("old.MDB"), "an older backup");
    std::optional<nvtest::FullDisk> disk;
    if (c.fullDisk) {
        disk.emplace(Home("full"));
        if (!disk->Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
        // What a backup killed there before left.
        WriteFileBytes((disk->path() / "x.MDB.part-journal").string(), "a journal");
        disk->Fill();
    }
    auto menu = StartMenu();
    prompt_->Clear();
    for (const auto& r : c.replies) prompt_->Then(r);
    // A copy of the books is as private as the books, whatever the umask.
    const mode_t mask = ::umask(022);
    menu->close();
    ::umask(mask);
    EXPECT_EQ(ReadFileBytes(Home("補助簿DB.MDB")), db);
    if (disk) {
        std::vector<std::string> left;
        for (const auto& e : std::filesystem::directory_iterator(disk->path()))
            if (e.path().filename() != ".filler") left.push_back(e.path().filename().string());
        EXPECT_EQ(left, std::vector<std::string>());
    }
    if (c.expectFile) {
        ASSERT_TRUE(std::filesystem::exists(Home(c.expectFile))) << c.expectFile;
        EXPECT_EQ(std::filesystem::status(Home(c.expectFile)).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        nv::Database b = nv::Database::Open(Home(c.expectFile), nv::OpenMode::ReadOnly);
        EXPECT_EQ(b.OpenRecordset({"t", {}, {}, {}}).RecordCount(), 3);
    }
    if (!c.expectFile || std::string(c.expectFile) != "old.MDB") {
        EXPECT_EQ(ReadFileBytes(Home("old.MDB")), "an older backup");
    }
    int reports = 0;
    for (const auto& a : prompt_->AllAsked()) reports += a.icon == nv::ui::Icon::Warning;
    EXPECT_EQ(reports, c.reported ? 1 : 0);
    EXPECT_TRUE(Log().last().startsWith(QStringLiteral("ScreenMode.displayClass gsDispEnd")));
    std::filesystem::current_path(cwd_);
}

std::optional<QString> Path(const char* p) { return QString::fromUtf8(p); }

INSTANTIATE_TEST_SUITE_P(
    Menu, BackupTest,
    ::testing::Values(
        BackupCase{"Proposed", {Answer::Ok}, false, "補助簿DB.MDBバックアップ12-08-2024.MDB", false},
        BackupCase{"Declined", {Answer::Cancel}, false, nullptr, false},
        BackupCase{"DialogCancelled", {Answer::Ok, std::optional<QString>()}, false, nullptr, false},
        BackupCase{"EmptyName", {Answer::Ok, Path("")}, false, "補助簿DB.MDBバックアップ.MDB", false},
        BackupCase{"RelativeName", {Answer::Ok, Path("b.MDB")}, false, "b.MDB", false},
        BackupCase{"OverAnOlderOne", {Answer::Ok, Path("old.MDB")}, false, "old.MDB", false},
        BackupCase{"TheDatabaseItself", {Answer::Ok, Path("補助簿DB.MDB")}, false, nullptr, true},
        BackupCase{"UnwritableTarget", {Answer::Ok, Path("company.w1/x.MDB")}, false, nullptr, true},
        BackupCase{"TruncatedDatabase", {Answer::Ok, Path("old.MDB")}, true, nullptr, true},
        BackupCase{"OntoAFullDisk", {Answer::Ok, Path("full/x.MDB")}, false, nullptr, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
