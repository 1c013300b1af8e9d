#pragma once
// Journal window tests: a data folder with company.w1 and a ledger database
// (supplier 7 and customer 7 with their opening lines, other parties' rows
// that must stay as they are), a test ProgID file naming the built journals
// and a recording input-method stub, scripted prompts, and typing helpers.
#include "support/TestApp.h"
#include "ledger/master/PartyTestDb.h"

#include "ledger/common/CompanyFile.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/journal/window/JournalDialog.h"
#include "ledger/master/HandOffArrays.h"
#include "platform/automation/Automation.h"
#include "platform/ui/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

namespace nvtest {

inline void EnsureApp() { nvtest::EnsureWidgetApp(); }

// Party 7 of either side as the registers hand it over.
inline nv::PartyValues Party7(int64_t carry = 120000)
{
    nv::PartyValues v;
    v[nv::kPartyNo] = int64_t{7};
    v[nv::kSearchKey] = std::string("ﾔ");
    v[nv::kKana] = std::string("やまだしょうてん");
    v[nv::kName] = std::string("山田商店");
    v[nv::kPostCode] = std::string("100-0001");
    v[nv::kAddress] = std::string("東京都千代田区1-1");
    v[nv::kPhone] = std::string("03-1111-2222");
    v[nv::kFax] = std::string("03-1111-3333");
    v[nv::kClosingDay] = std::string("末日");
    v[nv::kBillingDay] = std::string("翌月10日");
    v[nv::kPaymentDay] = std::string("翌月末");
    v[nv::kCarryForward] = carry;
    return v;
}

struct JournalFixture : ::testing::Test {
    TempDir dir;
    std::string folder = dir.path().string() + "/";
    std::string dbPath = dir.file("補助簿DB.MDB");
    std::string imeLog = dir.file("ime.log");
    nv::CompanySettings settings = RegisterSettings();
    nv::Database db;
    nv::ui::ScriptedPrompt* script = new nv::ui::ScriptedPrompt;
    nv::ui::ScopedPrompt scope{std::unique_ptr<nv::ui::Prompt>(script)};

    void SetUp() override
    {
        EnsureApp();
        nv::CreateEmptyLedgerDatabase(dbPath);
        db = nv::OpenLedgerDatabase(dbPath);
        db.ExecuteScript(
            "INSERT INTO 仕入れ先 (仕入先No, 検索キー, ふりがな, 仕入先名, 〆切期日, 繰越金額) VALUES"
            " (7, 'ﾔ', 'やまだしょうてん', '山田商店', '末日', 120000), (8, 'ｲ', 'いとうや', '伊藤屋', '末日', 500),"
            " (9, 'ｶ', 'かとう', '加藤', '末日', 0);"
            "INSERT INTO 売上げ先 (売上先No, 検索キー, ふりがな, 売上先名, 〆切期日, 繰越金額) VALUES"
            " (7, 'ﾔ', 'やまだしょうてん', '山田商店', '末日', 120000), (8, 'ｲ', 'いとうや', '伊藤屋', '末日', 500);"
            "INSERT INTO 仕入れデータ (仕入先No, データ数, 年, 月, 日, 品名, 数量, 単価, 仕入金額, 差引残高) VALUES"
            " (8, 0, 2005, 4, 1, '前期繰越金額', NULL, NULL, NULL, 500),(9, 0, 2004, 4, 1, '前期繰越金額', NULL, NULL, NULL, 99),"
            " (7, 0, 2005, 4, 1, '前期繰越金額', NULL, NULL, NULL, 120000), (8, 1, 2005, 5, 2, '釘', 2.5, 10.0, 25, 525);"
            "INSERT INTO 売上げデータ (売上先No, データ数, 年, 月, 日, 品名, 差引残高) VALUES"
            " (8, 0, 2005, 4, 1, '前期繰越金額', 500), (7, 0, 2005, 4, 1, '前期繰越金額', 120000);"
            "INSERT INTO 品名 (品名) VALUES ('ボルト'), ('ナット');");
        nv::CompanyFile company;
        company.Settings = settings;
        nv::WriteCompanyFile(folder + nv::kCompanyFileName, company);
        WriteProgIds();
        setenv("NV_IME_LOG", imeLog.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("NIVALO_PROGIDS");
        unsetenv("NV_IME_LOG");
    }

    void WriteProgIds()
    {
        std::string progids = dir.file("progids");
        std::ofstream out(progids, std::ios::binary);
        out << "PurchaseJournal.shiiredataClass\t" NV_PURCHASEJOURNAL_PLUGIN "\tshiiredataClass\t\n"
            << "SalesJournal.uriagedataClass\t" NV_SALESJOURNAL_PLUGIN "\turiagedataClass\t\n"
            << "NvZzIME.imeClass\t" NV_RECORDING_IME_PLUGIN "\timeClass\t\n";
        out.close();
        setenv("NIVALO_PROGIDS", progids.c_str(), 1);
    }

    nv::JournalEntry Entry(nv::JournalSide side, nv::PartyValues party = Party7())
    {
        const nv::SideWords& w = nv::WordsOf(side);
        nv::Variant f(folder), m(int16_t(w.MenuMode)), s = nv::SettingsArrayOf(settings);
        nv::Variant p = nv::sPartyFromRecord(w, party);
        return nv::OpenJournalEntry(side, f, m, s, p);
    }

    // A loaded and shown window, in-process.
    std::unique_ptr<nv::JournalDialog> Open(nv::JournalSide side, nv::PartyValues party = Party7())
    {
        auto d = std::make_unique<nv::JournalDialog>(Entry(side, std::move(party)));
        d->Load();
        d->show();
        return d;
    }

    // Rows of a side's line table as text, row id first.
    std::vector<std::string> Rows(const char* table, const char* where = "1")
    {
        std::vector<std::string> out;
        for (const auto& row : db.Query(std::string("SELECT _rowid_, * FROM \"") + table + "\" WHERE " + where +
                                        " ORDER BY _rowid_")) {
            std::string s;
            for (size_t i = 1; i < row.size(); ++i) {
                const nv::DbValue& v = row[i];
                if (auto n = std::get_if<int64_t>(&v)) s += std::to_string(*n);
                else if (auto d = std::get_if<double>(&v)) s += std::to_string(*d);
                else if (auto x = std::get_if<std::string>(&v)) s += *x;
                else s += "N";
                s += ",";
            }
            out.push_back(s);
        }
        return out;
    }

    std::vector<std::string> ImeCalls()
    {
        std::ifstream in(imeLog, std::ios::binary);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
};

// The grid of a window, its current row and column.
inline QTableView* GridOf(QWidget* w)
{
    return w->findChild<QTableView*>("DBGrid1");
}

inline QString Cell(QWidget* w, int row, int column)
{
    QTableView* g = GridOf(w);
    return g->model()->index(row, column).data().toString();
}

// The open editor of the current cell (its line edit), or nullptr.
inline QLineEdit* EditorLine(QWidget* w)
{
    QTableView* g = GridOf(w);
    QWidget* editor = g->indexWidget(g->currentIndex());
    if (auto* combo = qobject_cast<QComboBox*>(editor)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(editor);
}

inline void Press(QWidget* w, Qt::Key key)
{
    if (QLineEdit* line = EditorLine(w)) QTest::keyClick(line, key);
    else QTest::keyClick(GridOf(w), key);
}

// Types into the current cell as a person would: the editor opens, ASCII
// comes as keys, Japanese as the input method's commit.
inline void TypeCell(QWidget* w, const QString& text)
{
    QTableView* g = GridOf(w);
    g->edit(g->currentIndex());
    QLineEdit* line = EditorLine(w);
    ASSERT_TRUE(line) << "no editor";
    line->selectAll();
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 0x7f;
    if (text.isEmpty()) QTest::keyClick(line, Qt::Key_Delete);
    else if (ascii) QTest::keyClicks(line, text);
    else {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(line, &commit);
    }
}

// Types a cell and leaves it with key.
inline void Enter(QWidget* w, const QString& text, Qt::Key key = Qt::Key_Tab)
{
    TypeCell(w, text);
    Press(w, key);
}

inline void GoTo(QWidget* w, int row, int column)
{
    QTableView* g = GridOf(w);
    g->setCurrentIndex(g->model()->index(row, column));
}

inline void Click(QWidget* w, const char* button)
{
    auto* b = w->findChild<QPushButton*>(button);
    ASSERT_TRUE(b) << button;
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace nvtest
