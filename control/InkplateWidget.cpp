#include "control/InkplateWidget.h"

#include "control/CInkplateCtrl.h"
#include "control/InkplatePropPage.h"
#include "platform/ui/Prompt.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

namespace nv {

namespace {

// The control's design-time side of 820 HIMETRIC (8.2 mm) is 31 pixels at
// 96 dots per inch.
constexpr int kSidePixels = 31;

} // namespace

InkplateWidget::InkplateWidget(CInkplateCtrl& ctrl, QWidget* parent) : QWidget(parent), m_ctrl(ctrl)
{
    setObjectName(QStringLiteral("Inkplate"));
    setFixedSize(kSidePixels, kSidePixels);
    setToolTip(QStringLiteral("Tavelo Ver7 Inkplate Control"));
}

void InkplateWidget::SetRunMode(bool run)
{
    m_bRunMode = run;
    setHidden(run);
}

bool InkplateWidget::ShowProperties()
{
    CInkplatePropPage page(m_ctrl, this);
    return page.exec() == QDialog::Accepted;
}

void InkplateWidget::paintEvent(QPaintEvent*)
{
    // The icon: a sheet with a pen stroke, drawn at the top-left corner.
    QPainter p(this);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 20, 26);
    p.setPen(QPen(Qt::darkBlue, 2));
    p.drawLine(6, 22, 18, 8);
    p.setPen(Qt::gray);
    for (int y = 8; y <= 20; y += 4) p.drawLine(5, y, 12, y);
}

void InkplateWidget::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_bRunMode) return;
    QMenu menu(this);
    QAction* properties = menu.addAction(QStringLiteral("プロパティ(&R)..."));
    if (menu.exec(event->globalPos()) == properties) ShowProperties();
}

void ShowInkplateAbout(QWidget* parent)
{
    ui::Message m;
    m.text = QStringLiteral("Tavelo Inkplate Control\nTavelo Ver7 Inkplate Control");
    m.title = QStringLiteral("Tavelo Inkplate Control");
    m.parent = parent;
    ui::CurrentPrompt().Ask(m);
}

} // namespace nv
