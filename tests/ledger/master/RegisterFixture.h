#pragma once
// Screen tests of the registers: an application, scripted prompts, a test
// ProgID file naming the built registers and the fake journals, and a log of
// what the fakes were called with.
#include "support/TestApp.h"
#include "PartyTestDb.h"

#include "platform/ui/ScriptedPrompt.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace nvtest {

inline void EnsureApp() { nvtest::EnsureWidgetApp(); }

inline void Click(QPushButton* b)
{
    ASSERT_TRUE(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

// Replaces the text as a person would: select all, then type (ASCII as
// keys, Japanese as the input method's commit).
inline void Type(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->selectAll();
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 0x7f;
    if (text.isEmpty()) {
        QTest::keyClick(e, Qt::Key_Delete);
    } else if (ascii) {
        QTest::keyClicks(e, text);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(e, &commit);
    }
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct RegisterFixture : ::testing::Test {
    PartyTestDb t;
    nv::CompanySettings settings = RegisterSettings();
    nv::ui::ScriptedPrompt* script = new nv::ui::ScriptedPrompt;
    nv::ui::ScopedPrompt scope{std::unique_ptr<nv::ui::Prompt>(script)};
    std::string log = t.dir.file("fake.log");
    std::string progids = t.dir.file("progids");

    void SetUp() override
    {
        EnsureApp();
        WriteProgIds(true);
        setenv("NV_FAKE_LOG", log.c_str(), 1);
        unsetenv("NV_FAKE_FAIL");
    }
    void TearDown() override
    {
        unsetenv("NIVALO_PROGIDS");
        unsetenv("NV_FAKE_LOG");
    }

    // A ProgID file of its own name for each content, as the registry reads
    // a file again only when its name changes.
    void WriteProgIds(bool withJournals)
    {
        progids = t.dir.file(withJournals ? "progids" : "progids-nojournal");
        std::ofstream out(progids, std::ios::binary);
        out << "SupplierBook.shiiresakiClass\t" NV_SUPPLIERBOOK_PLUGIN "\tshiiresakiClass\t\n"
            << "CustomerBook.uriagesakiClass\t" NV_CUSTOMERBOOK_PLUGIN "\turiagesakiClass\t\n"
            << "NvZzIME.imeClass\t" NV_FAKE_JOURNAL_PLUGIN "\timeClass\t\n";
        if (withJournals)
            out << "PurchaseJournal.shiiredataClass\t" NV_FAKE_JOURNAL_PLUGIN "\tshiiredataClass\t\n"
                << "SalesJournal.uriagedataClass\t" NV_FAKE_JOURNAL_PLUGIN "\turiagedataClass\t\n";
        out.close();
        setenv("NIVALO_PROGIDS", progids.c_str(), 1);
    }

    // The fakes' calls, one line each.
    std::vector<std::string> Calls(const std::string& prefix)
    {
        std::vector<std::string> out;
        std::istringstream in(ReadText(log));
        for (std::string line; std::getline(in, line);)
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        return out;
    }
};

} // namespace nvtest
