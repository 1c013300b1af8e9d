// Every save path fails at its 1st, 2nd, 3rd ... write, flush and rename in
// turn until it goes through: after each failure the old file or rows are as
// they were, byte for byte, nothing is left beside them, what a person reads
// holds no Latin word but file names, and the cause is kept.
#include "WriteFaultShim.h"

#include "SampleDocs.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PrintLoop.h"
#include "control/OutputDevice.h"
#include "engine/core/EngineLog.h"
#include "ledger/common/CompanyFile.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/common/ModuleGlobal.h"
#include "ledger/journal/JournalTestDb.h"
#include "ledger/master/CompanyForm.h"
#include "ledger/master/ItemNameForm.h"
#include "platform/core/Cp932.h"
#include "platform/core/FileErrors.h"
#include "platform/db/DbError.h"
#include "platform/print/FormRegistry.h"
#include "platform/qt/PrinterByName.h"
#include "platform/ui/ScriptedPrompt.h"
#include "support/StoreFixtures.h"

#include <QApplication>
#include <QLineEdit>

#include <cstring>
#include <map>
#include <sstream>

using namespace nv;
using namespace nvtest;
namespace fs = std::filesystem;

namespace {

// What a save gave: nothing when it went through, else the words a person
// reads and the cause the error carries.
struct Outcome {
    bool saved = true;
    std::string said, detail;
};

Outcome Attempt(const std::function<void()>& save)
{
    try {
        save();
        return {};
    } catch (const DbError& e) {
        return {false, e.what(), e.Detail()};
    } catch (const CException& e) {
        // The engine's words are CP932, and the control logs them as they are.
        return {false, Cp932ToUtf8(e.what()), Cp932ToUtf8(e.what())};
    } catch (const std::exception& e) {
        return {false, e.what(), {}};
    }
}

std::string Books(const fs::path& home) { return (home / "補助簿DB.MDB").string(); }

void SaveJournal(const fs::path& home, bool balance)
{
    JournalTestDb t(JournalSide::Purchases, Books(home));
    JournalBook book(t.db, t.Entry(7, 1000));
    book.SearchPeriod();
    if (balance) {
        book.CalcRunningBalance();
    } else {
        book.SetCell(1, JournalColumn::Item, "ナット");
        book.Save();
    }
}

struct SavePath {
    const char* name;
    const char* file; // whose bytes are the state; none: the journal's rows
    std::function<void(const fs::path& home)> setUp;
    std::function<Outcome(const fs::path& home)> save;
    std::function<std::string(const fs::path& home)> rows = {}; // the state's rows, when not the journal's
};

void JournalBooks(const fs::path& home)
{
    JournalTestDb t(JournalSide::Purchases, Books(home), true);
    t.AddParty(7, "山田商店", 1000);
    t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 1000});
    // Balances not yet counted: 残高更新 writes them.
    for (int d = 2; d < 12; ++d) t.AddLine(7, {2005, 4, d, "ボルト", {}, {}, 100, {}, 0});
}

void OldFile(const fs::path& home, const char* name) { WriteFileBytes(home / name, "an older file"); }

// 自社登録's books: a supplier and a customer with a year to carry forward,
// and the settings file of that year.
void CompanyBooks(const fs::path& home)
{
    ModuleGlobal g;
    g.AppFolderPath = home.string() + "/";
    CompanySettings& s = g.Settings;
    s.StartYear = 2004, s.StartMonth = 10, s.StartDay = 1;
    s.EndYear = 2005, s.EndMonth = 3, s.EndDay = 31;
    s.PurchaseClosingDay = "２５日", s.SalesClosingDay = "末日";
    g.gsWriteCompany();
    CreateEmptyLedgerDatabase(Books(home));
    OpenLedgerDatabase(Books(home)).ExecuteScript(
        "INSERT INTO 仕入れ先 (仕入先No, 仕入先名, 〆切期日, 繰越金額) VALUES (1, '山田商店', '２５日', 120000);"
        "INSERT INTO 売上げ先 (売上先No, 売上先名, 〆切期日, 繰越金額) VALUES (1, '青木商会', '末日', 80000);"
        "INSERT INTO 仕入れデータ (仕入先No, データ数, 年, 月, 日, 品名, 仕入金額, 支払金額, 差引残高) VALUES"
        " (1, 0, 2004, 10, 1, '前期繰越金額', NULL, NULL, 120000), (1, 1, 2004, 11, 5, '鋼材', 35000, NULL, 155000);"
        "INSERT INTO 売上げデータ (売上先No, データ数, 年, 月, 日, 品名, 売上金額, 受入金額, 差引残高) VALUES"
        " (1, 0, 2004, 10, 1, '前期繰越金額', NULL, NULL, 80000), (1, 1, 2004, 10, 20, 'みかん', 46200, NULL, 126200);"
        "INSERT INTO 品名 (品名) VALUES ('みかん');");
}

std::string LedgerRows(const fs::path& home)
{
    Database db = OpenLedgerDatabase(Books(home));
    std::ostringstream out;
    for (const auto& table : db.Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
        out << *TextOf(table[0]) << '\n';
        for (const auto& row : db.Query("SELECT * FROM \"" + *TextOf(table[0]) + "\" ORDER BY _rowid_"))
            for (const DbValue& v : row) out << TextOf(v).value_or("") << NumberOf(v).value_or(0) << '\t';
    }
    return out.str();
}

// A screen's save: what it told the person, when it told of a failure.
Outcome Shown(const std::function<void()>& save)
{
    auto* script = new ui::ScriptedPrompt;
    ui::ScopedPrompt scope{std::unique_ptr<ui::Prompt>(script)};
    save();
    std::string said;
    for (const auto& asked : script->AllAsked())
        if (asked.icon == ui::Icon::Error) said += asked.text.toStdString() + "\n";
    return {said.empty(), said, ""};
}

ModuleGlobal CompanyOf(const fs::path& home)
{
    ModuleGlobal g;
    g.AppFolderPath = home.string() + "/";
    g.Settings.DatabaseName = FixedText("補助簿DB.MDB", kDatabaseNameWidth);
    return g;
}

// The carry button after a new start was typed. A settings file left
// behind a committed carry is promised to the next opening: through when
// that opening puts it in place.
Outcome CarryToNewStart(const fs::path& home)
{
    Outcome out = Shown([&] {
        ModuleGlobal g = CompanyOf(home);
        CompanyForm form(g);
        form.Field(0)->setText("2005");
        form.Field(6)->setText("4");
        form.CarryForwardNow();
    });
    if (out.said.find("次に開いたときに書き直します") == std::string::npos) return out;
    ModuleGlobal g = CompanyOf(home);
    { CompanyForm reopened(g); }
    return {g.Settings.StartYear == 2005 && g.Settings.StartMonth == 4, out.said, ""};
}

// A name typed on the line being appended, and Enter.
Outcome EnterItemName(const fs::path& home)
{
    return Shown([&] {
        Database db = OpenLedgerDatabase(Books(home));
        ItemNameForm form(db);
        form.Load();
        form.Grid()->item(form.Grid()->rowCount() - 1, 0)->setText("鉄板");
        form.Advance();
    });
}

const SavePath kPaths[] = {
    {"仕訳の保存", nullptr, JournalBooks, [](auto& home) { return Attempt([&] { SaveJournal(home, false); }); }},
    {"残高更新", nullptr, JournalBooks, [](auto& home) { return Attempt([&] { SaveJournal(home, true); }); }},
    {"自社登録の保存", "company.w1",
     [](auto& home) { WriteFileBytes(home / "company.w1", FormatCompanyFile(DefaultCompanyFile(2005))); },
     [](auto& home) {
         return Attempt([&] { WriteCompanyFile((home / "company.w1").string(), DefaultCompanyFile(2006)); });
     }},
    {"バックアップと複写", "複写.MDB",
     [](auto& home) {
         Database db = Database::Open(Books(home), OpenMode::Create);
         db.Execute("CREATE TABLE t(x)");
         for (int i = 0; i < 40; ++i) db.Execute("INSERT INTO t VALUES (?)", {std::string(200, char('a' + i % 26))});
         OldFile(home, "複写.MDB");
     },
     [](auto& home) { return Attempt([&] { Database::Open(Books(home)).BackupTo((home / "複写.MDB").string()); }); }},
    {"用紙の登録", "paper-forms", [](auto& home) { OldFile(home, "paper-forms"); },
     [](auto& home) {
         const FormInfo1 form{0, "請求書", 210000, 297000, 0, 0, 210000, 297000};
         return Outcome{FormRegistry((home / "paper-forms").string()).Add(form) == SpoolStatus::Ok, "", ""};
     }},
    {"ドキュメントの出力", "Tvdoc1.tvd", [](auto& home) { OldFile(home, "Tvdoc1.tvd"); },
     [](auto& home) {
         return Attempt([&] {
             TvDocStore store;
             store.Create((home / "Tvdoc1.tvd").string());
             store.WriteForm(*store::MakeForm("F"));
             store.Close();
         });
     }},
    {"PDF の印刷", "元帳.pdf", [](auto& home) { OldFile(home, "元帳.pdf"); },
     [](auto& home) {
         auto job = MakeQtOutputJob(PdfPrinterName(QString::fromStdString((home / "元帳.pdf").string())).toStdString());
         bool ok = job->StartDoc("元帳");
         for (int page = 0; ok && page < 3; ++page) ok = job->StartPage() && job->EndPage();
         if (!(ok = ok && job->EndDoc())) job->AbortDoc();
         return Outcome{ok, job->FailureText(), ""};
     }},
    {"表示プログラムの PDF 印刷", "表示.pdf",
     [](auto& home) {
         OldFile(home, "表示.pdf");
         samples::WriteSampleDoc((home / "doc.tvd").string(), {.pages = 2});
     },
     [](auto& home) {
         auto doc = viewer::PagelookDoc::Open(QString::fromStdString((home / "doc.tvd").string()));
         const QString pdf = PdfPrinterName(QString::fromStdString((home / "表示.pdf").string()));
         const viewer::PrintLoop::Outcome out = viewer::PrintLoop(*doc).Run({.printer = pdf, .pages = {1, 2}});
         return Outcome{out.printed, out.error.toStdString(), ""};
     }},
    {"品名の登録", nullptr, CompanyBooks, EnterItemName, LedgerRows},
    {"自社登録の繰越", "company.w1", CompanyBooks, CarryToNewStart, LedgerRows},
};

std::string State(const SavePath& path, const fs::path& home)
{
    const std::string file = !path.file ? "" : fs::exists(home / path.file) ? ReadFileBytes(home / path.file) : "(none)";
    if (path.rows) return file + path.rows(home);
    if (path.file) return file;
    std::ostringstream out;
    for (const auto& row : JournalTestDb(JournalSide::Purchases, Books(home)).Dump())
        for (const DbValue& v : row) out << TextOf(v).value_or("") << NumberOf(v).value_or(0) << '\t';
    return out.str();
}

std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// Latin letters left once the files it names are taken out of a message
// ("PDF" is the word Japanese has for the kind of file).
bool HasLatin(std::string text, const fs::path& home, const std::vector<std::string>& names)
{
    std::vector<std::string> words{"PDF"};
    for (const std::string& name : names) words.insert(words.begin(), {(home / name).string(), name});
    for (const std::string& file : words)
            for (size_t at; (at = text.find(file)) != std::string::npos;) text.erase(at, file.size());
    return std::any_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

// The system's words, SQLite's for them, the user's words for them, or what
// the check says of a PDF whose writer kept a failed write to itself.
bool HoldsCause(const std::string& kept, int err)
{
    for (const std::string& w : {std::string(std::strerror(err)), FileErrorText(err), std::string("disk I/O error"),
                                 std::string("database or disk is full"), std::string("check: not whole")})
        if (kept.find(w) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(SaveFaults, EverySavePathKeepsTheOldStateAtEveryFailedWrite)
{
    int argc = 1;
    char program[] = "test_saves";
    char* argv[] = {program, nullptr};
    QApplication app(argc, argv);
    std::string log;
    SetLogSink([&](std::string_view line) { log.append(line).append("\n"); });
    std::map<std::string, int> failed;
    for (const SavePath& path : kPaths) {
        SCOPED_TRACE(path.name);
        for (const WriteStep step : {WriteStep::Write, WriteStep::Flush, WriteStep::Rename}) {
            for (int nth = 1; nth < 500; ++nth) {
                SCOPED_TRACE(nth);
                TempDir dir;
                const fs::path home = fs::canonical(dir.path());
                path.setUp(home);
                const std::string before = State(path, home);
                const std::vector<std::string> names = Names(home);
                log.clear();
                FailNthStep(home.string(), step, nth);
                const Outcome out = path.save(home);
                const bool hit = StopFailing();
                if (out.saved) {
                    // Through, with or without a failure it got past.
                    EXPECT_NE(State(path, home), before);
                    if (hit) continue;
                    break;
                }
                ASSERT_TRUE(hit) << out.said;
                ++failed[path.name];
                EXPECT_EQ(State(path, home), before);
                EXPECT_EQ(Names(home), names);
                EXPECT_FALSE(HasLatin(out.said, home, names)) << out.said;
                EXPECT_TRUE(HoldsCause(out.detail + log, FailedStepErrno(step))) << out.detail << log;
            }
        }
    }
    SetLogSink(nullptr);
    for (const auto& [name, n] : failed) std::printf("%s: %d failed, each held\n", name.c_str(), n);
}
