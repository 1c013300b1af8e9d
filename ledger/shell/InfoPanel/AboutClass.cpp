#include "ledger/shell/InfoPanel/AboutClass.h"

#include "platform/core/Paths.h"
#include "platform/ui/Prompt.h"

#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSettings>
#include <QSysInfo>
#include <QThread>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

#ifndef NV_INFOPANEL_MAJOR
#define NV_INFOPANEL_MAJOR 2
#define NV_INFOPANEL_MINOR 6
#define NV_INFOPANEL_REVISION 2
#endif

namespace nv {

namespace {

std::function<AboutInfo()> gInfo;
std::function<Registration()> gRegistration;

QString CRLF() { return QStringLiteral("\r\n"); }

// The first line of /proc/<file> that starts with key, after the colon.
QString ProcValue(const char* file, const char* key)
{
    QFile f(QStringLiteral("/proc/") + QLatin1String(file));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    while (!f.atEnd()) {
        QString line = QString::fromUtf8(f.readLine());
        if (line.startsWith(QLatin1String(key))) return line.section(QLatin1Char(':'), 1).trimmed();
    }
    return {};
}

} // namespace

AboutInfo DefaultAboutInfo()
{
    AboutInfo a;
    a.title = QStringLiteral("のびのび補助簿");
    a.major = NV_INFOPANEL_MAJOR;
    a.minor = NV_INFOPANEL_MINOR;
    a.revision = NV_INFOPANEL_REVISION;
    a.description = QStringLiteral("仕入帳・売上帳と仕入先・売上先の元帳をつける補助簿です。");
    a.copyright = QStringLiteral("Copyright (C) Ardel");
    a.trademarks = QStringLiteral("のびのび補助簿はArdelの商標です。");
    return a;
}

Registration ReadRegistration()
{
    QSettings s(QStringLiteral("Ardel"), QStringLiteral("Nivalo"));
    Registration r;
    r.owner = s.value(QStringLiteral("Registration/Owner")).toString();
    r.organization = s.value(QStringLiteral("Registration/Organization")).toString();
    if (r.owner.isEmpty()) {
        if (const passwd* pw = ::getpwuid(::getuid())) {
            r.owner = QString::fromLocal8Bit(pw->pw_gecos).section(QLatin1Char(','), 0, 0).trimmed();
            if (r.owner.isEmpty()) r.owner = QString::fromLocal8Bit(pw->pw_name);
        }
    }
    return r;
}

QString VersionText(int major, int minor, int revision)
{
    QString v = QStringLiteral("Version %1.%2").arg(major).arg(minor);
    if (revision != 0) v += QStringLiteral(".%1").arg(revision);
    return v;
}

QString SystemReport()
{
    QStringList lines;
    lines << QStringLiteral("OS: ") + QSysInfo::prettyProductName();
    lines << QStringLiteral("カーネル: ") + QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion();
    QString cpu = ProcValue("cpuinfo", "model name");
    lines << QStringLiteral("CPU: ") + (cpu.isEmpty() ? QSysInfo::currentCpuArchitecture() : cpu) + QStringLiteral(" (")
                 + QString::number(QThread::idealThreadCount()) + QStringLiteral(")");
    lines << QStringLiteral("メモリ: ") + ProcValue("meminfo", "MemTotal");
    lines << QStringLiteral("Qt: ") + QString::fromLatin1(qVersion());
    lines << QStringLiteral("フォント: %1 書体").arg(QFontDatabase::families().size());
    QStringList printers = QPrinterInfo::availablePrinterNames();
    lines << QStringLiteral("プリンタ: ") + (printers.isEmpty() ? QStringLiteral("なし") : printers.join(QStringLiteral(", ")));
    lines << QStringLiteral("データフォルダ: ") + QString::fromStdString(DataFolderPath());
    return lines.join(QLatin1Char('\n'));
}

AboutForm::AboutForm(const AboutInfo& info, const Registration& reg, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(info.title + QStringLiteral("のバージョン情報"));
    auto* grid = new QGridLayout(this);
    auto label = [&](const char* name, const QString& text, int row, int col, int span = 1) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        grid->addWidget(l, row, col, 1, span);
        return l;
    };
    QFont big = font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    label("lblTitle(0)", info.title, 0, 0, 2)->setFont(big);
    label("lblVersion", VersionText(info.major, info.minor, info.revision), 1, 0, 2);
    label("lblDescription", info.description, 2, 0, 2)->setWordWrap(true);
    label("lblUserLabels", QStringLiteral("ユーザー名：") + CRLF() + QStringLiteral("会社名："), 3, 0);
    QString user = reg.owner.isEmpty() ? QStringLiteral("ユーザー名は登録されていません") : reg.owner;
    user += CRLF();
    if (!reg.organization.isEmpty()) user += reg.organization;
    label("lblUserInfo", user, 3, 1);
    label("lblTitle(1)", info.title, 4, 0, 2);
    label("lblCopyright", info.copyright + CRLF() + info.trademarks, 5, 0, 2);
    action_[0] = new QPushButton(QStringLiteral("OK"), this);
    action_[1] = new QPushButton(QStringLiteral("システム情報(&S)..."), this);
    for (int i = 0; i < 2; ++i) {
        action_[i]->setObjectName(QStringLiteral("cmdAction(%1)").arg(i));
        grid->addWidget(action_[i], 6 + i, 1);
        connect(action_[i], &QPushButton::clicked, this, [this, i] { cmdAction_Click(i); });
    }
    action_[0]->setDefault(true);
}

void AboutForm::cmdAction_Click(int index)
{
    if (index == 0) {
        accept();
        return;
    }
    if (index != 1) return;
    QDialog report(this);
    report.setObjectName(QStringLiteral("SystemReport"));
    report.setWindowTitle(QStringLiteral("システム情報"));
    auto* layout = new QVBoxLayout(&report);
    auto* text = new QPlainTextEdit(SystemReport(), &report);
    text->setReadOnly(true);
    layout->addWidget(text);
    auto* close = new QPushButton(QStringLiteral("閉じる"), &report);
    layout->addWidget(close);
    connect(close, &QPushButton::clicked, &report, &QDialog::accept);
    report.resize(480, 260);
    report.exec();
}

void AboutClass::SetSources(std::function<AboutInfo()> info, std::function<Registration()> reg)
{
    gInfo = std::move(info);
    gRegistration = std::move(reg);
}

Variant AboutClass::fcFrmOp(int16_t)
{
    std::unique_ptr<AboutForm> form;
    try {
        form = std::make_unique<AboutForm>(gInfo ? gInfo() : DefaultAboutInfo(),
                                           gRegistration ? gRegistration() : ReadRegistration());
    } catch (...) {
        return Variant("Aboutロードエラー");
    }
    form->exec();
    return Variant("");
}

void AboutClass::BindMembers(Binder& b)
{
    b.Method("fcFrmOp", &AboutClass::fcFrmOp);
}

} // namespace nv
