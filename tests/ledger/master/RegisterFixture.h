#pragma once
// Screen tests of the registers: an application, scripted prompts, a test
// ProgID file naming the built registers and journals with a recording
// input-method component, and the hints that component was given.
#include "support/TestApp.h"
#include "PartyTestDb.h"

#include "ledger/common/CompanyFile.h"

#include "platform/ui/ScriptedPrompt.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
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
    std::string imeLog = t.dir.file("ime.log");
    std::string progids = t.dir.file("progids");

    void SetUp() override
    {
        EnsureApp();
        // The journals check the database against the settings file.
        nv::CompanyFile company;
        company.Settings = settings;
        nv::WriteCompanyFile(t.folder + nv::kCompanyFileName, company);
        WriteProgIds(true);
        setenv("NV_IME_LOG", imeLog.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("NIVALO_PROGIDS");
        unsetenv("NV_IME_LOG");
    }

    // A ProgID file of its own name for each content, as the registry reads
    // a file again only when its name changes.
    void WriteProgIds(bool withJournals)
    {
        progids = t.dir.file(withJournals ? "progids" : "progids-nojournal");
        std::ofstream out(progids, std::ios::binary);
        out << "SupplierBook.shiiresakiClass\t" NV_SUPPLIERBOOK_PLUGIN "\tshiiresakiClass\t\n"
            << "CustomerBook.uriagesakiClass\t" NV_CUSTOMERBOOK_PLUGIN "\turiagesakiClass\t\n"
            << "NvZzIME.imeClass\t" NV_RECORDING_IME_PLUGIN "\timeClass\t\n";
        if (withJournals)
            out << "PurchaseJournal.shiiredataClass\t" NV_PURCHASEJOURNAL_PLUGIN "\tshiiredataClass\t\n"
                << "SalesJournal.uriagedataClass\t" NV_SALESJOURNAL_PLUGIN "\turiagedataClass\t\n";
        out.close();
        setenv("NIVALO_PROGIDS", progids.c_str(), 1);
    }

    // The input-method hints given, "open|mode" each, open as a number (True is -1).
    std::vector<std::string> ImeHints()
    {
        std::vector<std::string> out;
        std::istringstream in(ReadText(imeLog));
        for (std::string line; std::getline(in, line);) out.push_back(line.substr(line.find('|') + 1));
        return out;
    }

    // The journal the register's button opens, as it stands when it opens;
    // it is closed again.
    struct OpenedJournal {
        QString form, number, name, firstItem, firstBalance;
        int lines = 0;
    };
    OpenedJournal OpenJournal(QPushButton* button)
    {
        OpenedJournal j;
        bool opened = false;
        const std::function<void(QWidget*)> look = [&](QWidget* w) {
            auto* grid = w->findChild<QTableView*>("DBGrid1");
            j.form = w->objectName();
            j.number = w->findChild<QLabel*>("LabNo")->text();
            j.name = w->findChild<QLabel*>("LabName")->text().trimmed();
            j.lines = grid->model()->rowCount();
            j.firstItem = grid->model()->index(0, kItemColumn).data().toString();
            j.firstBalance = grid->model()->index(0, kBalanceColumn).data().toString();
        };
        nvtest::DriveNextModal(look, opened);
        Click(button);
        EXPECT_TRUE(opened) << script->Messages().join("\n").toStdString();
        return j;
    }
    static constexpr int kItemColumn = 5, kBalanceColumn = 11;
};

} // namespace nvtest
