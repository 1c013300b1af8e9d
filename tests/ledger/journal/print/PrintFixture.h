#pragma once
// Journal lines, summary figures and page texts for the report tests.
#include "ledger/journal/JournalLine.h"
#include "ledger/journal/JournalTestDb.h"
#include "ledger/journal/MonthTotals.h"
#include "ledger/journal/print/JournalPrint.h"
#include "ledger/journal/print/ReportPage.h"
#include "platform/ui/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace nvtest {

inline void EnsurePrintApp()
{
    static int argc = 1;
    static char name[] = "printtest";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// The carry-forward line of 2005/4/1 and purchases of 1,000 each, the month
// turning from April to May after the 40th.
inline std::vector<nv::JournalLine> PurchaseLines(int purchases, int64_t carry = 100000)
{
    std::vector<nv::JournalLine> lines;
    nv::JournalLine c;
    c.PartyNo = 7, c.DataNo = 0, c.Year = 2005, c.Month = 4, c.Day = 1;
    c.Item = "前期繰越金額";
    c.Balance = carry;
    lines.push_back(c);
    int64_t balance = carry;
    for (int i = 1; i <= purchases; ++i) {
        nv::JournalLine l;
        l.PartyNo = 7, l.DataNo = i, l.Year = 2005;
        l.Month = i <= 40 ? 4 : 5;
        l.Day = i <= 40 ? 1 + (i - 1) * 29 / 40 : 1 + (i - 41) % 28;
        l.Item = "ボルト";
        l.Quantity = 1, l.UnitPrice = 1000, l.Amount = 1000;
        balance += 1000;
        l.Balance = balance;
        lines.push_back(l);
    }
    return lines;
}

// The texts a page leaves in its objects, last write winning.
inline std::map<std::string, std::string> Texts(const nv::ReportPage& page)
{
    std::map<std::string, std::string> t;
    for (const nv::FieldWrite& w : page.Writes) t[w.Name] = w.Value.ToString();
    return t;
}

inline std::string At(const std::map<std::string, std::string>& page, const std::string& name)
{
    auto it = page.find(name);
    return it == page.end() ? "<unset>" : it->second;
}

// A summary row whose figures are base + slot.
inline nv::SummaryRow Party(int64_t no, const std::string& name, int64_t base)
{
    nv::SummaryRow r;
    r.PartyNo = no;
    r.Name = name;
    for (size_t s = 0; s < 37; ++s) r.Figures.Totals[s] = base + static_cast<int64_t>(s);
    return r;
}

inline nv::SummaryData Summary(std::vector<nv::SummaryRow> rows)
{
    nv::SummaryData d;
    d.Rows = std::move(rows);
    for (const nv::SummaryRow& r : d.Rows)
        for (size_t s = 0; s < 37; ++s) d.YearTotals[s] += r.Figures.Totals[s];
    return d;
}

inline nv::SummaryData Parties(int count)
{
    std::vector<nv::SummaryRow> rows;
    for (int i = 1; i <= count; ++i) rows.push_back(Party(i, "取引先" + std::to_string(i), i * 1000));
    return Summary(std::move(rows));
}

// A print procedure's surroundings: a data folder of its own, scripted
// prompts, a status log, the owner's settings and party 7.
struct PrintProcedureTest : ::testing::Test {
    TempDir home;
    nv::ui::ScriptedPrompt* script = new nv::ui::ScriptedPrompt;
    nv::ui::ScopedPrompt scope{std::unique_ptr<nv::ui::Prompt>(script)};
    StatusLog status;
    nv::PrintContext context{&status, nullptr};
    nv::CompanySettings settings;
    nv::PartyRecord party;

    void SetUp() override
    {
        EnsurePrintApp();
        setenv("NIVALO_HOME", home.path().c_str(), 1);
        settings.PrintName = nv::FixedText("山田", 20);
        settings.StartYear = 2005, settings.StartMonth = 4, settings.StartDay = 1;
        party.PartyNo = 7;
        party.Name = nv::FixedText("山田商店", 50);
    }
    void TearDown() override
    {
        unsetenv("NIVALO_HOME");
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor stayed";
    }
    std::string Document(const char* name) { return home.path().string() + "/PRINT/" + name; }
};

} // namespace nvtest
