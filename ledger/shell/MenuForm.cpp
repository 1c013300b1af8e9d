// The menu window itself: controls, menus and the window events.
#include "ledger/shell/MenuForm.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>

namespace nv {

namespace {

// Twips of the form's design at 15 per pixel.
QRect Px(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

} // namespace

MenuForm::MenuForm(MenuHooks hooks, QWidget* parent) : QMainWindow(parent), hooks_(std::move(hooks))
{
    if (!hooks_.today) hooks_.today = [] { return QDate::currentDate(); };
    if (!hooks_.openUrl) hooks_.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    BuildWindow();
}

MenuForm::~MenuForm() = default;

void MenuForm::BuildWindow()
{
    setObjectName(QStringLiteral("F0_menu"));
    setWindowTitle(QString::fromUtf8(kMenuCaption));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    setFont(font);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(2565 / 15, 5985 / 15);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
    client->setPalette(pal);
    setCentralWidget(client);

    auto label = [&](const char* name, const char* text, QRect r) {
        auto* l = new QLabel(QString::fromUtf8(text), client);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(r);
        l->setFont(font);
        // Faces that stand in for the design's are wider: never cut a heading.
        l->resize(qMax(r.width(), l->sizeHint().width()), r.height());
    };
    label("Label1", "  仕入帳と売上帳              ", Px(240, 240, 2052, 252));
    label("Label4", " 『 メニュー』 ", Px(720, 480, 1092, 252));

    struct ButtonSpec {
        int index;
        const char* caption;
        QRect rect;
        const char* colour;
    };
    const ButtonSpec specs[] = {
        {kFirm, "自社登録", Px(120, 1080, 2295, 375), "#FFE0C0"},
        {kSupplier, "仕入帳", Px(120, 1920, 2295, 375), "#FFC0C0"},
        {kCustomer, "売上帳", Px(120, 2520, 2295, 375), "#C0C000"},
        {kDm, "DM", Px(120, 3120, 2295, 375), "#FFC080"},
        {kExit, "終了", Px(120, 3720, 2295, 492), "#FFFFFF"},
    };
    QWidget* previous = nullptr;
    for (const ButtonSpec& s : specs) {
        auto* b = new QPushButton(QString::fromUtf8(s.caption), client);
        b->setObjectName(QStringLiteral("CombMenu(%1)").arg(s.index));
        b->setGeometry(s.rect);
        b->setFont(font);
        b->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080; }"
                                        "QPushButton:disabled { color: #909090; }"
                                        "QPushButton:focus { border: 2px solid #000000; }")
                             .arg(QLatin1String(s.colour)));
        int index = s.index;
        connect(b, &QPushButton::clicked, this, [this, index] { CombMenu_Click(index); });
        buttons_[index] = b;
        if (previous) setTabOrder(previous, b);
        previous = b;
    }
    buttons_[kDm]->setVisible(false);

    // The first menu only held its place in a bar that could wrap; a bar
    // that cannot would push Help out of sight, so it is kept but not shown.
    QMenu* blank = menuBar()->addMenu(QString(11, QChar(0x3000)));
    blank->setObjectName(QStringLiteral("mnu1"));
    blank->setEnabled(false);
    blank->menuAction()->setVisible(false);
    QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ（&H）"));
    help->setObjectName(QStringLiteral("mnuHmain"));
    helpStart_ = help->addAction(QStringLiteral("ﾍﾙﾌﾟの起動（&H）"), this, [this] { mnuHELP_Click(0); });
    helpVersion_ = help->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&V)"), this, [this] { mnuHELP_Click(1); });
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MenuForm::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (firstPaint_) return;
    firstPaint_ = true;
    buttons_[kFirm]->setFocus();
    try {
        Variant sample(int16_t(0));
        CallComponent("ClockPanel.tokeiClass", "fcFrmOp", std::span<Variant>(&sample, 1));
    } catch (...) {
        // The clock is a convenience: the menu works without it.
    }
}

void MenuForm::closeEvent(QCloseEvent* e)
{
    QueryUnload();
    e->accept();
}

} // namespace nv
