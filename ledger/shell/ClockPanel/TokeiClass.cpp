#include "ledger/shell/ClockPanel/TokeiClass.h"

#include "engine/core/EngineLog.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace nv {

namespace {

QPointer<ClockForm> gWindow;

QString TimeText() { return QTime::currentTime().toString(QStringLiteral("hh時mm分")); }

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const char* face, double points, bool bold)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromUtf8(name));
    QFont f(QString::fromUtf8(face));
    f.setPointSizeF(points);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

// A heading, the room the drawn form leaves, then the values at the right.
QHBoxLayout* Row(QLabel* heading, std::initializer_list<QWidget*> values)
{
    auto* row = new QHBoxLayout;
    row->addWidget(heading);
    row->addStretch(1);
    for (QWidget* v : values) row->addWidget(v);
    return row;
}

// A small square picture of one colour, drawn rather than shipped.
QPixmap Tile(const QColor& c)
{
    QPixmap p(14, 14);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setBrush(c);
    g.setPen(c.darker(150));
    g.drawRoundedRect(QRectF(1, 1, 12, 12), 3, 3);
    return p;
}

} // namespace

// Picture1: the strip the wave is drawn in.
class ClockForm::Strip : public QWidget {
public:
    explicit Strip(ClockForm* form) : QWidget(form), form_(form)
    {
        setObjectName(QStringLiteral("Picture1"));
        setMinimumWidth(305);
        setFixedHeight(33);
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, QColor(0xE0, 0xFF, 0xFF));
        setPalette(pal);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter g(this);
        g.setRenderHint(QPainter::Antialiasing);
        const QColor cyan(0x00, 0xFF, 0xFF);   // QBColor(11)
        g.setPen(cyan.darker(130));
        g.setBrush(cyan);
        const Wave& w = form_->wave_;
        for (int i = 0; i < Wave::kCount; ++i) {
            const Wave::Dot& d = w.DotAt(i);
            g.drawEllipse(QPointF(d.x1, d.y1), Wave::kRadius, Wave::kRadius);
            g.drawEllipse(QPointF(d.x2, d.y2), Wave::kRadius, Wave::kRadius);
        }
    }

private:
    ClockForm* form_;
};

ClockForm::ClockForm() : QWidget(nullptr), own_(new TokeiClass), wave_(33)
{
    setObjectName(QStringLiteral("F1_時計"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("時計"));
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(120 / 15, 120 / 15, 120 / 15, 120 / 15);
    top->addLayout(body, 1);

    QLabel* today = MakeLabel(this, "Label1(0)", QStringLiteral("今日の日付"), "ＭＳ ゴシック", 10.5, true);
    label2_ = MakeLabel(this, "Label2", {}, "ＭＳ ゴシック", 12, true);
    label2_->setMinimumWidth(3012 / 15);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(today);
    dateRow->addSpacing(8);
    dateRow->addWidget(label2_, 1);
    body->addLayout(dateRow);

    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("pbxClock"));
    box->setFrameShape(QFrame::Panel);
    box->setFrameShadow(QFrame::Sunken);
    auto* boxRow = Row(MakeLabel(box, "Label1(2)", QStringLiteral("現在の時刻"), "ＭＳ Ｐ明朝", 9, false),
                       {lbClock_ = MakeLabel(box, "lbClock", QStringLiteral("12:00:01"), "ＭＳ ゴシック", 9, true)});
    boxRow->setContentsMargins(4, 4, 4, 4);
    box->setLayout(boxRow);
    body->addSpacing(4);
    body->addWidget(box);
    body->addSpacing(4);
    body->addLayout(Row(MakeLabel(this, "Label1(3)", QStringLiteral("作業開始時刻"), "ＭＳ ゴシック", 7.5, false),
                        {lbClock2_ = MakeLabel(this, "lbClock2", QStringLiteral("12:00:01"), "ＭＳ ゴシック", 7.5, true)}));
    label3_ = MakeLabel(this, "Label3", QStringLiteral("0"), "ＭＳ Ｐゴシック", 9, true);
    label3_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    body->addLayout(Row(MakeLabel(this, "Label1(1)", QStringLiteral("作業時間"), "ＭＳ ゴシック", 10.5, true),
                        {label3_, MakeLabel(this, "Label4", QStringLiteral("分"), "ＭＳ ゴシック", 9, true)}));

    // The pictures, four rows in a frame.
    auto* shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setFrameShape(QFrame::Box);
    auto* tiles = new QGridLayout(shape);
    tiles->setContentsMargins(8, 12, 8, 12);
    tiles->setHorizontalSpacing(2);
    tiles->setVerticalSpacing(24);
    const QColor colours[4] = {QColor(0xC8, 0xC8, 0xC8), QColor(0xFF, 0xA0, 0x40), QColor(0x40, 0xC0, 0x60),
                               QColor(0x40, 0x80, 0xFF)};
    for (int a = 0; a < 4; ++a) {
        QPixmap tile = Tile(colours[a]);
        for (int i = 0; i < kImages; ++i) {
            auto* l = new QLabel(shape);
            l->setObjectName(QStringLiteral("Image%1(%2)").arg(a + 1).arg(i));
            l->setPixmap(tile);
            l->setFixedSize(14, 14);
            // A hidden picture keeps its place.
            QSizePolicy policy = l->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            l->setSizePolicy(policy);
            tiles->addWidget(l, a, i);
            images_[size_t(a)][size_t(i)] = l;
        }
    }
    body->addSpacing(8);
    body->addWidget(shape);
    body->addStretch(1);
    strip_ = new Strip(this);
    top->addWidget(strip_);
    // Form_Load.
    label2_->setText(QString::fromStdString(TokeiClass::gfc4DigitYear(QDate::currentDate())) + QStringLiteral("  ")
                     + QString::fromStdString(
                         TokeiClass::gfWeekday(Variant(int16_t(QDate::currentDate().dayOfWeek() % 7 + 1))).ToString()));
    lbClock_->setText(TimeText());
    lbClock2_->setText(TimeText());
    for (int a = 1; a < 4; ++a)
        for (int i = 1; i < kImages; ++i) images_[size_t(a)][size_t(i)]->setVisible(false);
    tmClock_ = new QTimer(this);
    tmClock_->setInterval(60000);
    connect(tmClock_, &QTimer::timeout, this, &ClockForm::Tick);
    tmClock_->start();
    timer1_ = new QTimer(this);
    timer1_->setInterval(500);
    connect(timer1_, &QTimer::timeout, this, &ClockForm::WaveTick);
    timer1_->start();
    // The drawn size, or more when the texts need it.
    setFixedSize(QSize(4560 / 15, 4605 / 15).expandedTo(layout()->totalSizeHint()));
}

ClockForm::~ClockForm() = default;

void ClockForm::Tick()
{
    ObjectRef(static_cast<Dispatch*>(own_.Get())).Call("gsbClockEvent");
}

void ClockForm::WaveTick()
{
    wave_.Step();
    strip_->update();
}

ClockForm* TokeiClass::Window()
{
    return gWindow.data();
}

Variant TokeiClass::fcFrmOp(int16_t fgSAMPLE)
{
    if (!gWindow) {
        try {
            gWindow = new ClockForm;
        } catch (...) {
            // A window that could not be made is not shown.
            LogLine("ClockPanel", "時計の画面を作れません: " + CurrentExceptionText());
            return Variant("");
        }
    }
    gWindow->setWindowTitle(fgSAMPLE == 1 ? QStringLiteral("時計サンプル") : QStringLiteral("時計"));
    gWindow->show();
    return Variant("");
}

Variant TokeiClass::fcEnd()
{
    if (gWindow) delete gWindow.data();
    return Variant();
}

Variant TokeiClass::gfWeekday(const Variant& inum)
{
    static const char* const kNames[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
    double n = 0;
    try {
        n = inum.ToDouble();
    } catch (...) {
        LogLine("ClockPanel", "曜日の番号が数ではありません: " + CurrentExceptionText());
        return Variant();
    }
    if (n != std::floor(n) || n < 1 || n > 7) return Variant();
    return Variant(kNames[int(n) - 1]);
}

std::string TokeiClass::gfc4DigitYear(const QDate& day)
{
    return day.toString(QStringLiteral("yyyy年M月d日")).toStdString();
}

void TokeiClass::gsbClockEvent()
{
    ClockForm* w = gWindow.data();
    minutes_ += 1;
    if (!w) return;
    w->label3_->setText(QString::number(minutes_));
    if (minutes_ % 3 == 0) {
        int index = minutes_ / 9 + 1;
        if (index <= 16) {
            picture_ = int16_t(picture_ % 3 + 1);
            w->images_[size_t(picture_)][size_t(index)]->setVisible(true);
            if (picture_ == 3) picture_ = 0;
        }
    }
    w->lbClock_->setText(TimeText());
}

void TokeiClass::BindMembers(Binder& b)
{
    b.Method("fcFrmOp", &TokeiClass::fcFrmOp);
    b.Method("fcEnd", &TokeiClass::fcEnd);
    b.Method("gfWeekday", [](TokeiClass&, Args a) { return gfWeekday(a[0]); });
    b.Method("gfc4DigitYear", [](TokeiClass&, Args a) {
        QDate day = QDate(1899, 12, 30).addDays(qint64(std::floor(a[0].ToDate())));
        return Variant(gfc4DigitYear(day));
    });
    b.Method("gsbClockEvent", &TokeiClass::gsbClockEvent);
}

} // namespace nv
