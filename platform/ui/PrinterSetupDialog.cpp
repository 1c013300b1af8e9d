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
    : QDialog(parent), m_printers(r.printers.isEmpty() ? SystemPrinters() : r.printers),
      m_printer(new QComboBox(this)), m_paper(new QComboBox(this)),
      m_portrait(new QRadioButton(QStringLiteral("縦(&O)"), this)),
      m_landscape(new QRadioButton(QStringLiteral("横(&A)"), this))
{
    m_printer->setObjectName(QStringLiteral("printer"));
    m_paper->setObjectName(QStringLiteral("paper"));
    m_portrait->setObjectName(QStringLiteral("portrait"));
    m_landscape->setObjectName(QStringLiteral("landscape"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("プリンタ名(&N):"), m_printer);
    form->addRow(QStringLiteral("用紙サイズ(&Z):"), m_paper);
    auto* turn = new QGroupBox(QStringLiteral("印刷の向き"), this);
    auto* turnLayout = new QHBoxLayout(turn);
    turnLayout->addWidget(m_portrait);
    turnLayout->addWidget(m_landscape);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(turn);
    layout->addWidget(buttons);

    for (const PrinterOffer& p : m_printers) m_printer->addItem(p.printer);
    int at = 0;
    for (int i = 0; i < m_printers.size(); ++i)
        if (m_printers[i].printer == r.proposed.printer) at = i;
    m_printer->setCurrentIndex(at);
    ShowPapers(at, r.proposed.paperId);
    (r.proposed.orientation == 2 ? m_landscape : m_portrait)->setChecked(true);
    // Another printer keeps the paper chosen when it takes it too.
    connect(m_printer, &QComboBox::currentIndexChanged, this, [this](int i) {
        const int id = m_paper->currentData().toInt();
        ShowPapers(i, id);
    });
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_printers.isEmpty());
}

void PrinterSetupDialog::ShowPapers(int printer, int keepId)
{
    m_paper->clear();
    if (printer < 0 || printer >= m_printers.size()) return;
    int at = 0;
    const QList<PaperOffer>& papers = m_printers[printer].papers;
    for (int i = 0; i < papers.size(); ++i) {
        m_paper->addItem(papers[i].name, papers[i].paperId);
        if (papers[i].paperId == keepId) at = i;
    }
    m_paper->setCurrentIndex(at);
}

PrinterSetupChoice PrinterSetupDialog::Choice() const
{
    PrinterSetupChoice c;
    const int printer = m_printer->currentIndex();
    if (printer < 0 || printer >= m_printers.size()) return c;
    c.printer = m_printers[printer].printer;
    const int paper = m_paper->currentIndex();
    if (paper >= 0 && paper < m_printers[printer].papers.size()) {
        const PaperOffer& p = m_printers[printer].papers[paper];
        c.paperId = p.paperId;
        c.paperName = p.name;
        c.widthTenths = p.widthTenths;
        c.lengthTenths = p.lengthTenths;
    }
    c.orientation = m_landscape->isChecked() ? 2 : 1;
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
