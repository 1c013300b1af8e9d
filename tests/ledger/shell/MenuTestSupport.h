#pragma once
// A menu on a temporary data folder and a scripted prompt, with the stub
// components registered through a ProgID file of its own, or the build's own.
#include "ledger/common/CompanyFile.h"
#include "ledger/shell/MenuForm.h"
#include "platform/ui/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace nvtest {

class MenuFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the ProgID file naming the stubs given (all when empty).
    void RegisterStubs(const QStringList& progIds = {});
    // The build's own components, through its registry, in place of the stubs.
    void UseBuiltComponents();
    // A valid company.w1 with the display flag given.
    void WriteCompany(float screenFlag = 0);
    std::unique_ptr<nv::MenuForm> MakeMenu();
    // Load, then show once.
    std::unique_ptr<nv::MenuForm> StartMenu();
    QStringList Log() const;
    std::string Home(const std::string& name = {}) const { return (home_.path() / name).string(); }
    std::string TemplatePath() const;

    TempDir home_;
    TempDir side_;
    nv::ui::ScriptedPrompt* prompt_ = nullptr;
    std::unique_ptr<nv::ui::ScopedPrompt> scope_;
    QList<QUrl> opened_;
    bool openResult_ = true;
    std::filesystem::path cwd_;
};

} // namespace nvtest
