// The menu window itself: controls, menus and the window events.
#include "ledger/shell/MenuForm.h"

#include "engine/core/EngineLog.h"
#include "ledger/shell/ComponentFailure.h"
#include "platform/ui/DesignUnits.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace nv {

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
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
    client->setPalette(pal);
    setCentralWidget(client);
    auto px = [client](int twips) { return ui::DesignPixels(client, twips); };

    // One column as drawn: the headings, the buttons with the drawn gaps
    // between them, and the empty foot of the form.
    auto* column = new QVBoxLayout(client);
    column->setSpacing(0);
    column->setContentsMargins(px(120), px(240), px(2565 - 120 - 2295), 0);
    auto label = [&](const char* name, const char* text, int indent, int height, Qt::Alignment align) {
        auto* l = new QLabel(QString::fromUtf8(text), client);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(font);
        l->setIndent(indent);
        l->setMinimumHeight(px(height));
        column->addWidget(l, 0, align);
    };
    label("Label1", "  仕入帳と売上帳              ", px(120), 252, Qt::AlignLeft);
    label("Label4", " 『 メニュー』 ", 0, 252, Qt::AlignHCenter);

    struct ButtonSpec {
        int index;
        const char* caption;
        int top, height;
        const char* colour;
    };
    const ButtonSpec specs[] = {
        {kFirm, "自社登録", 1080, 375, "#FFE0C0"},
        {kSupplier, "仕入帳", 1920, 375, "#FFC0C0"},
        {kCustomer, "売上帳", 2520, 375, "#C0C000"},
        {kDm, "DM", 3120, 375, "#FFC080"},
        {kExit, "終了", 3720, 492, "#FFFFFF"},
    };
    QWidget* previous = nullptr;
    int bottom = 480 + 252;
    for (const ButtonSpec& s : specs) {
        auto* b = new QPushButton(QString::fromUtf8(s.caption), client);
        b->setObjectName(QStringLiteral("CombMenu(%1)").arg(s.index));
        b->setFont(font);
        b->setMinimumSize(px(2295), std::max(px(s.height), b->fontMetrics().height() + 8));
        b->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080; }"
                                        "QPushButton:disabled { color: #909090; }"
                                        "QPushButton:focus { border: 2px solid #000000; }")
                             .arg(QLatin1String(s.colour)));
        // A hidden button keeps its place, as on the drawn form.
        QSizePolicy policy = b->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        b->setSizePolicy(policy);
        column->addSpacing(px(s.top - bottom));
        column->addWidget(b);
        bottom = s.top + s.height;
        int index = s.index;
        connect(b, &QPushButton::clicked, this, [this, index] { CombMenu_Click(index); });
        buttons_[index] = b;
        if (previous) setTabOrder(previous, b);
        previous = b;
    }
    buttons_[kDm]->setVisible(false);
    // The form's picture fills its foot, below the buttons.
    constexpr int kPictureTop = 120, kPictureHeight = 1530;
    auto* picture = new QLabel(client);
    picture->setObjectName(QStringLiteral("Image1"));
    const QSize size(px(2295), px(kPictureHeight));
    const qreal ratio = devicePixelRatioF();
    QPixmap image = QPixmap(QStringLiteral(":/nivalo/images/menu-picture.png"))
                        .scaled(size * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image.setDevicePixelRatio(ratio);
    picture->setPixmap(image);
    picture->setAlignment(Qt::AlignCenter);
    picture->setFixedSize(size);
    column->addSpacing(px(kPictureTop));
    column->addWidget(picture, 0, Qt::AlignHCenter);
    column->addSpacing(px(5985 - bottom - kPictureTop - kPictureHeight));

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
    // The window system draws the title in a bold face beside its icon and
    // three buttons: the narrow form grows so that its name is not cut.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    client->setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + 5 * titleBar);
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
    } catch (const std::exception& e) {
        // The clock is a convenience: the menu works without it, and says so.
        ShowError(DescribeComponentFailure(QStringLiteral("時計を表示できません。"), e));
    }
}

void MenuForm::closeEvent(QCloseEvent* e)
{
    QueryUnload();
    e->accept();
}

} // namespace nv
