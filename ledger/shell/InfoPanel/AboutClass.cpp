#include "ledger/shell/InfoPanel/AboutClass.h"

#include "engine/core/EngineLog.h"
#include "platform/core/Paths.h"
#include "platform/ui/DesignUnits.h"
#include "platform/ui/Prompt.h"

#include <QFile>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSettings>
#include <QSysInfo>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

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

const char* const kLegalWarning =
    "警告: このプログラムは著作権法および国際条約により保護されています。このプログラムの全部または一部を"
    "無断で複製、改変または配布すると、法律により罰せられることがあります。";

// The box's picture: an open ledger book, drawn rather than shipped.
QPixmap IconPicture()
{
    QPixmap p(79, 72);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(0x30, 0x50, 0x80), 2));
    g.setBrush(QColor(0xF8, 0xF4, 0xE8));
    g.drawRect(QRectF(6, 10, 33, 52));
    g.drawRect(QRectF(39, 10, 33, 52));
    g.setPen(QPen(QColor(0x80, 0x90, 0xB0), 1));
    for (int y = 20; y < 60; y += 8) {
        g.drawLine(QPointF(10, y), QPointF(35, y));
        g.drawLine(QPointF(43, y), QPointF(68, y));
    }
    g.setPen(QPen(QColor(0xC0, 0x30, 0x30), 2));
    g.drawLine(QPointF(39, 6), QPointF(39, 66));
    return p;
}

// The first line of /proc/<file> that starts with key, after the colon.
// Files there tell no size, so they are read until a read comes back empty.
QString ProcValue(const char* file, const char* key)
{
    QFile f(QStringLiteral("/proc/") + QLatin1String(file));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    for (QByteArray read = f.readLine(); !read.isEmpty(); read = f.readLine()) {
        QString line = QString::fromUtf8(read);
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
    auto px = [this](int twips) { return ui::DesignPixels(this, twips); };
    auto label = [&](const char* name, const QString& text, int width) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setMinimumWidth(px(width));
        return l;
    };
    auto bold = [&](QLabel* l, double scale) {
        QFont f = l->font();
        f.setPointSizeF(f.pointSizeF() * scale);
        f.setBold(true);
        l->setFont(f);
        return l;
    };

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(IconPicture());
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    icon->setMinimumWidth(px(1185));
    // The drawn form lays the smaller title under the larger one; only the
    // larger shows.
    label("lblTitle(0)", info.title, 4245)->hide();
    QLabel* title = bold(label("lblTitle(1)", info.title, 4230), 2.0);
    QLabel* version = bold(label("lblVersion", VersionText(info.major, info.minor, info.revision), 3885), 1.0);
    QLabel* copyright = label("lblCopyright", info.copyright + CRLF() + info.trademarks, 3885);
    QLabel* description = label("lblDescription", info.description, 3885);
    description->setWordWrap(true);
    QLabel* license = bold(label("lblLicense", QStringLiteral("ライセンス情報"), 3885), 1.0);
    QLabel* userLabels = label("lblUserLabels", QStringLiteral("ユーザー名：") + CRLF() + QStringLiteral("会社名："), 1005);
    QString user = reg.owner.isEmpty() ? QStringLiteral("ユーザー名は登録されていません") : reg.owner;
    user += CRLF();
    if (!reg.organization.isEmpty()) user += reg.organization;
    QLabel* userInfo = label("lblUserInfo", user, 2745);
    userLabels->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    userInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    for (QLabel* l : {title, version, copyright, description, license}) texts->addWidget(l);
    texts->addSpacing(px(90));
    auto* users = new QHBoxLayout;
    users->addWidget(userLabels);
    users->addWidget(userInfo, 1);
    texts->addLayout(users);
    auto* upper = new QHBoxLayout;
    upper->addWidget(icon, 0, Qt::AlignTop);
    upper->addLayout(texts, 1);

    // The two-tone rule above the warning and the buttons.
    auto rule = [&](int index, QPalette::ColorRole role) {
        auto* line = new QFrame(this);
        line->setObjectName(QStringLiteral("Line1(%1)").arg(index));
        line->setFixedHeight(1);
        line->setAutoFillBackground(true);
        QPalette pal = line->palette();
        pal.setColor(QPalette::Window, pal.color(role));
        line->setPalette(pal);
        return line;
    };
    auto* rules = new QVBoxLayout;
    rules->setSpacing(1);
    rules->addWidget(rule(1, QPalette::Shadow));
    rules->addWidget(rule(0, QPalette::Light));

    QLabel* warning = label("lblWarning", QString::fromUtf8(kLegalWarning), 3405);
    warning->setWordWrap(true);
    warning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    action_[0] = new QPushButton(QStringLiteral("OK"), this);
    action_[1] = new QPushButton(QStringLiteral("システム情報(&S)..."), this);
    auto* buttons = new QVBoxLayout;
    for (int i = 0; i < 2; ++i) {
        action_[i]->setObjectName(QStringLiteral("cmdAction(%1)").arg(i));
        action_[i]->setMinimumSize(std::max(px(1605), action_[i]->sizeHint().width()), px(345));
        buttons->addWidget(action_[i]);
        connect(action_[i], &QPushButton::clicked, this, [this, i] { cmdAction_Click(i); });
    }
    buttons->addStretch(1);
    action_[0]->setDefault(true);
    auto* lower = new QHBoxLayout;
    lower->addWidget(warning, 1);
    lower->addLayout(buttons);

    auto* top = new QVBoxLayout(this);
    top->addLayout(upper);
    top->addLayout(rules);
    top->addLayout(lower, 1);
    // A fixed frame: as large as the texts need, never smaller than drawn.
    const int width = std::max(px(5490), top->totalSizeHint().width());
    const int height = top->hasHeightForWidth() ? top->totalHeightForWidth(width) : top->totalSizeHint().height();
    setFixedSize(width, std::max(px(4515), height));
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
        LogLine("InfoPanel", "バージョン情報の画面を作れません: " + CurrentExceptionText());
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
