#include "Viewer/ShellPrint.h"

#include "Viewer/CommandLine.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PrintLoop.h"
#include "platform/qt/PrinterByName.h"
#include "platform/ui/Prompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace nv::viewer {

namespace {

// By identity, so that another spelling or a link of the same file counts.
bool IsSameFile(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

QString VirtualPdfFor(const QString& documentPath, const QString& documentName)
{
    QString base = documentName;
    base.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (base.isEmpty()) base = QFileInfo(documentPath).completeBaseName();
    return UnusedPdfPath(QFileInfo(documentPath).absolutePath(), base);
}

int PrintWithoutWindow(const CommandLine& command, const QString& path)
{
    std::unique_ptr<PagelookDoc> doc = PagelookDoc::Open(path);
    if (!doc) return 1;
    PrintLoop loop(*doc);
    PrintLoop::Request r;
    r.printer = command.action == CommandLine::Action::PrintTo ? command.printer : QString();
    if (r.printer.isEmpty()) r.fallbackPdf = VirtualPdfFor(doc->Path(), {});
    if (IsPdfPrinterName(r.printer) && IsSameFile(PdfFileOfPrinterName(r.printer), doc->Path())) {
        ui::MessageBox(QStringLiteral("%1 は印刷する文書そのものなので、PDF の印刷先にできません。")
                           .arg(QDir::toNativeSeparators(doc->Path())),
                       ui::MbOk | ui::MbIconExclamation);
        return 1;
    }
    std::vector<int> every(static_cast<size_t>(doc->PageCount()), 1);
    r.pages = PrintCandidates(every, 1, doc->PageCount(), true);
    const PrintLoop::Outcome out = loop.Run(r);
    if (!out.printed) {
        loop.LogFailure(r, out);
        ui::MessageBox(out.error, ui::MbOk | ui::MbIconExclamation);
        return 1;
    }
    if (!r.fallbackPdf.isEmpty() && out.output == r.fallbackPdf)
        ui::MessageBox(QStringLiteral("プリンタがないため、PDFファイルに印刷しました。\n%1").arg(out.output),
                       ui::MbOk | ui::MbIconInformation);
    return 0;
}

} // namespace nv::viewer
