#include "platform/qt/PrinterByName.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinterInfo>

namespace nv {
namespace {
const QString kPdfPrefix = QStringLiteral("pdf:");

std::unique_ptr<QPrinter> PdfPrinter(const QString& file)
{
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setResolution(kPdfPrinterDpi);
    p->setOutputFileName(file);
    p->setFullPage(true);
    return p;
}
} // namespace

bool IsPdfPrinterName(const QString& name) { return name.startsWith(kPdfPrefix, Qt::CaseInsensitive); }

QString PdfFileOfPrinterName(const QString& name)
{
    return IsPdfPrinterName(name) ? name.mid(kPdfPrefix.size()) : QString();
}

QString PdfPrinterName(const QString& file) { return kPdfPrefix + file; }

std::unique_ptr<QPrinter> OpenPrinterByName(const QString& name, const QString& fallbackPdf, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return std::unique_ptr<QPrinter>();
    };
    if (IsPdfPrinterName(name)) {
        const QString file = PdfFileOfPrinterName(name);
        if (file.isEmpty()) return fail(QStringLiteral("印刷先の PDF ファイル名が \"pdf:\" の後にありません。"));
        return PdfPrinter(file);
    }
    QPrinterInfo info = name.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(name);
    if (info.isNull() && name.isEmpty() && !QPrinterInfo::availablePrinterNames().isEmpty())
        info = QPrinterInfo::printerInfo(QPrinterInfo::availablePrinterNames().front());
    if (info.isNull()) {
        if (name.isEmpty() && !fallbackPdf.isEmpty()) return PdfPrinter(fallbackPdf);
        return fail(name.isEmpty() ? QStringLiteral("使えるプリンタがありません。")
                                   : QStringLiteral("プリンタ \"%1\" が見つかりません。").arg(name));
    }
    auto p = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    p->setFullPage(true);
    return p;
}

QString UnusedPdfPath(const QString& folder, const QString& base)
{
    const QDir dir(folder);
    QString path = dir.filePath(base + QStringLiteral(".pdf"));
    // A link counts as taken even when it leads nowhere: the PDF would be
    // written where it points.
    auto taken = [](const QString& p) {
        const QFileInfo fi(p);
        return fi.exists() || fi.isSymLink();
    };
    for (int n = 2; taken(path); ++n) path = dir.filePath(QStringLiteral("%1(%2).pdf").arg(base).arg(n));
    return path;
}

} // namespace nv
