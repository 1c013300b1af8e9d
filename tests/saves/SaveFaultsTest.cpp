// Every save path fails at its 1st, 2nd, 3rd ... write, flush and rename in
// turn until it goes through untouched: after each failure the old file or
// rows are as they were, byte for byte, nothing is left beside them, what a
// person reads holds no Latin word but file names, and the cause is kept.
#include "WriteFaultShim.h"

#include "control/OutputDevice.h"
#include "engine/core/EngineLog.h"
#include "engine/store/TvDocStore.h"
#include "ledger/common/CompanyFile.h"
#include "ledger/journal/JournalTestDb.h"
#include "platform/core/Cp932.h"
#include "platform/core/FileErrors.h"
#include "platform/db/DbError.h"
#include "platform/print/FormRegistry.h"
#include "platform/qt/PrinterByName.h"
#include "support/StoreFixtures.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

using namespace nv;
using namespace nvtest;
namespace fs = std::filesystem;

namespace {

// What a save gave: nothing when it went through, else the words a person
// reads and the cause the failure carries beside the log.
struct Outcome {
    bool saved = true;
    std::string said;
    std::string detail;
};

Outcome Failed(std::string said, std::string detail = {})
{
    return {false, std::move(said), std::move(detail)};
}

struct SavePath {
    const char* name;
    // Makes the old state in home; a save path then changes it.
    std::function<void(const fs::path& home)> setUp;
    std::function<Outcome(const fs::path& home)> save;
    // The state a person would find: a file's bytes, or the rows.
    std::function<std::string(const fs::path& home)> state;
};

std::string FileState(const fs::path& file)
{
    return fs::exists(file) ? ReadFileBytes(file) : std::string("(none)");
}

std::string Rows(const std::vector<std::vector<DbValue>>& rows)
{
    std::ostringstream out;
    for (const auto& row : rows) {
        for (const DbValue& v : row)
            std::visit([&](const auto& x) {
                if constexpr (std::is_same_v<std::decay_t<decltype(x)>, std::monostate>) out << "(null)\t";
                else out << x << '\t';
            }, v);
        out << '\n';
    }
    return out.str();
}

Outcome SaveJournal(const fs::path& home, bool balance)
{
    JournalTestDb t(JournalSide::Purchases, (home / "補助簿DB.MDB").string());
    try {
        JournalBook book(t.db, t.Entry(7, 1000));
        book.SearchPeriod();
        if (balance) {
            book.SetCell(1, JournalColumn::Balance, "1");
            book.CalcRunningBalance();
        } else {
            book.SetCell(1, JournalColumn::Item, "ナット");
            book.Save();
        }
        return {};
    } catch (const std::exception& e) {
        return Failed(e.what(), LogText(e));
    }
}

const SavePath kPaths[] = {
    {"仕訳の保存",
     [](const fs::path& home) {
         JournalTestDb t(JournalSide::Purchases, (home / "補助簿DB.MDB").string(), true);
         t.AddParty(7, "山田商店", 1000);
         t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 1000});
         // Balances not yet counted: 残高更新 writes them.
         for (int d = 2; d < 12; ++d) t.AddLine(7, {2005, 4, d, "ボルト", {}, {}, 100, {}, 0});
     },
     [](const fs::path& home) { return SaveJournal(home, false); },
     [](const fs::path& home) {
         return Rows(JournalTestDb(JournalSide::Purchases, (home / "補助簿DB.MDB").string()).Dump());
     }},
    {"残高更新", nullptr, [](const fs::path& home) { return SaveJournal(home, true); }, nullptr},
    {"自社登録の保存",
     [](const fs::path& home) { WriteFileBytes(home / "company.w1", FormatCompanyFile(DefaultCompanyFile(2005))); },
     [](const fs::path& home) {
         try {
             WriteCompanyFile((home / "company.w1").string(), DefaultCompanyFile(2006));
             return Outcome{};
         } catch (const std::exception& e) {
             return Failed(e.what());
         }
     },
     [](const fs::path& home) { return FileState(home / "company.w1"); }},
    {"バックアップと複写",
     [](const fs::path& home) {
         Database db = Database::Open((home / "books.MDB").string(), OpenMode::Create);
         db.Execute("CREATE TABLE t(x)");
         for (int i = 0; i < 40; ++i) db.Execute("INSERT INTO t VALUES (?)", {std::string(200, char('a' + i % 26))});
         WriteFileBytes(home / "複写.MDB", "an older copy");
     },
     [](const fs::path& home) {
         try {
             Database::Open((home / "books.MDB").string()).BackupTo((home / "複写.MDB").string());
             return Outcome{};
         } catch (const DbError& e) {
             return Failed(e.what(), e.Detail());
         }
     },
     [](const fs::path& home) { return FileState(home / "複写.MDB"); }},
    {"用紙の登録",
     [](const fs::path& home) {
         FormRegistry((home / "paper-forms").string()).Add({0, "伝票", 100000, 200000, 0, 0, 100000, 200000});
     },
     [](const fs::path& home) {
         const SpoolStatus s = FormRegistry((home / "paper-forms").string())
                                   .Add({0, "請求書", 210000, 297000, 0, 0, 210000, 297000});
         return s == SpoolStatus::Ok ? Outcome{} : Failed("");
     },
     [](const fs::path& home) { return FileState(home / "paper-forms"); }},
    {"ドキュメントの出力",
     [](const fs::path& home) { WriteFileBytes(home / "Tvdoc1.tvd", "an older document"); },
     [](const fs::path& home) {
         try {
             TvDocStore store;
             store.Create((home / "Tvdoc1.tvd").string());
             store.WriteForm(*store::MakeForm("F"));
             store.Close();
             return Outcome{};
         } catch (const std::exception& e) {
             // The engine's words are CP932; the control logs them as they are.
             const std::string said = Cp932ToUtf8(e.what());
             return Failed(said, said);
         }
     },
     [](const fs::path& home) { return FileState(home / "Tvdoc1.tvd"); }},
    {"PDF の印刷",
     [](const fs::path& home) { WriteFileBytes(home / "元帳.pdf", "an older PDF"); },
     [](const fs::path& home) {
         std::unique_ptr<OutputJob> job = MakeQtOutputJob(PdfPrinterName(QString::fromStdString((home / "元帳.pdf").string())).toStdString());
         bool ok = job->StartDoc("元帳");
         for (int page = 0; ok && page < 3; ++page) {
             ok = job->StartPage() && job->EndPage();
         }
         ok = ok && job->EndDoc();
         if (!ok) job->AbortDoc();
         return ok ? Outcome{} : Failed(job->FailureText());
     },
     [](const fs::path& home) { return FileState(home / "元帳.pdf"); }},
};

// The folder's names, the filler of nothing else.
std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// What is left of a message once the files it names are taken out.
std::string WithoutFileNames(std::string text, const fs::path& home, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        for (const std::string& file : {(home / name).string(), name})
            for (size_t at; (at = text.find(file)) != std::string::npos;) text.erase(at, file.size());
    return text;
}

// SQLite's words for the system's; and what the check says of a PDF whose
// writer kept a failed write to itself.
const char* const kCauseWords[] = {"disk I/O error", "database or disk is full", "check: not whole"};

bool HasLatin(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

} // namespace

TEST(SaveFaults, EverySavePathKeepsTheOldStateAtEveryFailedWrite)
{
    static int argc = 1;
    static char name[] = "test_saves";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    std::vector<std::string> lines;
    SetLogSink([&](std::string_view line) { lines.emplace_back(line); });
    std::map<std::string, int> failed;
    const SavePath* last = nullptr;
    for (const SavePath& given : kPaths) {
        // A row without set-up or state goes on the one above.
        SavePath path = given;
        if (!path.setUp) path.setUp = last->setUp, path.state = last->state;
        last = &given;
        SCOPED_TRACE(path.name);
        for (const WriteStep step : {WriteStep::Write, WriteStep::Flush, WriteStep::Rename}) {
            for (int nth = 1;; ++nth) {
                SCOPED_TRACE(nth);
                TempDir dir;
                const fs::path home = fs::canonical(dir.path());
                path.setUp(home);
                const std::string before = path.state(home);
                const std::vector<std::string> names = Names(home);
                lines.clear();
                FailNthStep(home.string(), step, nth);
                const Outcome out = path.save(home);
                const bool hit = StopFailing();
                if (!hit) {
                    ASSERT_TRUE(out.saved) << out.said;
                    EXPECT_NE(path.state(home), before);
                    break;
                }
                if (out.saved) {
                    // A failure the path got past: the save is whole.
                    continue;
                }
                ++failed[path.name];
                EXPECT_EQ(path.state(home), before);
                EXPECT_EQ(Names(home), names);
                EXPECT_FALSE(HasLatin(WithoutFileNames(out.said, home, names))) << out.said;
                std::string kept = out.detail;
                for (const std::string& l : lines) kept += "\n" + l;
                // The system's words, SQLite's for them, or ours for a person.
                const int err = FailedStepErrno(step);
                EXPECT_TRUE(std::any_of(std::begin(kCauseWords), std::end(kCauseWords),
                                        [&](const char* w) { return kept.find(w) != std::string::npos; }) ||
                            kept.find(std::strerror(err)) != std::string::npos ||
                            kept.find(FileErrorText(err)) != std::string::npos)
                    << kept;
                ASSERT_LT(nth, 500) << "a path that never ends";
            }
        }
    }
    SetLogSink(nullptr);
    std::string counts;
    for (const auto& [name, n] : failed) counts += name + ": " + std::to_string(n) + "\n";
    RecordProperty("failed", counts);
    std::printf("writes, flushes and renames failed, each held:\n%s", counts.c_str());
}
