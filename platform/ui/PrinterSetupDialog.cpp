#include "platform/ui/PrinterSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPageSize>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace nv::ui {

PrinterSetupDialog::PrinterSetupDialog(const PrinterSetupRequest& r, QWidget* parent)
    : QDialog(parent), printers_(r.printers.isEmpty() ? SystemPrinters() : r.printers),
      printer_(new QComboBox(this)), paper_(new QComboBox(this)),
      portrait_(new QRadioButton(QStringLiteral("縦(&O)"), this)),
      landscape_(new QRadioButton(QStringLiteral("横(&A)"), this))
{
    printer_->setObjectName(QStringLiteral("printer"));
    paper_->setObjectName(QStringLiteral("paper"));
    portrait_->setObjectName(QStringLiteral("portrait"));
    landscape_->setObjectName(QStringLiteral("landscape"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("プリンタ名(&N):"), printer_);
    form->addRow(QStringLiteral("用紙サイズ(&Z):"), paper_);
    auto* turn = new QGroupBox(QStringLiteral("印刷の向き"), this);
    auto* turnLayout = new QHBoxLayout(turn);
    turnLayout->addWidget(portrait_);
    turnLayout->addWidget(landscape_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(turn);
    layout->addWidget(buttons);

    for (const PrinterOffer& p : printers_) printer_->addItem(p.printer);
    int at = 0;
    for (int i = 0; i < printers_.size(); ++i)
        if (printers_[i].printer == r.proposed.printer) at = i;
    printer_->setCurrentIndex(at);
    ShowPapers(at, r.proposed.paperId);
    (r.proposed.orientation == 2 ? landscape_ : portrait_)->setChecked(true);
    // Another printer keeps the paper chosen when it takes it too.
    connect(printer_, &QComboBox::currentIndexChanged, this, [this](int i) {
        const int id = paper_->currentData().toInt();
        ShowPapers(i, id);
    });
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!printers_.isEmpty());
}

void PrinterSetupDialog::ShowPapers(int printer, int keepId)
{
    paper_->clear();
    if (printer < 0 || printer >= printers_.size()) return;
    int at = 0;
    const QList<PaperOffer>& papers = printers_[printer].papers;
    for (int i = 0; i < papers.size(); ++i) {
        paper_->addItem(papers[i].name, papers[i].paperId);
        if (papers[i].paperId == keepId) at = i;
    }
    paper_->setCurrentIndex(at);
}

PrinterSetupChoice PrinterSetupDialog::Choice() const
{
    PrinterSetupChoice c;
    const int printer = printer_->currentIndex();
    if (printer < 0 || printer >= printers_.size()) return c;
    c.printer = printers_[printer].printer;
    const int paper = paper_->currentIndex();
    if (paper >= 0 && paper < printers_[printer].papers.size()) {
        const PaperOffer& p = printers_[printer].papers[paper];
        c.paperId = p.paperId;
        c.paperName = p.name;
        c.widthTenths = p.widthTenths;
        c.lengthTenths = p.lengthTenths;
    }
    c.orientation = landscape_->isChecked() ? 2 : 1;
    return c;
}

QList<PrinterOffer> PrinterSetupDialog::SystemPrinters()
{
    QList<PrinterOffer> out;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        PrinterOffer o{info.printerName(), {}};
        for (const QPageSize& size : info.supportedPageSizes()) {
            const QSizeF mm = size.size(QPageSize::Millimeter);
            const int id = size.windowsId();
            o.papers << PaperOffer{id > 0 ? id : 256, size.name(), int(std::lround(mm.width() * 10)),
                                   int(std::lround(mm.height() * 10))};
        }
        out << o;
    }
    return out;
}

} // namespace nv::ui
