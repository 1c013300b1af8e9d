#include "ledger/shell/ClockPanel/TokeiClass.h"
#include "ledger/shell/InfoPanel/AboutClass.h"
#include "ledger/shell/ScreenMode/DisplayClass.h"
#include "support/ChildProcesses.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <signal.h>
#include <sys/utsname.h>

namespace {

using nv::Variant;

// Closes the next modal dialog once it is up, pressing the named button.
void PressLater(const char* button)
{
    QTimer::singleShot(0, [button] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return PressLater(button);
        auto* b = w->findChild<QPushButton*>(QString::fromLatin1(button));
        if (b) QTest::mouseClick(b, Qt::LeftButton);
        else w->close();
    });
}

QString LabelText(const char* name)
{
    QWidget* w = QApplication::activeModalWidget();
    auto* l = w ? w->findChild<QLabel*>(QString::fromLatin1(name)) : nullptr;
    return l ? l->text() : QString();
}

struct RegCase {
    const char* owner;
    const char* organization;
    const char* shown;
};

TEST(InfoPanel, OwnerAndOrganisationCasesAndFreshReads)
{
    const RegCase cases[] = {
        {"山田太郎", "山田商店", "山田太郎\r\n山田商店"},
        {"山田太郎", "", "山田太郎\r\n"},
        {"", "山田商店", "ユーザー名は登録されていません\r\n山田商店"},
        {"", "", "ユーザー名は登録されていません\r\n"},
    };
    for (const RegCase& c : cases) {
        int reads = 0;
        nv::AboutClass::SetSources(nullptr, [&] {
            ++reads;
            return nv::Registration{QString::fromUtf8(c.owner), QString::fromUtf8(c.organization)};
        });
        nv::Ref<nv::AboutClass> about(new nv::AboutClass);
        QString shown, caption;
        for (int call = 0; call < 2; ++call) {
            QTimer::singleShot(0, [&] {
                shown = LabelText("lblUserInfo");
                caption = QApplication::activeModalWidget() ? QApplication::activeModalWidget()->windowTitle() : QString();
            });
            PressLater("cmdAction(0)");
            Variant r = nv::ObjectRef(static_cast<nv::Dispatch*>(about.Get())).Call("fcFrmOp", {Variant(int16_t(1))});
            EXPECT_EQ(r.ToString(), "");
        }
        EXPECT_EQ(shown, QString::fromUtf8(c.shown));
        EXPECT_EQ(caption, QStringLiteral("のびのび補助簿のバージョン情報"));
        EXPECT_EQ(reads, 2);
    }
    nv::AboutClass::SetSources(nullptr, nullptr);
}

TEST(InfoPanel, VersionTextAndBuildSettings)
{
    EXPECT_EQ(nv::VersionText(2, 6, 0), QStringLiteral("Version 2.6"));
    EXPECT_EQ(nv::VersionText(2, 6, 2), QStringLiteral("Version 2.6.2"));
    nv::AboutInfo info = nv::DefaultAboutInfo();
    EXPECT_EQ(nv::VersionText(info.major, info.minor, info.revision), QStringLiteral("Version 2.6.2"));
    nv::AboutForm form(info, {});
    auto* copyright = form.findChild<QLabel*>(QStringLiteral("lblCopyright"));
    ASSERT_TRUE(copyright);
    EXPECT_EQ(copyright->text(), info.copyright + QStringLiteral("\r\n") + info.trademarks);
}

TEST(InfoPanel, LicenceBlockTwoToneRuleAndWarning)
{
    nv::AboutForm form(nv::DefaultAboutInfo(), {QStringLiteral("山田太郎"), {}});
    form.show();
    auto named = [&](const char* name) { return form.findChild<QWidget*>(QString::fromLatin1(name)); };
    auto* licence = qobject_cast<QLabel*>(named("lblLicense"));
    ASSERT_TRUE(licence);
    EXPECT_EQ(licence->text(), QStringLiteral("ライセンス情報"));
    EXPECT_TRUE(licence->font().bold());
    auto* warning = qobject_cast<QLabel*>(named("lblWarning"));
    ASSERT_TRUE(warning);
    EXPECT_TRUE(warning->text().startsWith(QStringLiteral("警告")));
    // The rule: dark above light, under the user block, over the warning and OK.
    QWidget* dark = named("Line1(1)");
    QWidget* light = named("Line1(0)");
    ASSERT_TRUE(dark && light);
    EXPECT_LT(dark->y(), light->y());
    EXPECT_GT(dark->y(), named("lblUserInfo")->geometry().bottom());
    EXPECT_LT(light->geometry().bottom(), warning->y());
    EXPECT_LT(light->geometry().bottom(), named("cmdAction(0)")->y());
    EXPECT_GT(dark->width(), form.width() * 3 / 4);
    EXPECT_EQ(dark->palette().color(QPalette::Window), form.palette().color(QPalette::Shadow));
    EXPECT_EQ(light->palette().color(QPalette::Window), form.palette().color(QPalette::Light));
}

TEST(InfoPanel, TheSystemReportNamesThisKernel)
{
    utsname u{};
    ASSERT_EQ(uname(&u), 0);
    QString report = nv::SystemReport();
    EXPECT_TRUE(report.contains(QString::fromLocal8Bit(u.release))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Qt: ") + QString::fromLatin1(qVersion())));
    // What /proc says, read here on its own.
    const struct { const char* caption; const char* file; const char* key; } lines[] = {
        {"CPU: ", "/proc/cpuinfo", "model name"}, {"メモリ: ", "/proc/meminfo", "MemTotal"}};
    for (const auto& l : lines) {
        std::ifstream in(l.file);
        std::string value;
        for (std::string line; value.empty() && std::getline(in, line);)
            if (line.rfind(l.key, 0) == 0) value = QString::fromStdString(line.substr(line.find(':') + 1)).trimmed().toStdString();
        if (value.empty()) continue;   // a machine that does not tell
        EXPECT_TRUE(report.contains(QString::fromUtf8(l.caption) + QString::fromStdString(value))) << report.toStdString();
    }
}

TEST(InfoPanel, ThroughItsProgIdTheBoxShowsAndCloses)
{
    unsetenv("NIVALO_PROGIDS");
    PressLater("cmdAction(0)");
    nv::ObjectRef about(nv::CreateObject("InfoPanel.aboutClass"));
    Variant item{int16_t(1)};
    Variant args[] = {Variant::ByRef(&item)};
    EXPECT_EQ(about.CallArgs("fcFrmOp", args).ToString(), "");
}

TEST(ClockPanel, WeekdayNames)
{
    EXPECT_EQ(nv::TokeiClass::gfWeekday(Variant(int16_t(7))).ToString(), "土曜日");
    EXPECT_EQ(nv::TokeiClass::gfWeekday(Variant(int32_t(1))).ToString(), "日曜日");
    EXPECT_TRUE(nv::TokeiClass::gfWeekday(Variant(int16_t(0))).IsEmpty());
    EXPECT_TRUE(nv::TokeiClass::gfWeekday(Variant(int16_t(8))).IsEmpty());
    EXPECT_TRUE(nv::TokeiClass::gfWeekday(Variant("x")).IsEmpty());
    EXPECT_EQ(nv::TokeiClass::gfc4DigitYear(QDate(2024, 12, 8)), "2024年12月8日");
}

TEST(ClockPanel, PicturesFollowTheMinutesAndTheCounterPassesSixteenBits)
{
    nv::Ref<nv::TokeiClass> opener(new nv::TokeiClass);
    opener->fcFrmOp(0);
    nv::ClockForm* w = nv::TokeiClass::Window();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("時計"));
    QString date = w->findChild<QLabel*>(QStringLiteral("Label2"))->text();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}年\\d{1,2}月\\d{1,2}日  .曜日$")).match(date).hasMatch())
        << date.toStdString();
    EXPECT_EQ(date.count(QStringLiteral("曜日")), 1);

    auto visible = [&] {
        QStringList v;
        for (int a = 2; a <= 4; ++a)
            for (int i = 1; i < nv::ClockForm::kImages; ++i)
                if (!w->Image(a, i)->isHidden()) v << QStringLiteral("Image%1(%2)").arg(a).arg(i);
        return v;
    };
    // Minute at which each picture appears.
    std::map<int, QString> expected{{3, "Image2(1)"}, {6, "Image3(1)"}, {9, "Image4(2)"}, {12, "Image2(2)"},
                                    {135, "Image4(16)"}, {138, "Image2(16)"}, {141, "Image3(16)"}};
    QStringList before;
    for (int minute = 1; minute <= 150; ++minute) {
        w->Tick();
        QStringList now = visible();
        if (expected.count(minute)) {
            EXPECT_TRUE(now.contains(expected[minute])) << minute;
            EXPECT_EQ(now.size(), before.size() + 1) << minute;
        }
        if (minute >= 144 || minute % 3) {
            EXPECT_EQ(now, before) << minute;
        }
        before = now;
    }
    EXPECT_EQ(before.size(), 47);
    EXPECT_FALSE(before.contains(QStringLiteral("Image4(1)")));
    auto* counter = w->findChild<QLabel*>(QStringLiteral("Label3"));
    EXPECT_EQ(counter->text(), QStringLiteral("150"));
    for (int minute = 151; minute <= 32768; ++minute) w->Owner().gsbClockEvent();
    EXPECT_EQ(counter->text(), QStringLiteral("32768"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d時\\d\\d分$"))
                    .match(w->findChild<QLabel*>(QStringLiteral("lbClock"))->text())
                    .hasMatch());

    // Any object closes the one window.
    nv::Ref<nv::TokeiClass> closer(new nv::TokeiClass);
    closer->fcEnd();
    EXPECT_EQ(nv::TokeiClass::Window(), nullptr);
    closer->fcEnd();
    opener->fcFrmOp(1);
    ASSERT_TRUE(nv::TokeiClass::Window());
    EXPECT_EQ(nv::TokeiClass::Window()->windowTitle(), QStringLiteral("時計サンプル"));
    EXPECT_EQ(nv::TokeiClass::Window()->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("0"));
    closer->fcEnd();
}

TEST(ClockPanel, TheWaveFollowsItsFormulas)
{
    nv::Wave w(33);
    EXPECT_FLOAT_EQ(w.Baseline1(), 8.25f);
    EXPECT_EQ(w.Baseline2(), 25);
    EXPECT_DOUBLE_EQ(w.DotAt(80).x1, 200.0);
    EXPECT_DOUBLE_EQ(w.DotAt(80).x2, 350.0);
    std::vector<double> sines;
    double t = 0;
    for (int step = 1; step <= 60; ++step) {
        w.Step();
        t += double(1.0f / 400.0f);
        sines.insert(sines.begin(), 3 * std::sin(t * (20.0 * (3.14159263 * 2))));
        for (int i = 0; i <= 80; ++i) {
            double wi = i < int(sines.size()) ? sines[size_t(i)] : 0;
            int back = 80 - i;
            int16_t ki = back < int(sines.size()) ? int16_t(std::nearbyint(sines[size_t(back)])) : 0;
            ASSERT_DOUBLE_EQ(w.W(i), wi) << step << " " << i;
            ASSERT_EQ(w.K(i), ki) << step << " " << i;
            ASSERT_DOUBLE_EQ(w.DotAt(i).y1, 8.25 - (wi + ki));
            ASSERT_DOUBLE_EQ(w.DotAt(i).y2, 25 - (wi + ki));
        }
    }
    // Half-way values round to even: 2.5 gives 2.
    EXPECT_EQ(int16_t(std::nearbyint(2.5)), 2);
}

TEST(ScreenMode, RequestsAreLoggedAndChangeNothing)
{
    size_t before = nv::DisplayClass::Requests().size();
    nv::ObjectRef d(static_cast<nv::Dispatch*>(new nv::DisplayClass));
    d.Call("gsDispIni");
    d.Call("gsDispChange");
    d.Call("gsDispEnd");
    std::vector<std::string> got(nv::DisplayClass::Requests().begin() + long(before), nv::DisplayClass::Requests().end());
    EXPECT_EQ(got, (std::vector<std::string>{"gsDispIni", "gsDispChange", "gsDispEnd"}));
}

// The menu started on its own, offscreen, its prompts answered with their
// defaults, on the data folder home; program runs it (itself, or a tracer).
void StartUnattendedMenu(QProcess& p, const nvtest::TempDir& home, const QString& program, const QStringList& args = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("NIVALO_HOME"), QString::fromStdString(home.path().string()));
    env.insert(QStringLiteral("NIVALO_PROMPTS"), QStringLiteral("auto"));
    env.remove(QStringLiteral("NIVALO_PROGIDS"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QString::fromStdString(home.path().string()));
    p.start(program, args);
}

TEST(NivaloProgram, AFirstUnattendedStartCreatesTheDatabase)
{
    nvtest::TempDir home;
    QProcess p;
    StartUnattendedMenu(p, home, QStringLiteral(NV_BINARY_DIR "/bin/nivalo"));
    ASSERT_TRUE(p.waitForStarted(10000));
    std::string db = (home.path() / "補助簿DB.MDB").string();
    for (int i = 0; i < 200 && !std::filesystem::exists(db); ++i) QTest::qWait(50);
    // The menu then waits for its user: end it.
    p.kill();
    p.waitForFinished(10000);
    EXPECT_EQ(nvtest::ReadFileBytes(db), nvtest::ReadFileBytes(NV_BINARY_DIR "/share/空の補助簿DB.MDB"));
    QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("補助簿DBを作成しますか。\\n\\n作成するフォルダ: ") +
                             QString::fromStdString(home.path().string()) + QStringLiteral(" -> OK")))
        << err.toStdString();
}

// The package installed once for these tests into a temporary prefix, then
// moved to another folder: what works there works under any prefix. Empty
// when the install failed.
std::filesystem::path InstalledPackage()
{
    static nvtest::TempDir dir;
    static const std::filesystem::path prefix = [] {
        const std::filesystem::path first = dir.path() / "installed", moved = dir.path() / "moved";
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral("cmake"), {QStringLiteral("--install"), QStringLiteral(NV_BINARY_DIR),
                                                QStringLiteral("--prefix"), QString::fromStdString(first.string())});
        const bool done = install.waitForFinished(300000) && install.exitCode() == 0;
        EXPECT_TRUE(done) << install.readAll().toStdString();
        std::error_code ec;
        if (done) std::filesystem::rename(first, moved, ec);
        return done && !ec ? moved : std::filesystem::path();
    }();
    return prefix;
}

TEST(NivaloProgram, TheInstallPutsOnlyProgramsInBinAndIconsWhereTheDesktopFilesFindThem)
{
    // The menu takes no file, so it claims no file type; it names its icon.
    const QString desktop = QStringLiteral(NV_SOURCE_DIR "/ledger/shell/nivalo.desktop");
    EXPECT_EQ(QProcess::execute(QStringLiteral("desktop-file-validate"), {desktop}), 0);
    const std::string entry = nvtest::ReadFileBytes(desktop.toStdString());
    EXPECT_EQ(entry.find("MimeType="), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=nivalo\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nExec=nivalo\n"), std::string::npos) << entry;

    const std::filesystem::path prefix = InstalledPackage();
    ASSERT_FALSE(prefix.empty());
    std::set<std::string> bin;
    for (const auto& e : std::filesystem::directory_iterator(prefix / "bin")) bin.insert(e.path().filename());
    EXPECT_EQ(bin, (std::set<std::string>{"nivalo", "pagelook"}));
    const auto theme = prefix / "share/icons/hicolor";
    for (const char* program : {"nivalo", "pagelook"}) {
        SCOPED_TRACE(program);
        EXPECT_TRUE(std::filesystem::exists(theme / "scalable/apps" / (std::string(program) + ".svg")));
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            const auto png = theme / (std::to_string(size) + "x" + std::to_string(size)) / "apps" / (std::string(program) + ".png");
            EXPECT_EQ(QImage(QString::fromStdString(png.string())).size(), QSize(size, size)) << png;
        }
    }
    EXPECT_TRUE(std::filesystem::exists(prefix / "share/applications/nivalo.desktop"));
    EXPECT_TRUE(std::filesystem::exists(prefix / "share/nivalo/progids"));
}

// A trace of strace -x read back: a string with a byte outside ASCII is
// written all as \xNN, which becomes its bytes again.
std::string Untraced(const std::string& traced)
{
    std::string out;
    for (size_t i = 0; i < traced.size(); ++i) {
        if (traced[i] == '\\' && i + 3 < traced.size() && traced[i + 1] == 'x' && std::isxdigit(uint8_t(traced[i + 2]))
            && std::isxdigit(uint8_t(traced[i + 3]))) {
            out += char(std::stoi(traced.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += traced[i];
        }
    }
    return out;
}

TEST(NivaloProgram, TheInstalledMenuFindsItsFilesBesideItAndNeverInTheBuildTree)
{
    const std::filesystem::path prefix = InstalledPackage();
    ASSERT_FALSE(prefix.empty());
    // The build tree stays where it is, every file of it in reach: the
    // installed program must still never look there.
    ASSERT_TRUE(std::filesystem::exists(NV_BINARY_DIR "/share/progids"));
    nvtest::TempDir home, traceDir;
    const std::string trace = traceDir.file("trace");
    QProcess p;
    StartUnattendedMenu(p, home, QStringLiteral("strace"),
                        {QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-x"), QStringLiteral("-s"),
                         QStringLiteral("4096"), QStringLiteral("-e"), QStringLiteral("trace=%file"), QStringLiteral("-o"),
                         QString::fromStdString(trace), QString::fromStdString((prefix / "bin/nivalo").string())});
    ASSERT_TRUE(p.waitForStarted(10000));
    // Up to the clock, which the menu makes when it is first shown.
    const std::string clock = (prefix / "lib/nivalo/ClockPanel.so").string();
    auto tracedSoFar = [&] { return std::filesystem::exists(trace) ? Untraced(nvtest::ReadFileBytes(trace)) : std::string(); };
    for (int i = 0; i < 400 && tracedSoFar().find(clock) == std::string::npos; ++i) QTest::qWait(50);
    for (pid_t child : nvtest::ChildProcesses(pid_t(p.processId()))) kill(child, SIGKILL);
    p.waitForFinished(10000);
    const std::string traced = tracedSoFar();
    const std::string said = QString::fromUtf8(p.readAllStandardError()).toStdString();
    EXPECT_NE(said.find("補助簿DBを作成しますか。\\n\\n作成するフォルダ: " + home.path().string() + " -> OK"), std::string::npos) << said;
    EXPECT_EQ(said.find("できません"), std::string::npos) << said;

    // Opened from the package.
    for (const char* file : {"share/nivalo/progids", "share/nivalo/空の補助簿DB.MDB", "share/nivalo/company.w1",
                             "lib/nivalo/ScreenMode.so", "lib/nivalo/ClockPanel.so"}) {
        const std::string quoted = "\"" + (prefix / file).string() + "\"";
        bool opened = false;
        std::istringstream lines(traced);
        for (std::string line; std::getline(lines, line);)
            opened = opened || (line.find(quoted) != std::string::npos && line.find(" = -1 ") == std::string::npos);
        EXPECT_TRUE(opened) << file;
    }
    EXPECT_EQ(nvtest::ReadFileBytes(home.path() / "補助簿DB.MDB"),
              nvtest::ReadFileBytes(prefix / "share/nivalo/空の補助簿DB.MDB"));
    // Never a look into the build tree or the sources.
    std::istringstream lines(traced);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.find(NV_BINARY_DIR), std::string::npos) << line;
        EXPECT_EQ(line.find(NV_SOURCE_DIR), std::string::npos) << line;
    }
}

// What a desktop (GIO, as file managers ask it) calls a file.
std::string ContentType(const std::filesystem::path& file, const QString& dataDirs, const QString& dataHome)
{
    QProcess gio;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_DIRS"), dataDirs);
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    gio.setProcessEnvironment(env);
    gio.start(QStringLiteral("gio"), {QStringLiteral("info"), QStringLiteral("-a"), QStringLiteral("standard::content-type"),
                                      QString::fromStdString(file.string())});
    if (!gio.waitForFinished(30000)) return "gio did not end";
    const QString out = QString::fromUtf8(gio.readAllStandardOutput());
    const qsizetype at = out.indexOf(QStringLiteral("standard::content-type: "));
    return at < 0 ? out.toStdString() : out.mid(at + 24).trimmed().toStdString();
}

bool UpdateMimeDatabase(const std::filesystem::path& mime)
{
    QProcess update;
    update.start(QStringLiteral("update-mime-database"), {QString::fromStdString(mime.string())});
    return update.waitForFinished(60000) && update.exitStatus() == QProcess::NormalExit && update.exitCode() == 0;
}

TEST(NivaloProgram, FileManagersNameALedgerDatabaseAsOne)
{
    const std::filesystem::path prefix = InstalledPackage();
    ASSERT_FALSE(prefix.empty());
    namespace fs = std::filesystem;
    nvtest::TempDir data;
    // As a Debian package puts it: in the system's MIME database, one cache.
    const fs::path merged = data.path() / "merged";
    fs::create_directories(merged / "mime/packages");
    for (const auto& e : fs::directory_iterator("/usr/share/mime/packages"))
        fs::copy_file(e.path(), merged / "mime/packages" / e.path().filename());
    fs::copy_file(prefix / "share/mime/packages/nivalo-mime.xml", merged / "mime/packages/nivalo-mime.xml");
    ASSERT_TRUE(UpdateMimeDatabase(merged / "mime"));
    // Installed under another prefix: its own cache, searched before the system's.
    ASSERT_TRUE(UpdateMimeDatabase(prefix / "share/mime"));

    const std::string ledger = nvtest::ReadFileBytes(prefix / "share/nivalo/空の補助簿DB.MDB");
    const std::string jet = std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(2028, '\0');
    const struct {
        const char* name;
        const std::string& bytes;
        const char* type;
    } rows[] = {
        {"補助簿DB.MDB", ledger, "application/x-nivalo-ledger"},
        {"補助簿DBバックアップ12-10-2026.MDB", ledger, "application/x-nivalo-ledger"},
        {"山田商店2027.mdb", ledger, "application/x-nivalo-ledger"},
        {"顧客.MDB", jet, "application/vnd.ms-access"},
        {"何か.MDB", std::string(512, 'x'), "application/vnd.ms-access"},
        {"補助簿DB.sqlite3", ledger, "application/vnd.sqlite3"},
    };
    const fs::path files = data.path() / "files";
    fs::create_directories(files);
    for (const auto& row : rows) nvtest::WriteFileBytes(files / row.name, row.bytes);
    const QString home = QString::fromStdString((data.path() / "no-user-types").string());
    for (const QString& dirs : {QString::fromStdString(merged.string()),
                                QString::fromStdString((prefix / "share").string()) + QStringLiteral(":/usr/share")}) {
        SCOPED_TRACE(dirs.toStdString());
        for (const auto& row : rows) EXPECT_EQ(ContentType(files / row.name, dirs, home), row.type) << row.name;
    }
}

} // namespace
