#include "MenuTestSupport.h"

#include "platform/automation/Automation.h"

#include <QApplication>
#include <QFile>

#include <cstdlib>
#include <fstream>

namespace nvtest {

void MenuFixture::SetUp()
{
    cwd_ = std::filesystem::current_path();
    setenv("NIVALO_HOME", home_.path().c_str(), 1);
    setenv("NIVALO_STUB_LOG", side_.file("calls.log").c_str(), 1);
    unsetenv("NIVALO_STUB_DBNAME");
    RegisterStubs();
    auto p = std::make_unique<nv::ui::ScriptedPrompt>();
    prompt_ = p.get();
    scope_ = std::make_unique<nv::ui::ScopedPrompt>(std::move(p));
}

void MenuFixture::TearDown()
{
    scope_.reset();
    std::filesystem::current_path(cwd_);
    unsetenv("NIVALO_PROGIDS");
    unsetenv("NIVALO_HOME");
}

void MenuFixture::RegisterStubs(const QStringList& progIds)
{
    static int generation = 0;
    // A new file name each time, so the registry reads it afresh.
    std::string file = side_.file("progids" + std::to_string(++generation));
    std::string text;
    const nv::PluginApi& api = nv::LoadPlugin(NV_TEST_SHELL_STUBS);
    for (size_t i = 0; i < api.classCount; ++i) {
        QString id = QString::fromLatin1(api.classes[i].progId);
        if (!progIds.isEmpty() && !progIds.contains(id)) continue;
        text += std::string(api.classes[i].progId) + "\t" + NV_TEST_SHELL_STUBS + "\t" + api.classes[i].typeName + "\t\n";
    }
    WriteFileBytes(file, text);
    setenv("NIVALO_PROGIDS", file.c_str(), 1);
}

void MenuFixture::UseBuiltComponents()
{
    unsetenv("NIVALO_PROGIDS");
}

void MenuFixture::WriteCompany(float screenFlag)
{
    nv::CompanyFile f;
    f.Settings.OwnerName = nv::FixedText("山田太郎", nv::kOwnerNameWidth);
    f.Settings.OwnerKana = nv::FixedText("やまだたろう", nv::kOwnerKanaWidth);
    f.Settings.Term = 5;
    f.Settings.StartYear = 2024, f.Settings.StartMonth = 4, f.Settings.StartDay = 1;
    f.Settings.EndYear = 2025, f.Settings.EndMonth = 3, f.Settings.EndDay = 31;
    f.Settings.BusinessForm = -1;
    f.Settings.TaxRate = 10;
    f.Settings.PurchaseClosingDay = "２０日";
    f.Settings.SalesClosingDay = "末日";
    f.Settings.PrintName = nv::FixedText("山田商店", nv::kPrintNameWidth);
    f.ScreenFlag = screenFlag;
    nv::WriteCompanyFile(Home(nv::kCompanyFileName), f);
}

std::unique_ptr<nv::MenuForm> MenuFixture::MakeMenu()
{
    nv::MenuHooks hooks;
    hooks.today = [] { return QDate(2024, 12, 8); };
    hooks.openUrl = [this](const QUrl& url) {
        opened_.push_back(url);
        return openResult_;
    };
    return std::make_unique<nv::MenuForm>(hooks);
}

std::unique_ptr<nv::MenuForm> MenuFixture::StartMenu()
{
    auto menu = MakeMenu();
    menu->Load();
    menu->show();
    return menu;
}

QStringList MenuFixture::Log() const
{
    QFile f(QString::fromStdString(side_.file("calls.log")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::string MenuFixture::TemplatePath() const
{
    return std::string(NV_BINARY_DIR) + "/share/" + "空の補助簿DB.MDB";
}

} // namespace nvtest

namespace {

// One application for every test of this program.
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "shelltest";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
};

[[maybe_unused]] const ::testing::Environment* const kApp = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

} // namespace
