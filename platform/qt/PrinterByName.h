#pragma once
// The one route from a printer name to a printer, for the viewer and the
// control alike:
//   QString error;
//   std::unique_ptr<QPrinter> p = nv::OpenPrinterByName(name, &error);
//   if (!p) { tell the user `error` }   // else nv::QtPrinterJob job(*p); ...
// "pdf:<file>" writes that PDF file; any other name is that CUPS printer; an
// empty name is the default printer, or the virtual PDF printer writing
// `fallbackPdf` when there is no CUPS printer at all. Every printer is full
// page, so (0, 0) is the paper's edge.
#include <QPrinter>
#include <QString>

#include <memory>

namespace nv {

inline constexpr int kPdfPrinterDpi = 600;

bool IsPdfPrinterName(const QString& name);
// The file a "pdf:" name writes; empty for another name.
QString PdfFileOfPrinterName(const QString& name);
QString PdfPrinterName(const QString& file);

// Null, with `error` set, when the printer is unknown or the empty name
// finds neither a default printer nor a fallback file.
std::unique_ptr<QPrinter> OpenPrinterByName(const QString& name, const QString& fallbackPdf = {},
                                            QString* error = nullptr);

// "<folder>/<base>.pdf", or "<base>(2).pdf" and up when taken: a virtual
// printer never overwrites.
QString UnusedPdfPath(const QString& folder, const QString& base);

} // namespace nv
