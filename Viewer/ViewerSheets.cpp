#include "Viewer/ViewerSheets.h"

#include "Viewer/ViewerDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <ctime>

namespace nv::viewer {

namespace {
QCheckBox* Check(const char* name, const QString& text, int value, QWidget* parent, QLayout* layout)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setChecked(value == 1);
    layout->addWidget(c);
    return c;
}

QLineEdit* Field(const char* name, const QString& text, QWidget* parent)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    return e;
}
} // namespace

OptionSheet::OptionSheet(const ViewerOptions& options, QWidget* parent)
    : QDialog(parent), options_(options), tabs_(new QTabWidget(this)), paperMode_(new QButtonGroup(this))
{
    setWindowTitle(QStringLiteral("環境設定"));
    auto* page = new QWidget(tabs_);
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral("用紙サイズ（開く時の既定値）"), page);
    auto* radios = new QVBoxLayout(group);
    const char* texts[] = {"ドキュメント設定値", "プリンタ設定値（等倍）", "プリンタ設定値（自動拡大縮小）",
                           "プリンタ設定値（自動調整）"};
    for (int i = 0; i < 4; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(texts[i]), group);
        r->setObjectName(QStringLiteral("printMode%1").arg(i));
        paperMode_->addButton(r, i);
        radios->addWidget(r);
    }
    // The options already read any other mode as 0.
    if (QAbstractButton* r = paperMode_->button(options.printMode)) r->setChecked(true);
    layout->addWidget(group);
    wakusen_ = Check("wakusen", QStringLiteral("用紙枠線"), options.wakusen, page, layout);
    headOffSet_ = Check("headOffSet", QStringLiteral("ハードウェアオフセット枠線"), options.headOffSet, page, layout);
    mainViewMax_ = Check("mainViewMax", QStringLiteral("親ウィンドウ起動時最大表示"), options.mainViewMax, page, layout);
    childViewMax_ =
        Check("childViewMax", QStringLiteral("子ウィンドウ起動時最大表示"), options.childViewMax, page, layout);
    layout->addStretch();
    tabs_->addTab(page, QStringLiteral("表示設定"));
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs_);
    outer->addWidget(DialogButtons(this, QStringLiteral("キャンセル")));
}

ViewerOptions OptionSheet::Result() const
{
    ViewerOptions o = options_;
    o.printMode = std::max(0, paperMode_->checkedId());
    o.wakusen = wakusen_->isChecked() ? 1 : 0;
    o.headOffSet = headOffSet_->isChecked() ? 1 : 0;
    o.mainViewMax = mainViewMax_->isChecked() ? 1 : 0;
    o.childViewMax = childViewMax_->isChecked() ? 1 : 0;
    return o;
}

QString DocumentInfoSheet::CreatedText(uint64_t fileTime)
{
    constexpr uint64_t kTicks = 10000000;
    constexpr uint64_t kEpochGap = 11644473600ULL;
    const uint64_t seconds = fileTime / kTicks;
    if (seconds < kEpochGap) return {};
    const std::time_t t = static_cast<std::time_t>(seconds - kEpochGap);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return {};
    return QString::asprintf("%d/%d/%d %2d:%2d:%2d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                             tm.tm_min, tm.tm_sec);
}

DocumentInfoSheet::DocumentInfoSheet(const DocumentFacts& f, QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget(this))
{
    setWindowTitle(QStringLiteral("ドキュメント情報"));

    auto* doc = new QWidget(tabs_);
    auto* docLayout = new QVBoxLayout(doc);
    docLayout->addWidget(Field("path", f.path, doc));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ドキュメント名"), Field("name", f.name, doc));
    form->addRow(QStringLiteral("バージョン"), Field("version", QString::number(f.version), doc));
    form->addRow(QStringLiteral("作成日付"), Field("created", CreatedText(f.created), doc));
    form->addRow(QStringLiteral("圧縮"),
                 Field("packed", f.packed == 1 ? QStringLiteral("圧縮") : QStringLiteral("非圧縮"), doc));
    form->addRow(QStringLiteral("暗号"),
                 Field("secret", f.secret == 1 ? QStringLiteral("あり") : QStringLiteral("なし"), doc));
    form->addRow(QStringLiteral("総ページ数"), Field("pages", QString::number(f.pageCount), doc));
    docLayout->addLayout(form);
    docLayout->addStretch();
    tabs_->addTab(doc, QStringLiteral("ドキュメント情報"));

    auto* tvf = new QWidget(tabs_);
    auto* tvfForm = new QFormLayout(tvf);
    tvfForm->addRow(QStringLiteral("フォーム名"), Field("formName", {}, tvf));
    tvfForm->addRow(QStringLiteral("作成者"), Field("author", {}, tvf));
    auto* content = new QPlainTextEdit(tvf);
    content->setObjectName(QStringLiteral("content"));
    content->setReadOnly(true);
    tvfForm->addRow(QStringLiteral("内容"), content);
    tabs_->addTab(tvf, QStringLiteral("フォーム情報"));

    auto* pageTab = new QWidget(tabs_);
    auto* pageLayout = new QVBoxLayout(pageTab);
    QLineEdit* docName = Field("docName", f.name, pageTab);
    docName->setFrame(false);
    pageLayout->addWidget(docName);
    auto* spin = new QSpinBox(pageTab);
    spin->setObjectName(QStringLiteral("page"));
    spin->setRange(1, std::max(1, f.pageCount));
    spin->setValue(f.currentPage);
    spin->setEnabled(false);
    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(spin);
    pageRow->addWidget(new QLabel(QStringLiteral("ページ"), pageTab));
    pageRow->addStretch();
    pageLayout->addLayout(pageRow);
    auto* paper = new QGroupBox(QStringLiteral("用紙情報"), pageTab);
    auto* paperForm = new QFormLayout(paper);
    paperForm->addRow(QStringLiteral("用紙サイズ"), Field("paperSize", {}, paper));
    paperForm->addRow(QStringLiteral("縦（長さ）"), Field("paperLength", {}, paper));
    paperForm->addRow(QStringLiteral("横（幅）"), Field("paperWidth", {}, paper));
    paperForm->addRow(QStringLiteral("用紙向き"), Field("orientation", {}, paper));
    pageLayout->addWidget(paper);
    auto* printer = new QGroupBox(QStringLiteral("プリンタ情報"), pageTab);
    auto* printerForm = new QFormLayout(printer);
    printerForm->addRow(QStringLiteral("プリンタ名"), Field("printer", {}, printer));
    printerForm->addRow(QStringLiteral("スケール"), Field("scale", QStringLiteral("100"), printer));
    printerForm->addRow(QStringLiteral("カラー"), Field("colour", {}, printer));
    pageLayout->addWidget(printer);
    tabs_->addTab(pageTab, QStringLiteral("ページ情報"));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs_);
    outer->addWidget(DialogButtons(this, {}));
}

} // namespace nv::viewer
